// The state of one run: every fact, figure and list the phases share, under the names
// the checks use. The phases receive it by reference; nothing else is shared.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "report/run_log.h"
#include "text/catalogue.h"
#include "text/reporting.h"
#include "frontend/frontend.h"
#include "word/document_access.h"

namespace kv::validate {

struct RunContext {
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

  // Facts of the heading sequence.
  std::int16_t ParticipantCount = 0;
  std::int16_t ProjectDurationMonths = 0;
  std::int16_t ProjectDurationQuarters = 0;
  std::int16_t ProjectDurationYears = 0;

  // Results of the table parsers, indices 1 to 10.
  std::array<bool, 11> ParseResults{};

  // Figures recorded by the parsers for the cross-checks. Institutions are indexed 0
  // (leading) to 15; financial tables t = 0 (the whole project) to 16 (institution t - 1).
  static constexpr int kMaxInstitutions = 16;
  static constexpr int kMaxFinancialTables = kMaxInstitutions + 1;
  using PersonnelFigures = std::array<std::array<double, 5>, kMaxInstitutions>;  // [n][category]
  using FinancialRows = std::array<double, 40>;           // recipient 0-19, in kind 20-39
  using FinancialPeriods = std::array<FinancialRows, 7>;  // quarters 1&2, years 1-5, total

  double ScheduleTotalDays = 0;
  PersonnelFigures PersonnelDays{};
  PersonnelFigures PersonnelGrants{};
  std::int16_t TotalPersonnelCount = 0;
  std::array<FinancialPeriods, kMaxFinancialTables> FinancialTable{};
  std::array<std::array<double, 7>, kMaxFinancialTables> FinancialTotals{};
  std::array<double, kMaxFinancialTables> OverheadValues{};

  // Cost tables per institution and column: 0 quarters 1&2, 1-5 years, 6 the subtotal.
  using CostColumns = std::array<double, 7>;
  using CostSums = std::array<CostColumns, kMaxInstitutions>;
  // Other direct costs also per category: 0 all items, 1-5 codes 5.1 to 5.5.
  using OdcSums = std::array<std::array<std::array<double, 6>, 7>, kMaxInstitutions>;

  CostSums EquipmentInKindSums{};
  CostSums EquipmentPurchasedSums{};
  CostSums MaterialsInKindSums{};
  CostSums MaterialsPurchasedSums{};
  CostSums CapitalEquipmentInKindSums{};
  CostSums CapitalEquipmentPurchasedSums{};
  std::array<double, 4> ProcurementTableFailed{};  // Tables 2, 2-1, 3, 3-1: 0 or -1
  std::int16_t SpecialItemCount = 0;
  OdcSums OdcInKindSums{};
  OdcSums OdcPurchasedSums{};
  std::array<double, 2> OdcTableFailed{};  // Tables 4, 4-1: 0 or -1

  // Totals the consistency checks keep for the funding norms.
  double TotalGrants = 0;
  double ProjectTotalCost = 0;

  // Convenience for the phases.
  void WriteLog(const std::string& text) { RunLog.WriteLog(text); }
  void AddError(const std::string& message) { Messages.AddError(message); }
};

}  // namespace kv::validate
