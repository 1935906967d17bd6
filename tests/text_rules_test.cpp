#include "word/text_rules.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "support/case_table.h"

namespace kv::word {
namespace {

using testing::Case;
using Number = std::function<std::optional<double>(const Case&)>;
using Text = std::function<std::string(const Case&)>;

const std::map<std::string, Number> kNumberRules = {
    {"TextNumber",
     [](const Case& c) { return TextNumber(c[1], c[3].empty() ? DecimalSeparator() : c[3]); }},
    {"TextInteger", [](const Case& c) { return TextInteger(c[1]); }},
    {"TextLong", [](const Case& c) { return TextLong(c[1]); }},
    {"ReadNumeric", [](const Case& c) { return ReadNumeric(c[1]); }}};
const std::map<std::string, Text> kTextRules = {
    {"TrimBlanks", [](const Case& c) { return TrimBlanks(c[1]); }},
    {"NormalizeText", [](const Case& c) { return NormalizeText(c[1]); }},
    {"StripSeparators", [](const Case& c) { return StripSeparators(c[1]); }},
    {"PatternToText", [](const Case& c) { return PatternToText(c[1]); }},
    {"RemoveOptionalHyphens", [](const Case& c) { return RemoveOptionalHyphens(c[1]); }},
    {"ReplaceText", [](const Case& c) { return ReplaceText(c[1], c[3], c[4]); }}};

class TextRules : public ::testing::TestWithParam<Case> {};

TEST_P(TextRules, Read) {
  const Case& c = GetParam();
  if (kTextRules.contains(c[0])) {
    EXPECT_EQ(kTextRules.at(c[0])(c), c[2]);
    return;
  }
  const std::optional<double> number = kNumberRules.at(c[0])(c);
  if (c[2] == "none") {
    EXPECT_EQ(number, std::nullopt);
  } else {
    ASSERT_TRUE(number.has_value());
    EXPECT_DOUBLE_EQ(*number, std::stod(c[2]));
  }
}
KV_CASES(TextRules, "text_rules");

}  // namespace
}  // namespace kv::word
