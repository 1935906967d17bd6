#include "word/text_rules.h"

#include <gtest/gtest.h>

namespace kv::word {
namespace {

const std::string kNbsp = "\u00A0", kEnDash = "\u2013", kEmDash = "\u2014";
const std::string kNbHyphen = "\x1E", kOptHyphen = "\x1F";
const std::string kPrivet = "\u041F\u0440\u0438\u0432\u0435\u0442";

TEST(TextNumber, ReadsTheCellNumberTable) {
  const std::pair<std::string, double> numbers[] = {
      {"1 234,56", 1234.56}, {"1,234.56", 1234.56}, {"1.234", 1234}, {"1.250", 1250},
      {"12,5", 12.5},        {",5", 0.5},           {"5,", 5},       {"1,2,3", 12.3},
      {"1.000.000", 1e6},    {"-1,5", -1.5},        {"", 0},         {"+7", 7},
      {"12,3 4", 1234},
  };
  for (const auto& [text, number] : numbers) {
    EXPECT_DOUBLE_EQ(TextNumber(text, DecimalSeparator()), number) << text;
  }
  EXPECT_DOUBLE_EQ(TextNumber("1" + kNbsp + "234,5", DecimalSeparator()), 1234.5);
  for (const char* text :
       {"-", "n/a", "12,5%", "<error>", "1e5", "inf", "5,\u00A05", "--1", "١٢"}) {
    EXPECT_EQ(TextNumber(text, DecimalSeparator()), -1) << text;
  }
  // The characters after the decimal mark are not stripped: a blank there is no number.
  EXPECT_EQ(TextNumber("12, 5", "."), -1);
  EXPECT_DOUBLE_EQ(TextNumber("12,50", "."), 12.5);
}

TEST(TextInteger, ReadsTheCellIntegerTable) {
  const struct {
    std::string text;
    std::int16_t integer;
    std::int32_t longValue;
  } cases[] = {
      {"12", 12, 12},          {"1,5", 15, 15},
      {"1 000", 1000, 1000},   {"", 0, 0},
      {". ,", 0, 0},           {"40000", -1, 40000},
      {"32767", 32767, 32767}, {"-32768", -32768, -32768},
      {"32768", -1, 32768},    {"2147483647", -1, 2147483647},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextInteger(c.text), c.integer) << c.text;
    EXPECT_EQ(TextLong(c.text), c.longValue) << c.text;
  }
  EXPECT_EQ(TextInteger("1" + kNbsp + "000"), 1000);
  for (const char* text : {"abc", "<error>", "2147483648", "1e3", "12a"}) {
    EXPECT_EQ(TextInteger(text), -1) << text;
    EXPECT_EQ(TextLong(text), -1) << text;
  }
}

using Rule = std::string (*)(const std::string&);

TEST(TextRules, CountCharactersNotBytes) {
  const struct {
    Rule rule;
    std::string input, expected;
  } cases[] = {
      {TrimBlanks, "12\r\x07", "12"},
      {TrimBlanks, kNbsp + "\t a  b " + kNbsp, "a  b"},
      {TrimBlanks, std::string(" a\0", 3), "a"},
      {TrimBlanks, kPrivet + "\n", kPrivet},
      {TrimBlanks, kEnDash, kEnDash},
      {NormalizeText, "  a\t" + kNbsp + "b\n", "a b"},
      {NormalizeText, " \t\r\n" + kNbsp, ""},
      {NormalizeText, "10.1." + kNbsp + kPrivet, "10.1. " + kPrivet},
      {NormalizeText, "a" + kEnDash + "b" + kEmDash + "c" + kNbHyphen + "d\u2011e", "a-b-c-d-e"},
      {NormalizeText, kEnDash + " " + kEmDash, "- -"},
      {NormalizeText, "Abc\u2002DEF", "Abc\u2002DEF"},    // the en space is no blank
      {NormalizeText, "\u0416 " + kOptHyphen, "\u0416"},  // code 31 is a blank here
      {StripSeparators, "1 234,56.7\t\r", "1234567"},
      {StripSeparators, "1" + kNbsp + "000", "1" + kNbsp + "000"},
      {StripSeparators, "\u0410.\u0411,", "\u0410\u0411"},
      {PatternToText, "a^", "a "},
      {PatternToText, "^", "^"},
      {PatternToText, "^wa", " a"},
      {PatternToText, "x", "x"},
      {RemoveOptionalHyphens, "Sub" + kOptHyphen + "task\u00AD 1", "Subtask 1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.rule(c.input), c.expected) << c.input;
    EXPECT_EQ(c.rule(""), "");
  }
}

TEST(ReplaceText, ReplacesEveryOccurrenceWithoutRescanning) {
  const struct {
    std::string text, search, replacement, expected;
  } cases[] = {
      {"aXbXX", "X", "", "ab"},
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

TEST(ReadNumeric, AcceptsPlainDecimalNumbersOnly) {
  const std::pair<std::string, double> numbers[] = {{"1234", 1234}, {" 24 ", 24}, {"0123", 123},
                                                    {"-3", -3},     {"+3", 3},    {"1.5", 1.5}};
  for (const auto& [text, number] : numbers) EXPECT_EQ(ReadNumeric(text), number) << text;
  for (const char* text : {"", "A-", "1,5", "1e3", "12-", ".", "1.2.3", "nan", "1 2"}) {
    EXPECT_EQ(ReadNumeric(text), std::nullopt) << text;
  }
}

}  // namespace
}  // namespace kv::word
