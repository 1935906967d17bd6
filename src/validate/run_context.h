// The state of one run: every fact, figure and list the phases share, under the names
// the checks use. The phases receive it by reference; nothing else is shared.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "frontend/frontend.h"
#include "report/run_log.h"
#include "text/catalogue.h"
#include "text/reporting.h"
#include "word/document_access.h"

namespace kv::validate {

// Amounts of a budget by period: quarters 1 and 2 together, each project year, and the
// whole (in a cost table, the institute's "Subtotal:" row). Periods are numbered as the
// tables' period columns run: 0 quarters 1 and 2, 1 to 5 the years, 6 the whole.
template <typename Amount>
struct ByPeriod {
  static constexpr int kWhole = 6;

  Amount QuartersOneTwo{};
  std::array<Amount, 5> Years{};
  Amount Total{};

  Amount& operator[](int period) { return Period(*this, period); }
  const Amount& operator[](int period) const { return Period(*this, period); }
  bool operator==(const ByPeriod&) const = default;

 private:
  template <typename Self>
  static auto& Period(Self& self, int period) {
    if (period == 0) return self.QuartersOneTwo;
    if (period == kWhole) return self.Total;
    return self.Years.at(static_cast<std::size_t>(period - 1));
  }
};

// A sum over numbered categories beside each category's own; categories count from 1.
template <int Categories>
struct CategorySums {
  double Total = 0;
  std::array<double, Categories> Category{};

  double& Of(int category) { return Category.at(static_cast<std::size_t>(category - 1)); }
  double Of(int category) const { return Category.at(static_cast<std::size_t>(category - 1)); }
  bool operator==(const CategorySums&) const = default;
};

// The lines of a financial table as one amount column holds them: subtotals under the
// name of their group, the lines that add up to them after it.
enum FinancialLine : int {
  kTotalCosts,
  kGrants,
  kGrantsI,
  kGrantsII,
  kGrantsIII,
  kGrantsIV,
  kEquipment,
  kCapitalEquipment,
  kNonCapitalEquipment,
  kMaterials,
  kBankFees,
  kOtherDirectCosts,
  kTechnologicalEnergy,  // other direct costs 5.1
  kCommunications,
  kSubcontracts,
  kLogistics,
  kFurtherDirectCosts,  // 5.5
  kTravel,
  kCisTravel,
  kNonCisTravel,
  kFinancialLineCount
};
using FinancialLines = std::array<double, kFinancialLineCount>;

// The line of other direct costs of category 5.c.
constexpr int OtherDirectCostsLine(int category) {
  return kTechnologicalEnergy + category - 1;
}

// One period of a financial table: what the recipient spends and what is provided in kind.
struct FinancialColumns {
  FinancialLines Recipient{};
  FinancialLines InKind{};
  bool operator==(const FinancialColumns&) const = default;
};
using MoneyColumn = FinancialLines FinancialColumns::*;
// The two amount columns of a period, the recipient's first.
inline constexpr MoneyColumn kMoneyColumns[] = {&FinancialColumns::Recipient,
                                                &FinancialColumns::InKind};

// What the run finds out about the plan's content, reset before each document.
struct ValidationState {
  ValidationState() { SetParticipantCount(0); }

  // Holds the figures of the leading institution and `count` participants; those already
  // recorded stay, a new institution's are zero.
  void SetParticipantCount(int count);

  // Facts of the heading sequence.
  std::int16_t ParticipantCount = 0;

  // Results of the table parsers, indices 1 to 10.
  std::array<bool, 11> ParseResults{};

  // Figures recorded by the parsers for the cross-checks. Institutions are numbered 0
  // (leading) to ParticipantCount; financial tables 0 (the whole project) and t for
  // institution t - 1.
  using PersonnelFigures = CategorySums<4>;  // categories I to IV
  using FinancialPeriods = ByPeriod<FinancialColumns>;
  using CostColumns = ByPeriod<double>;
  using CostSums = std::vector<CostColumns>;
  using OdcCategories = CategorySums<5>;  // codes 5.1 to 5.5
  using OdcSums = std::vector<ByPeriod<OdcCategories>>;

  double ScheduleTotalDays = 0;
  std::vector<PersonnelFigures> PersonnelDays;  // Total -1: a table failed or none was there
  std::vector<PersonnelFigures> PersonnelGrants;
  std::int16_t TotalPersonnelCount = 0;
  std::vector<FinancialPeriods> FinancialTable;
  std::vector<ByPeriod<double>> FinancialTotals;  // Total -1: the table failed
  std::vector<double> OverheadValues;

  CostSums EquipmentInKindSums;
  CostSums EquipmentPurchasedSums;
  CostSums MaterialsInKindSums;
  CostSums MaterialsPurchasedSums;
  CostSums CapitalEquipmentInKindSums;
  CostSums CapitalEquipmentPurchasedSums;
  // -1 once the table failed.
  struct ProcurementFailures {
    double Table2 = 0, Table21 = 0, Table3 = 0, Table31 = 0;
  } ProcurementTableFailed;
  std::int16_t SpecialItemCount = 0;
  OdcSums OdcInKindSums;
  OdcSums OdcPurchasedSums;
  struct OdcFailures {
    double Table4 = 0, Table41 = 0;
  } OdcTableFailed;

  // Totals the consistency checks keep for the funding norms.
  double TotalGrants = 0;
  double ProjectTotalCost = 0;
};

struct RunContext : ValidationState {
  RunContext(report::RunLog& log, ui::Frontend& frontend);
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;

  report::RunLog& RunLog;
  ui::Frontend& Frontend;

  // Facts of the file name.
  bool DocLanguage = false;  // true for Russian
  std::string ProjectNumber;
  std::string ProjectType;
  bool SpecialSeries = false;
  bool RequireCategoryOne = true;
  bool ApplyGrantNorms = true;

  text::TextCatalogue TextCatalogue;
  text::DialogTexts DialogTexts;
  text::Reporter Messages;  // ErrorList, WarningList, InfoList
  word::DocumentAccess Document;

  // Facts of the heading sequence besides ParticipantCount.
  std::int16_t ProjectDurationMonths = 0;
  std::int16_t ProjectDurationQuarters = 0;
  std::int16_t ProjectDurationYears = 0;

  // Convenience for the phases.
  void WriteLog(const std::string& text) { RunLog.WriteLog(text); }
  void AddError(const std::string& message) { Messages.AddError(message); }
};

}  // namespace kv::validate
