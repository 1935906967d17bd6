// Edits of the document tree: cell shading, proofing, paragraph style, typing, and the
// view settings of the settings part.
#pragma once

#include <pugixml.hpp>

#include <string_view>

#include "docx/styles.h"
#include "docx/xml.h"

namespace kv::word::docx {

// Plain background `fill` (hex RGB) on cell `tc`, replacing any pattern and theme fill.
void ShadeCell(const WordNames& names, pugi::xml_node tc, std::string_view fill);
// Removes the pattern of the cell's shading; its background colour stays.
void ClearCellTexture(const WordNames& names, pugi::xml_node tc);

// True when the cell continues a vertical merge (it has no content of its own).
bool IsMergeContinuation(const WordNames& names, pugi::xml_node tc);

// Marks every run of the paragraph, and its paragraph mark, as not to be proofed.
void DisableProofing(const WordNames& names, pugi::xml_node paragraph);
// The paragraph takes the default paragraph style (Normal).
void ApplyNormalStyle(const WordNames& names, pugi::xml_node paragraph);

// Where new content goes: before `before` inside `parent` (at its end when empty).
struct InsertionPlace {
  pugi::xml_node parent;
  pugi::xml_node before;
};

// The place of character `offset` of the paragraph as it reads (a place inside its list
// label is the start of its text); splits the run that holds it.
InsertionPlace PlaceAt(const Formatting& formatting, pugi::xml_node paragraph, int offset);
// Inserts a run with `text` (tabs become w:tab); returns it.
pugi::xml_node InsertRun(const WordNames& names, const InsertionPlace& place, std::string_view text,
                         bool noProofing);
// Splits the paragraph at character `offset`: a new paragraph before it takes the text
// before the offset and a copy of its paragraph properties. Returns the new paragraph.
pugi::xml_node SplitParagraph(const Formatting& formatting, pugi::xml_node paragraph, int offset);
// A new empty paragraph before `block` (a table at the top of the story).
pugi::xml_node InsertParagraphBefore(const WordNames& names, pugi::xml_node block);

// View type ("normal", "print", ...) and zoom percentage in the settings part.
void SetViewSetting(const WordNames& names, pugi::xml_node settings, std::string_view view);
void SetZoomSetting(const WordNames& names, pugi::xml_node settings, int percent);

}  // namespace kv::word::docx
