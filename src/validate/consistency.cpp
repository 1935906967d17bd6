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

constexpr int kLastComparedSlot = 3;  // years 4 and 5 are not compared
constexpr int kTotalSlot = 6;
constexpr int kInKind = 20;  // the second money column's rows follow the first's
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

const char* ColumnMark(int offset) {
  return offset == 0 ? " (1)" : " (2)";
}

void AddErrorUnless(RunContext& ctx, double a, double b, const std::string& message) {
  if (!Agree(a, b)) ctx.AddError(message);
}

// One comparison of the procurement check: a line of the institution's financial table,
// the sums of one kind of cost table and the words between the name and the table number.
struct ProcurementLine {
  int row;
  RunContext::CostSums RunContext::*sums;
  std::string infix;
};

void CompareProcurement(RunContext& ctx, const ProcurementLine& line, int i, int s) {
  AddErrorUnless(ctx, ctx.FinancialTable[i + 1][s][line.row], (ctx.*line.sums)[i][s],
                 Name(ctx, i) + line.infix + TableSuffix(ctx, i) + SlotName(ctx, s) +
                     ColumnMark(line.row < kInKind ? 0 : kInKind));
}

// The financial lines that Table 1 must repeat as the sum over the institutions, with
// their labels; the equipment subtotal is not among them.
struct LabelledRow {
  int row;
  std::string text::TextCatalogue::*label;
};
using Cat = text::TextCatalogue;
constexpr LabelledRow kSummedRows[] = {
    {2, &Cat::CatGrantsI},
    {3, &Cat::CatGrantsII},
    {4, &Cat::CatGrantsIII},
    {5, &Cat::CatGrantsIV},
    {7, &Cat::CatCapitalEquipment},
    {8, &Cat::CatNonCapitalEquipment},
    {9, &Cat::CatMaterials},
    {10, &Cat::CatBankFees},
    {12, &Cat::CatTechnologicalEnergy},
    {13, &Cat::CatCommunications},
    {14, &Cat::CatSubcontracts},
    {15, &Cat::CatLogistics},
    {16, &Cat::CatOtherDirectCosts},
    {18, &Cat::CatCisTravel},
    {19, &Cat::CatNonCisTravel},
};

constexpr int kOdcFirstRow = 11;  // rows 12 to 16 hold categories 5.1 to 5.5

}  // namespace

bool OtherCostsConsistency(RunContext& ctx) {
  return RunCheck(ctx, "Other direct costs: checking inter-table consistency...", [&] {
    if (!ctx.ParseResults[kFinancial] || !ctx.ParseResults[kOdc]) return;
    const auto& cat = ctx.TextCatalogue;
    for (int i = 0; i <= LastInstitution(ctx); ++i) {
      for (int s = 0; s <= kLastComparedSlot; ++s) {
        for (int offset : {0, kInKind}) {
          const auto& sums = offset == 0 ? ctx.OdcPurchasedSums : ctx.OdcInKindSums;
          for (int c = 1; c <= 5; ++c) {
            AddErrorUnless(ctx, sums[i][s][c],
                           ctx.FinancialTable[i + 1][s][kOdcFirstRow + c + offset],
                           Name(ctx, i) + cat.MsgOdcSuffix + std::to_string(c) +
                               cat.MsgExpendituresDiffer + TableSuffix(ctx, i) + SlotName(ctx, s) +
                               ColumnMark(offset) + cat.MsgMisspelledHeader104);
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
    const std::vector<ProcurementLine> passes[] = {
        {{6, &RunContext::EquipmentPurchasedSums, equipment},
         {6 + kInKind, &RunContext::EquipmentInKindSums, equipment},
         {9, &RunContext::MaterialsPurchasedSums, materials},
         {9 + kInKind, &RunContext::MaterialsInKindSums, materials}},
        // Capital equipment in a second pass over all institutions and periods.
        {{7, &RunContext::CapitalEquipmentPurchasedSums, cat.MsgCapitalEquipmentDiffers},
         {7 + kInKind, &RunContext::CapitalEquipmentInKindSums, cat.MsgCapitalEquipmentDiffers}},
    };
    for (const auto& lines : passes) {
      for (int i = 0; i <= LastInstitution(ctx); ++i) {
        for (int s = 0; s <= kLastComparedSlot; ++s) {
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
      for (int i = 0; i <= LastInstitution(ctx); ++i) ctx.TotalGrants += ctx.PersonnelGrants[i][0];
    }
    // Compared even when the personnel tables failed: their grants then count as zero.
    if (!ctx.ParseResults[kFinancial]) return;
    const auto& cat = ctx.TextCatalogue;
    static const char* const kNumerals[] = {"I", "II", "III", "IV"};
    for (int i = 0; i <= LastInstitution(ctx); ++i) {
      for (int c = 1; c <= 4; ++c) {
        AddErrorUnless(
            ctx, ctx.FinancialTable[i + 1][kTotalSlot][kInKind + 1 + c], ctx.PersonnelGrants[i][c],
            cat.MsgGrantsCategoryPrefix + kNumerals[c - 1] + cat.MsgGrantsForInfix + Name(ctx, i) +
                cat.MsgInTable1 + TableSuffix(ctx, i) + cat.MsgDifferFromPersonnel);
      }
    }
  });
}

bool FundsConsistency(RunContext& ctx) {
  return RunCheck(ctx, "Funds: checking inter-table consistency...", [&] {
    if (!ctx.ParseResults[kFinancial]) return;
    ctx.ProjectTotalCost = ctx.FinancialTotals[0][kTotalSlot];
    for (int s = 0; s <= kLastComparedSlot; ++s) {
      for (int offset : {0, kInKind}) {
        for (const auto& [row, label] : kSummedRows) {
          double sum = 0;
          for (int i = 0; i <= LastInstitution(ctx); ++i)
            sum += ctx.FinancialTable[i + 1][s][row + offset];
          AddErrorUnless(ctx, ctx.FinancialTable[0][s][row + offset], sum,
                         ctx.TextCatalogue.MsgInstituteSumDiffers + std::to_string(s) +
                             ColumnMark(offset) + ", " + ctx.TextCatalogue.*label);
        }
      }
    }
  });
}

bool ManDaysConsistency(RunContext& ctx) {
  return RunCheck(ctx, "Man-days: checking inter-table consistency...", [&] {
    if (!ctx.ParseResults[kPersonnel]) return;
    double total = 0;
    for (int i = 0; i <= LastInstitution(ctx); ++i) {
      if (ctx.PersonnelDays[i][0] > -0.005) total += ctx.PersonnelDays[i][0];  // -1: invalid
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
