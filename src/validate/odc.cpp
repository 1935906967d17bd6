// Subsection 10.4, other direct costs: what the Center pays (Table 4) and what the
// recipient pays (Table 4-1), added up per institution, period and cost category for the
// comparison with Table 1.
#include "validate/odc.h"

#include "validate/cost_table.h"
#include "validate/table_rules.h"
#include "word/text_rules.h"

namespace kv::validate {
namespace {

constexpr int kTotalSlot = 6;
constexpr int kPurchasedLine = 11, kInKindLine = 31;  // Table 1's whole-project amounts

// Every amount counts for all items (category 0) and for its own category. Any institute
// number is taken; one the sums cannot hold ends the parse.
class OdcAccumulation : public CostAccumulation {
 public:
  explicit OdcAccumulation(RunContext::OdcSums& sums) : sums_(sums) {}

  bool AcceptInstitute(int) override { return true; }
  double& Subtotal(int institute) override { return sums_.at(institute)[kTotalSlot][0]; }
  void CountItem(const CostItem&) override {}
  void Add(int institute, int column, const CostItem& item, double amount) override {
    auto& categories = sums_.at(institute).at(column);
    categories[0] += amount;
    categories.at(item.Mark) += amount;
  }

 private:
  RunContext::OdcSums& sums_;
};

bool ParseOdc(RunContext& ctx, std::string& pending) {
  const auto& cat = ctx.TextCatalogue;
  pending = cat.MsgUnknownErrorPrefix + word::PatternToText(cat.HeadingII104);
  OdcAccumulation inKind(ctx.OdcInKindSums), purchased(ctx.OdcPurchasedSums);
  const auto& declared = ctx.FinancialTable[0][kTotalSlot];
  auto& failed = ctx.OdcTableFailed;
  const CaptionedCostTable tables[] = {{{"4", cat.TitleTable4, CostKind::OtherDirectCosts},
                                        declared[kInKindLine],
                                        cat.MsgNoOdcInKind,
                                        failed[0],
                                        inKind},
                                       {{"4-1", cat.TitleTable41, CostKind::OtherDirectCosts},
                                        declared[kPurchasedLine],
                                        cat.MsgNoOdcPurchased,
                                        failed[1],
                                        purchased}};
  ParseCostSubsection(ctx, cat.HeadingII104, true, cat.MsgNoOdcSubsection, tables);
  pending.clear();
  return failed[0] >= 0 && failed[1] >= 0;
}

}  // namespace

bool ParseOdcTables(RunContext& ctx) {
  return RunTableParser(
      ctx, {"Validating ODC tables...", "ODC tables parsed.", "ODC tables contain errors."},
      [&](std::string& pending) { return ParseOdc(ctx, pending); });
}

}  // namespace kv::validate
