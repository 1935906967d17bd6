#include "docx/text.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace kv::word::docx {
namespace {

// The optional hyphen and the zero-width characters: nothing a reader sees mid-line.
bool IsUnseen(char32_t c) {
  return c == 0x00AD || c == 0x200B || c == 0x2060 || c == 0xFEFF;
}

// Whether `text` holds one of them, by their UTF-8 bytes (a quick look for most text).
bool HasUnseen(std::string_view text) {
  for (std::size_t at = text.find_first_of("\xC2\xE2\xEF"); at != std::string_view::npos;
       at = text.find_first_of("\xC2\xE2\xEF", at + 1)) {
    const std::string_view rest = text.substr(at);
    if (rest.starts_with("\xC2\xAD") || rest.starts_with("\xE2\x80\x8B") ||
        rest.starts_with("\xE2\x81\xA0") || rest.starts_with("\xEF\xBB\xBF")) {
      return true;
    }
  }
  return false;
}

// Field state while walking a paragraph: text inside a field code is hidden until its
// separator, the result is shown. Fields nest.
class ParagraphWalker {
 public:
  ParagraphWalker(const Formatting& formatting, TextVisitor& visitor)
      : formatting_(formatting), names_(formatting.names()), visitor_(visitor) {}

  void Paragraph(pugi::xml_node paragraph) {
    style_ = &formatting_.ParagraphStyle(paragraph);
    const std::string_view label = formatting_.Label(paragraph);
    if (!label.empty()) {
      const Formatting::Look mark = formatting_.MarkLook(paragraph, *style_);
      if (!mark.hidden) visitor_.Text({}, {}, ShownText(label, mark.capitals));
    }
    Content(paragraph);
  }

  void Content(pugi::xml_node parent) {
    const NestingGuard guard(depth_);
    for (pugi::xml_node child : parent.children()) {
      const std::string_view local = names_.Local(child);
      if (local == "r") {
        Run(child);
      } else if (local == "hyperlink" || local == "smartTag" || local == "customXml" ||
                 local == "ins" || local == "moveTo" || local == "fldSimple" || local == "bdo" ||
                 local == "dir" || local == "sdtContent") {
        Content(child);
      } else if (local == "sdt") {
        Content(names_.Child(child, "sdtContent"));
      } else if (names_.CompatLocal(child) == "AlternateContent") {
        Content(ChosenBranch(names_, child));
      }
      // pPr, del, moveFrom, bookmarks, comments, proofing marks, math: no text.
    }
  }

 private:
  bool InFieldCode() const {
    for (bool code : fieldCodes_) {
      if (code) return true;
    }
    return false;
  }

  void FieldChar(pugi::xml_node child) {
    const std::string_view type = names_.Attribute(child, "fldCharType").value();
    if (type == "begin") {
      fieldCodes_.push_back(true);
    } else if (type == "separate" && !fieldCodes_.empty()) {
      fieldCodes_.back() = false;
    } else if (type == "end" && !fieldCodes_.empty()) {
      fieldCodes_.pop_back();
    }
  }

  void Run(pugi::xml_node run) { RunContent(run, run, formatting_.RunLook(run, *style_)); }

  // Hidden text still opens and closes fields: only what it shows is left out.
  void RunContent(pugi::xml_node run, pugi::xml_node parent, const Formatting::Look& look) {
    const NestingGuard guard(depth_);
    for (pugi::xml_node child : parent.children()) {
      const std::string_view local = names_.Local(child);
      if (local == "fldChar") {
        FieldChar(child);
      } else if (names_.CompatLocal(child) == "AlternateContent") {
        RunContent(run, ChosenBranch(names_, child), look);
      } else if (!InFieldCode() && !look.hidden) {
        RunChild(run, child, local, look.capitals);
      }
    }
  }

  void RunChild(pugi::xml_node run, pugi::xml_node child, std::string_view local, bool capitals) {
    if (local == "t") {
      const std::string_view text = child.text().get();
      if (capitals || HasUnseen(text)) {
        visitor_.Text(run, child, ShownText(text, capitals));
      } else {
        visitor_.Text(run, child, text);
      }
    } else if (local == "tab" || local == "ptab") {
      visitor_.Text(run, child, "\t");
    } else if (local == "noBreakHyphen") {
      visitor_.Text(run, child, kNonBreakingHyphen);
    } else if (local == "sym") {
      Symbol(run, child);
    } else if (local == "br") {
      const std::string_view type = names_.Attribute(child, "type").value();
      visitor_.Break(run, child,
                     type == "page"     ? kPageBreak
                     : type == "column" ? kColumnBreak
                                        : kLineBreak);
    } else if (local == "cr") {
      visitor_.Break(run, child, kLineBreak);
    }
    // instrText, delText, optional hyphens, drawings, pictures, objects, note references:
    // no text.
  }

  void Symbol(pugi::xml_node run, pugi::xml_node child) {
    const char* hex = names_.Attribute(child, "char").value();
    char* end = nullptr;
    const unsigned long code = std::strtoul(hex, &end, 16);
    if (end == hex || code == 0 || code > 0x10FFFF) return;
    visitor_.Text(run, child, EncodeUtf8(std::u32string(1, static_cast<char32_t>(code))));
  }

  const Formatting& formatting_;
  const WordNames& names_;
  TextVisitor& visitor_;
  const StyleSheet::Style* style_ = nullptr;
  std::vector<bool> fieldCodes_;  // one entry per open field: still in its code?
  int depth_ = 0;
};

}  // namespace

void VisitParagraph(const Formatting& formatting, pugi::xml_node paragraph, TextVisitor& visitor) {
  ParagraphWalker(formatting, visitor).Paragraph(paragraph);
}

std::string ShownText(std::string_view text, bool capitals) {
  if (!capitals && !HasUnseen(text)) return std::string(text);
  std::u32string shown;
  for (char32_t c : DecodeUtf8(text)) {
    if (!IsUnseen(c)) shown += capitals ? static_cast<char32_t>(u_toupper(c)) : c;
  }
  return EncodeUtf8(shown);
}

std::size_t ShownPrefixBytes(std::string_view text, int shown) {
  std::size_t bytes = 0;
  for (int seen = 0; bytes < text.size();) {
    const std::string_view next = SubstringByCodePoints(text.substr(bytes), 0, 1);
    const bool unseen = IsUnseen(DecodeUtf8(next).front());
    if (!unseen && seen == shown) break;
    seen += unseen ? 0 : 1;
    bytes += next.size();
  }
  return bytes;
}

pugi::xml_node ChosenBranch(const WordNames& names, pugi::xml_node alternateContent) {
  pugi::xml_node fallback;
  for (pugi::xml_node branch : alternateContent.children()) {
    const std::string_view local = names.CompatLocal(branch);
    if (local == "Choice") return branch;
    if (local == "Fallback") fallback = branch;
  }
  return fallback;
}

}  // namespace kv::word::docx
