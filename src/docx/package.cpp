#include "docx/package.h"

#include <zip.h>
#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "docx/safe_file.h"
#include "word/word_application.h"

namespace kv::word::docx {
namespace {

constexpr std::string_view kOfficeDocumentType = "/officeDocument";
constexpr std::string_view kSettingsType = "/settings";

struct ArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

constexpr std::string_view kCompoundSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

struct FileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};

[[noreturn]] void Fail(const std::string& reason) {
  throw WordError(reason);
}

// An OLE compound file in place of a zip: an encrypted package or an old binary file.
[[noreturn]] void FailCompoundFile(std::string_view bytes) {
  if (IsEncryptedPackage(bytes)) Fail("the document is encrypted (password protected)");
  Fail("not a .docx package (an old binary word-processor file?)");
}

[[noreturn]] void FailZip(const char* what, zip_error_t* error) {
  const std::string reason = std::string(what) + zip_error_strerror(error);
  zip_error_fini(error);
  Fail(reason);
}

// The archive reads the caller's bytes in place; they must outlive it.
Archive OpenArchive(std::string_view bytes) {
  if (IsCompoundFile(bytes)) FailCompoundFile(bytes);
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
  if (source == nullptr) FailZip("cannot read the package: ", &error);
  zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
  if (archive == nullptr) {
    zip_source_free(source);
    FailZip("not a valid zip package: ", &error);
  }
  zip_error_fini(&error);
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

struct SourceFreer {
  void operator()(zip_source_t* source) const { zip_source_free(source); }
};

void AddEntry(zip_t* archive, const PackageEntry& entry) {
  zip_source_t* source = zip_source_buffer(archive, entry.data.data(), entry.data.size(), 0);
  const zip_int64_t index = source == nullptr ? -1
                                              : zip_file_add(archive, entry.name.c_str(), source,
                                                             ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
  if (index < 0) {
    if (source != nullptr) zip_source_free(source);
    Fail("cannot add " + entry.name + " to the package: " + zip_strerror(archive));
  }
  // Fastest deflate: saving is most of a run's time and the copy is written twice.
  const bool stored = entry.compression == ZIP_CM_STORE;
  zip_set_file_compression(archive, index, stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 1);
  if (entry.mtime > 0) zip_file_set_mtime(archive, index, entry.mtime, 0);
}

// Everything written into a memory source.
std::string SourceBytes(zip_source_t* source) {
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_source_stat(source, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
      zip_source_open(source) != 0) {
    Fail("cannot build the package");
  }
  std::string bytes(stat.size, '\0');
  const zip_int64_t read = zip_source_read(source, bytes.data(), bytes.size());
  zip_source_close(source);
  if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size) Fail("cannot build the package");
  return bytes;
}

}  // namespace

bool IsCompoundFile(std::string_view bytes) {
  return bytes.starts_with(kCompoundSignature);
}

bool IsEncryptedPackage(std::string_view bytes) {
  constexpr char16_t kStream[] = u"EncryptedPackage";
  std::string utf16;
  for (char16_t c : std::u16string_view(kStream)) {
    utf16 += static_cast<char>(c & 0xFF);
    utf16 += static_cast<char>(c >> 8);
  }
  return IsCompoundFile(bytes) && bytes.substr(0, 1 << 20).find(utf16) != std::string::npos;
}

std::string SizeText(std::uint64_t bytes) {
  if (bytes < (1u << 20)) return std::to_string(bytes) + " bytes";
  return std::to_string(bytes >> 20) + " MiB";
}

Package Package::Read(const std::string& path, const PackageLimits& limits) {
  return FromBytes(ReadRegularFile(path, limits.maxTotalBytes), limits);
}

Package Package::FromBytes(std::string_view bytes, const PackageLimits& limits) {
  Archive archive = OpenArchive(bytes);
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

std::string Package::Bytes() const {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  if (buffer == nullptr) FailZip("cannot build the package: ", &error);
  zip_error_fini(&error);
  // The buffer outlives the archive written into it.
  std::unique_ptr<zip_source_t, SourceFreer> kept(buffer);
  zip_source_keep(buffer);
  Archive archive(zip_open_from_source(buffer, ZIP_TRUNCATE, nullptr));
  if (!archive) {
    zip_source_free(buffer);
    Fail("cannot build the package");
  }
  for (const PackageEntry& entry : entries_) AddEntry(archive.get(), entry);
  // The entry buffers belong to this package, which outlives the close below.
  if (zip_close(archive.get()) != 0) {
    Fail(std::string("cannot build the package: ") + zip_strerror(archive.get()));
  }
  archive.release();
  return SourceBytes(buffer);
}

std::string Package::MainDocumentName() const {
  const PackageEntry* rels = Find("_rels/.rels");
  std::string target = rels ? RelationshipTarget(rels->data, kOfficeDocumentType) : "";
  return target.empty() ? "word/document.xml" : ResolveTarget("", target);
}

std::string Package::SettingsName() const {
  return MainRelatedName(kSettingsType);
}

std::string Package::MainRelatedName(std::string_view typeSuffix) const {
  const std::string main = MainDocumentName();
  const PackageEntry* rels = Find(RelsNameOf(main));
  std::string target = rels ? RelationshipTarget(rels->data, typeSuffix) : "";
  return target.empty() ? "" : ResolveTarget(main, target);
}

}  // namespace kv::word::docx
