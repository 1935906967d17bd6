#include <gtest/gtest.h>

#include "support/phase_run.h"
#include "support/work_plan_builder.h"
#include "validate/cost_table.h"
#include "validate/financial.h"
#include "validate/odc.h"
#include "validate/procurement.h"
#include "word/text_rules.h"

namespace kv::testing {
namespace {

using Sums = validate::RunContext::CostColumns;
using Cells = std::vector<std::tuple<int, int, std::string>>;  // row, column, new text

// As the run does it: Table 1 first, for the amounts it declares.
bool ParseCostTables(validate::RunContext& ctx) {
  validate::ParseFinancialTables(ctx);
  const bool procurement = validate::ParseProcurementTables(ctx);
  return validate::ParseOdcTables(ctx) && procurement;
}
using CostTableTest = PhaseTest<ParseCostTables>;

const std::string kErrors21 = "Table contains errors: TABLE 2-1",
                  kHeader = "Errors in table header: TABLE 2-1",
                  kTooMany = "Too many single item tables";

// One institution over one quarter: every table of section 10, Table 2-1 with a capital
// item (marked), two non-capital ones of 1000 and 2500 and a capital one of 2500.01.
TEST_F(CostTableTest, AllSixTablesAddUpPerInstitutionPeriodAndCategory) {
  for (bool russian : {false, true}) {
    const WorkPlan plan{
        .russian = russian,
        .participants = 0,
        .months = 3,
        .expenses = {{{10, 2500.01, 0, 1}, {11, 2500}, {11, 0, 200}, {13, 0, 100}, {18, 0, 50}}}};
    EXPECT_TRUE(Parse(plan));
    EXPECT_EQ(run().Errors(), Strings{});
    EXPECT_EQ(run().MarkedCells(), Marks{});
    EXPECT_EQ(ctx().EquipmentPurchasedSums[0], (Sums{9000.01, 9000.01, 0, 0, 0, 0, 9000.01}));
    EXPECT_EQ(ctx().CapitalEquipmentPurchasedSums[0], (Sums{5500.01, 5500.01, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ctx().EquipmentInKindSums[0], (Sums{200, 200, 0, 0, 0, 0, 200}));
    EXPECT_EQ(ctx().CapitalEquipmentInKindSums[0], Sums{});
    EXPECT_EQ(ctx().MaterialsPurchasedSums[0], (Sums{800, 800, 0, 0, 0, 0, 800}));
    EXPECT_EQ(ctx().MaterialsInKindSums[0][6], 100);
    using Odc = validate::RunContext::OdcCategories;
    EXPECT_EQ(ctx().OdcPurchasedSums[0][1], (Odc{900, 100, 150, 500, 60, 90}));
    EXPECT_EQ(ctx().OdcInKindSums[0][0], (Odc{50, 0, 0, 50, 0, 0}));
    EXPECT_EQ(ctx().OdcInKindSums[0][6].Total, 50);
    EXPECT_EQ(ctx().SpecialItemCount, 1);
  }
  // Two participants over eight quarters; the leading institution's second item of 300
  // bought in quarters 1, 2 and 5.
  auto doc = BuildWorkPlan();
  for (const auto& [row, column, text] :
       Cells{{8, 4, "1,2,5"}, {8, 6, "300"}, {8, 7, "300"}, {9, 2, "6300"}, {18, 2, "22300"}})
    doc.Cell("HeadingII101", row, column) = text;
  EXPECT_TRUE(Parse(doc));
  EXPECT_EQ(ctx().EquipmentPurchasedSums[0], (Sums{1700, 3200, 3100, 0, 0, 0, 6300}));
  EXPECT_EQ(ctx().EquipmentPurchasedSums[2], (Sums{2000, 4000, 4000, 0, 0, 0, 8000}));
  EXPECT_EQ(ctx().SpecialItemCount, 3);
}

TEST_F(CostTableTest, QuarterLists) {
  // clang-format off
  const std::pair<std::string, int> cases[] = {
      {"1-4", 4}, {"1,3-5", 4}, {"2, 4", 2}, {"1–2", 2}, {"3-3", -1}, {"4-2", -1}, {"0", -1},
      {"1,1", -1}, {"2-9", -1}, {"9", -1}, {"", -1}, {"1,,2", -1}, {"1-99999", -1},
      {std::string(200, '7'), -1}, {"1—3,8", 4}};
  // clang-format on
  PhaseRun phase;
  phase.ctx.ProjectDurationQuarters = 8;
  std::array<bool, 21> quarters{};
  for (const auto& [text, count] : cases) {
    EXPECT_EQ(validate::ParseQuarterList(phase.ctx, text, quarters), count) << text;
  }
  EXPECT_EQ(quarters,
            (std::array<bool, 21>{false, true, true, true, false, false, false, false, true}));
}

// Cells of the default plan changed in the first table of a subsection of section 10 (Table
// 2-1: rows 6 to 9 the leading institution, 10 to 13 participant 1, 14 to 17 participant 2,
// 18 the total), and the findings in their order.
TEST_F(CostTableTest, OneTableChanged) {
  const std::string kr =
      "EQUIPMENT SUMMARY\vfor Project Agreement #KR-123.1\v"
      "To be provided in kind [ ]\vTo be purchased by recipient [ ";
  // clang-format off
  const struct {
    std::string section;
    Cells cells;
    Strings errors;
    Marks marks;
    bool passes = false;
  } cases[] = {
      {"HeadingII101", {{2, 1, kr + "Х ]"}}, {}, {}, true},
      {"HeadingII101", {{2, 1, kr + "[X]"}}, {kHeader}, {{1, 2, 1, kRed}}, true},
      {"HeadingII101", {{2, 1, word::ReplaceText(kr + "X ]", "123.1", "123.12")}}, {kHeader},
       {{1, 2, 1, kRed}}, true},
      {"HeadingII101", {{10, 1, "Participant Institution 1"}, {8, 1, ""}, {8, 2, ""}, {8, 4, ""},
                        {8, 5, ""}, {8, 6, ""}, {8, 7, ""}},
       {kErrors21, kValues + " (9,2)"}, {{1, 9, 2, kGreen}}},
      {"HeadingII101", {{8, 1, ""}, {8, 2, ""}, {8, 4, ""}, {8, 6, ""}, {8, 7, ""}},
       {"Unrecognizable format in row 8: TABLE 2-1", kErrors21, kUnreadable + " (8,1)", kTooMany},
       {{1, 8, 1, kRed}}},
      {"HeadingII101", {{10, 1, "Participant Institution two"}},
       {"Unrecognizable format in row 10: TABLE 2-1", kErrors21, kUnreadable + " (10,1)", kTooMany},
       {{1, 10, 1, kRed}}},
      {"HeadingII101", {{6, 1, "Institution"}},
       {"Unrecognizable format in row 6: TABLE 2-1 - institute name expected", kErrors21,
        kUnreadable + " (6,1)", kTooMany}, {{1, 6, 1, kRed}}},
      {"HeadingII101", {{14, 1, "Participant Institution 1"}},
       {"Illegal inst reference in row 14: TABLE 2-1", kErrors21, kUnreadable + " (14,1)",
        kTooMany},
       {{1, 14, 1, kRed}}},
      {"HeadingII101", {{14, 1, "Participant Institution 4: Nowhere"}},
       {"Table 2-1 - No such institute in the project: Participant Institution 4", kErrors21,
        kUnreadable + " (14,1) (15,1) (16,1) (17,1)", kValues + " (18,2)", kTooMany},
       {{1, 14, 1, kRed}, {1, 15, 1, kRed}, {1, 16, 1, kRed}, {1, 17, 1, kRed},
        {1, 18, 2, kGreen}}},
      {"HeadingII101",
       {{8, 4, "1-3"}, {8, 6, "100"}, {8, 7, "100"}, {9, 2, "6100"}, {18, 2, "22100"}},
       {"Total expenses cannot be distributed over quarters indicated for item 2: TABLE 2-1"},
       {{1, 8, 4, kGreen}}, true},
      {"HeadingII101", {{18, 1, ""}, {18, 2, ""}},
       {"No table row with 'Estimated TOTAL COST' - Table 2-1"}, {}, true},
      {"HeadingII101", {{9, 2, "0"}},
       {"Missing Subtotal - Table 2-1, Leading Institution", kErrors21, kValues + " (9,2) (18,2)"},
       {{1, 9, 2, kGreen}, {1, 18, 2, kGreen}}},
      {"HeadingII101", {{17, 1, "Estimated TOTAL COST:"}, {17, 2, "16000"}},
       {"Total before the end of the table: TABLE 2-1",
        "Missing Subtotal - Table 2-1, Participant Institution 2", kErrors21,
        kUnreadable + " (17,1)"}, {{1, 17, 1, kRed}}},
      {"HeadingII101",
       {{7, 2, "х"}, {7, 5, "1.5"}, {8, 5, "-1"}, {8, 6, "x"}, {12, 7, "-2"}, {13, 2, "n/a"}},
       {"Missing Subtotal - Table 2-1, Participant Institution 1", kErrors21,
        kUnreadable + " (8,5) (8,6) (12,7) (13,2)", kValues + " (7,7) (18,2)"},
       {{1, 7, 7, kGreen}, {1, 8, 5, kRed}, {1, 8, 6, kRed}, {1, 12, 7, kRed}, {1, 13, 2, kRed},
        {1, 18, 2, kGreen}}},
      {"HeadingII102", {{7, 2, "х"}, {7, 5, "1.5"}},
       {"Table contains errors: TABLE 3-1", kUnreadable + " (7,2)", kValues + " (7,7) (8,2)"},
       {{2, 7, 2, kRed}, {2, 7, 7, kGreen}, {2, 8, 2, kGreen}}},
      {"HeadingII104", {{7, 2, "5.6"}, {8, 2, ""}, {9, 2, "5,3"}, {10, 4, std::string(200, '9')}},
       {"Table contains errors: TABLE 4-1", kUnreadable + " (7,2) (8,2) (9,2) (10,4)",
        kValues + " (12,2)"},
       {{6, 7, 2, kRed}, {6, 8, 2, kRed}, {6, 9, 2, kRed}, {6, 10, 4, kRed}, {6, 12, 2, kGreen}}},
      // Other direct costs take any institute, listed in section 3.2 or not.
      {"HeadingII104", {{20, 1, "Participant Institution 40"}}, {}, {}, true},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.errors.empty() ? "clean" : c.errors[0]);
    WorkPlan plan{.projectNumber = "KR-123.1"};
    auto doc = BuildWorkPlan(plan);
    for (const auto& [row, column, text] : c.cells) doc.Cell(c.section, row, column) = text;
    EXPECT_EQ(Parse(doc, plan), c.passes);
    EXPECT_EQ(run().Errors(), c.errors);
    EXPECT_EQ(run().MarkedCells(doc.TableNumber("HeadingII101") - 1), c.marks);
  }
}

// Missing sections and tables, and the single-item tables of the three marked items.
TEST_F(CostTableTest, SubsectionsTablesAndSingleItems) {
  // clang-format off
  const struct {
    std::function<void(WorkPlanDocument&)> change;
    Strings errors{}, info{};
    bool passes = false;
  } cases[] = {
      {[](auto& d) { d["HeadingII104"].heading = ""; }, {},
       {"No ODC subsection (possibly misspelled subsection header)"}, true},
      {[](auto& d) { d.Body("HeadingII102")[0].text = "TABLE 3.1"; }, {},
       {"No materials purchased by recipient (possibly misspelled table name)"}, true},
      {[](auto& d) { d.Body("HeadingII101")[0].text = "Table 2-1"; }, {}, {}, true},
      {[](auto& d) { d.TableOf("HeadingII102").resize(6); }, {"Invalid number of rows: TABLE 3-1"}},
      {[](auto& d) { d.Body("HeadingII103").resize(4); }, {"Too few single item tables"}},
      {[](auto& d) { d.Body("HeadingII103").push_back(d.Body("HeadingII103")[0]); }, {kTooMany},
       {}, true},
      {[](auto& d) { d["HeadingII103"].heading = ""; },
       {"Subsection missing : 10.3. Single Equipment/Materials Items"}},
      {[](auto& d) { for (int row : {7, 11, 15}) d.Cell("HeadingII101", row, 2) = ""; },
       {kTooMany}},
      {[](auto& d) { d["HeadingII10"].heading = ""; },
       {"Section missing : 10. Equipment and Materials Summary"}},
  };
  // clang-format on
  for (const auto& c : cases) {
    auto doc = BuildWorkPlan();
    c.change(doc);
    EXPECT_EQ(Parse(doc), c.passes);
    EXPECT_EQ(run().Errors(), c.errors);
    EXPECT_EQ(run().Info(), c.info);
  }
}

}  // namespace
}  // namespace kv::testing
