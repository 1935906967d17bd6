// Section 10, equipment and materials: in subsections 10.1 and 10.2 what the Center
// provides in kind (Tables 2 and 3) and what the recipient purchases (Tables 2-1 and
// 3-1), added up per institution and period for the comparison with Table 1; in 10.3 one
// single-item table for every item marked "x".
#include "validate/procurement.h"

#include <algorithm>

#include "validate/cost_table.h"
#include "validate/table_rules.h"
#include "word/text_rules.h"

namespace kv::validate {
namespace {

constexpr int kNoSuchInstituteCode = 21092;
constexpr double kCapitalUnitPrice = 2500.005;  // capital equipment costs more a piece

using Sums = RunContext::CostSums RunContext::*;

class ProcurementAccumulation : public CostAccumulation {
 public:
  ProcurementAccumulation(RunContext& ctx, std::string code, Sums sums, Sums capitalSums)
      : ctx_(ctx), code_(std::move(code)), sums_(sums), capitalSums_(capitalSums) {}

  bool AcceptInstitute(int n) override {
    if (n <= ctx_.ParticipantCount) return true;
    ctx_.Messages.ReportCodeWithNumber(kNoSuchInstituteCode, n, code_);
    return false;
  }
  double& Subtotal(int institute) override { return (ctx_.*sums_).at(institute).Total; }
  void CountItem(const CostItem& item) override {
    if (item.Mark == -1) ++ctx_.SpecialItemCount;
  }
  void Add(int institute, int column, const CostItem& item, double amount) override {
    (ctx_.*sums_).at(institute)[column] += amount;
    if (capitalSums_ != nullptr && item.UnitPrice > kCapitalUnitPrice) {
      (ctx_.*capitalSums_).at(institute)[column] += amount;
    }
  }

 private:
  RunContext& ctx_;
  const std::string code_;
  const Sums sums_;
  const Sums capitalSums_;  // none for materials
};

class ProcurementParser {
 public:
  explicit ProcurementParser(RunContext& ctx) : ctx_(ctx), cat_(ctx.TextCatalogue) {}

  bool Parse(std::string& pending) {
    const std::string heading = word::PatternToText(cat_.HeadingII10);
    pending = cat_.MsgUnknownErrorPrefix + heading;
    if (!word::FindText(ctx_.Document, true, cat_.HeadingII10)) {
      pending = cat_.MsgSectionMissing + heading;
      return false;
    }
    // What Table 1 declares for the whole project.
    const auto& [purchased, inKind] = ctx_.FinancialTable.at(0).Total;
    auto& failed = ctx_.ProcurementTableFailed;
    ParseSubsection(cat_.HeadingII101, false, cat_.MsgNoEquipmentSubsection, CostKind::Equipment,
                    {cat_.TitleTable2, "2", &RunContext::EquipmentInKindSums,
                     &RunContext::CapitalEquipmentInKindSums, inKind[kEquipment],
                     cat_.MsgNoEquipmentInKind, failed.Table2},
                    {cat_.TitleTable21, "2-1", &RunContext::EquipmentPurchasedSums,
                     &RunContext::CapitalEquipmentPurchasedSums, purchased[kEquipment],
                     cat_.MsgNoEquipmentPurchased, failed.Table21});
    ParseSubsection(cat_.HeadingII102, true, cat_.MsgNoMaterialsSubsection, CostKind::Materials,
                    {cat_.TitleTable3, "3", &RunContext::MaterialsInKindSums, nullptr,
                     inKind[kMaterials], cat_.MsgNoMaterialsInKind, failed.Table3},
                    {cat_.TitleTable31, "3-1", &RunContext::MaterialsPurchasedSums, nullptr,
                     purchased[kMaterials], cat_.MsgNoMaterialsPurchased, failed.Table31});
    CheckSingleItemTables();
    pending.clear();
    const bool tablesPassed =
        std::min({failed.Table2, failed.Table21, failed.Table3, failed.Table31}) >= 0;
    return tablesPassed && ctx_.SpecialItemCount >= 0;
  }

 private:
  struct Table {
    std::string caption, code;
    Sums sums, capitalSums;
    double declared;  // by Table 1
    std::string missingInfo;
    double& failed;
  };

  void ParseSubsection(const std::string& heading, bool fromTop, const std::string& missingInfo,
                       CostKind kind, const Table& inKind, const Table& purchased) {
    ProcurementAccumulation inKindSums(ctx_, inKind.code, inKind.sums, inKind.capitalSums);
    ProcurementAccumulation purchasedSums(ctx_, purchased.code, purchased.sums,
                                          purchased.capitalSums);
    const auto captioned = [&](const Table& table, CostAccumulation& accumulation) {
      return CaptionedCostTable{{table.code, table.caption, kind},
                                table.declared,
                                table.missingInfo,
                                table.failed,
                                accumulation};
    };
    const CaptionedCostTable tables[] = {captioned(inKind, inKindSums),
                                         captioned(purchased, purchasedSums)};
    ParseCostSubsection(ctx_, heading, fromTop, missingInfo, tables);
  }

  // Subsection 10.3 holds one single-item table for every marked item, each under its
  // title.
  void CheckSingleItemTables() {
    auto& marked = ctx_.SpecialItemCount;
    auto& doc = ctx_.Document;
    if (marked == 0) {
      if (word::FindText(doc, true, cat_.TitleSingleItem)) {
        ctx_.AddError(cat_.MsgTooManySingleItemTables);
        marked = -1;
      }
      return;
    }
    if (!word::FindText(doc, true, cat_.HeadingII103)) {
      ctx_.AddError(cat_.MsgSubsectionMissing + word::PatternToText(cat_.HeadingII103));
      marked = -1;
      return;
    }
    for (int n = 0; n < marked; ++n) {
      if (!word::FindText(doc, false, cat_.TitleSingleItem)) {
        ctx_.AddError(cat_.MsgTooFewSingleItemTables);
        marked = -1;
        return;
      }
    }
    // One table too many is reported; it does not fail the tables.
    if (word::FindText(doc, false, cat_.TitleSingleItem)) {
      ctx_.AddError(cat_.MsgTooManySingleItemTables);
    }
  }

  RunContext& ctx_;
  const text::TextCatalogue& cat_;
};

}  // namespace

bool ParseProcurementTables(RunContext& ctx) {
  return RunTableParser(
      ctx,
      {"Validating procurement tables...", "Procurement tables parsed.",
       "Procurement tables contain errors."},
      [&](std::string& pending) { return ProcurementParser(ctx).Parse(pending); });
}

}  // namespace kv::validate
