// Figures stated twice must agree to half a cent: the person-days of the schedule and of
// the personnel tables, the category grants of the personnel and of the financial tables,
// Table 1 and the sum of the institutions' tables, and the cost tables and the lines of
// the financial tables they itemise. Only quarters 1 and 2 and years 1 to 3 are compared.
#include "validate/consistency.h"

#include <string>
#include <vector>

#include "validate/table_rules.h"

namespace kv::validate {
namespace {

constexpr int kLastComparedPeriod = 3;  // years 4 and 5 are not compared
constexpr int kSchedule = 1, kPersonnel = 2, kFinancial = 3, kProcurement = 4, kOdc = 5;

// Runs `body` after the check's log line; true when it added no error.
template <typename Body>
bool RunCheck(RunContext& ctx, const char* logLine, Body body) {
  ctx.WriteLog(logLine);
  const auto errors = ctx.Messages.ErrorList.Count();
  body();
  return ctx.Messages.ErrorList.Count() == errors;
}

std::string Name(const RunContext& ctx, int institution) {
  return text::InstitutionLabel(ctx.TextCatalogue, institution);
}

// What follows "Table 1" in the number of an institution's table: "-1" for the leading
// institution, "-2" for participant 1, nothing in a project without participants.
std::string TableSuffix(const RunContext& ctx, int institution) {
  return ctx.ParticipantCount >= 1 ? "-" + std::to_string(institution + 1) : "";
}

std::string SlotName(const RunContext& ctx, int slot) {
  const auto& cat = ctx.TextCatalogue;
  return slot == 0 ? cat.MsgQuarters12 : cat.MsgYearInfix + std::to_string(slot);
}

const char* ColumnMark(MoneyColumn column) {
  return column == &FinancialColumns::Recipient ? " (1)" : " (2)";
}

void AddErrorUnless(RunContext& ctx, double a, double b, const std::string& message) {
  if (!Agree(a, b)) ctx.AddError(message);
}

// One comparison of the procurement check: a line of the institution's financial table,
// the sums of one kind of cost table and the words between the name and the table number.
struct ProcurementLine {
  MoneyColumn column;
  int line;
  RunContext::CostSums RunContext::*sums;
  std::string infix;
};

void CompareProcurement(RunContext& ctx, const ProcurementLine& line, int i, int s) {
  AddErrorUnless(
      ctx, (ctx.FinancialTable.at(i + 1)[s].*line.column)[line.line], (ctx.*line.sums).at(i)[s],
      Name(ctx, i) + line.infix + TableSuffix(ctx, i) + SlotName(ctx, s) + ColumnMark(line.column));
}

// The financial lines that Table 1 must repeat as the sum over the institutions, with
// their labels; the equipment subtotal is not among them.
struct LabelledLine {
  int line;
  std::string text::TextCatalogue::*label;
};
using Cat = text::TextCatalogue;
constexpr LabelledLine kSummedLines[] = {
    {kGrantsI, &Cat::CatGrantsI},
    {kGrantsII, &Cat::CatGrantsII},
    {kGrantsIII, &Cat::CatGrantsIII},
    {kGrantsIV, &Cat::CatGrantsIV},
    {kCapitalEquipment, &Cat::CatCapitalEquipment},
    {kNonCapitalEquipment, &Cat::CatNonCapitalEquipment},
    {kMaterials, &Cat::CatMaterials},
    {kBankFees, &Cat::CatBankFees},
    {kTechnologicalEnergy, &Cat::CatTechnologicalEnergy},
    {kCommunications, &Cat::CatCommunications},
    {kSubcontracts, &Cat::CatSubcontracts},
    {kLogistics, &Cat::CatLogistics},
    {kFurtherDirectCosts, &Cat::CatOtherDirectCosts},
    {kCisTravel, &Cat::CatCisTravel},
    {kNonCisTravel, &Cat::CatNonCisTravel},
};

}  // namespace

bool OtherCostsConsistency(RunContext& ctx) {
  return RunCheck(ctx, "Other direct costs: checking inter-table consistency...", [&] {
    if (!ctx.ParseResults[kFinancial] || !ctx.ParseResults[kOdc]) return;
    const auto& cat = ctx.TextCatalogue;
    for (int i = 0; i <= ctx.ParticipantCount; ++i) {
      for (int s = 0; s <= kLastComparedPeriod; ++s) {
        for (const MoneyColumn column : kMoneyColumns) {
          const auto& sums =
              column == &FinancialColumns::Recipient ? ctx.OdcPurchasedSums : ctx.OdcInKindSums;
          for (int c = 1; c <= 5; ++c) {
            AddErrorUnless(ctx, sums.at(i)[s].Of(c),
                           (ctx.FinancialTable.at(i + 1)[s].*column)[OtherDirectCostsLine(c)],
                           Name(ctx, i) + cat.MsgOdcSuffix + std::to_string(c) +
                               cat.MsgExpendituresDiffer + TableSuffix(ctx, i) + SlotName(ctx, s) +
                               ColumnMark(column) + cat.MsgMisspelledHeader104);
          }
        }
      }
    }
  });
}

bool ProcurementConsistency(RunContext& ctx) {
  return RunCheck(ctx, "Equipment and materials: checking inter-table consistency...", [&] {
    if (!ctx.ParseResults[kFinancial] || !ctx.ParseResults[kProcurement]) return;
    const auto& cat = ctx.TextCatalogue;
    const std::string equipment = cat.MsgEquipmentSuffix + cat.MsgExpendituresDiffer;
    const std::string materials = cat.MsgMaterialsSuffix + cat.MsgExpendituresDiffer;
    constexpr MoneyColumn recipient = &FinancialColumns::Recipient;
    constexpr MoneyColumn inKind = &FinancialColumns::InKind;
    const std::string& capital = cat.MsgCapitalEquipmentDiffers;
    const std::vector<ProcurementLine> passes[] = {
        {{recipient, kEquipment, &RunContext::EquipmentPurchasedSums, equipment},
         {inKind, kEquipment, &RunContext::EquipmentInKindSums, equipment},
         {recipient, kMaterials, &RunContext::MaterialsPurchasedSums, materials},
         {inKind, kMaterials, &RunContext::MaterialsInKindSums, materials}},
        // Capital equipment in a second pass over all institutions and periods.
        {{recipient, kCapitalEquipment, &RunContext::CapitalEquipmentPurchasedSums, capital},
         {inKind, kCapitalEquipment, &RunContext::CapitalEquipmentInKindSums, capital}},
    };
    for (const auto& lines : passes) {
      for (int i = 0; i <= ctx.ParticipantCount; ++i) {
        for (int s = 0; s <= kLastComparedPeriod; ++s) {
          for (const auto& line : lines) CompareProcurement(ctx, line, i, s);
        }
      }
    }
  });
}

bool GrantsConsistency(RunContext& ctx) {
  return RunCheck(ctx, "Grants: checking inter-table consistency...", [&] {
    if (ctx.ParseResults[kPersonnel]) {
      ctx.TotalGrants = 0;
      for (int i = 0; i <= ctx.ParticipantCount; ++i)
        ctx.TotalGrants += ctx.PersonnelGrants.at(i).Total;
    }
    // Compared even when the personnel tables failed: their grants then count as zero.
    if (!ctx.ParseResults[kFinancial]) return;
    const auto& cat = ctx.TextCatalogue;
    static const char* const kNumerals[] = {"I", "II", "III", "IV"};
    for (int i = 0; i <= ctx.ParticipantCount; ++i) {
      for (int c = 1; c <= 4; ++c) {
        AddErrorUnless(ctx, ctx.FinancialTable.at(i + 1).Total.InKind[kGrantsI + c - 1],
                       ctx.PersonnelGrants.at(i).Of(c),
                       cat.MsgGrantsCategoryPrefix + kNumerals[c - 1] + cat.MsgGrantsForInfix +
                           Name(ctx, i) + cat.MsgInTable1 + TableSuffix(ctx, i) +
                           cat.MsgDifferFromPersonnel);
      }
    }
  });
}

bool FundsConsistency(RunContext& ctx) {
  return RunCheck(ctx, "Funds: checking inter-table consistency...", [&] {
    if (!ctx.ParseResults[kFinancial]) return;
    ctx.ProjectTotalCost = ctx.FinancialTotals.at(0).Total;
    for (int s = 0; s <= kLastComparedPeriod; ++s) {
      for (const MoneyColumn column : kMoneyColumns) {
        for (const auto& [line, label] : kSummedLines) {
          double sum = 0;
          for (int i = 0; i <= ctx.ParticipantCount; ++i)
            sum += (ctx.FinancialTable.at(i + 1)[s].*column)[line];
          AddErrorUnless(ctx, (ctx.FinancialTable.at(0)[s].*column)[line], sum,
                         ctx.TextCatalogue.MsgInstituteSumDiffers + std::to_string(s) +
                             ColumnMark(column) + ", " + ctx.TextCatalogue.*label);
        }
      }
    }
  });
}

bool ManDaysConsistency(RunContext& ctx) {
  return RunCheck(ctx, "Man-days: checking inter-table consistency...", [&] {
    if (!ctx.ParseResults[kPersonnel]) return;
    double total = 0;
    for (int i = 0; i <= ctx.ParticipantCount; ++i) {
      const double days = ctx.PersonnelDays.at(i).Total;
      if (days > -0.005) total += days;  // -1: invalid
    }
    if (ctx.ParseResults[kSchedule]) {
      AddErrorUnless(ctx, total, ctx.ScheduleTotalDays, ctx.TextCatalogue.MsgManDaysDiffer);
    }
  });
}

bool InterTableConsistency(RunContext& ctx) {
  bool passed = true;
  for (auto check : {OtherCostsConsistency, ProcurementConsistency, GrantsConsistency,
                     FundsConsistency, ManDaysConsistency}) {
    passed &= check(ctx);
  }
  return passed;
}

}  // namespace kv::validate
