// List numbering (the numbering part): the label a numbered paragraph shows before its
// text, counted over the paragraphs in reading order as the word processor counts them.
#pragma once

#include <pugixml.hpp>

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "docx/xml.h"

namespace kv::word::docx {

class Numbering {
 public:
  static constexpr int kLevels = 9;

  Numbering() = default;  // a document without numbering
  Numbering(const WordNames& names, pugi::xml_node numbering);
  bool empty() const { return lists_.empty(); }

  // The label of the next paragraph of list `numId` at `level` (0-based), followed by
  // what separates it from the text (a tab unless the level says otherwise); "" for a
  // list the part does not define. Without a level, the level that names the paragraph
  // style `style` is taken, else the first.
  std::string Next(int numId, std::optional<int> level, std::string_view style);

 private:
  struct Level {
    int start = 1;
    std::string format = "decimal";
    std::string text;
    std::optional<int> restart;  // 1-based level after which it starts again; 0 never
    bool legal = false;          // the numbers of higher levels shown in decimal
    std::string suffix = "\t";
    std::string style;
  };
  using Levels = std::array<Level, kLevels>;
  using Counters = std::array<std::optional<int>, kLevels>;
  struct Abstract {
    Levels levels;
    Counters counters;  // shared by every list over this abstract numbering
  };
  struct List {
    int abstract = 0;
    std::array<std::optional<int>, kLevels> startOverrides;
    std::array<std::optional<Level>, kLevels> levelOverrides;
    bool used = false;
  };

  static Levels ReadLevels(const WordNames& names, pugi::xml_node parent, const Levels& base);
  static std::string Format(const Level& level, int value, bool legal);
  const Level& LevelOf(const List& list, const Abstract& abstract, int level) const;
  int StartOf(const List& list, const Abstract& abstract, int level) const;

  std::map<int, Abstract> abstracts_;
  std::map<int, List> lists_;
};

// "iv", "XII": the number in Roman numerals, upper or lower case.
std::string RomanNumber(int value, bool upper);
// "C", "cc": letters as the word processor counts with them (A to Z, then AA, BB, ...).
std::string LetterNumber(int value, bool upper);

}  // namespace kv::word::docx
