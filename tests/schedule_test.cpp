#include "validate/schedule.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "support/forwarding_word_app.h"
#include "support/phase_run.h"
#include "support/work_plan_builder.h"

namespace kv::testing {
namespace {

using ::testing::HasSubstr;
using Strings = std::vector<std::string>;

constexpr int kRed = 6, kYellow = 7, kGreen = 11;
// The schedule is the fourth table of a plan with two participants and no partners table.
constexpr int kSchedule = 4;
const std::string kTableErrors = "Table contains errors: 7. Technical Schedule";
const std::string kUnreadable = "Unrecognizable or misplaced text in cells";
const std::string kValues = "Incorrect values in cells";

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

class ScheduleTest : public ::testing::Test {
 protected:
  // Opens the document in a fresh run and parses it for the given number of quarters.
  bool Parse(const WorkPlanDocument& doc, int quarters, bool russian = false,
             const std::function<void(validate::RunContext&)>& setup = {}) {
    run_ = std::make_unique<PhaseRun>(russian);
    if (setup) setup(ctx());
    EXPECT_TRUE(run_->Open(doc));
    ctx().ProjectDurationQuarters = static_cast<std::int16_t>(quarters);
    return validate::ParseTechnicalSchedule(ctx());
  }
  bool Parse(const WorkPlan& plan) {
    return Parse(BuildWorkPlan(plan), plan.Quarters(), plan.russian);
  }
  // The four-quarter plan with one cell of its schedule changed.
  bool ParseWithCell(int row, int column, const std::string& text, bool russian = false) {
    auto doc = BuildWorkPlan(FourQuarterPlan(russian));
    doc.Cell("HeadingII7", row, column) = text;
    return Parse(doc, 4, russian);
  }

  Marks MarkedCells() { return run().MarkedCells(); }
  PhaseRun& run() { return *run_; }
  validate::RunContext& ctx() { return run_->ctx; }

 private:
  std::unique_ptr<PhaseRun> run_;
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
    auto doc = BuildWorkPlan(FourQuarterPlan());
    c.change(doc);
    EXPECT_FALSE(Parse(doc, 4));
    EXPECT_EQ(run().Errors(), Strings{c.error});
    EXPECT_TRUE(ctx().Document.MarkedCells.empty());
    EXPECT_EQ(ctx().ScheduleTotalDays, -1);
  }
  EXPECT_THAT(run().LogText(), HasSubstr("Technical schedule contains errors.\r\n"));
}

TEST_F(ScheduleTest, TableOfALaterSectionIsTakenAsTheSchedule) {
  const WorkPlan plan = FourQuarterPlan();
  auto doc = BuildWorkPlan(plan);
  doc.Body("HeadingII7") = {Paragraph("See section 8.")};
  doc.Body("HeadingII8") = {Table(ScheduleTable(plan))};
  EXPECT_TRUE(Parse(doc, 4));
  EXPECT_DOUBLE_EQ(ctx().ScheduleTotalDays, 20 + 18 + 4);
}

// Row 3 is the only subtask of task 1; a label that is not a subtask also leaves task 1
// without subtasks, so its person-days are compared only with their quarters.
TEST_F(ScheduleTest, SubtaskLabels) {
  const std::pair<std::string, bool> subtasks[] = {{"Subtask 1.1", false},
                                                   {"Sub-task 1.1", false},
                                                   {"Sub\u00ADtask 1.1", false},
                                                   {"Sub\x1Ftask 1.1", false},
                                                   {"Под-задача 1.1", true}};
  for (const auto& [label, russian] : subtasks) {
    EXPECT_TRUE(ParseWithCell(3, 1, label, russian)) << label;
    EXPECT_EQ(run().Errors(), Strings{});
  }
  for (const std::string label : {"subtask 1.1", ""}) {
    EXPECT_FALSE(ParseWithCell(3, 1, label)) << label;
    EXPECT_EQ(run().Errors(), (Strings{kTableErrors, kUnreadable + " (3,1)"}));
    EXPECT_EQ(MarkedCells(), (Marks{{kSchedule, 3, 1, kRed}}));
  }
}

// One cell of the four-quarter plan changed, and the findings in their order.
TEST_F(ScheduleTest, OneCellChanged) {
  const Strings noTotal = {"Technical schedule: subtotal row without total person-days: 7",
                           kTableErrors, kUnreadable + " (7,6)", kValues + " (8,6) (11,6)"};
  const struct {
    int row, column;
    std::string text;
    Strings errors;
  } cases[] = {
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
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.column) + " " + c.text);
    EXPECT_EQ(ParseWithCell(c.row, c.column, c.text), c.errors.empty());
    EXPECT_EQ(run().Errors(), c.errors);
    EXPECT_EQ(ctx().ScheduleTotalDays, c.errors.empty() ? 42 : -1);
  }
}

TEST_F(ScheduleTest, LastRowMustBeTotals) {
  auto doc = BuildWorkPlan(FourQuarterPlan());
  doc.Cell("HeadingII7", 11, 1) = "Total";
  doc.Cell("HeadingII7", 11, 6) = "1";  // not compared
  EXPECT_FALSE(Parse(doc, 4));
  EXPECT_EQ(run().Errors(), (Strings{"7. Technical Schedule: The last row is not totals.",
                                     kTableErrors, kUnreadable + " (11,1)"}));

  EXPECT_FALSE(ParseWithCell(11, 1, "Итого", true));
  EXPECT_EQ(run().Errors(), (Strings{"7. Технический календарный план: Последняя строка не ИТОГО.",
                                     "Ошибки в таблице: 7. Технический календарный план",
                                     "Некорректный текст в ячейках (11,1)"}));
}

