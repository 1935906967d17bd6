#include "docx/document.h"

#include <sstream>
#include <utility>
#include <vector>

#include "docx/safe_file.h"
#include "word/word_application.h"

namespace kv::word::docx {
namespace {

bool IsText(pugi::xml_node node) {
  return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

// Text in adjacent pieces: split by a comment or a processing instruction, which are not
// kept, or CDATA beside text.
bool HasSplitText(pugi::xml_node node) {
  for (pugi::xml_node child : node.children()) {
    if (IsText(child) && IsText(child.next_sibling())) return true;
  }
  return false;
}

// Such text reads as one piece, as the word processor shows it (the tree is walked
// without recursion: a document may nest deeply).
void JoinSplitTexts(pugi::xml_document& xml) {
  struct Finder : pugi::xml_tree_walker {
    std::vector<pugi::xml_node> found;
    bool for_each(pugi::xml_node& node) override {
      if (node.type() == pugi::node_element && HasSplitText(node)) found.push_back(node);
      return true;
    }
  } finder;
  xml.traverse(finder);
  for (pugi::xml_node node : finder.found) {
    for (pugi::xml_node piece = node.first_child(); piece; piece = piece.next_sibling()) {
      if (!IsText(piece) || !IsText(piece.next_sibling())) continue;
      std::string text;
      while (IsText(piece.next_sibling())) {
        text += piece.value();
        piece = piece.next_sibling();
        node.remove_child(piece.previous_sibling());
      }
      text += piece.value();
      pugi::xml_node joined = node.insert_child_before(pugi::node_pcdata, piece);
      joined.set_value(text.c_str());
      node.remove_child(piece);
      piece = joined;
    }
  }
}

// A tree takes several times the bytes of its text, so parts beyond the cap are refused.
void Parse(pugi::xml_document& xml, const std::string& data, const std::string& part,
           std::size_t maxBytes) {
  if (data.size() > maxBytes) {
    throw WordError(part + " is larger than " + SizeText(maxBytes));
  }
  const pugi::xml_parse_result parsed = xml.load_buffer(data.data(), data.size(), kParseOptions);
  if (!parsed) {
    throw WordError("malformed XML in " + part + ": " + parsed.description() + " at byte " +
                    std::to_string(parsed.offset));
  }
  JoinSplitTexts(xml);
}

std::string Serialise(pugi::xml_document& xml) {
  // pugixml writes UTF-8 whatever the source encoding was; the declaration must agree.
  for (pugi::xml_node node : xml.children()) {
    if (node.type() == pugi::node_declaration && node.attribute("encoding")) {
      node.attribute("encoding").set_value("UTF-8");
    }
  }
  std::ostringstream out;
  xml.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  return std::move(out).str();
}

}  // namespace

Document::Document(const std::string& path, const PackageLimits& limits)
    : Document(Package::Read(path, limits), limits) {}

Document::Document(Package package, const PackageLimits& limits)
    : package_(std::move(package)),
      mainName_(package_.MainDocumentName()),
      maxXmlBytes_(limits.maxXmlBytes) {
  const PackageEntry* main = package_.Find(mainName_);
  if (main == nullptr) throw WordError("the package has no main document (" + mainName_ + ")");
  Parse(main_, main->data, mainName_, maxXmlBytes_);
  names_ = std::make_unique<WordNames>(main_.document_element());
  pugi::xml_node body = names_->Child(main_.document_element(), "body");
  if (names_->Local(main_.document_element()) != "document" || !body) {
    throw WordError("the main document has no body");
  }
  story_ = std::make_unique<Story>(*names_, body);
  settingsName_ = package_.SettingsName();
}

pugi::xml_node Document::Settings() {
  if (!settings_) {
    const PackageEntry* entry = settingsName_.empty() ? nullptr : package_.Find(settingsName_);
    if (entry == nullptr) return {};
    settings_.emplace();
    Parse(*settings_, entry->data, settingsName_, maxXmlBytes_);
    settingsNames_ = std::make_unique<WordNames>(settings_->document_element());
  }
  return settings_->document_element();
}

std::string Document::Bytes() {
  package_.Replace(mainName_, Serialise(main_));
  if (settings_) package_.Replace(settingsName_, Serialise(*settings_));
  return package_.Bytes();
}

void Document::Write(const std::string& path) {
  ReplaceFile(path, Bytes());
}

}  // namespace kv::word::docx
