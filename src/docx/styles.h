// The formatting that changes what a reader sees of the text: hidden text, capitals and
// the list numbering of paragraphs, directly or through character and paragraph styles.
// The styles are resolved once per document (basedOn chains, document defaults).
#pragma once

#include <pugixml.hpp>

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "docx/numbering.h"
#include "docx/xml.h"

namespace kv::word::docx {

// Toggle properties as one level of formatting sets them; unset where it says nothing.
struct Toggles {
  std::optional<bool> hidden, caps, smallCaps;
  void Inherit(const Toggles& from);
};

// The list a paragraph belongs to, as its properties or its style say.
struct ListReference {
  std::optional<int> numId, level;
  void Inherit(const ListReference& from);
};

class StyleSheet {
 public:
  struct Style {
    Toggles run;         // for a paragraph style, with the document defaults below it
    ListReference list;  // paragraph styles only
  };

  StyleSheet() = default;  // a document without styles
  StyleSheet(const WordNames& names, pugi::xml_node styles);

  // The paragraph style `id`, the default paragraph style for "" or an unknown id.
  const Style& Paragraph(std::string_view id) const;
  // The character style `id`, nullptr for an unknown one.
  const Style* Character(std::string_view id) const;

 private:
  std::map<std::string, Style, std::less<>> paragraph_, character_;
  Style default_;
};

Toggles ReadToggles(const WordNames& names, pugi::xml_node runProperties);

// What the text walk asks of the formatting, for the main document of one package.
class Formatting {
 public:
  Formatting(const WordNames& names, StyleSheet styles, Numbering numbering);

  const WordNames& names() const { return names_; }

  struct Look {
    bool hidden = false;
    bool capitals = false;
  };
  // The paragraph's style, and the look of its paragraph mark.
  const StyleSheet::Style& ParagraphStyle(pugi::xml_node paragraph) const;
  Look MarkLook(pugi::xml_node paragraph, const StyleSheet::Style& style) const;
  Look RunLook(pugi::xml_node run, const StyleSheet::Style& paragraphStyle) const;

  // Counts paragraph `paragraph` in its list, if it has one; paragraphs are numbered
  // once, in reading order, as the story is built.
  void Number(pugi::xml_node paragraph);
  // The label numbering gave the paragraph, with its separator; "" for none.
  std::string_view Label(pugi::xml_node paragraph) const;

 private:
  const WordNames& names_;
  StyleSheet styles_;
  Numbering numbering_;
  std::unordered_map<const void*, std::string> labels_;
};

}  // namespace kv::word::docx
