#include "docx/editing.h"

#include <string>

#include "docx/text.h"

namespace kv::word::docx {
namespace {

constexpr std::string_view kCellPropertyOrder[] = {
    "cnfStyle", "tcW",     "gridSpan", "hMerge",        "vMerge",    "tcBorders",
    "shd",      "noWrap",  "tcMar",    "textDirection", "tcFitText", "vAlign",
    "hideMark", "headers", "cellIns",  "cellDel",       "cellMerge", "tcPrChange"};

constexpr std::string_view kRunPropertyOrder[] = {"rStyle",
                                                  "rFonts",
                                                  "b",
                                                  "bCs",
                                                  "i",
                                                  "iCs",
                                                  "caps",
                                                  "smallCaps",
                                                  "strike",
                                                  "dstrike",
                                                  "outline",
                                                  "shadow",
                                                  "emboss",
                                                  "imprint",
                                                  "noProof",
                                                  "snapToGrid",
                                                  "vanish",
                                                  "webHidden",
                                                  "color",
                                                  "spacing",
                                                  "w",
                                                  "kern",
                                                  "position",
                                                  "sz",
                                                  "szCs",
                                                  "highlight",
                                                  "u",
                                                  "effect",
                                                  "bdr",
                                                  "shd",
                                                  "fitText",
                                                  "vertAlign",
                                                  "rtl",
                                                  "cs",
                                                  "em",
                                                  "lang",
                                                  "eastAsianLayout",
                                                  "specVanish",
                                                  "oMath",
                                                  "ins",
                                                  "del",
                                                  "rPrChange"};

constexpr std::string_view kSettingsOrder[] = {"writeProtection", "view", "zoom"};

void SetAttribute(const WordNames& names, pugi::xml_node node, std::string_view local,
                  const char* value) {
  const std::string name = names.Qualified(local);
  pugi::xml_attribute attribute = node.attribute(name.c_str());
  if (!attribute) attribute = node.append_attribute(name.c_str());
  attribute.set_value(value);
}

void PreserveSpace(pugi::xml_node t) {
  pugi::xml_attribute space = t.attribute("xml:space");
  if (!space) space = t.append_attribute("xml:space");
  space.set_value("preserve");
}

pugi::xml_node CellShading(const WordNames& names, pugi::xml_node tc) {
  pugi::xml_node properties = FirstChildProperties(names, tc, "tcPr");
  return ChildInOrder(names, properties, "shd", kCellPropertyOrder);
}

void SetNoProof(const WordNames& names, pugi::xml_node runProperties) {
  ChildInOrder(names, runProperties, "noProof", kRunPropertyOrder);
}

// Records where the character at `target` is; the split happens after the walk.
class PlaceFinder : public TextVisitor {
 public:
  explicit PlaceFinder(int target) : target_(target) {}
  void Text(pugi::xml_node textRun, pugi::xml_node textChild, std::string_view text) override {
    Piece(textRun, textChild, CountCodePoints(text));
  }
  void Break(pugi::xml_node breakRun, pugi::xml_node breakChild, char) override {
    Piece(breakRun, breakChild, 1);
  }

  pugi::xml_node run, child, lastRun;
  int local = 0;

