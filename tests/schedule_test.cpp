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
using Strings = std::vector<std::string>;
using Mark = std::tuple<int, int, int, int>;  // table, row, column, colour

constexpr int kRed = 6, kYellow = 7, kGreen = 11;
// The schedule is the fourth table of a plan with two participants and no partners table.
constexpr int kScheduleTable = 4;
const std::string kTableErrors = "Table contains errors: 7. Technical Schedule";

std::vector<Mark> Marks(const validate::RunContext& ctx) {
  std::vector<Mark> marks;
  for (const auto& m : ctx.Document.MarkedCells)
    marks.emplace_back(m.table, m.row, m.column, m.colour);
  return marks;
}

std::string HalfDayWarning(int row, int column) {
  return "Technical Schedule: the number of days must be integer or half-integer in cell (" +
         std::to_string(row) + "," + std::to_string(column) + ")";
}

// Four quarters: task 1 with one subtask (rows 2-4), task 2 with two subtasks and no
// days in quarter 2 (rows 5-8), task 3 without subtasks (rows 9-10), totals in row 11.
WorkPlan FourQuarterPlan() {
  WorkPlan plan;
  plan.months = 12;
  plan.schedule = {{{{5, 5, 5, 5}}, {}}, {{{4, 0, 4, 4}, {2, 0, 2, 2}}, {}}, {{}, {1, 1, 1, 1}}};
  return plan;
}

class ScheduleTest : public ::testing::Test {
 protected:
  void UseLanguage(bool russian) { run_ = std::make_unique<PhaseRun>(russian); }

  // Opens the document and runs the parser for the plan's duration.
  bool Parse(const WorkPlanDocument& doc, int quarters) {
    EXPECT_TRUE(run().Open(doc));
    run().ctx.ProjectDurationQuarters = static_cast<std::int16_t>(quarters);
    return validate::ParseTechnicalSchedule(run().ctx);
  }
  bool Parse(const WorkPlan& plan) { return Parse(BuildWorkPlan(plan), plan.Quarters()); }

  PhaseRun& run() { return *run_; }
  validate::RunContext& ctx() { return run_->ctx; }

 private:
  std::unique_ptr<PhaseRun> run_ = std::make_unique<PhaseRun>();
};

TEST_F(ScheduleTest, CleanScheduleRecordsItsTotal) {
  EXPECT_TRUE(Parse(WorkPlan{}));
  EXPECT_EQ(run().Errors(), Strings{});
  EXPECT_EQ(run().Warnings(), Strings{});
  EXPECT_TRUE(ctx().Document.MarkedCells.empty());
  // (10 + 5.5) * 8 + (2 + 4 + ... + 16) + 3 * 8
  EXPECT_DOUBLE_EQ(ctx().ScheduleTotalDays, 220);
  EXPECT_THAT(run().LogText(),
              HasSubstr("Validating tech schedule...\r\nTechnical schedule parsed.\r\n"));
}

TEST_F(ScheduleTest, CleanRussianSchedule) {
  UseLanguage(true);
  WorkPlan plan;
  plan.russian = true;
  EXPECT_TRUE(Parse(plan));
  EXPECT_EQ(run().Errors(), Strings{});
  EXPECT_DOUBLE_EQ(ctx().ScheduleTotalDays, 220);
}

TEST_F(ScheduleTest, WrongColumnCountReadsNoCell) {
  WorkPlan plan;
  plan.months = 15;  // five quarters: seven columns
  EXPECT_FALSE(Parse(BuildWorkPlan(plan), 4));
  EXPECT_EQ(run().Errors(), Strings{"Invalid number of columns: 7. Technical Schedule"});
  EXPECT_TRUE(ctx().Document.MarkedCells.empty());
  EXPECT_EQ(ctx().ScheduleTotalDays, -1);
  EXPECT_THAT(run().LogText(), HasSubstr("Technical schedule contains errors.\r\n"));
}

TEST_F(ScheduleTest, TwoRowsAreTooFew) {
  auto doc = BuildWorkPlan(FourQuarterPlan());
  auto& table = doc.TableOf("HeadingII7");
  table.erase(table.begin() + 1, table.end() - 1);
  EXPECT_FALSE(Parse(doc, 4));
  EXPECT_EQ(run().Errors(), Strings{"Invalid number of rows: 7. Technical Schedule"});
  EXPECT_EQ(ctx().ScheduleTotalDays, -1);
}

