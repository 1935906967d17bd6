// The text of a paragraph as the word processor reports it, delivered piece by piece
// with the XML node each piece comes from (typing needs to find its place again).
#pragma once

#include <pugixml.hpp>

#include <string_view>

#include "docx/styles.h"
#include "docx/xml.h"

namespace kv::word::docx {

// Characters the word processor uses for what is not plain text.
inline constexpr char kLineBreak = '\v';
inline constexpr char kPageBreak = '\f';
inline constexpr char kColumnBreak = '\x0e';
inline constexpr std::string_view kNonBreakingHyphen = "\x1e";

class TextVisitor {
 public:
  virtual ~TextVisitor() = default;
  // `child` is the run's child that produced `text` (w:t, w:tab, w:sym, ...).
  virtual void Text(pugi::xml_node run, pugi::xml_node child, std::string_view text) = 0;
  // A manual break ends a line inside the paragraph; `kind` is one of the break characters.
  virtual void Break(pugi::xml_node run, pugi::xml_node child, char kind) = 0;
};

// Walks the text of paragraph `paragraph` as a reader sees it, in order: its list label
// first (as a piece with no run), inserted text yes, deleted and hidden text no, field
// results but not field codes, text formatted in capitals in capitals, wrappers
// (hyperlinks, content controls, smart tags, custom XML) opened; drawings and text boxes
// skipped.
void VisitParagraph(const Formatting& formatting, pugi::xml_node paragraph, TextVisitor& visitor);

// The characters of `text` a reader sees: optional hyphens and zero-width characters
// dropped, letters in capitals when `capitals`; one character for each one shown.
std::string ShownText(std::string_view text, bool capitals);
// The bytes of `text` up to its `shown`-th shown character (as ShownText counts them).
std::size_t ShownPrefixBytes(std::string_view text, int shown);

// The branch of mc:AlternateContent the engine reads: the first Choice, else the Fallback.
pugi::xml_node ChosenBranch(const WordNames& names, pugi::xml_node alternateContent);

}  // namespace kv::word::docx
