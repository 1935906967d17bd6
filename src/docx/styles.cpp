#include "docx/styles.h"

#include <charconv>
#include <utility>

namespace kv::word::docx {
namespace {

// A toggle element says "on" unless its value is one of the spellings of "off".
bool IsOn(const WordNames& names, pugi::xml_node toggle) {
  const std::string_view value = names.Attribute(toggle, "val").value();
  return value != "0" && value != "false" && value != "off";
}

std::optional<int> NumberAttribute(const WordNames& names, pugi::xml_node node) {
  const std::string_view text = names.Attribute(node, "val").value();
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (!node || error != std::errc() || end != text.data() + text.size()) return {};
  return value;
}

ListReference ReadList(const WordNames& names, pugi::xml_node paragraphProperties) {
  const pugi::xml_node numPr = names.Child(paragraphProperties, "numPr");
  return {NumberAttribute(names, names.Child(numPr, "numId")),
          NumberAttribute(names, names.Child(numPr, "ilvl"))};
}

std::string_view StyleId(const WordNames& names, pugi::xml_node properties,
                         std::string_view local) {
  return names.Attribute(names.Child(properties, local), "val").value();
}

template <typename T>
void InheritOne(std::optional<T>& own, const std::optional<T>& from) {
  if (!own) own = from;
}

// A style as the styles part writes it, before its basedOn chain is followed.
struct RawStyle {
  std::string type, basedOn;
  bool isDefault = false;
  StyleSheet::Style own;
};

}  // namespace

void Toggles::Inherit(const Toggles& from) {
  InheritOne(hidden, from.hidden);
  InheritOne(caps, from.caps);
  InheritOne(smallCaps, from.smallCaps);
}

void ListReference::Inherit(const ListReference& from) {
  InheritOne(numId, from.numId);
  InheritOne(level, from.level);
}

Toggles ReadToggles(const WordNames& names, pugi::xml_node runProperties) {
  Toggles toggles;
  for (pugi::xml_node child : runProperties.children()) {
    const std::string_view local = names.Local(child);
    if (local == "vanish") {
      toggles.hidden = IsOn(names, child);
    } else if (local == "caps") {
      toggles.caps = IsOn(names, child);
    } else if (local == "smallCaps") {
      toggles.smallCaps = IsOn(names, child);
    }
  }
  return toggles;
}

StyleSheet::StyleSheet(const WordNames& names, pugi::xml_node styles) {
  std::map<std::string, RawStyle, std::less<>> raw;
  Toggles defaults;
  for (pugi::xml_node child : styles.children()) {
    const std::string_view local = names.Local(child);
    if (local == "docDefaults") {
      defaults = ReadToggles(names, names.Child(names.Child(child, "rPrDefault"), "rPr"));
    } else if (local == "style") {
      const std::string_view isDefault = names.Attribute(child, "default").value();
      RawStyle style{names.Attribute(child, "type").value(),
                     std::string(StyleId(names, child, "basedOn")),
                     isDefault == "1" || isDefault == "true" || isDefault == "on",
                     {ReadToggles(names, names.Child(child, "rPr")),
                      ReadList(names, names.Child(child, "pPr"))}};
      raw.emplace(names.Attribute(child, "styleId").value(), std::move(style));
    }
  }
  default_.run = defaults;
  for (const auto& [id, style] : raw) {
    Style resolved = style.own;
    // A chain is followed only so far: a loop of basedOn ends there.
    const RawStyle* base = &style;
    for (int step = 0; step < 64 && !base->basedOn.empty(); ++step) {
      const auto next = raw.find(base->basedOn);
      if (next == raw.end() || next->second.type != style.type) break;
      base = &next->second;
      resolved.run.Inherit(base->own.run);
      resolved.list.Inherit(base->own.list);
    }
    if (style.type == "paragraph") {
      resolved.run.Inherit(defaults);
      if (style.isDefault) default_ = resolved;
      paragraph_.emplace(id, std::move(resolved));
    } else if (style.type == "character") {
      character_.emplace(id, std::move(resolved));
    }
  }
}

const StyleSheet::Style& StyleSheet::Paragraph(std::string_view id) const {
  const auto found = id.empty() ? paragraph_.end() : paragraph_.find(id);
  return found == paragraph_.end() ? default_ : found->second;
}

const StyleSheet::Style* StyleSheet::Character(std::string_view id) const {
  const auto found = character_.find(id);
  return found == character_.end() ? nullptr : &found->second;
}

Formatting::Formatting(const WordNames& names, StyleSheet styles, Numbering numbering)
    : names_(names), styles_(std::move(styles)), numbering_(std::move(numbering)) {}

namespace {

Formatting::Look LookOf(const Toggles& toggles) {
  return {toggles.hidden.value_or(false),
          toggles.caps.value_or(false) || toggles.smallCaps.value_or(false)};
}

}  // namespace

const StyleSheet::Style& Formatting::ParagraphStyle(pugi::xml_node paragraph) const {
  return styles_.Paragraph(StyleId(names_, names_.Child(paragraph, "pPr"), "pStyle"));
}

Formatting::Look Formatting::MarkLook(pugi::xml_node paragraph,
                                      const StyleSheet::Style& style) const {
  Toggles toggles = ReadToggles(names_, names_.Child(names_.Child(paragraph, "pPr"), "rPr"));
  toggles.Inherit(style.run);
  return LookOf(toggles);
}

Formatting::Look Formatting::RunLook(pugi::xml_node run,
                                     const StyleSheet::Style& paragraphStyle) const {
  const pugi::xml_node properties = names_.Child(run, "rPr");
  Toggles toggles = ReadToggles(names_, properties);
  const std::string_view characterStyle = StyleId(names_, properties, "rStyle");
  if (!characterStyle.empty()) {
    if (const StyleSheet::Style* style = styles_.Character(characterStyle)) {
      toggles.Inherit(style->run);
    }
  }
  toggles.Inherit(paragraphStyle.run);
  return LookOf(toggles);
}

void Formatting::Number(pugi::xml_node paragraph) {
  if (numbering_.empty()) return;
  const pugi::xml_node properties = names_.Child(paragraph, "pPr");
  ListReference list = ReadList(names_, properties);
  const std::string_view style = StyleId(names_, properties, "pStyle");
  list.Inherit(styles_.Paragraph(style).list);
  if (!list.numId || *list.numId == 0) return;
  std::string label = numbering_.Next(*list.numId, list.level, style);
  if (!label.empty()) labels_[paragraph.internal_object()] = std::move(label);
}

std::string_view Formatting::Label(pugi::xml_node paragraph) const {
  if (labels_.empty()) return {};
  const auto found = labels_.find(paragraph.internal_object());
  return found == labels_.end() ? std::string_view{} : std::string_view(found->second);
}

}  // namespace kv::word::docx