 private:
  void Piece(pugi::xml_node pieceRun, pugi::xml_node pieceChild, int length) {
    if (run) return;
    if (!pieceRun && target_ < count_ + length) target_ = count_ + length;  // the label
    if (target_ < count_ + length) {
      run = pieceRun;
      child = pieceChild;
      local = target_ - count_;
    }
    count_ += length;
    lastRun = pieceRun;
  }
  int target_;
  int count_ = 0;
};

// Splits `run` before code point `local` of its child `child`.
InsertionPlace SplitRun(const WordNames& names, pugi::xml_node run, pugi::xml_node child,
                        int local) {
  if (local > 0 && names.Local(child) == "t") {
    const std::string text = child.text().get();
    const std::size_t head = ShownPrefixBytes(text, local);
    pugi::xml_node tail = run.insert_copy_after(child, child);
    tail.text().set(text.substr(head).c_str());
    child.text().set(text.substr(0, head).c_str());
    for (pugi::xml_node part : {child, tail}) PreserveSpace(part);
    child = tail;
  }
  pugi::xml_node first = run.first_child();
  while (first && names.Local(first) == "rPr") first = first.next_sibling();
  if (first == child) return {run.parent(), run};
  pugi::xml_node second = run.parent().insert_child_after(run.name(), run);
  if (pugi::xml_node properties = names.Child(run, "rPr")) second.append_copy(properties);
  while (child) {
    pugi::xml_node next = child.next_sibling();
    second.append_move(child);
    child = next;
  }
  return {run.parent(), second};
}

// The paragraph mark's run properties come after every other paragraph property.
pugi::xml_node ParagraphMarkProperties(const WordNames& names, pugi::xml_node paragraph) {
  pugi::xml_node properties = FirstChildProperties(names, paragraph, "pPr");
  if (pugi::xml_node existing = names.Child(properties, "rPr")) return existing;
  pugi::xml_node before = names.Child(properties, "sectPr");
  if (!before) before = names.Child(properties, "pPrChange");
  const std::string name = names.Qualified("rPr");
  return before ? properties.insert_child_before(name.c_str(), before)
                : properties.append_child(name.c_str());
}

void AppendText(const WordNames& names, pugi::xml_node run, std::string_view text) {
  const std::string valid = EncodeUtf8(DecodeUtf8(text));  // no invalid bytes in the XML
  std::string pending;
  const auto flush = [&] {
    if (pending.empty()) return;
    pugi::xml_node t = run.append_child(names.Qualified("t").c_str());
    PreserveSpace(t);
    t.text().set(pending.c_str());
    pending.clear();
  };
  for (char c : valid) {
    if (c == '\t') {
      flush();
      run.append_child(names.Qualified("tab").c_str());
    } else if (static_cast<unsigned char>(c) >= 0x20) {
      pending += c;  // other control characters cannot be written in XML
    }
  }
  flush();
}

}  // namespace

void ShadeCell(const WordNames& names, pugi::xml_node tc, std::string_view fill) {
  pugi::xml_node shading = CellShading(names, tc);
  for (std::string_view theme :
       {"themeFill", "themeFillTint", "themeFillShade", "themeColor", "themeTint", "themeShade"}) {
    shading.remove_attribute(names.Qualified(theme).c_str());
  }
  SetAttribute(names, shading, "val", "clear");
  SetAttribute(names, shading, "color", "auto");
  SetAttribute(names, shading, "fill", std::string(fill).c_str());
}

void ClearCellTexture(const WordNames& names, pugi::xml_node tc) {
  pugi::xml_node properties = names.Child(tc, "tcPr");
  pugi::xml_node shading = names.Child(properties, "shd");
  if (!shading) return;
  SetAttribute(names, shading, "val", "clear");
  SetAttribute(names, shading, "color", "auto");
}

bool IsMergeContinuation(const WordNames& names, pugi::xml_node tc) {
  pugi::xml_node merge = names.Child(names.Child(tc, "tcPr"), "vMerge");
  if (!merge) return false;
  const std::string_view value = names.Attribute(merge, "val").value();
  return value.empty() || value == "continue";
}

void DisableProofing(const WordNames& names, pugi::xml_node paragraph) {
  pugi::xml_node node = paragraph.first_child();
  while (node && node != paragraph) {
    if (names.Local(node) == "r") {
      SetNoProof(names, FirstChildProperties(names, node, "rPr"));
    }
    // Depth-first walk of the paragraph without recursion.
    if (node.first_child()) {
      node = node.first_child();
      continue;
    }
    while (node != paragraph && !node.next_sibling()) node = node.parent();
    if (node != paragraph) node = node.next_sibling();
  }
  SetNoProof(names, ParagraphMarkProperties(names, paragraph));
}

void ApplyNormalStyle(const WordNames& names, pugi::xml_node paragraph) {
  pugi::xml_node properties = names.Child(paragraph, "pPr");
  if (pugi::xml_node style = names.Child(properties, "pStyle")) properties.remove_child(style);
}

InsertionPlace PlaceAt(const Formatting& formatting, pugi::xml_node paragraph, int offset) {
  const WordNames& names = formatting.names();
  PlaceFinder finder(offset);
  VisitParagraph(formatting, paragraph, finder);
  if (finder.run) return SplitRun(names, finder.run, finder.child, finder.local);
  if (finder.lastRun) return {finder.lastRun.parent(), finder.lastRun.next_sibling()};
  return {paragraph, pugi::xml_node()};
}

pugi::xml_node InsertRun(const WordNames& names, const InsertionPlace& place, std::string_view text,
                         bool noProofing) {
  const std::string name = names.Qualified("r");
  pugi::xml_node parent = place.parent;
  pugi::xml_node run = place.before ? parent.insert_child_before(name.c_str(), place.before)
                                    : parent.append_child(name.c_str());
  if (noProofing) SetNoProof(names, run.append_child(names.Qualified("rPr").c_str()));
  AppendText(names, run, text);
  return run;
}

pugi::xml_node SplitParagraph(const Formatting& formatting, pugi::xml_node paragraph, int offset) {
  const WordNames& names = formatting.names();
  const InsertionPlace place = PlaceAt(formatting, paragraph, offset);
  // The split point among the paragraph's own children; a wrapper that holds it stays whole.
  pugi::xml_node split = place.before;
  if (place.parent != paragraph) {
    pugi::xml_node wrapper = place.parent;
    while (wrapper.parent() != paragraph) wrapper = wrapper.parent();
    split = place.before ? wrapper : wrapper.next_sibling();
  }
  pugi::xml_node head = InsertParagraphBefore(names, paragraph);
  if (pugi::xml_node properties = names.Child(paragraph, "pPr")) {
    pugi::xml_node copy = head.append_copy(properties);
    // The section break stays with the original paragraph mark.
    for (std::string_view local : {"sectPr", "pPrChange"}) {
      if (pugi::xml_node child = names.Child(copy, local)) copy.remove_child(child);
    }
  }
  pugi::xml_node child = paragraph.first_child();
  while (child && child != split) {
    pugi::xml_node next = child.next_sibling();
    if (names.Local(child) != "pPr") head.append_move(child);
    child = next;
  }
  return head;
}

pugi::xml_node InsertParagraphBefore(const WordNames& names, pugi::xml_node block) {
  return block.parent().insert_child_before(names.Qualified("p").c_str(), block);
}

void SetViewSetting(const WordNames& names, pugi::xml_node settings, std::string_view view) {
  pugi::xml_node node = ChildInOrder(names, settings, "view", kSettingsOrder);
  SetAttribute(names, node, "val", std::string(view).c_str());
}

void SetZoomSetting(const WordNames& names, pugi::xml_node settings, int percent) {
  pugi::xml_node node = ChildInOrder(names, settings, "zoom", kSettingsOrder);
  node.remove_attribute(names.Qualified("val").c_str());
  SetAttribute(names, node, "percent", std::to_string(percent).c_str());
}

}  // namespace kv::word::docx
