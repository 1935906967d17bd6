#include "docx/document.h"

#include <algorithm>
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

// "&amp;", "&#38;", "&#x26;": the references a part without a document type may hold.
bool StartsReference(std::string_view text) {
  const std::size_t end = text.find(';');
  if (end == std::string_view::npos || end < 2) return false;
  const std::string_view name = text.substr(1, end - 1);
  const auto all = [](std::string_view digits, const char* allowed) {
    return !digits.empty() && digits.find_first_not_of(allowed) == std::string_view::npos;
  };
  if (name.starts_with("#x")) return all(name.substr(2), "0123456789abcdefABCDEF");
  if (name.starts_with('#')) return all(name.substr(1), "0123456789");
  return name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos";
}

// The offset of the first "&" outside comments, CDATA and processing instructions that
// starts no reference, npos for none. The parser would keep such an "&" as text; the word
// processor refuses the part. (A part in UTF-16 is not looked at.)
std::size_t BareAmpersand(std::string_view data) {
  constexpr std::pair<std::string_view, std::string_view> kSkipped[] = {
      {"<![CDATA[", "]]>"}, {"<!--", "-->"}, {"<?", "?>"}};
  if (data.size() > 1 &&
      (data[0] == '\0' || data[1] == '\0' || data[0] == '\xFF' || data[0] == '\xFE')) {
    return std::string_view::npos;
  }
  for (std::size_t i = data.find('&'); i != std::string_view::npos; i = data.find('&', i + 1)) {
    if (StartsReference(data.substr(i, 16))) continue;
    std::size_t end = i;  // the end of a comment, CDATA or instruction that holds it
    for (const auto& [open, close] : kSkipped) {
      const std::size_t opened = data.rfind(open, i);
      if (opened == std::string_view::npos) continue;
      const std::size_t closed = data.find(close, opened + open.size());
      if (closed == std::string_view::npos) return closed;
      if (closed > i) end = std::max(end, closed);
    }
    if (end == i) return i;
    i = end;
  }
  return std::string_view::npos;
}

// "line 2, column 17" of byte `offset`, as the word processor points at a fault.
std::string Position(std::string_view data, std::size_t offset) {
  const std::string_view before = data.substr(0, offset);
  const std::size_t lineStart = before.rfind('\n');
  const auto line = std::count(before.begin(), before.end(), '\n') + 1;
  const std::size_t column = offset - (lineStart == std::string_view::npos ? 0 : lineStart + 1) + 1;
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// A tree takes several times the bytes of its text, so parts beyond the cap are refused.
void Parse(pugi::xml_document& xml, const std::string& data, const std::string& part,
           std::size_t maxBytes) {
  if (data.size() > maxBytes) {
    throw WordError(part + " is larger than " + SizeText(maxBytes));
  }
  const pugi::xml_parse_result parsed = xml.load_buffer(data.data(), data.size(), kParseOptions);
  if (!parsed) {
    throw WordError("malformed XML in " + part + ": " + parsed.description() + " at " +
                    Position(data, static_cast<std::size_t>(parsed.offset)));
  }
  if (const std::size_t bare = BareAmpersand(data); bare != std::string_view::npos) {
    throw WordError("malformed XML in " + part + ": an \"&\" that starts no reference at " +
                    Position(data, bare));
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
  formatting_ = std::make_unique<Formatting>(*names_, ReadPart<StyleSheet>("/styles"),
                                             ReadPart<Numbering>("/numbering"));
  story_ = std::make_unique<Story>(*formatting_, body);
  settingsName_ = package_.SettingsName();
}

// The styles and the numbering are read into their own models; their trees are not kept.
template <typename Model>
Model Document::ReadPart(std::string_view relationship) const {
  const std::string name = package_.MainRelatedName(relationship);
  const PackageEntry* entry = name.empty() ? nullptr : package_.Find(name);
  if (entry == nullptr) return Model();
  pugi::xml_document xml;
  Parse(xml, entry->data, name, maxXmlBytes_);
  return Model(WordNames(xml.document_element()), xml.document_element());
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
