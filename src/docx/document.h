// An open .docx document: its package, the parsed main document and settings, and the
// story model over them. Saving writes the edited parts and every other part unchanged.
#pragma once

#include <pugixml.hpp>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "docx/model.h"
#include "docx/package.h"
#include "docx/xml.h"

namespace kv::word::docx {

class Document {
 public:
  // Throws WordError with a one-line reason.
  explicit Document(const std::string& path, const PackageLimits& limits = {});
  explicit Document(Package package, const PackageLimits& limits = {});
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  const WordNames& names() const { return *names_; }
  const Formatting& formatting() const { return *formatting_; }
  Story& story() { return *story_; }
  const Story& story() const { return *story_; }

  // The settings part, parsed on first use; empty when the document has none.
  pugi::xml_node Settings();
  const WordNames& settingsNames() const { return *settingsNames_; }
  // The package with the edited parts, as a zip file in memory.
  std::string Bytes();
  void Write(const std::string& path);

 private:
  template <typename Model>
  Model ReadPart(std::string_view relationship) const;

  Package package_;
  std::string mainName_;
  pugi::xml_document main_;
  std::unique_ptr<WordNames> names_;
  std::unique_ptr<Formatting> formatting_;
  std::unique_ptr<Story> story_;
  std::string settingsName_;
  std::optional<pugi::xml_document> settings_;
  std::unique_ptr<WordNames> settingsNames_;
  std::size_t maxXmlBytes_;
};

// Parse options that keep whitespace-only text, which is content inside w:t.
inline constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_declaration;

}  // namespace kv::word::docx