TEST_F(ScheduleTest, MissingSectionAndMissingTable) {
  auto withoutSection = BuildWorkPlan();
  withoutSection.Remove("HeadingII7");
  EXPECT_FALSE(Parse(withoutSection, 8));
  EXPECT_EQ(run().Errors(), Strings{"Section missing : 7. Technical Schedule"});
  EXPECT_EQ(ctx().ScheduleTotalDays, -1);

  UseLanguage(false);
  auto withoutTable = BuildWorkPlan();
  withoutTable.Body("HeadingII7") = {Paragraph("To follow.")};
  EXPECT_FALSE(Parse(withoutTable, 8));
  EXPECT_EQ(run().Errors(), Strings{"Table missing : 7. Technical Schedule"});
  EXPECT_EQ(ctx().ScheduleTotalDays, -1);
}

TEST_F(ScheduleTest, TableOfALaterSectionIsTakenAsTheSchedule) {
  const WorkPlan plan = FourQuarterPlan();
  auto doc = BuildWorkPlan(plan);
  doc.Body("HeadingII7") = {Paragraph("See section 8.")};
  doc.sections.push_back({"HeadingII8", "8. Personnel Commitments", {Table(ScheduleTable(plan))}});
  EXPECT_TRUE(Parse(doc, 4));
  EXPECT_DOUBLE_EQ(ctx().ScheduleTotalDays, 20 + 18 + 4);
}

