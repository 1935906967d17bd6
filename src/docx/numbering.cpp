#include "docx/numbering.h"

#include <algorithm>
#include <charconv>

namespace kv::word::docx {
namespace {

std::optional<int> IntegerOf(pugi::xml_attribute attribute) {
  const std::string_view text = attribute.value();
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return {};
  return value;
}

std::optional<int> ValueOf(const WordNames& names, pugi::xml_node node, std::string_view child) {
  return IntegerOf(names.Attribute(names.Child(node, child), "val"));
}

bool IsLevel(int level) {
  return level >= 0 && level < Numbering::kLevels;
}

}  // namespace

std::string RomanNumber(int value, bool upper) {
  static constexpr std::pair<int, std::string_view> kDigits[] = {
      {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
      {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
  std::string roman;
  for (const auto& [amount, digits] : kDigits) {
    for (; value >= amount; value -= amount) roman += digits;
  }
  if (upper) std::transform(roman.begin(), roman.end(), roman.begin(), ::toupper);
  return roman;
}

std::string LetterNumber(int value, bool upper) {
  if (value < 1) return "";
  const char letter = static_cast<char>((upper ? 'A' : 'a') + (value - 1) % 26);
  return std::string(static_cast<std::size_t>((value - 1) / 26 + 1), letter);
}

Numbering::Numbering(const WordNames& names, pugi::xml_node numbering) {
  for (pugi::xml_node child : numbering.children()) {
    const std::string_view local = names.Local(child);
    if (local == "abstractNum") {
      if (const auto id = IntegerOf(names.Attribute(child, "abstractNumId"))) {
        abstracts_[*id].levels = ReadLevels(names, child, Levels{});
      }
    } else if (local == "num") {
      const auto id = IntegerOf(names.Attribute(child, "numId"));
      const auto abstract = ValueOf(names, child, "abstractNumId");
      if (!id || !abstract) continue;
      List& list = lists_[*id];
      list.abstract = *abstract;
      for (pugi::xml_node override : child.children()) {
        const auto level = IntegerOf(names.Attribute(override, "ilvl"));
        if (names.Local(override) != "lvlOverride" || !level || !IsLevel(*level)) continue;
        const auto index = static_cast<std::size_t>(*level);
        list.startOverrides[index] = ValueOf(names, override, "startOverride");
        if (names.Child(override, "lvl")) {
          Levels one{};
          one[index] = Level{};
          list.levelOverrides[index] = ReadLevels(names, override, one)[index];
        }
      }
    }
  }
}

Numbering::Levels Numbering::ReadLevels(const WordNames& names, pugi::xml_node parent,
                                        const Levels& base) {
  Levels levels = base;
  for (pugi::xml_node lvl : parent.children()) {
    const auto index = IntegerOf(names.Attribute(lvl, "ilvl"));
    if (names.Local(lvl) != "lvl" || !index || !IsLevel(*index)) continue;
    Level& level = levels[static_cast<std::size_t>(*index)];
    level.start = ValueOf(names, lvl, "start").value_or(level.start);
    if (pugi::xml_node format = names.Child(lvl, "numFmt")) {
      level.format = names.Attribute(format, "val").value();
    }
    if (pugi::xml_node text = names.Child(lvl, "lvlText")) {
      level.text = names.Attribute(text, "val").value();
    }
    level.restart = ValueOf(names, lvl, "lvlRestart");
    level.legal = static_cast<bool>(names.Child(lvl, "isLgl"));
    if (pugi::xml_node suffix = names.Child(lvl, "suff")) {
      const std::string_view kind = names.Attribute(suffix, "val").value();
      level.suffix = kind == "space" ? " " : kind == "nothing" ? "" : "\t";
    }
    if (pugi::xml_node style = names.Child(lvl, "pStyle")) {
      level.style = names.Attribute(style, "val").value();
    }
  }
  return levels;
}

const Numbering::Level& Numbering::LevelOf(const List& list, const Abstract& abstract,
                                           int level) const {
  const auto index = static_cast<std::size_t>(level);
  return list.levelOverrides[index] ? *list.levelOverrides[index] : abstract.levels[index];
}

int Numbering::StartOf(const List& list, const Abstract& abstract, int level) const {
  return list.startOverrides[static_cast<std::size_t>(level)].value_or(
      LevelOf(list, abstract, level).start);
}

std::string Numbering::Format(const Level& level, int value, bool legal) {
  const std::string_view format = legal ? "decimal" : std::string_view(level.format);
  if (format == "none" || format == "bullet") return "";
  if (format == "upperRoman" || format == "lowerRoman") {
    return RomanNumber(value, format == "upperRoman");
  }
  if (format == "upperLetter" || format == "lowerLetter") {
    return LetterNumber(value, format == "upperLetter");
  }
  if (format == "decimalZero" && value >= 0 && value < 10) return "0" + std::to_string(value);
  return std::to_string(value);  // decimal, and the formats read as decimal
}

std::string Numbering::Next(int numId, std::optional<int> level, std::string_view style) {
  const auto list = lists_.find(numId);
  if (list == lists_.end()) return "";
  const auto found = abstracts_.find(list->second.abstract);
  if (found == abstracts_.end()) return "";
  Abstract& abstract = found->second;
  List& own = list->second;
  if (!level) {
    const auto named =
        std::find_if(abstract.levels.begin(), abstract.levels.end(),
                     [&](const Level& l) { return !style.empty() && l.style == style; });
    level = named == abstract.levels.end() ? 0 : static_cast<int>(named - abstract.levels.begin());
  }
  const int at = std::clamp(*level, 0, kLevels - 1);
  if (!own.used) {
    // A list that starts its levels afresh does so at its first paragraph.
    own.used = true;
    for (int l = 0; l < kLevels; ++l) {
      if (own.startOverrides[static_cast<std::size_t>(l)]) {
        abstract.counters[static_cast<std::size_t>(l)].reset();
      }
    }
  }
  auto& counter = abstract.counters[static_cast<std::size_t>(at)];
  counter = counter ? *counter + 1 : StartOf(own, abstract, at);
  for (int deeper = at + 1; deeper < kLevels; ++deeper) {
    const int after = LevelOf(own, abstract, deeper).restart.value_or(deeper);
    if (at < after) abstract.counters[static_cast<std::size_t>(deeper)].reset();
  }
  const Level& shown = LevelOf(own, abstract, at);
  std::string label;
  for (std::size_t i = 0; i < shown.text.size(); ++i) {
    const int referenced = i + 1 < shown.text.size() ? shown.text[i + 1] - '1' : -1;
    if (shown.text[i] != '%' || !IsLevel(referenced)) {
      label += shown.text[i];
      continue;
    }
    const auto& value = abstract.counters[static_cast<std::size_t>(referenced)];
    label += Format(LevelOf(own, abstract, referenced),
                    value.value_or(StartOf(own, abstract, referenced)), shown.legal);
    ++i;
  }
  return label + shown.suffix;
}

}  // namespace kv::word::docx
