#include "word/docx_package.h"

#include <zip.h>
#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <memory>

#include "word/word_application.h"

namespace kv::word::docx {
namespace {

constexpr std::string_view kOfficeDocumentType = "/officeDocument";
constexpr std::string_view kSettingsType = "/settings";

struct ArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

struct FileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};

[[noreturn]] void Fail(const std::string& reason) {
  throw WordError(reason);
}

std::string FileHead(const std::string& path, std::size_t bytes) {
  std::ifstream in(path, std::ios::binary);
  std::string head(bytes, '\0');
  in.read(head.data(), static_cast<std::streamsize>(bytes));
  head.resize(static_cast<std::size_t>(in.gcount()));
  return head;
}

// An OLE compound file in place of a zip: an encrypted package or an old binary file.
[[noreturn]] void FailCompoundFile(const std::string& path) {
  const std::string head = FileHead(path, 1 << 20);
  constexpr char16_t kStream[] = u"EncryptedPackage";
  std::string utf16;
  for (char16_t c : std::u16string_view(kStream)) {
    utf16 += static_cast<char>(c & 0xFF);
    utf16 += static_cast<char>(c >> 8);
  }
  if (head.find(utf16) != std::string::npos) Fail("the document is encrypted (password protected)");
  Fail("not a .docx package (an old binary word-processor file?)");
}

Archive OpenArchive(const std::string& path) {
  static constexpr std::array<unsigned char, 8> kCompoundSignature = {0xD0, 0xCF, 0x11, 0xE0,
                                                                      0xA1, 0xB1, 0x1A, 0xE1};
  const std::string head = FileHead(path, kCompoundSignature.size());
  if (head.size() == kCompoundSignature.size() &&
      std::memcmp(head.data(), kCompoundSignature.data(), head.size()) == 0) {
    FailCompoundFile(path);
  }
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
  if (archive == nullptr) {
    if (error == ZIP_ER_NOENT || error == ZIP_ER_OPEN) Fail("cannot read the file");
    zip_error_t details;
    zip_error_init_with_code(&details, error);
    std::string reason = std::string("not a valid zip package: ") + zip_error_strerror(&details);
    zip_error_fini(&details);
    Fail(reason);
  }
  return Archive(archive);
}

// Reads one entry chunk by chunk, counting the bytes really produced.
std::string ReadEntry(zip_t* archive, zip_uint64_t index, const zip_stat_t& stat,
                      std::uint64_t& total, const PackageLimits& limits) {
  std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen_index(archive, index, 0));
  if (!file) Fail(std::string("cannot unpack ") + stat.name + ": " + zip_strerror(archive));
  std::string data;
  std::array<char, 1 << 16> chunk;
  while (true) {
    const zip_int64_t read = zip_fread(file.get(), chunk.data(), chunk.size());
    if (read < 0) {
      Fail(std::string("damaged entry ") + stat.name + ": " + zip_file_strerror(file.get()));
    }
    if (read == 0) break;
    total += static_cast<std::uint64_t>(read);
    if (total > limits.maxTotalBytes) {
      Fail("the package unpacks to more than " + SizeText(limits.maxTotalBytes));
    }
    data.append(chunk.data(), static_cast<std::size_t>(read));
  }
  if ((stat.valid & ZIP_STAT_SIZE) && data.size() != stat.size) {
    Fail(std::string("damaged entry ") + stat.name + ": its size differs from the declared one");
  }
  return data;
}

// Targets of the relationships of `relsXml` whose type ends with `typeSuffix`.
std::string RelationshipTarget(const std::string& relsXml, std::string_view typeSuffix) {
  pugi::xml_document rels;
  if (!rels.load_buffer(relsXml.data(), relsXml.size())) return {};
  for (pugi::xml_node relation : rels.document_element().children()) {
    std::string_view type = relation.attribute("Type").value();
    if (type.ends_with(typeSuffix)) return relation.attribute("Target").value();
  }
  return {};
}

// A relationship target relative to the folder of `sourcePart`, as a package entry name.
std::string ResolveTarget(const std::string& sourcePart, std::string target) {
  if (target.starts_with('/')) return target.substr(1);
  const auto slash = sourcePart.rfind('/');
  std::string folder = slash == std::string::npos ? "" : sourcePart.substr(0, slash + 1);
  while (target.starts_with("../") && !folder.empty()) {
    folder.pop_back();
    folder.erase(folder.rfind('/') == std::string::npos ? 0 : folder.rfind('/') + 1);
    target.erase(0, 3);
  }
  return folder + target;
}

