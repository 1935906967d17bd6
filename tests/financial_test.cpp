#include "validate/financial.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/forwarding_word_app.h"
#include "support/phase_run.h"
#include "support/work_plan_builder.h"

namespace kv::testing {
namespace {

using ::testing::HasSubstr;
using Totals = std::array<double, 7>;

const std::string kLeadingErrors =
    "Table contains errors: Estimated Aggregated Expenditures by Leading Institution";
const std::string kRecipientErrors =
    "Table contains errors: Estimated Aggregated Expenditures by Recipient";

// The default institution over one year: 6200 spent by the recipient, 8215 in kind and
// an overhead of 400, half of each (but the overhead) in quarters 1 and 2.
const Totals kLeadingTotals = {7207.5, 14415, 14415, 0, 0, 0, 29630};  // over two years

using FinancialTest = PhaseTest<validate::ParseFinancialTables>;

// The marked cells with tables counted from Table 1 (0) of the default plan.
Marks MarkedCells(const PhaseRun& run) {
  return run.MarkedCells(BuildWorkPlan().TableNumber("HeadingII9"));
}

TEST_F(FinancialTest, CleanTablesRecordTheirFigures) {
  EXPECT_TRUE(Parse(WorkPlan{}));  // two participants over two years
  EXPECT_EQ(run().Errors(), Strings{});
  EXPECT_EQ(MarkedCells(run()), Marks{});
  EXPECT_EQ(ctx().FinancialTotals[0], (Totals{21622.5, 43245, 43245, 0, 0, 0, 88890}));
  EXPECT_EQ(ctx().FinancialTotals[1], kLeadingTotals);
  EXPECT_EQ(ctx().FinancialTotals[3], kLeadingTotals);
  EXPECT_EQ(ctx().FinancialTotals[4], Totals{});
  EXPECT_EQ(ctx().OverheadValues[0], 2400);
  EXPECT_EQ(ctx().OverheadValues[3], 800);
  const auto& leading = ctx().FinancialTable[1];
  EXPECT_EQ(leading[0][7], 1500);                    // capital equipment in quarters 1 and 2
  EXPECT_EQ(leading[2][22], 3150);                   // category I grants in kind in year 2
  EXPECT_EQ(leading[6][17], 800);                    // travel subtotal of the project
  EXPECT_EQ(leading[6][0], 13200);                   // total with the overhead
  EXPECT_EQ(ctx().FinancialTable[0][1][21], 24645);  // grants of three institutions in year 1
  EXPECT_THAT(run().LogText(), HasSubstr("Validating section: 9. Financial Information\r\n"
                                         "Financial tables parsed.\r\n"));

  // Without participants Table 1 is also the leading institution's.
  EXPECT_TRUE(Parse(WorkPlan{.russian = true, .participants = 0, .months = 12}));
  EXPECT_EQ(run().Errors(), Strings{});
  EXPECT_EQ(ctx().FinancialTotals[0], (Totals{7207.5, 14415, 0, 0, 0, 0, 14815}));
  EXPECT_EQ(ctx().FinancialTotals[1], ctx().FinancialTotals[0]);
  EXPECT_EQ(ctx().FinancialTable[1], ctx().FinancialTable[0]);
  EXPECT_EQ(ctx().OverheadValues[1], 400);
}

// A table that cannot be read fails alone; the walk goes on with the next one.
TEST_F(FinancialTest, MissingTableOrWrongGrid) {
  const struct {
    std::string error;
    int failed;  // the table t that fails
    std::function<void(WorkPlanDocument&)> change;
    bool russian = false;
  } cases[] = {
      {"Table number missing : TABLE 1-3", 3,
       [](auto& d) { d.Body("HeadingII9")[9].text = "TABLE 3"; }},
      {"Отсутстует номер таблицы: ТАБЛИЦА 1-3", 3,
       [](auto& d) { d.Body("HeadingII9")[9].text = ""; }, true},
      {"Table header missing : Estimated Aggregated Expenditures by Participant Institution 1", 2,
       [](auto& d) { d.Body("HeadingII9")[7].text = "Expenditures"; }},
      {"Table missing : Estimated Aggregated Expenditures by Participant Institution 2", 3,
       [](auto& d) {
         d.Body("HeadingII9").pop_back();
         d.EndAfter("HeadingII9");
       }},
      {"Invalid number of columns: Estimated Aggregated Expenditures by Leading Institution", 1,
       [](auto& d) { d.TableOf("HeadingII9", 1)[4].push_back(""); }},
      {"Invalid number of rows: Estimated Aggregated Expenditures by Recipient", 0,
       [](auto& d) { d.TableOf("HeadingII9").pop_back(); }},
      {"Section missing : 9. Financial Information", -1,
       [](auto& d) { d["HeadingII9"].heading = ""; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    const WorkPlan plan{.russian = c.russian};
    auto doc = BuildWorkPlan(plan);
    c.change(doc);
    EXPECT_FALSE(Parse(doc, plan));
    EXPECT_EQ(run().Errors(), Strings{c.error});
    EXPECT_EQ(MarkedCells(run()), Marks{});
    for (int t = 0; t <= 3; ++t) EXPECT_EQ(ctx().FinancialTotals[t][6] == -1, t == c.failed);
    EXPECT_THAT(run().LogText(), HasSubstr("Financial tables contain errors.\r\n"));
  }
}

struct FailingGoTo : word::ForwardingApplication {
  using ForwardingApplication::ForwardingApplication;
  void GoTo(int) override { throw word::WordError("stopped"); }
};

// The figures hold Table 1 and 16 institutions: a plan naming 16 participants needs one
// table more, which ends the walk like a failure of the word processor.
TEST_F(FinancialTest, FailureEndsTheWalkWithTheTableBeingRead) {
  const WorkPlan plan{.participants = 16, .months = 12};
  EXPECT_FALSE(Parse(plan));
  EXPECT_EQ(run().Errors(),
            Strings{"Unknown error: 9. Financial Information - Participant Institution 16"});
  EXPECT_EQ(ctx().FinancialTotals[16], (Totals{7207.5, 14415, 0, 0, 0, 0, 14815}));

  EXPECT_FALSE(Parse(WorkPlan{.russian = true}, [](auto& ctx) {
    ctx.Document.CreateWordApp = OverDocxApplication<FailingGoTo>();
  }));
  EXPECT_EQ(run().Errors(),
            Strings{"Неизвестная ошибка: 9. Финансовая информация - Все институты"});
  EXPECT_THAT(run().LogText(), HasSubstr("Financial tables contain errors.\r\n"));
}

// One cell of Table 1-1 changed (two years: recipient columns 4, 6, 8 and 10, in kind
// 5, 7, 9 and 11), and the findings in their order.
TEST_F(FinancialTest, OneCellChanged) {
  const struct {
    int row, column;
    std::string text;
    Strings errors;
    double overhead = 800, yearOne = 14415;
  } cases[] = {
      // Not added, so the subtotal disagrees, and year 1 is below quarters 1 and 2.
      {10,
       6,
       "-5",
       {"1+2 quarters greater than year 1 values: Leading Institution", " (10,4)", kLeadingErrors,
        kUnreadable + " (10,6)", kValues + " (12,6) (10,10)"}},
      {26, 6, "100", {kLeadingErrors, kUnreadable + " (26,6)"}},
      {26, 11, "n/a", {}},  // outside its column the overhead is only looked at
      {26, 10, "600", {kLeadingErrors, kValues + " (27,10)"}, 600},
      {12, 6, "4000.01", {kLeadingErrors, kValues + " (12,6) (27,6)"}},
      {10, 10, "6000.01", {kLeadingErrors, kValues + " (12,10) (10,10)"}},
      {28, 5, "14415.01", {kLeadingErrors, kValues + " (28,5)"}, 800, 0},
      {28, 7, "x", {kLeadingErrors, kUnreadable + " (28,7)"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.column) + " " + c.text);
    const WorkPlan plan;
    auto doc = BuildWorkPlan(plan);
    doc.Cell("HeadingII9", c.row, c.column, 1) = c.text;
    EXPECT_EQ(Parse(doc, plan), c.errors.empty());
    EXPECT_EQ(run().Errors(), c.errors);
    EXPECT_EQ(ctx().OverheadValues[1], c.overhead);
    EXPECT_EQ(ctx().FinancialTotals[1][1], c.yearOne);
    EXPECT_EQ(ctx().FinancialTotals[1][6], c.errors.empty() ? 29630 : -1);
  }
  EXPECT_EQ(MarkedCells(run()), (Marks{{1, 28, 7, kRed}}));
}

// Expense lines that add up but stand in the wrong column, and quarters 1 and 2 above
// year 1 (two errors, the table passes); Table 1 alone, over one year: columns 4 to 9.
TEST_F(FinancialTest, LinesInTheirColumns) {
  const std::vector<std::vector<ExpenseLine>> cisInKind = {{{23, 0, 100}}};
  const struct {
    WorkPlan plan;
    Strings errors;
    bool special = false;
    int personnel = 0;
  } cases[] = {
      {{.expenses = {{{5, 500}}}},
       {kRecipientErrors, kUnreadable + " (5,4) (8,4) (5,6) (8,6) (5,8) (8,8)",
        kValues + " (27,4) (27,6) (27,8)"}},
      {{.expenses = {{{4, 0, 1000, 2.57501}}}},  // quarters 1-2: 1575 + 2575.01 > 4150
       {"1+2 quarters greater than year 1 values: Recipient", " (4,5)"}},
      {{.expenses = cisInKind},
       {kRecipientErrors, kUnreadable + " (23,5) (23,7) (23,9)",
        kValues + " (25,5) (25,7) (25,9)"}},
      {{.expenses = cisInKind},
       {kRecipientErrors, kUnreadable + " (23,4) (23,6) (23,8)", kValues + " (25,4) (25,6) (25,8)"},
       true},
      {{.expenses = cisInKind}, {}, true, 3},
  };
  for (auto c : cases) {
    SCOPED_TRACE(c.errors.empty() ? "" : c.errors[1]);
    c.plan.participants = 0;
    c.plan.months = 12;
    const bool passes = c.errors.size() < 3;  // a failed table has three errors here
    EXPECT_EQ(Parse(c.plan,
                    [&](auto& ctx) {
                      ctx.SpecialSeries = c.special;
                      ctx.TotalPersonnelCount = static_cast<std::int16_t>(c.personnel);
                    }),
              passes);
    EXPECT_EQ(run().Errors(), c.errors);
    EXPECT_EQ(ctx().FinancialTotals[1][6] > 0, passes);
  }
}

}  // namespace
}  // namespace kv::testing