TEST_F(ScheduleTest, PersonDaysBeforeTheFirstTask) {
  auto doc = BuildWorkPlan(FourQuarterPlan());
  auto& table = doc.TableOf("HeadingII7");
  table.insert(table.begin() + 1, Strings(table[3]));  // task 1's person-days row
  EXPECT_FALSE(Parse(doc, 4));
  EXPECT_EQ(run().Errors(), (Strings{kTableErrors, kUnreadable + " (2,1)"}));
}

TEST_F(ScheduleTest, SubtasksMustAddUpToTheirTaskWithinTolerance) {
  for (const std::string personDays : {"15.5", "15.51", "15.6"}) {
    SCOPED_TRACE(personDays);
    auto doc = BuildWorkPlan({.months = 3, .schedule = {{{{10}, {5.5}}, {}}}});
    // The person-days row and the totals row say the same, so only the subtasks differ.
    for (int row : {5, 6})
      doc.Cell("HeadingII7", row, 2) = doc.Cell("HeadingII7", row, 3) = personDays;
    const bool agrees = personDays == "15.5";  // cells hold two decimals at most
    EXPECT_EQ(Parse(doc, 1), agrees);
    if (agrees) {
      EXPECT_EQ(run().Errors(), Strings{});
      EXPECT_DOUBLE_EQ(ctx().ScheduleTotalDays, std::stod(personDays));
    } else {
      // The task's total is not accepted, so the overall total disagrees as well; the
      // quarter cell is no whole or half day.
      EXPECT_EQ(run().Errors(), (Strings{kTableErrors, kValues + " (5,3) (6,3)"}));
      EXPECT_EQ(run().Warnings(), Strings{HalfDayWarning(5, 2)});
      EXPECT_EQ(MarkedCells(), (Marks{{kSchedule, 5, 2, kYellow},
                                      {kSchedule, 5, 3, kGreen},
                                      {kSchedule, 6, 3, kGreen}}));
      EXPECT_EQ(ctx().ScheduleTotalDays, -1);
    }
  }
}

TEST_F(ScheduleTest, SumsAgreeDespiteRoundingNoise) {
  auto doc = BuildWorkPlan({.months = 3, .schedule = {{{{0.1}, {0.2}}, {}}}});
  EXPECT_EQ(doc.Cell("HeadingII7", 5, 3), "0.3");  // 0.1 + 0.2 is not exactly 0.3
  EXPECT_TRUE(Parse(doc, 1));
  EXPECT_EQ(run().Errors(), Strings{});
  EXPECT_EQ(run().Warnings(), (Strings{HalfDayWarning(3, 3), HalfDayWarning(4, 3),
                                       HalfDayWarning(5, 2), HalfDayWarning(5, 3)}));
}

TEST_F(ScheduleTest, HalfIntegerWarningsDoNotFailTheTable) {
  for (double days : {2.5, 2.25, 40000.5, 40000.3}) {
    SCOPED_TRACE(days);
    const bool warned = days == 2.25 || days == 40000.3;
    EXPECT_TRUE(Parse(WorkPlan{.months = 12, .schedule = {{{}, {days, 1, 1, 1}}}}));
    EXPECT_EQ(run().Errors(), Strings{});
    EXPECT_EQ(run().Warnings(),
              (warned ? Strings{HalfDayWarning(3, 2), HalfDayWarning(3, 6)} : Strings{}));
    EXPECT_EQ(MarkedCells(),
              (warned ? Marks{{kSchedule, 3, 2, kYellow}, {kSchedule, 3, 6, kYellow}} : Marks{}));
    EXPECT_DOUBLE_EQ(ctx().ScheduleTotalDays, days + 3);
  }
}

struct FailingColumns : ForwardingWordApplication {
  using ForwardingWordApplication::ForwardingWordApplication;
  int ColumnsCount(word::TableId) const override { throw word::WordError("stopped"); }
};

TEST_F(ScheduleTest, WordProcessorFailureEndsTheParse) {
  EXPECT_FALSE(Parse(BuildWorkPlan(), 8, false, [](auto& ctx) {
    ctx.Document.CreateWordApp = OverDocxApplication<FailingColumns>();
  }));
  EXPECT_EQ(run().Errors(), Strings{});
  EXPECT_EQ(ctx().ScheduleTotalDays, -1);
  EXPECT_THAT(run().LogText(), HasSubstr("Technical schedule contains errors.\r\n"));
}

// Rows 5 and 9 unreadable, the totals row off in quarter 3: the findings in the order
// the rows are read, red before green.
TEST_F(ScheduleTest, FindingsInRowOrder) {
  auto doc = BuildWorkPlan(FourQuarterPlan());
  auto& table = doc.TableOf("HeadingII7");
  table.insert(table.begin() + 4, Strings(6, ""));  // an empty row 5 between the tasks
  doc.Cell("HeadingII7", 9, 3) = "n/a";             // quarter 2 of task 2, otherwise 0
  doc.Cell("HeadingII7", 12, 4) = "99";
  EXPECT_FALSE(Parse(doc, 4));
  EXPECT_EQ(run().Errors(),
            (Strings{kTableErrors, kUnreadable + " (5,1) (9,3)", kValues + " (12,4) (12,6)"}));
  EXPECT_EQ(MarkedCells(), (Marks{{kSchedule, 5, 1, kRed},
                                  {kSchedule, 9, 3, kRed},
                                  {kSchedule, 12, 4, kGreen},
                                  {kSchedule, 12, 6, kGreen}}));
  EXPECT_EQ(ctx().ScheduleTotalDays, -1);
}

}  // namespace
}  // namespace kv::testing