std::string RelsNameOf(const std::string& part) {
  const auto slash = part.rfind('/');
  if (slash == std::string::npos) return "_rels/" + part + ".rels";
  return part.substr(0, slash + 1) + "_rels/" + part.substr(slash + 1) + ".rels";
}

}  // namespace

std::string SizeText(std::uint64_t bytes) {
  if (bytes < (1u << 20)) return std::to_string(bytes) + " bytes";
  return std::to_string(bytes >> 20) + " MiB";
}

Package Package::Read(const std::string& path, const PackageLimits& limits) {
  Archive archive = OpenArchive(path);
  const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
  if (count < 0 || static_cast<std::uint64_t>(count) > limits.maxEntries) {
    Fail("the package has more than " + std::to_string(limits.maxEntries) + " entries");
  }
  Package package;
  std::uint64_t total = 0;
  for (zip_int64_t index = 0; index < count; ++index) {
    zip_stat_t stat;
    if (zip_stat_index(archive.get(), index, 0, &stat) != 0 || stat.name == nullptr) {
      Fail("damaged zip directory: " + std::string(zip_strerror(archive.get())));
    }
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
      Fail(std::string("the package entry ") + stat.name + " is encrypted");
    }
    PackageEntry entry{stat.name, ReadEntry(archive.get(), index, stat, total, limits),
                       (stat.valid & ZIP_STAT_COMP_METHOD) ? stat.comp_method : ZIP_CM_DEFLATE,
                       (stat.valid & ZIP_STAT_MTIME) ? stat.mtime : 0};
    package.entries_.push_back(std::move(entry));
  }
  return package;
}

const PackageEntry* Package::Find(const std::string& name) const {
  auto found = std::find_if(entries_.begin(), entries_.end(),
                            [&](const PackageEntry& entry) { return entry.name == name; });
  return found == entries_.end() ? nullptr : &*found;
}

void Package::Replace(const std::string& name, std::string data) {
  auto found = std::find_if(entries_.begin(), entries_.end(),
                            [&](const PackageEntry& entry) { return entry.name == name; });
  if (found == entries_.end()) Fail("the package has no part " + name);
  found->data = std::move(data);
}

void Package::Write(const std::string& path) const {
  int error = 0;
  Archive archive(zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error));
  if (!archive) Fail("cannot create " + path);
  for (const PackageEntry& entry : entries_) {
    zip_source_t* source =
        zip_source_buffer(archive.get(), entry.data.data(), entry.data.size(), 0);
    const zip_int64_t index = source == nullptr
                                  ? -1
                                  : zip_file_add(archive.get(), entry.name.c_str(), source,
                                                 ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
    if (index < 0) {
      if (source != nullptr) zip_source_free(source);
      Fail("cannot write " + path + ": " + zip_strerror(archive.get()));
    }
    // Fastest deflate: saving is most of a run's time and the copy is written twice.
    const bool stored = entry.compression == ZIP_CM_STORE;
    zip_set_file_compression(archive.get(), index, stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 1);
    if (entry.mtime > 0) zip_file_set_mtime(archive.get(), index, entry.mtime, 0);
  }
  // The entry buffers belong to this package, which outlives the close below.
  if (zip_close(archive.get()) != 0) {
    Fail("cannot write " + path + ": " + zip_strerror(archive.get()));
  }
  archive.release();
}

std::string Package::MainDocumentName() const {
  const PackageEntry* rels = Find("_rels/.rels");
  std::string target = rels ? RelationshipTarget(rels->data, kOfficeDocumentType) : "";
  return target.empty() ? "word/document.xml" : ResolveTarget("", target);
}

std::string Package::SettingsName() const {
  const std::string main = MainDocumentName();
  const PackageEntry* rels = Find(RelsNameOf(main));
  std::string target = rels ? RelationshipTarget(rels->data, kSettingsType) : "";
  return target.empty() ? "" : ResolveTarget(main, target);
}

}  // namespace kv::word::docx
