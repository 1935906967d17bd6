#include "validate/schedule.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>

#include "support/forwarding_word_app.h"
#include "support/phase_run.h"
#include "support/work_plan_builder.h"

namespace kv::testing {
namespace {

using ::testing::HasSubstr;

// The schedule is the fourth table of a plan with two participants and no partners table.
constexpr int kSchedule = 4;
const std::string kTableErrors = "Table contains errors: 7. Technical Schedule";

std::string HalfDayWarning(int row, int column) {
  return "Technical Schedule: the number of days must be integer or half-integer in cell (" +
         std::to_string(row) + "," + std::to_string(column) + ")";
}

// Four quarters: task 1 with one subtask (rows 2-4), task 2 with two subtasks and no
// days in quarter 2 (rows 5-8), task 3 without subtasks (rows 9-10), totals in row 11.
WorkPlan FourQuarterPlan(bool russian = false) {
  return {
      .russian = russian,
      .months = 12,
      .schedule = {{{{5, 5, 5, 5}}, {}}, {{{4, 0, 4, 4}, {2, 0, 2, 2}}, {}}, {{}, {1, 1, 1, 1}}}};
}
const WorkPlan kPlan = FourQuarterPlan();

class ScheduleTest : public PhaseTest<validate::ParseTechnicalSchedule> {
 protected:
  // The four-quarter plan with one cell of its schedule changed.
  bool ParseWithCell(int row, int column, const std::string& text, bool russian = false) {
    const WorkPlan plan = FourQuarterPlan(russian);
    auto doc = BuildWorkPlan(plan);
    doc.Cell("HeadingII7", row, column) = text;
    return Parse(doc, plan);
  }
};

// No table to read: one error, no cell read or marked, no total.
TEST_F(ScheduleTest, NoUsableTable) {
  const struct {
    std::string what, error;
    std::function<void(WorkPlanDocument&)> change;
  } cases[] = {
      {"five quarters for four", "Invalid number of columns: 7. Technical Schedule",
       [](auto& d) { d["HeadingII7"].body = BuildWorkPlan({.months = 15})["HeadingII7"].body; }},
      {"two rows", "Invalid number of rows: 7. Technical Schedule",
       [](auto& d) {
         auto& table = d.TableOf("HeadingII7");
         table.erase(table.begin() + 1, table.end() - 1);
       }},
      {"no section", "Section missing : 7. Technical Schedule",
       [](auto& d) { d.Remove("HeadingII7"); }},
      {"no table", "Table missing : 7. Technical Schedule",
       [](auto& d) {
         d.Body("HeadingII7") = {Paragraph("To follow.")};
         d.EndAfter("HeadingII7");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto doc = BuildWorkPlan(kPlan);
    c.change(doc);
    EXPECT_FALSE(Parse(doc, kPlan));
    EXPECT_EQ(run().Errors(), Strings{c.error});
    EXPECT_TRUE(ctx().Document.MarkedCells.empty());
    EXPECT_EQ(ctx().ScheduleTotalDays, -1);
  }
  EXPECT_THAT(run().LogText(), HasSubstr("Technical schedule contains errors.\r\n"));
}

TEST_F(ScheduleTest, TableOfALaterSectionIsTakenAsTheSchedule) {
  auto doc = BuildWorkPlan(kPlan);
  doc.Body("HeadingII8") = doc.Body("HeadingII7");
  doc.Body("HeadingII7") = {Paragraph("See section 8.")};
  EXPECT_TRUE(Parse(doc, kPlan));
  EXPECT_DOUBLE_EQ(ctx().ScheduleTotalDays, 20 + 18 + 4);
}

// One cell of the four-quarter plan changed, and the findings in their order.
TEST_F(ScheduleTest, OneCellChanged) {
  const Strings noTotal = {"Technical schedule: subtotal row without total person-days: 7",
                           kTableErrors, kUnreadable + " (7,6)", kValues + " (8,6) (11,6)"};
  const Strings badLabel = {kTableErrors, kUnreadable + " (3,1)"};
  const struct {
    int row, column;
    std::string text;
    Strings errors;
    bool russian = false;
  } cases[] = {
      // Row 3 is the only subtask of task 1; a label that is not a subtask also leaves
      // task 1 without subtasks, so its person-days are compared only with its quarters.
      {3, 1, "Sub-task 1.1", {}},
      {3, 1, "Sub\u00ADtask 1.1", {}},
      {3, 1, "Sub\x1Ftask 1.1", {}},
      {3, 1, "Под-задача 1.1", {}, true},
      {3, 1, "subtask 1.1", badLabel},
      {3, 1, "", badLabel},
      // The cells that no longer add up are green; task 2 agrees with its quarters, not
      // its subtasks; task 3 has no subtasks, so only its quarters count.
      {7, 6, "7", {kTableErrors, kValues + " (8,6) (11,6)"}},
      {10, 6, "5", {kTableErrors, kValues + " (10,6) (11,6)"}},
      {11, 6, "49", {kTableErrors, kValues + " (11,6)"}},
      {11, 3, "7", {kTableErrors, kValues + " (11,3) (11,6)"}},
      {8, 3, "", {}},  // an empty quarter reads 0
      {8, 3, "n/a", {kTableErrors, kUnreadable + " (8,3)"}},
      {7, 6, "", noTotal},
      {7, 6, "0", noTotal},
      {11,
       1,
       "Итого",
       {"7. Технический календарный план: Последняя строка не ИТОГО.",
        "Ошибки в таблице: 7. Технический календарный план", "Некорректный текст в ячейках (11,1)"},
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.column) + " " + c.text);
    EXPECT_EQ(ParseWithCell(c.row, c.column, c.text, c.russian), c.errors.empty());
    EXPECT_EQ(run().Errors(), c.errors);
    EXPECT_EQ(ctx().ScheduleTotalDays, c.errors.empty() ? 42 : -1);
  }
}

TEST_F(ScheduleTest, LastRowMustBeTotals) {
  auto doc = BuildWorkPlan(kPlan);
  doc.Cell("HeadingII7", 11, 1) = "Total";
  doc.Cell("HeadingII7", 11, 6) = "1";  // not compared
  EXPECT_FALSE(Parse(doc, kPlan));
  EXPECT_EQ(run().Errors(), (Strings{"7. Technical Schedule: The last row is not totals.",
                                     kTableErrors, kUnreadable + " (11,1)"}));
}

TEST_F(ScheduleTest, PersonDaysBeforeTheFirstTask) {
  auto doc = BuildWorkPlan(kPlan);
  auto& table = doc.TableOf("HeadingII7");
  table.insert(table.begin() + 1, Strings(table[3]));  // task 1's person-days row
  EXPECT_FALSE(Parse(doc, kPlan));
  EXPECT_EQ(run().Errors(), (Strings{kTableErrors, kUnreadable + " (2,1)"}));
}

// Subtasks of 10 and 5.5 days whose task (and the totals row) says 15.51: cells hold two
// decimals at most, so they disagree, and 15.51 is no whole or half day.
TEST_F(ScheduleTest, SubtasksMustAddUpToTheirTask) {
  const WorkPlan plan{.months = 3, .schedule = {{{{10}, {5.5}}, {}}}};
  auto doc = BuildWorkPlan(plan);
  for (int row : {5, 6}) doc.Cell("HeadingII7", row, 2) = doc.Cell("HeadingII7", row, 3) = "15.51";
  EXPECT_FALSE(Parse(doc, plan));
  EXPECT_EQ(run().Errors(), (Strings{kTableErrors, kValues + " (5,3) (6,3)"}));
  EXPECT_EQ(run().Warnings(), Strings{HalfDayWarning(5, 2)});
  EXPECT_EQ(
      run().MarkedCells(),
      (Marks{{kSchedule, 5, 2, kYellow}, {kSchedule, 5, 3, kGreen}, {kSchedule, 6, 3, kGreen}}));
  EXPECT_EQ(ctx().ScheduleTotalDays, -1);
}

TEST_F(ScheduleTest, SumsAgreeDespiteRoundingNoise) {
  const WorkPlan plan{.months = 3, .schedule = {{{{0.1}, {0.2}}, {}}}};
  auto doc = BuildWorkPlan(plan);
  EXPECT_EQ(doc.Cell("HeadingII7", 5, 3), "0.3");  // 0.1 + 0.2 is not exactly 0.3
  EXPECT_TRUE(Parse(doc, plan));
  EXPECT_EQ(run().Errors(), Strings{});
  EXPECT_EQ(run().Warnings(), (Strings{HalfDayWarning(3, 3), HalfDayWarning(4, 3),
                                       HalfDayWarning(5, 2), HalfDayWarning(5, 3)}));
}

// Also where a large day count leaves few digits for the fraction.
TEST_F(ScheduleTest, HalfIntegerWarningsDoNotFailTheTable) {
  for (double days : {2.25, 40000.3}) {
    SCOPED_TRACE(days);
    EXPECT_TRUE(Parse(WorkPlan{.months = 12, .schedule = {{{}, {days, 1, 1, 1}}}}));
    EXPECT_EQ(run().Errors(), Strings{});
    EXPECT_EQ(run().Warnings(), (Strings{HalfDayWarning(3, 2), HalfDayWarning(3, 6)}));
    EXPECT_EQ(run().MarkedCells(), (Marks{{kSchedule, 3, 2, kYellow}, {kSchedule, 3, 6, kYellow}}));
    EXPECT_DOUBLE_EQ(ctx().ScheduleTotalDays, days + 3);
  }
}

struct FailingColumns : word::ForwardingApplication {
  using ForwardingApplication::ForwardingApplication;
  int ColumnsCount(word::TableId) const override { throw word::WordError("stopped"); }
};

TEST_F(ScheduleTest, WordProcessorFailureEndsTheParse) {
  EXPECT_FALSE(Parse(WorkPlan{}, [](auto& ctx) {
    ctx.Document.CreateWordApp = OverDocxApplication<FailingColumns>();
  }));
  EXPECT_EQ(run().Errors(), Strings{});
  EXPECT_EQ(ctx().ScheduleTotalDays, -1);
  EXPECT_THAT(run().LogText(), HasSubstr("Technical schedule contains errors.\r\n"));
}

// Rows 5 and 9 unreadable, the totals row off in quarter 3: the findings in the order
// the rows are read, red before green.
TEST_F(ScheduleTest, FindingsInRowOrder) {
  auto doc = BuildWorkPlan(kPlan);
  auto& table = doc.TableOf("HeadingII7");
  table.insert(table.begin() + 4, Strings(6, ""));  // an empty row 5 between the tasks
  doc.Cell("HeadingII7", 9, 3) = "n/a";             // quarter 2 of task 2, otherwise 0
  doc.Cell("HeadingII7", 12, 4) = "99";
  EXPECT_FALSE(Parse(doc, kPlan));
  EXPECT_EQ(run().Errors(),
            (Strings{kTableErrors, kUnreadable + " (5,1) (9,3)", kValues + " (12,4) (12,6)"}));
  EXPECT_EQ(run().MarkedCells(), (Marks{{kSchedule, 5, 1, kRed},
                                        {kSchedule, 9, 3, kRed},
                                        {kSchedule, 12, 4, kGreen},
                                        {kSchedule, 12, 6, kGreen}}));
  EXPECT_EQ(ctx().ScheduleTotalDays, -1);
}

}  // namespace
}  // namespace kv::testing
