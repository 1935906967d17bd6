#include "convert/doc_application.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "docx/package.h"
#include "docx/safe_file.h"
#include "word/forwarding_application.h"

namespace kv::word {
namespace {

namespace fs = std::filesystem;

// A private folder for LibreOffice's input and output, removed with the document.
class ConversionFolder {
 public:
  ConversionFolder() {
    path_ = MakeTemporaryFolder("kv-engine-");
    if (path_.empty()) throw WordError("cannot create a temporary folder");
  }
  ~ConversionFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ConversionFolder(const ConversionFolder&) = delete;
  ConversionFolder& operator=(const ConversionFolder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

constexpr std::string_view kRtfSignature = "{\\rtf";

// A Word binary file (OLE compound file), an RTF file or a .docx package: anything else
// named .doc would be imported by LibreOffice as plain text.
void CheckWordSignature(std::string_view bytes) {
  if (bytes.empty()) throw WordError("the file is empty");
  for (std::string_view signature : {std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8),
                                     kRtfSignature, std::string_view("PK\x03\x04")}) {
    if (bytes.starts_with(signature)) return;
  }
  throw WordError("not a Word document (neither a Word binary file, RTF nor a .docx package)");
}

// What LibreOffice must read of a file not named .doc, by its content: "" for none (a
// package, or what the engine refuses with a reason of its own).
std::string_view ConvertedKind(std::string_view bytes) {
  if (docx::IsCompoundFile(bytes) && !docx::IsEncryptedPackage(bytes)) {
    return "a Word 97-2003 document";
  }
  return bytes.starts_with(kRtfSignature) ? "an RTF document" : "";
}

class DocApplication final : public ForwardingApplication {
 public:
  DocApplication(std::unique_ptr<WordApplication> docxEngine,
                 std::shared_ptr<DocumentConverter> converter, NoteSink note)
      : ForwardingApplication(std::move(docxEngine)),
        converter_(std::move(converter)),
        note_(std::move(note)) {}

  void DocumentsOpen(const std::string& path) override {
    CloseDocument();
    if (path.empty()) Fail("no file name");
    original_ = ReadRegularFile(path, docx::PackageLimits{}.maxTotalBytes);
    if (IsDocPath(path)) {
      CheckWordSignature(original_);
      OpenConverted(fs::path(path).filename());
    } else if (const std::string_view kind = ConvertedKind(original_); !kind.empty()) {
      OpenConverted(fs::path(path).stem().string() +
                    (original_.starts_with(kRtfSignature) ? ".rtf" : ".doc"));
      if (note_) {
        note_(path + ": " + std::string(kind) + ", not a .docx package: read through LibreOffice");
      }
    } else {
      if (original_.empty()) Fail("the file is empty");
      original_.clear();
      ForwardingApplication::DocumentsOpen(path);
    }
    path_ = path;
  }

  void SaveAs(const std::string& path) override {
    if (!IsDocPath(path)) {
      ForwardingApplication::SaveAs(path);
    } else if (!changed_ && IsDocPath(path_)) {
      if (!HasActiveDocument()) throw WordError("no document is open");
      ReplaceFile(path, original_);  // nothing to convert: the file is the one that was opened
    } else {
      WriteDoc(path);
    }
    path_ = path;
    changed_ = false;
  }

  void Save() override {
    if (!IsDocPath(path_)) {
      ForwardingApplication::Save();
    } else if (changed_) {
      WriteDoc(path_);
    }
    changed_ = false;
  }

  void CloseDocument() override {
    ForwardingApplication::CloseDocument();
    folder_.reset();
    original_.clear();
    changed_ = false;
  }

  void Quit() override { CloseDocument(); }

  // The operations that change the content: a .doc copy is converted back only after one.
  void SetCellsShadingTexture(int texture) override {
    ForwardingApplication::SetCellsShadingTexture(texture);
    changed_ = true;
  }
  void SetCellsShadingBackgroundPatternColorIndex(int colorIndex) override {
    ForwardingApplication::SetCellsShadingBackgroundPatternColorIndex(colorIndex);
    changed_ = true;
  }
  void SetLanguageID(int languageId) override {
    ForwardingApplication::SetLanguageID(languageId);
    changed_ = true;
  }
  void SetStyle(int style) override {
    ForwardingApplication::SetStyle(style);
    changed_ = true;
  }
  void TypeText(const std::string& text) override {
    ForwardingApplication::TypeText(text);
    changed_ = true;
  }
  void TypeParagraph() override {
    ForwardingApplication::TypeParagraph();
    changed_ = true;
  }
  void DeleteParagraphs() override {
    ForwardingApplication::DeleteParagraphs();
    changed_ = true;
  }

 private:
  [[noreturn]] static void Fail(const std::string& reason) { throw WordError(reason); }

  // LibreOffice converts a private copy of the file's bytes, named `name`, so it never
  // holds the chosen file open.
  void OpenConverted(const fs::path& name) {
    folder_ = std::make_unique<ConversionFolder>();
    const fs::path in = folder_->path() / "in";
    fs::create_directories(in);
    const fs::path copy = in / name;
    ReplaceFile(copy.string(), original_);
    const ConversionResult converted = Convert(copy, "docx", folder_->path());
    fs::remove_all(in);
    if (!converted.ok) Fail(converted.reason);
    ForwardingApplication::DocumentsOpen(converted.output);
    fs::remove(converted.output);
  }

  // Writes the document as .docx in the private folder and has LibreOffice make the .doc.
  void WriteDoc(const std::string& path) {
    if (!folder_) folder_ = std::make_unique<ConversionFolder>();
    const fs::path docx = folder_->path() / (fs::path(path).stem().string() + ".docx");
    const fs::path out = folder_->path() / "out";
    fs::create_directories(out);
    ForwardingApplication::SaveAs(docx.string());
    const ConversionResult converted = Convert(docx, "doc", out);
    std::error_code ignored;
    fs::remove(docx, ignored);
    if (converted.ok) ReplaceFile(path, ReadRegularFile(converted.output, UINT64_MAX));
    fs::remove_all(out, ignored);
    if (!converted.ok) Fail(converted.reason);
  }

  ConversionResult Convert(const fs::path& input, const std::string& format,
                           const fs::path& outputFolder) const {
    return converter_->Convert(input.string(), format, outputFolder.string());
  }

  std::shared_ptr<DocumentConverter> converter_;
  NoteSink note_;
  std::unique_ptr<ConversionFolder> folder_;
  std::string original_;  // the bytes of an opened .doc, for a copy that needs no conversion
  std::string path_;      // the file the document is now
  bool changed_ = false;  // content changed since the last open or save
};

}  // namespace

bool IsDocPath(const std::string& path) {
  std::string extension = fs::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".doc";
}

std::unique_ptr<WordApplication> WithDocConversion(std::unique_ptr<WordApplication> docxEngine,
                                                   std::shared_ptr<DocumentConverter> converter,
                                                   NoteSink note) {
  return std::make_unique<DocApplication>(std::move(docxEngine), std::move(converter),
                                          std::move(note));
}

}  // namespace kv::word
