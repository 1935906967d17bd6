// How a code and its parts become a message; the findings of whole runs are in tests/golden.
#include "text/reporting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "report/run_log.h"
#include "support/case_table.h"

namespace kv::text {
namespace {

const std::string kLists[] = {"errors", "warnings", "info"};

// One line of tests/cases/reporting.tsv: the parts of the call, the list and the message.
struct Case {
  std::vector<std::string> f;  // language, call, code, institution, text, text, list, message
  int Number(std::size_t k) const { return std::stoi(f.at(k)); }
  int List() const {
    return static_cast<int>(std::find(std::begin(kLists), std::end(kLists), f.at(6)) - kLists);
  }
  // Call "o" puts messages m1 to m55 into the list: 50 are kept, then the overflow line.
  std::string Expected() const {
    std::string kept;
    for (int i = 1; f[1] == "o" && i <= 50; ++i) kept += "m" + std::to_string(i) + "\n";
    return kept + f.at(7);
  }
  void Report(Reporter& r) const {
    const auto add = std::vector{&Reporter::AddError, &Reporter::AddWarning, &Reporter::AddInfo};
    for (int i = 1; f[1] == "o" && i <= 55; ++i) (r.*add[List()])("m" + std::to_string(i));
    if (f[1] == "c") r.ReportCode(Number(2));
    if (f[1] == "n") r.ReportCodeWithNumber(Number(2), Number(3), f[4]);
    if (f[1] == "t") r.ReportCodeWithText(Number(2), f[4]);
    if (f[1] == "2") r.ReportCodeWithTexts(Number(2), f[4], f[5]);
    if (f[1] == "x") r.ReportCellCode(Number(2), Number(3), f[4], 4, 5);
  }
};

class ReportingTest : public ::testing::Test {
 protected:
  void Start(bool russian) {
    report::RunLog closedLog;
    InitTextCatalogue(catalogue, russian, closedLog);
    reporter.InitMessageLists(russian);
    marks.clear();
  }
  const report::msg_handler& Of(int list) const {
    return *std::vector{&reporter.ErrorList, &reporter.WarningList, &reporter.InfoList}[list];
  }

  TextCatalogue catalogue;
  std::vector<std::tuple<int, int, int>> marks;  // row, column, colour
  Reporter reporter{catalogue, [this](int row, int column, int colour) {
                      marks.emplace_back(row, column, colour);
                      return " (" + std::to_string(row) + "," + std::to_string(column) + ")";
                    }};
};

TEST_F(ReportingTest, EachCodeGivesItsTextInItsList) {
  for (const auto& line : testing::ReadCases("reporting")) {
    const Case c{line.fields};
    SCOPED_TRACE(c.f.at(7));
    Start(c.f[0] == "ru");
    c.Report(reporter);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(Of(k).Text(), k == c.List() ? c.Expected() : "");
    EXPECT_TRUE(c.f[1] != "x" || (marks == decltype(marks){{4, 5, 7}}));
  }
}

TEST_F(ReportingTest, AFailingMarkLosesTheFindingOnly) {
  Start(false);
  Reporter failing(catalogue, [](int, int, int) -> std::string { throw std::runtime_error(""); });
  failing.InitMessageLists(false);
  EXPECT_EQ(failing.ReportCellCode(20805, 0, "II", 4, 5), "");
  EXPECT_EQ(failing.WarningList.Count() + failing.ErrorList.Count(), 0);
}

}  // namespace
}  // namespace kv::text
