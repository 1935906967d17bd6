// The checks across tables and the funding norms on figures set as the parsers record them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/phase_run.h"
#include "validate/consistency.h"
#include "validate/norms.h"

namespace kv::testing {
namespace {

using Ctx = validate::RunContext;
using Change = std::function<void(Ctx&)>;

// The total column of financial table t, both money columns.
validate::FinancialColumns& TotalColumn(Ctx& c, int t) {
  return c.FinancialTable[t].Total;
}

// A run of a project with `participants`, every table parsed, changed by `setup`.
std::unique_ptr<PhaseRun> Start(bool russian, int participants, const Change& setup) {
  auto run = std::make_unique<PhaseRun>(russian);
  run->ctx.SetParticipantCount(participants);
  run->ctx.ParseResults = {false, true, true, true, true, true};
  setup(run->ctx);
  return run;
}

// One figure of each comparison off, in both money columns where there are two, beside
// differences that must pass: half a cent, year 4, the equipment subtotal of Table 1.
void OneOfEach(Ctx& c) {
  c.OdcInKindSums[1][0].Of(5) = 1, c.OdcPurchasedSums[1][0].Of(1) = 1,
  c.OdcPurchasedSums[0][4].Of(2) = 1;
  c.EquipmentPurchasedSums[0][2] = 1, c.EquipmentInKindSums[1][1] = 1;
  c.MaterialsPurchasedSums[1][3] = 1, c.MaterialsInKindSums[0][0] = 1;
  c.CapitalEquipmentPurchasedSums[1][0] = 1, c.CapitalEquipmentInKindSums[0][1] = 0.005;
  c.CapitalEquipmentInKindSums[0][2] = 1, c.FinancialTable[2][4].Recipient[6] = 1;
  c.PersonnelGrants[1].Of(2) = 1, TotalColumn(c, 1).InKind[5] = 0.004;
  c.FinancialTable[0][1].InKind[18] = 1, c.FinancialTable[0][0].Recipient[8] = 0.01,
  c.FinancialTable[0][2].Recipient[6] = 1;
  c.PersonnelDays[0].Total = 1;
}

TEST(Consistency, EveryComparisonInTheRunsOrderInBothLanguages) {
  // The shared pieces: the institutions, the words before the table number, the endings.
  const std::string lead = "Leading Institution", p1 = "Participant Institution 1",
                    x = " expenditures differ from the value in Table 1",
                    cap = " capital equipment sum differs from the value in Table 1",
                    odc = " (possibly misspelled table header in subsection 10.4)",
                    sum = "Sum over institutes differs from the value in Table 1 - Year ";
  const Strings english = {
      p1 + " - 5.1" + x + "-2: quarters 1&2 (1)" + odc,
      p1 + " - 5.5" + x + "-2: quarters 1&2 (2)" + odc,
      lead + " materials" + x + "-1: quarters 1&2 (2)",
      lead + " equipment" + x + "-1: year 2 (1)",
      p1 + " equipment" + x + "-2: year 1 (2)",
      p1 + " materials" + x + "-2: year 3 (1)",
      lead + cap + "-1: year 2 (2)",
      p1 + cap + "-2: quarters 1&2 (1)",
      "Category II grants for " + p1 +
          " in Table 1-2 differ from the value in Personnel Commitments",
      sum + "0 (1), Non-capital equipment",
      sum + "1 (2), CIS travel",
      "Total man-days in Personnel Commitments different from the total in Technical Schedule"};
  const std::string leadRu = "Головной Институт", p1Ru = "Институт-Участник 1",
                    xRu = " отличаются от данных Таблицы 1", in = " - расходы на ",
                    odcRu = " - прочие прямые расходы по категории 5.",
                    sumRu = "Сумма по институтам отличается от значения в Таблице 1 - год ",
                    headerRu = " (возможно неправильный заголовок таблицы в подразделе 10.4)";
  const Strings russian = {
      p1Ru + odcRu + "1" + xRu + "-2: кварталы 1&2 (1)" + headerRu,
      p1Ru + odcRu + "5" + xRu + "-2: кварталы 1&2 (2)" + headerRu,
      leadRu + in + "материалы" + xRu + "-1: кварталы 1&2 (2)",
      leadRu + in + "оборудование" + xRu + "-1: год 2 (1)",
      p1Ru + in + "оборудование" + xRu + "-2: год 1 (2)",
      p1Ru + in + "материалы" + xRu + "-2: год 3 (1)",
      leadRu + in + "капитальное оборудование" + xRu + "-1: год 2 (2)",
      p1Ru + in + "капитальное оборудование" + xRu + "-2: кварталы 1&2 (1)",
      "Гранты по категории II, " + p1Ru +
          " - значение в Таблице 1-2 не совпадает с данными в списке персонала",
      sumRu + "0 (1), Неосновное оборудование",
      sumRu + "1 (2), Внутренние командировки",
      "Полные трудозатраты в списке персонала отличаются от указанных в Техническом календарном "
      "плане"};
  for (bool ru : {false, true}) {
    auto run = Start(ru, 1, OneOfEach);
    EXPECT_FALSE(validate::InterTableConsistency(run->ctx));
    EXPECT_EQ(run->Errors(), ru ? russian : english);
    EXPECT_THAT(
        run->LogText(),
        ::testing::EndsWith("Other direct costs: checking inter-table consistency...\r\n"
                            "Equipment and materials: checking inter-table consistency...\r\n"
                            "Grants: checking inter-table consistency...\r\n"
                            "Funds: checking inter-table consistency...\r\n"
                            "Man-days: checking inter-table consistency...\r\n"));
  }
}

TEST(Consistency, TolerancesGatesAndTheProjectWithoutParticipants) {
  using namespace validate;
  const std::string manDays =
      "Total man-days in Personnel Commitments different from the total in Technical Schedule";
  const std::string grants =
      " grants for Leading Institution in Table 1 differ from the value in "
      "Personnel Commitments";
  const struct {
    int participants;
    bool (*check)(Ctx&);
    Change setup;
    Strings errors;
    double totalGrants = 0, totalCost = 0;
  } cases[] = {
      // clang-format off
      {0, ManDaysConsistency, [](Ctx& c) { c.PersonnelDays[0].Total = 120.004, c.ScheduleTotalDays = 120; }, {}},
      {0, ManDaysConsistency, [](Ctx& c) { c.PersonnelDays[0].Total = 120.006, c.ScheduleTotalDays = 120; },
       {manDays}},
      {1, ManDaysConsistency,  // an invalid institution does not count
       [](Ctx& c) { c.PersonnelDays[0].Total = 120, c.PersonnelDays[1].Total = -1, c.ScheduleTotalDays = 120; }, {}},
      {0, ManDaysConsistency, [](Ctx& c) { c.PersonnelDays[0].Total = 1, c.ParseResults[1] = false; }, {}},
      {0, GrantsConsistency, [](Ctx& c) { c.PersonnelGrants[0] = {5, 2, 0, 3, 0}, TotalColumn(c, 1).InKind[2] = 3; },
       {"Category I" + grants, "Category III" + grants}, 5},
      // Without personnel figures the grants of the financial tables are compared with zero.
      {0, GrantsConsistency,
       [](Ctx& c) { c.PersonnelGrants[0].Total = 9, TotalColumn(c, 1).InKind[5] = 1, c.ParseResults[2] = false; },
       {"Category IV" + grants}},
      {0, FundsConsistency, [](Ctx& c) { c.FinancialTotals[0][6] = 5, c.FinancialTable[0][3].Recipient[10] = 1; },
       {"Sum over institutes differs from the value in Table 1 - Year 3 (1), Bank fees"}, 0, 5},
      {0, ProcurementConsistency, [](Ctx& c) { c.EquipmentInKindSums[0][0] = 1, c.ParseResults[4] = false; }, {}},
      {0, OtherCostsConsistency, [](Ctx& c) { c.OdcInKindSums[0][1].Of(3) = 1; },
       {"Leading Institution - 5.3 expenditures differ from the value in Table 1: year 1 (2) "
        "(possibly misspelled table header in subsection 10.4)"}},
      {0, OtherCostsConsistency, [](Ctx& c) { c.OdcInKindSums[0][1].Of(3) = 1, c.ParseResults[3] = false; }, {}},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    auto run = Start(false, c.participants, c.setup);
    EXPECT_EQ(c.check(run->ctx), c.errors.empty());
    EXPECT_EQ(run->Errors(), c.errors);
    EXPECT_EQ(run->ctx.TotalGrants, c.totalGrants);
    EXPECT_EQ(run->ctx.ProjectTotalCost, c.totalCost);
  }
}

// Two participants; every table has the overhead example's figures (total 100000, equipment
// 20000, travel 5000, overhead 5000), bank fees 10 and grants 1000; grants are half the cost.
void MeetEveryNorm(Ctx& c) {
  for (int t = 0; t <= 3; ++t) {
    TotalColumn(c, t).Recipient[6] = 20000, TotalColumn(c, t).Recipient[17] = 5000;
    TotalColumn(c, t).Recipient[10] = 10, TotalColumn(c, t).InKind[1] = 1000;
    c.FinancialTotals[t][6] = 100000, c.OverheadValues[t] = 5000;
  }
  c.ProjectTotalCost = 100000, c.TotalGrants = 50000, c.PersonnelDays[0] = {100, 90, 0, 0, 10};
}

// The findings of a run, each marked with its list: "E ", "W " or "I ".
Strings Findings(const PhaseRun& run) {
  Strings all;
  for (const auto& [mark, list] :
       {std::pair{"E ", run.Errors()}, {"W ", run.Warnings()}, {"I ", run.Info()}}) {
    for (const auto& message : list) all.push_back(mark + message);
  }
  return all;
}

TEST(FundingNorms, EachRuleAtItsEdge) {
  const std::string pdg = " must be zero for PDG (";
  const struct {
    Change change;
    Strings findings;
    bool russian = false;
  } cases[] = {
      // clang-format off
      {[](Ctx&) {}, {}},
      {[](Ctx& c) { c.OverheadValues[0] = 2000; }, {"W Total overhead value is below the 3% limit"}},
      {[](Ctx& c) { c.OverheadValues[0] = 2200, c.OverheadValues[1] = 6800; }, {}},
      {[](Ctx& c) { c.OverheadValues[0] = 6900; }, {"W Total overhead value exceeds 10%"}},
      {[](Ctx& c) { c.OverheadValues[3] = 2000, c.OverheadValues[1] = 6900; },
       {"I Overhead value for Leading Institution exceeds 10%",
        "I Overhead value for Participant Institution 2 is below the 3% limit"}},
      {[](Ctx& c) { c.OverheadValues[0] = 6900, c.OverheadValues[3] = 2000; },
       {"W Таблица 1 - накладные расходыe больше 10%",
        "I Институт-Участник 2  - накладные расходы меньше 3%"}, true},
      {[](Ctx& c) { c.ProjectType = "2", c.OverheadValues[0] = 1500, TotalColumn(c, 0).Recipient[6] = 0; },
       {"E Overhead" + pdg + "1500 in the KV)"}},
      {[](Ctx& c) { c.ProjectType = "2", c.OverheadValues[0] = 0, TotalColumn(c, 0).InKind[6] = 0.5; },
       {"E Equipment expenses" + pdg + "20000.5 in the KV)"}},
      {[](Ctx& c) { c.ProjectTotalCost = 100000.01; },
       {"W Grants below 50% of total expenses (2*50000 < 100000.01)"}},
      {[](Ctx& c) { c.TotalGrants = 0; }, {"W No grants for project participants"}},
      {[](Ctx& c) { c.TotalGrants = 0, c.ParseResults[2] = false; }, {}},  // grants not known
      {[](Ctx& c) { c.TotalGrants = 0, c.ApplyGrantNorms = false; }, {}},
      {[](Ctx& c) { TotalColumn(c, 0).InKind[17] = 10000; }, {}},  // travel 15%
      {[](Ctx& c) { TotalColumn(c, 0).InKind[17] = 10000.01; },
       {"W Travel expenditures exceed 15% of the total project cost"}},
      {[](Ctx& c) { TotalColumn(c, 1).Recipient[10] = 0.004, TotalColumn(c, 2).Recipient[10] = 9.99;
                    TotalColumn(c, 3).Recipient[10] = 5, TotalColumn(c, 3).InKind[10] = 5; },  // 10 in both columns
       {"W No bank fees: Leading Institution",
        "W Bank fees less that 1% of total grants: Participant Institution 1"}},
      {[](Ctx& c) { TotalColumn(c, 0).InKind[5] = 100; }, {}},
      {[](Ctx& c) { TotalColumn(c, 0).InKind[5] = 100.01; },
       {"W Category IV grants exceed 10% of the total grants"}},
      {[](Ctx& c) { c.PersonnelDays[0].Of(1) = 0, c.RequireCategoryOne = false; }, {}},  // special series
      {[](Ctx& c) { c.PersonnelDays[0].Of(1) = 0; }, {"E No categroy I personnel"}},
      {[](Ctx& c) { c.PersonnelDays[0].Of(4) = 10.01; },
       {"W Category IV days exceed 10% of the total project effort"}},
      {[](Ctx& c) { c.PersonnelDays[1] = {-1, 0, 0, 0, 50}; }, {}},  // an invalid institution
      {[](Ctx& c) { c.OverheadValues[0] = 0, c.PersonnelDays[0].Of(1) = 0, c.ParseResults = {}; }, {}},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(&c - cases);
    auto run = Start(c.russian, 2, [&](Ctx& ctx) { MeetEveryNorm(ctx), c.change(ctx); });
    // Errors and warnings come first: information alone passes.
    EXPECT_EQ(validate::FundingNorms(run->ctx), c.findings.empty() || c.findings[0][0] == 'I');
    EXPECT_EQ(Findings(*run), c.findings);
    EXPECT_THAT(run->LogText(), ::testing::EndsWith("Checking financial norms...\r\n"));
  }
}

}  // namespace
}  // namespace kv::testing
