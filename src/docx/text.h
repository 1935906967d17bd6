// The text of a paragraph as the word processor reports it, delivered piece by piece
// with the XML node each piece comes from (typing needs to find its place again).
#pragma once

#include <pugixml.hpp>

#include <string_view>

#include "docx/xml.h"

namespace kv::word::docx {

// Characters the word processor uses for what is not plain text.
inline constexpr char kLineBreak = '\v';
inline constexpr char kPageBreak = '\f';
inline constexpr char kColumnBreak = '\x0e';
inline constexpr std::string_view kNonBreakingHyphen = "\x1e";
inline constexpr std::string_view kOptionalHyphen = "\x1f";

class TextVisitor {
 public:
  virtual ~TextVisitor() = default;
  // `child` is the run's child that produced `text` (w:t, w:tab, w:sym, ...).
  virtual void Text(pugi::xml_node run, pugi::xml_node child, std::string_view text) = 0;
  // A manual break ends a line inside the paragraph; `kind` is one of the break characters.
  virtual void Break(pugi::xml_node run, pugi::xml_node child, char kind) = 0;
};

// Walks the visible text of paragraph `paragraph` in order: inserted text yes, deleted
// text no, field results but not field codes, wrappers (hyperlinks, content controls,
// smart tags, custom XML) opened; drawings and text boxes skipped.
void VisitParagraph(const WordNames& names, pugi::xml_node paragraph, TextVisitor& visitor);

// The branch of mc:AlternateContent the engine reads: the first Choice, else the Fallback.
pugi::xml_node ChosenBranch(const WordNames& names, pugi::xml_node alternateContent);

}  // namespace kv::word::docx
