// What the runs in tests/golden do not show: control characters and bytes that are not
// UTF-8 in a finding.
#include "report/json_report.h"

#include <gtest/gtest.h>

namespace kv::report {
namespace {

TEST(JsonReport, ControlCharactersAreEscapedAndInvalidUtf8Replaced) {
  RunReport report;
  report.errors = {"a\tb", "bad \xff byte"};
  EXPECT_NE(ToJson(report).find(R"("errors":["a\tb","bad )"
                                "\xEF\xBF\xBD"
                                R"( byte"],)"),
            std::string::npos);
}

}  // namespace
}  // namespace kv::report
