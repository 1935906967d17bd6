#include "validate/personnel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>

#include "support/phase_run.h"
#include "support/work_plan_builder.h"

namespace kv::testing {
namespace {

using ::testing::HasSubstr;
using Figures = validate::RunContext::PersonnelFigures;
using Blocks = std::vector<Block>;

// The leading institution's tables of categories I to III: four tables precede them.
constexpr int kI = 5, kII = 6, kIII = 7;
const std::string kH = "8. Personnel Commitments, ";
const Figures kDefaultDays = {280.5, 90, 140.5, 40, 10};  // of a project of one year
const Figures kDefaultGrants = {8215, 3150, 3915, 800, 350};

std::string Cat(const std::string& numeral) {
  return kH + "Leading Institution, Category " + numeral + ": ";
}
std::string TableErrors(const std::string& numeral) {
  return "Table contains errors: " + kH + "Leading Institution, category " + numeral;
}

class PersonnelTest : public PhaseTest<validate::ParsePersonnelCommitments> {
 protected:
  Figures Days(int n) { return ctx().PersonnelDays.at(n); }
};

TEST_F(PersonnelTest, CleanPlanRecordsDaysGrantsAndPersons) {
  for (bool russian : {false, true}) {
    EXPECT_TRUE(Parse(WorkPlan{.russian = russian, .months = 12}));
    EXPECT_EQ(run().Errors(), Strings{});
    EXPECT_EQ(run().Warnings(), Strings{});
    EXPECT_EQ(run().Info(), Strings{});
    EXPECT_TRUE(ctx().Document.MarkedCells.empty());
    for (int n = 0; n <= 2; ++n) {
      EXPECT_EQ(Days(n), kDefaultDays);
      EXPECT_EQ(ctx().PersonnelGrants[n], kDefaultGrants);
    }
    EXPECT_EQ(ctx().PersonnelDays.size(), 3u);
    EXPECT_EQ(ctx().TotalPersonnelCount, 15);
  }
  EXPECT_THAT(run().LogText(), HasSubstr("Validating personnel commitments...\r\n"
                                         "Personnel commitments parsed.\r\n"));
}

// Institutions are read in order from their label lines; one without a label has no
// tables, which counts as an error only where the grant norms apply.
TEST_F(PersonnelTest, InstitutionsWithoutTables) {
  const std::string noTables = "No personnel tables for Participant Institution 2";
  for (bool norms : {true, false}) {
    SCOPED_TRACE(norms);
    const auto setNorms = [norms](auto& ctx) { ctx.ApplyGrantNorms = norms; };
    // Only the leading institution and participant 1 listed.
    const WorkPlan twoListed{.personnel = {DefaultStaff(false), DefaultStaff(false)}};
    EXPECT_EQ(Parse(twoListed, setNorms), !norms);
    EXPECT_EQ(norms ? run().Errors() : run().Info(), Strings{noTables});
    EXPECT_EQ(Days(1), kDefaultDays);
    EXPECT_EQ(Days(2), (Figures{-1, 0, 0, 0, 0}));
    EXPECT_EQ(ctx().TotalPersonnelCount, 10);

    // The document ends right after participant 2's label: noted twice.
    auto doc = BuildWorkPlan({.personnel = {DefaultStaff(false), DefaultStaff(false), {}}});
    doc.EndAfter("HeadingII81");
    EXPECT_EQ(Parse(doc, {}, setNorms), !norms);
    EXPECT_EQ(run().Warnings(), norms ? Strings{noTables} : Strings{});
    EXPECT_EQ(norms ? run().Errors() : run().Info(),
              (norms ? Strings{noTables} : Strings{noTables, noTables}));
  }
}

// Every institution up to the count of section 3.2 is read, however many there are.
TEST_F(PersonnelTest, EveryCountedInstitutionIsRead) {
  EXPECT_FALSE(Parse(WorkPlan{}, [](auto& ctx) { ctx.SetParticipantCount(17); }));
  Strings errors;
  for (int n = 3; n <= 17; ++n)
    errors.push_back("No personnel tables for Participant Institution " + std::to_string(n));
  EXPECT_EQ(run().Errors(), errors);
  EXPECT_EQ(Days(17).Total, -1);
  EXPECT_EQ(ctx().TotalPersonnelCount, 15);
  EXPECT_THAT(run().LogText(), HasSubstr("Personnel commitments contain errors.\r\n"));
}

// Changes to the leading institution's captions and tables (blocks 0-8: the label,
// then caption and table of categories I to IV).
TEST_F(PersonnelTest, CategoryCaptions) {
  const std::string without = "Leading Institution: a table caption without a table to follow (",
                    iv = "personnel, who will spend less than 22 days per year on the project";
  const struct {
    std::function<void(Blocks&)> change;
    Strings info;
    double days;
  } cases[] = {
      {[](Blocks& b) {
         b.erase(b.begin() + 5, b.begin() + 7);
         b.erase(b.begin() + 1, b.begin() + 3);
       },
       {"No category I personnel: Leading Institution",
        "No category III personnel: Leading Institution"},
       150.5},
      {[](Blocks& b) { b[1].text = "CATEGORY I («Weapon» scientific and technical personnel)"; },
       {},
       280.5},
      {[](Blocks& b) { b.erase(b.begin() + 4); },
       {without + "category ii (other scientific and technical personnel))"},
       140},
      // The next institution's label after the last caption is still read as its label.
      {[](Blocks& b) { b.erase(b.begin() + 8); }, {without + "category iv (" + iv + "))"}, 270.5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.days);
    const WorkPlan plan{.months = 12};
    auto doc = BuildWorkPlan(plan);
    c.change(doc.Body("HeadingII81"));
    EXPECT_TRUE(Parse(doc, plan));
    EXPECT_EQ(run().Errors(), Strings{});
    EXPECT_EQ(run().Info(), c.info);
    EXPECT_EQ(Days(0).Total, c.days);
    EXPECT_EQ(Days(1), kDefaultDays);
  }
}

// One cell of a table of the leading institution changed: a table that is not read
// does not count (tables 2 and 4), one with red or green cells fails.
TEST_F(PersonnelTest, OneCellChanged) {
  const Strings badCode = {Cat("I") + "Incorrect weapon expertise code in cell (2,4)",
                           TableErrors("I"), kUnreadable + " (2,4)"};
  const struct {
    int category, row, column;  // row 0: the heading row only; row 1: category I columns
    std::string text;
    Strings errors, info = {};
    Marks marks = {};
  } cases[] = {
      // clang-format off
      {1, 1, 3, "", {"Invalid number of columns: " + kH + "Leading Institution, category I"}},
      {2, 2, 1, "None", {}, {Cat("II") + "The keyword \"None\" should stand instead of the table rather than inside it"},
       {{kII, 2, 1, kYellow}}},
      {2, 2, 1, "", {}, {Cat("II") + "Empty table should rather be omitted"}, {{kII, 2, 1, kYellow}}},
      {1, 2, 4, "1.2, 6.1", badCode, {}, {{kI, 2, 4, kRed}}},
      {1, 2, 4, "4.10", badCode, {}, {{kI, 2, 4, kRed}}},
      {1, 2, 4, "", {Cat("I") + "Weapon expertise code is missing in cell (2,4)", TableErrors("I"), kUnreadable + " (2,4)"},
       {}, {{kI, 2, 4, kRed}}},
      {2, 3, 1, "", {Cat("II") + "Name must not be empty in cell (3,1)", TableErrors("II"), kUnreadable + " (3,1)"},
       {}, {{kII, 3, 1, kRed}}},
      {3, 2, 3, "", {Cat("III") + "Function in project is missing in cell (2,3)", TableErrors("III"), kUnreadable + " (2,3)"},
       {}, {{kIII, 2, 3, kRed}}},
      {2, 2, 7, "1012.51", {TableErrors("II"), kValues + " (2,7) (4,3)"},
       {}, {{kII, 2, 7, kGreen}, {kII, 4, 3, kGreen}}},
      {2, 2, 6, "many", {TableErrors("II"), kUnreadable + " (2,6)", kValues + " (4,2)"},
       {}, {{kII, 2, 6, kRed}, {kII, 4, 2, kGreen}}},
      // No person rows, and no totals row to read.
      {3, 0, 0, "", {TableErrors("III"), kUnreadable + " (1,2) (1,3)"}, {}, {{kIII, 1, 2, kRed}, {kIII, 1, 3, kRed}}},
      // An unreadable count of persons counts as one person.
      {4, 2, 1, "two", {TableErrors("IV"), kUnreadable + " (2,1)"}, {}, {{kIII + 1, 2, 1, kRed}}},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.category) + ":" + std::to_string(c.row) + "," +
                 std::to_string(c.column) + " " + c.text);
    WorkPlan plan;  // with a five-column category IV table
    plan.personnel.assign(3, DefaultStaff(false));
    plan.personnel[0].categories[3][0].persons = 1;
    auto doc = BuildWorkPlan(plan);
    auto& table = doc.TableOf("HeadingII81", c.category - 1);
    if (c.row == 0) table.resize(1);
    // Row 1: a column less in every row but the totals row.
    for (size_t r = 0; c.row == 1 && r + 1 < table.size(); ++r) table[r].erase(table[r].begin());
    if (c.row > 1) table.at(c.row - 1).at(c.column - 1) = c.text;
    const bool failed = c.info.empty() && c.row != 1;
    EXPECT_EQ(Parse(doc, plan), !failed);
    EXPECT_EQ(run().Errors(), c.errors);
    EXPECT_EQ(run().Info(), c.info);
    EXPECT_EQ(run().MarkedCells(), c.marks);
    EXPECT_EQ(Days(0).Of(c.category), failed ? -1 : 0);
    EXPECT_EQ(Days(0).Total, failed ? -1 : kDefaultDays.Total - kDefaultDays.Of(c.category));
    EXPECT_EQ(ctx().PersonnelGrants[0].Total,
              failed ? 0 : kDefaultGrants.Total - kDefaultGrants.Of(c.category));
    // Persons of a table not read are not counted.
    const int persons = c.category == 2 ? 2 : 1;
    EXPECT_EQ(ctx().TotalPersonnelCount, 15 - (failed && c.row != 0 ? 0 : persons));
  }