// Row 3 is the only subtask of task 1; a label that is not a subtask also leaves task 1
// without subtasks, so its person-days are compared only with their quarters.
TEST_F(ScheduleTest, SubtaskLabels) {
  const struct {
    std::string label;
    bool subtask;
  } cases[] = {{"Subtask 1.1", true},     {"Sub-task 1.1", true}, {"Sub\u00ADtask 1.1", true},
               {"Sub\x1Ftask 1.1", true}, {"subtask 1.1", false}, {"", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    UseLanguage(false);
    auto doc = BuildWorkPlan(FourQuarterPlan());
    doc.Cell("HeadingII7", 3, 1) = c.label;
    EXPECT_EQ(Parse(doc, 4), c.subtask);
    if (c.subtask) {
      EXPECT_EQ(run().Errors(), Strings{});
    } else {
      EXPECT_EQ(run().Errors(),
                (Strings{kTableErrors, "Unrecognizable or misplaced text in cells (3,1)"}));
      EXPECT_EQ(Marks(ctx()), (std::vector<Mark>{{kScheduleTable, 3, 1, kRed}}));
    }
  }
}

TEST_F(ScheduleTest, RussianLabelsAndMessages) {
  UseLanguage(true);
  WorkPlan plan = FourQuarterPlan();
  plan.russian = true;
  auto doc = BuildWorkPlan(plan);
  doc.Cell("HeadingII7", 3, 1) = "Под-задача 1.1";
  doc.Cell("HeadingII7", 11, 1) = "Итого";
  EXPECT_FALSE(Parse(doc, 4));
  EXPECT_EQ(run().Errors(), (Strings{"7. Технический календарный план: Последняя строка не ИТОГО.",
                                     "Ошибки в таблице: 7. Технический календарный план",
                                     "Некорректный текст в ячейках (11,1)"}));
}

TEST_F(ScheduleTest, SubtasksMustAddUpToTheirTask) {
  const struct {
    std::string personDays;
    bool agrees;
  } cases[] = {{"15.5", true}, {"15.51", false}, {"15.6", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.personDays);
    UseLanguage(false);
    WorkPlan plan;
    plan.months = 3;
    plan.schedule = {{{{10}, {5.5}}, {}}};
    auto doc = BuildWorkPlan(plan);
    // The person-days row and the totals row say the same, so only the subtasks differ.
    doc.Cell("HeadingII7", 5, 2) = doc.Cell("HeadingII7", 5, 3) = c.personDays;
    doc.Cell("HeadingII7", 6, 2) = doc.Cell("HeadingII7", 6, 3) = c.personDays;
    EXPECT_EQ(Parse(doc, 1), c.agrees);
    if (c.agrees) {
      EXPECT_EQ(run().Errors(), Strings{});
      EXPECT_DOUBLE_EQ(ctx().ScheduleTotalDays, 15.5);
    } else {
      // The task's total is not accepted, so the overall total disagrees as well; the
      // quarter cell is no whole or half day.
      EXPECT_EQ(run().Errors(), (Strings{kTableErrors, "Incorrect values in cells (5,3) (6,3)"}));
      EXPECT_EQ(run().Warnings(), Strings{HalfDayWarning(5, 2)});
      EXPECT_EQ(Marks(ctx()), (std::vector<Mark>{{kScheduleTable, 5, 2, kYellow},
                                                 {kScheduleTable, 5, 3, kGreen},
                                                 {kScheduleTable, 6, 3, kGreen}}));
      EXPECT_EQ(ctx().ScheduleTotalDays, -1);
    }
  }
}

TEST_F(ScheduleTest, SumsAgreeDespiteRoundingNoise) {
  WorkPlan plan;
  plan.months = 3;
  plan.schedule = {{{{0.1}, {0.2}}, {}}};  // 0.1 + 0.2 is not exactly 0.3
  auto doc = BuildWorkPlan(plan);
  EXPECT_EQ(doc.Cell("HeadingII7", 5, 3), "0.3");
  EXPECT_TRUE(Parse(doc, 1));
  EXPECT_EQ(run().Errors(), Strings{});
  EXPECT_EQ(run().Warnings(), (Strings{HalfDayWarning(3, 3), HalfDayWarning(4, 3),
                                       HalfDayWarning(5, 2), HalfDayWarning(5, 3)}));
}

// One cell of the four-quarter plan changed: the cells that no longer add up are green.
TEST_F(ScheduleTest, SumsThatDoNotAddUp) {
  const struct {
    int row, column;
    std::string text, green, why;
  } cases[] = {
      {7, 6, "7", " (8,6) (11,6)", "task 2 agrees with its quarters, not its subtasks"},
      {10, 6, "5", " (10,6) (11,6)", "task 3 has no subtasks: only its quarters count"},
      {11, 6, "49", " (11,6)", "the overall total"},
      {11, 3, "7", " (11,3) (11,6)", "one quarter, and the total no longer adds up"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    UseLanguage(false);
    auto doc = BuildWorkPlan(FourQuarterPlan());
    doc.Cell("HeadingII7", c.row, c.column) = c.text;
    EXPECT_FALSE(Parse(doc, 4));
    EXPECT_EQ(run().Errors(), (Strings{kTableErrors, "Incorrect values in cells" + c.green}));
    EXPECT_EQ(ctx().ScheduleTotalDays, -1);
  }
}

TEST_F(ScheduleTest, SubtaskWithoutTotal) {
  for (const std::string total : {"", "0"}) {
    SCOPED_TRACE(total);
    UseLanguage(false);
    auto doc = BuildWorkPlan(FourQuarterPlan());
    doc.Cell("HeadingII7", 7, 6) = total;
    EXPECT_FALSE(Parse(doc, 4));
    EXPECT_EQ(run().Errors(),
              (Strings{"Technical schedule: subtotal row without total person-days: 7",
                       kTableErrors, "Unrecognizable or misplaced text in cells (7,6)",
                       "Incorrect values in cells (8,6) (11,6)"}));
  }
}

TEST_F(ScheduleTest, EmptyQuarterReadsZeroAndLettersAreUnreadable) {
  auto doc = BuildWorkPlan(FourQuarterPlan());
  doc.Cell("HeadingII7", 8, 3) = "";
  EXPECT_TRUE(Parse(doc, 4));

  UseLanguage(false);
  doc.Cell("HeadingII7", 8, 3) = "n/a";
  EXPECT_FALSE(Parse(doc, 4));
  EXPECT_EQ(run().Errors(),
            (Strings{kTableErrors, "Unrecognizable or misplaced text in cells (8,3)"}));
}

TEST_F(ScheduleTest, HalfIntegerWarningsDoNotFailTheTable) {
  const struct {
    double days;
    bool warned;
  } cases[] = {{2.5, false}, {2.25, true}, {40000.5, false}, {40000.3, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.days);
    UseLanguage(false);
    WorkPlan plan;
    plan.months = 12;
    plan.schedule = {{{}, {c.days, 1, 1, 1}}};
    EXPECT_TRUE(Parse(plan));
    EXPECT_EQ(run().Errors(), Strings{});
    if (c.warned) {
      EXPECT_EQ(run().Warnings(), (Strings{HalfDayWarning(3, 2), HalfDayWarning(3, 6)}));
      EXPECT_EQ(Marks(ctx()), (std::vector<Mark>{{kScheduleTable, 3, 2, kYellow},
                                                 {kScheduleTable, 3, 6, kYellow}}));
    } else {
      EXPECT_EQ(run().Warnings(), Strings{});
    }
    EXPECT_DOUBLE_EQ(ctx().ScheduleTotalDays, c.days + 3);
  }
}

TEST_F(ScheduleTest, PersonDaysBeforeTheFirstTask) {
  WorkPlan plan = FourQuarterPlan();
  auto doc = BuildWorkPlan(plan);
  auto& table = doc.TableOf("HeadingII7");
  const Strings personDays = table[3];  // task 1's person-days row
  table.insert(table.begin() + 1, personDays);
  EXPECT_FALSE(Parse(doc, 4));
  EXPECT_EQ(run().Errors(),
            (Strings{kTableErrors, "Unrecognizable or misplaced text in cells (2,1)"}));
}

TEST_F(ScheduleTest, LastRowMustBeTotals) {
  auto doc = BuildWorkPlan(FourQuarterPlan());
  doc.Cell("HeadingII7", 11, 1) = "Total";
  doc.Cell("HeadingII7", 11, 6) = "1";  // not compared
  EXPECT_FALSE(Parse(doc, 4));
  EXPECT_EQ(run().Errors(),
            (Strings{"7. Technical Schedule: The last row is not totals.", kTableErrors,
                     "Unrecognizable or misplaced text in cells (11,1)"}));
}

struct FailingColumns : ForwardingWordApplication {
  using ForwardingWordApplication::ForwardingWordApplication;
  int ColumnsCount(word::TableId) const override {
    throw word::WordError("the word processor stopped");
  }
};

TEST_F(ScheduleTest, WordProcessorFailureEndsTheParse) {
  ctx().Document.CreateWordApp = OverDocxApplication<FailingColumns>();
  EXPECT_FALSE(Parse(WorkPlan{}));
  EXPECT_EQ(run().Errors(), Strings{});
  EXPECT_EQ(ctx().ScheduleTotalDays, -1);
  EXPECT_THAT(run().LogText(), HasSubstr("Technical schedule contains errors.\r\n"));
}

// Rows 5 and 9 unreadable, the totals row off in quarter 3: the findings in the order
// the rows are read, red before green, and the cells shaded in the saved copy.
TEST_F(ScheduleTest, FindingsInRowOrderAndShadedInTheCopy) {
  auto doc = BuildWorkPlan(FourQuarterPlan());
  auto& table = doc.TableOf("HeadingII7");
  table.insert(table.begin() + 4, Strings(6, ""));  // an empty row 5 between the tasks
  doc.Cell("HeadingII7", 9, 3) = "n/a";             // quarter 2 of task 2, otherwise 0
  doc.Cell("HeadingII7", 12, 4) = "99";
  EXPECT_FALSE(Parse(doc, 4));
  EXPECT_EQ(run().Errors(),
            (Strings{kTableErrors, "Unrecognizable or misplaced text in cells (5,1) (9,3)",
                     "Incorrect values in cells (12,4) (12,6)"}));
  EXPECT_EQ(Marks(ctx()), (std::vector<Mark>{{kScheduleTable, 5, 1, kRed},
                                             {kScheduleTable, 9, 3, kRed},
                                             {kScheduleTable, 12, 4, kGreen},
                                             {kScheduleTable, 12, 6, kGreen}}));
  EXPECT_EQ(ctx().ScheduleTotalDays, -1);

  const std::string copy = run().SaveCopyAndClose();
  EXPECT_EQ(CellFill(copy, kScheduleTable, 5, 1), "FF0000");
  EXPECT_EQ(CellFill(copy, kScheduleTable, 9, 3), "FF0000");
  EXPECT_EQ(CellFill(copy, kScheduleTable, 12, 4), "008000");
  EXPECT_EQ(CellFill(copy, kScheduleTable, 12, 6), "008000");
  EXPECT_EQ(CellFill(copy, kScheduleTable, 12, 5), "");
}

}  // namespace
}  // namespace kv::testing
