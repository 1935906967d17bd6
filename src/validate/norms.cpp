#include "validate/norms.h"

#include <cstdio>
#include <string>

namespace kv::validate {
namespace {

constexpr int kPersonnel = 2, kFinancial = 3;
constexpr int kNoGrants = 31000, kTravelAbove15 = 31006, kCategoryFourDays = 31007,
              kCategoryFourGrants = 31008, kNoCategoryOne = 31009, kNoBankFees = 31010,
              kBankFeesBelow1 = 31011, kOverheadInPdg = 31012, kEquipmentInPdg = 31013;

// The figures of one financial table's total column that the rules use.
struct TableFigures {
  double equipment, travel, bankFees, grants, categoryFourGrants, total, overhead;
};

TableFigures FiguresOf(const RunContext& ctx, int table) {
  const auto& [recipient, inKind] = ctx.FinancialTable.at(table).Total;
  return {recipient[kEquipment] + inKind[kEquipment],
          recipient[kTravel] + inKind[kTravel],
          recipient[kBankFees] + inKind[kBankFees],
          inKind[kGrants],
          inKind[kGrantsIV],
          ctx.FinancialTotals.at(table).Total,
          ctx.OverheadValues.at(table)};
}

// An amount as the platform writes a number by default: no grouping, no trailing zeros.
std::string AmountText(double amount) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", amount);
  return text;
}

// The overhead must lie between 3% and 10% of the costs that carry it: all but the
// equipment, the travel and the overhead itself. Returns the ending of the message for
// an overhead outside, or nullptr.
const std::string* OverheadFinding(const RunContext& ctx, const TableFigures& f) {
  const double base = f.total - f.equipment - f.travel - f.overhead;
  if (f.overhead < 0.03 * base) return &ctx.TextCatalogue.MsgOverheadBelow3;
  if (f.overhead > 0.1 * base) return &ctx.TextCatalogue.MsgOverheadAbove10;
  return nullptr;
}

// Table 1 gives warnings; the institutions' tables only information.
void CheckOverheads(RunContext& ctx) {
  const auto& cat = ctx.TextCatalogue;
  if (const auto* finding = OverheadFinding(ctx, FiguresOf(ctx, 0))) {
    ctx.Messages.AddWarning(cat.MsgOverheadPrefix + *finding);
  }
  if (ctx.ParticipantCount == 0) return;
  for (int n = 0; n <= ctx.ParticipantCount; ++n) {
    if (const auto* finding = OverheadFinding(ctx, FiguresOf(ctx, n + 1))) {
      ctx.Messages.AddInfo(cat.MsgOverheadForPrefix + text::InstitutionLabel(cat, n) + " " +
                           *finding);
    }
  }
}

void CheckProjectDevelopmentGrant(RunContext& ctx) {
  const TableFigures project = FiguresOf(ctx, 0);
  if (project.overhead > 0)
    ctx.Messages.ReportCodeWithText(kOverheadInPdg, AmountText(project.overhead));
  if (project.equipment > 0)
    ctx.Messages.ReportCodeWithText(kEquipmentInPdg, AmountText(project.equipment));
}

// Grants of at least half the project cost; a tie passes. The total of the grants is
// known only when the personnel tables parsed.
void CheckGrantShare(RunContext& ctx) {
  if (!ctx.ApplyGrantNorms || !ctx.ParseResults[kPersonnel]) return;
  if (ctx.TotalGrants == 0) {
    ctx.Messages.ReportCodeWithTexts(kNoGrants, "", "");
  } else if (ctx.ProjectTotalCost > 2 * ctx.TotalGrants) {
    ctx.Messages.ReportCodeWithTexts(kNoGrants, AmountText(ctx.TotalGrants),
                                     AmountText(ctx.ProjectTotalCost));
  }
}

void CheckBankFees(RunContext& ctx) {
  for (int n = 0; n <= ctx.ParticipantCount; ++n) {
    const TableFigures figures = FiguresOf(ctx, n + 1);
    if (figures.bankFees < 0.005) {
      ctx.Messages.ReportCodeWithNumber(kNoBankFees, n, "");
    } else if (0.01 * figures.grants > figures.bankFees + 0.005) {
      ctx.Messages.ReportCodeWithNumber(kBankFeesBelow1, n, "");
    }
  }
}

void CheckFinancialNorms(RunContext& ctx) {
  if (ctx.ProjectType == "2") {
    CheckProjectDevelopmentGrant(ctx);
  } else {
    CheckOverheads(ctx);
  }
  CheckGrantShare(ctx);
  const TableFigures project = FiguresOf(ctx, 0);
  if (project.travel > 0.15 * ctx.ProjectTotalCost + 0.005) ctx.Messages.ReportCode(kTravelAbove15);
  CheckBankFees(ctx);
  if (10 * project.categoryFourGrants > project.grants + 0.005) {
    ctx.Messages.ReportCode(kCategoryFourGrants);
  }
}

// Over the institutions whose personnel tables were valid.
void CheckPersonnelNorms(RunContext& ctx) {
  double days = 0, categoryOneDays = 0, categoryFourDays = 0;
  for (int n = 0; n <= ctx.ParticipantCount; ++n) {
    const auto& institution = ctx.PersonnelDays.at(n);
    if (institution.Total <= -0.005) continue;
    days += institution.Total;
    categoryOneDays += institution.Of(1);
    categoryFourDays += institution.Of(4);
  }
  if (ctx.RequireCategoryOne && categoryOneDays < 0.005) ctx.Messages.ReportCode(kNoCategoryOne);
  if (10 * categoryFourDays > days + 0.005) ctx.Messages.ReportCode(kCategoryFourDays);
}

}  // namespace

bool FundingNorms(RunContext& ctx) {
  ctx.WriteLog("Checking financial norms...");
  const auto errors = ctx.Messages.ErrorList.Count();
  const auto warnings = ctx.Messages.WarningList.Count();
  if (ctx.ParseResults[kFinancial]) CheckFinancialNorms(ctx);
  if (ctx.ParseResults[kPersonnel]) CheckPersonnelNorms(ctx);
  return ctx.Messages.ErrorList.Count() == errors && ctx.Messages.WarningList.Count() == warnings;
}

}  // namespace kv::validate
