// A .docx package in memory: every entry as read (checked against caps and CRCs),
// written back unchanged except the parts the engine replaced.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv::word::docx {

struct PackageLimits {
  std::size_t maxEntries = 4096;
  std::uint64_t maxTotalBytes = 256ull << 20;  // unpacked, counted while reading
  std::size_t maxXmlBytes = 32u << 20;         // a part parsed into a tree
};

// An OLE compound file (a Word 97-2003 document, or an encrypted package).
bool IsCompoundFile(std::string_view bytes);
// An OLE compound file that holds an encrypted (password-protected) package.
bool IsEncryptedPackage(std::string_view bytes);

// "16 MiB", or "100 bytes" below a mebibyte: sizes in the reasons of a refusal.
std::string SizeText(std::uint64_t bytes);

struct PackageEntry {
  std::string name;
  std::string data;  // unpacked bytes
  std::int32_t compression = 0;
  std::int64_t mtime = 0;
};

class Package {
 public:
  // Reads the whole package (a regular file only); throws WordError with a one-line reason.
  static Package Read(const std::string& path, const PackageLimits& limits = {});
  static Package FromBytes(std::string_view bytes, const PackageLimits& limits = {});

  // nullptr when the package has no such entry.
  const PackageEntry* Find(const std::string& name) const;
  void Replace(const std::string& name, std::string data);
  // All entries in their original order, as a zip file in memory; throws WordError.
  std::string Bytes() const;

  // Part names resolved through the relationships ("word/document.xml" as a rule).
  std::string MainDocumentName() const;
  std::string SettingsName() const;  // "" when the document has no settings part
  // The part the main document relates to with a relationship type ending in
  // `typeSuffix` ("/styles", "/numbering"); "" when it has none.
  std::string MainRelatedName(std::string_view typeSuffix) const;

 private:
  std::vector<PackageEntry> entries_;
};

}  // namespace kv::word::docx
