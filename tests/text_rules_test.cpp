#include "word/text_rules.h"

#include <gtest/gtest.h>

namespace kv::word {
namespace {

const std::string kNbsp = "\u00A0";
const std::string kEnDash = "\u2013";
const std::string kEmDash = "\u2014";
const std::string kNbHyphen = "\x1E";
const std::string kOptHyphen = "\x1F";

struct NumberCase {
  std::string text;
  double expected;
};

TEST(TextNumber, ReadsTheCellNumberTable) {
  const NumberCase cases[] = {
      {"1 234,56", 1234.56},
      {"1,234.56", 1234.56},
      {"1.234", 1234},
      {"1.250", 1250},
      {"12,5", 12.5},
      {",5", 0.5},
      {"5,", 5},
      {"1,2,3", 12.3},
      {"1.000.000", 1000000},
      {"-1,5", -1.5},
      {"", 0},
      {"-", -1},
      {"n/a", -1},
      {"12,5%", -1},
      {"<error>", -1},
      {"1e5", -1},
      {"inf", -1},
      {"1" + kNbsp + "234,5", 1234.5},
      {"5," + kNbsp + "5", -1},
      {"12,3 4", 1234},
      {"+7", 7},
      {"--1", -1},
      {"١٢", -1},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(TextNumber(c.text, DecimalSeparator()), c.expected) << c.text;
  }
}

TEST(TextNumber, FractionCharactersAreTakenAsTheyStand) {
  // The characters after the decimal mark are not stripped: a blank there is no number.
  EXPECT_EQ(TextNumber("12, 5", "."), -1);
  EXPECT_DOUBLE_EQ(TextNumber("12,50", "."), 12.5);
}

struct IntegerCase {
  std::string text;
  std::int16_t integer;
  std::int32_t longValue;
};

TEST(TextInteger, ReadsTheCellIntegerTable) {
  const IntegerCase cases[] = {
      {"12", 12, 12},
      {"1,5", 15, 15},
      {"1 000", 1000, 1000},
      {"", 0, 0},
      {"abc", -1, -1},
      {"40000", -1, 40000},
      {"<error>", -1, -1},
      {"32767", 32767, 32767},
      {"-32768", -32768, -32768},
      {"32768", -1, 32768},
      {"2147483647", -1, 2147483647},
      {"2147483648", -1, -1},
      {"1" + kNbsp + "000", 1000, 1000},
      {". ,", 0, 0},
      {"1e3", -1, -1},
      {"12a", -1, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextInteger(c.text), c.integer) << c.text;
    EXPECT_EQ(TextLong(c.text), c.longValue) << c.text;
  }
}

struct TextCase {
  std::string input;
  std::string expected;
};

TEST(TrimBlanks, RemovesEveryKindOfBlankAtBothEnds) {
  const TextCase cases[] = {
      {"12\r\x07", "12"},
      {kNbsp + "\t a  b " + kNbsp, "a  b"},
      {"   ", ""},
      {"", ""},
      {"\u041F\u0440\u0438\u0432\u0435\u0442\n", "\u041F\u0440\u0438\u0432\u0435\u0442"},
      {kEnDash, kEnDash},
  };
  for (const auto& c : cases) EXPECT_EQ(TrimBlanks(c.input), c.expected) << c.input;
}

TEST(NormalizeText, FoldsBlanksAndDashes) {
  const TextCase cases[] = {
      {"  a\t" + kNbsp + "b\n", "a b"},
      {" \t\r\n" + kNbsp, ""},
      {"", ""},
      {"10.1." + kNbsp + "\u041F\u043E\u0442\u0440\u0435\u0431\u043D\u043E\u0441\u0442\u0438",
       "10.1. \u041F\u043E\u0442\u0440\u0435\u0431\u043D\u043E\u0441\u0442\u0438"},
      {"a" + kEnDash + "b" + kEmDash + "c" + kNbHyphen + "d\u2011e", "a-b-c-d-e"},
      {kEnDash + " " + kEmDash, "- -"},
      {"Abc DEF", "Abc DEF"},
      {"\u0416 " + kOptHyphen, "\u0416"},  // code 31 is a blank here
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeText(c.input), c.expected) << c.input;
}

TEST(StripSeparators, DropsCommasPointsAndControlCharactersOnly) {
  const TextCase cases[] = {
      {"1 234,56.7\t\r", "1234567"},
      {"1" + kNbsp + "000", "1" + kNbsp + "000"},
      {"\u0410.\u0411,", "\u0410\u0411"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(StripSeparators(c.input), c.expected) << c.input;
}

TEST(PatternToText, TurnsEveryCaretCodeIntoOneSpace) {
  const TextCase cases[] = {
      {"5.^wProject^wDuration", "5. Project Duration"},
      {"8.^wPersonnel^wCommitments", "8. Personnel Commitments"},
      {"7.^w\u0422\u0435\u0445", "7. \u0422\u0435\u0445"},
      {"", ""},
      {"a^", "a "},
      {"^", "^"},
      {"a^w", "a "},
      {"^wa", " a"},
      {"ab", "ab"},
      {"x", "x"},
  };
  for (const auto& c : cases) EXPECT_EQ(PatternToText(c.input), c.expected) << c.input;
}

TEST(ReplaceText, ReplacesEveryOccurrenceWithoutRescanning) {
  struct Case {
    std::string text, search, replacement, expected;
  };
  const Case cases[] = {
      {"aXbXX", "X", "", "ab"},
      {"/p/1234-we.doc", ".doc", "-validated.doc", "/p/1234-we-validated.doc"},
      {"aaa", "a", "aa", "aaaaaa"},
      {"a" + kEnDash + "b" + kEmDash, kEnDash, "-", "a-b" + kEmDash},
      {"\u00ABname\u00BB", "\u00AB", "", "name\u00BB"},
      {"File.DOC", ".doc", "-validated.doc", "File.DOC"},
      {"abc", "", "x", "abc"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceText(c.text, c.search, c.replacement), c.expected) << c.text;
  }
}

TEST(CharacterClasses, BlanksDashesAndOptionalHyphens) {
  for (char32_t c : {U' ', U'\t', U'\r', U'\n', U'\x07', U'\0', char32_t{0xA0}}) {
    EXPECT_TRUE(IsBlank(c)) << static_cast<int>(c);
  }
  for (char32_t c : {U'a', U'-', char32_t{0x2002}, char32_t{0x0416}}) EXPECT_FALSE(IsBlank(c));
  for (char32_t c : {char32_t{0x1E}, char32_t{0x2011}, char32_t{0x2013}, char32_t{0x2014}}) {
    EXPECT_TRUE(IsDash(c));
  }
  EXPECT_FALSE(IsDash(U'-'));
  EXPECT_FALSE(IsDash(char32_t{0x1F}));
  EXPECT_EQ(RemoveOptionalHyphens("Sub" + kOptHyphen + "task\u00AD 1"), "Subtask 1");
}

TEST(ReadNumeric, AcceptsPlainDecimalNumbersOnly) {
  struct Case {
    std::string text;
    std::optional<double> expected;
  };
  const Case cases[] = {
      {"1234", 1234},
      {" 24 ", 24},
      {"0123", 123},
      {"-3", -3},
      {"+3", 3},
      {"1.5", 1.5},
      {"", std::nullopt},
      {"A-", std::nullopt},
      {"1,5", std::nullopt},
      {"1e3", std::nullopt},
      {"12-", std::nullopt},
      {".", std::nullopt},
      {"1.2.3", std::nullopt},
      {"nan", std::nullopt},
      {"1 2", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadNumeric(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace kv::word
