#include "docx/text.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace kv::word::docx {
namespace {

// Field state while walking a paragraph: text inside a field code is hidden until its
// separator, the result is shown. Fields nest.
class ParagraphWalker {
 public:
  ParagraphWalker(const WordNames& names, TextVisitor& visitor)
      : names_(names), visitor_(visitor) {}

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

  void Run(pugi::xml_node run) { RunContent(run, run); }

  void RunContent(pugi::xml_node run, pugi::xml_node parent) {
    const NestingGuard guard(depth_);
    for (pugi::xml_node child : parent.children()) {
      const std::string_view local = names_.Local(child);
      if (local == "fldChar") {
        FieldChar(child);
      } else if (names_.CompatLocal(child) == "AlternateContent") {
        RunContent(run, ChosenBranch(names_, child));
      } else if (!InFieldCode()) {
        RunChild(run, child, local);
      }
    }
  }

  void RunChild(pugi::xml_node run, pugi::xml_node child, std::string_view local) {
    if (local == "t") {
      visitor_.Text(run, child, child.text().get());
    } else if (local == "tab" || local == "ptab") {
      visitor_.Text(run, child, "\t");
    } else if (local == "noBreakHyphen") {
      visitor_.Text(run, child, kNonBreakingHyphen);
    } else if (local == "softHyphen") {
      visitor_.Text(run, child, kOptionalHyphen);
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
    // instrText, delText, drawings, pictures, objects, note references: no text.
  }

  void Symbol(pugi::xml_node run, pugi::xml_node child) {
    const char* hex = names_.Attribute(child, "char").value();
    char* end = nullptr;
    const unsigned long code = std::strtoul(hex, &end, 16);
    if (end == hex || code == 0 || code > 0x10FFFF) return;
    visitor_.Text(run, child, EncodeUtf8(std::u32string(1, static_cast<char32_t>(code))));
  }

  const WordNames& names_;
  TextVisitor& visitor_;
  std::vector<bool> fieldCodes_;  // one entry per open field: still in its code?
  int depth_ = 0;
};

}  // namespace

void VisitParagraph(const WordNames& names, pugi::xml_node paragraph, TextVisitor& visitor) {
  ParagraphWalker(names, visitor).Content(paragraph);
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
