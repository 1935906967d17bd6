// Subsection 10.4, other direct costs: what the Center pays (Table 4) and what the
// recipient pays (Table 4-1), added up per institution, period and cost category for the
// comparison with Table 1.
#include "validate/odc.h"

#include <map>

#include "validate/cost_table.h"
#include "validate/table_rules.h"
#include "word/text_rules.h"

namespace kv::validate {
namespace {

// Every amount counts for all items and for its own category. Any institute number is
// taken; of an institute the plan does not list, nothing is compared with Table 1, so only
// its subtotal is kept.
class OdcAccumulation : public CostAccumulation {
 public:
  explicit OdcAccumulation(RunContext::OdcSums& sums) : sums_(sums) {}

  bool AcceptInstitute(int) override { return true; }
  double& Subtotal(int institute) override {
    return Listed(institute) ? sums_[Index(institute)].Total.Total : unlistedSubtotals_[institute];
  }
  void CountItem(const CostItem&) override {}
  void Add(int institute, int column, const CostItem& item, double amount) override {
    if (!Listed(institute)) return;
    auto& categories = sums_[Index(institute)][column];
    categories.Total += amount;
    categories.Of(item.Mark) += amount;
  }

 private:
  static std::size_t Index(int institute) { return static_cast<std::size_t>(institute); }
  bool Listed(int institute) const { return institute >= 0 && Index(institute) < sums_.size(); }

  RunContext::OdcSums& sums_;
  std::map<int, double> unlistedSubtotals_;
};

bool ParseOdc(RunContext& ctx, std::string& pending) {
  const auto& cat = ctx.TextCatalogue;
  pending = cat.MsgUnknownErrorPrefix + word::PatternToText(cat.HeadingII104);
  OdcAccumulation inKind(ctx.OdcInKindSums), purchased(ctx.OdcPurchasedSums);
  const auto& declared = ctx.FinancialTable.at(0).Total;  // by Table 1
  auto& failed = ctx.OdcTableFailed;
  const CaptionedCostTable tables[] = {{{"4", cat.TitleTable4, CostKind::OtherDirectCosts},
                                        declared.InKind[kOtherDirectCosts],
                                        cat.MsgNoOdcInKind,
                                        failed.Table4,
                                        inKind},
                                       {{"4-1", cat.TitleTable41, CostKind::OtherDirectCosts},
                                        declared.Recipient[kOtherDirectCosts],
                                        cat.MsgNoOdcPurchased,
                                        failed.Table41,
                                        purchased}};
  ParseCostSubsection(ctx, cat.HeadingII104, true, cat.MsgNoOdcSubsection, tables);
  pending.clear();
  return failed.Table4 >= 0 && failed.Table41 >= 0;
}

}  // namespace

bool ParseOdcTables(RunContext& ctx) {
  return RunTableParser(
      ctx, {"Validating ODC tables...", "ODC tables parsed.", "ODC tables contain errors."},
      [&](std::string& pending) { return ParseOdc(ctx, pending); });
}

}  // namespace kv::validate