  // The keyword in a Russian document is the one word "Нет".
  const WorkPlan russian{.russian = true};
  for (const std::string text : {"НЕТ", "Нет данных"}) {
    auto doc = BuildWorkPlan(russian);
    doc.TableOf("HeadingII81", 1)[1][0] = text;
    EXPECT_TRUE(Parse(doc, russian));
    EXPECT_EQ(run().Info(), text == "НЕТ"
                                ? Strings{"8. Участие персонала, Головной Институт, "
                                          "Категория II: Отсутствие персонала указывается "
                                          "словом \"Нет\" вместо а не внутри таблицы"}
                                : Strings{});
  }
}

// One person of the leading institution with another rate, days or count of persons
// (the amounts follow): the warnings name the cell and the table's own category.
TEST_F(PersonnelTest, RatesAndDaysWithinTheNorms) {
  const std::string ii = Cat("II"), integer = "Daily rate must be integer in cell (2,5)";
  const struct {
    int category;  // 0 to 3 for I to IV
    double rate, days;
    Strings warnings = {};
    int persons = 0, months = 24;
    bool norms = true;
    std::string projectType = "1";
  } cases[] = {
      {1, 35, 100},
      {1, 35.01, 100, {ii + integer, ii + "Daily rate greater than $35 in cell (2,5)"}},
      {1, 35.01, 100, {ii + integer}, 0, 24, true, "4"},
      {1, 10, 100},
      {1, 9.99, 100, {ii + integer, ii + "Daily rate below $10 in cell (2,5)"}},
      {0, 20.5, 200, {Cat("I") + "Daily rate must be integer in cell (2,6)"}},
      {0, 36, 200, {}, 0, 24, false},
      {3, 20.5, 10, {Cat("IV") + "Daily rate must be integer in cell (2,2)"}, 0, 24, false},
      {1, 25, 12.25, {ii + "The number of days must be integer or half-integer in cell (2,6)"}},
      {1, 25, 230, {ii + "More than 220 days per participant per year in cell (2,6)"}, 0, 12},
      {1, 25, 230},
      {3, 20, 600, {}, 3},  // five columns: 100 days per person and year
      {3, 20, 600, {Cat("IV") + "More than 220 days per participant per year in cell (2,4)"}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.category) + ": " + std::to_string(c.rate) + " x " +
                 std::to_string(c.days) + " / " + std::to_string(c.persons));
    WorkPlan plan{.months = c.months};
    plan.personnel.assign(3, DefaultStaff(false));
    Person& person = plan.personnel[0].categories[c.category][0];
    std::tie(person.rate, person.days, person.persons) = std::tie(c.rate, c.days, c.persons);
    EXPECT_TRUE(Parse(plan, [&](auto& ctx) {
      ctx.ApplyGrantNorms = c.norms;
      ctx.ProjectType = c.projectType;
    }));
    EXPECT_EQ(run().Errors(), Strings{});
    EXPECT_EQ(run().Warnings(), c.warnings);
    EXPECT_EQ(Days(0).Of(c.category + 1), c.days + (c.category == 1 ? 60 : 0));
    EXPECT_EQ(ctx().TotalPersonnelCount, 14 + std::max(c.persons, 1));
  }
}

}  // namespace
}  // namespace kv::testing
