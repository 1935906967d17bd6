// Section 9, the financial tables: the budget of the whole project (Table 1) and, with
// participant institutions, of each institution (Table 1-1 for the leading one, 1-2 for
// participant 1, ...). Every table has the same grid: expense lines by row and, for each
// period (quarters 1 and 2, each project year, the total), a column of what the recipient
// spends and a column of what is provided in kind. Lines add up to their subtotals and
// the table total, the years to the totals column, and the last row repeats the totals.
#include "validate/financial.h"

#include <vector>

#include "validate/table_rules.h"
#include "word/text_rules.h"

namespace kv::validate {
namespace {

constexpr int kRowCount = 28;
constexpr int kLastRow = 28;

// How a row read in an amount column adds up.
enum class Line {
  Detail,    // adds to its group
  Single,    // a line of its own: adds to the table total
  Subtotal,  // the sum of its group; adds to the table total
  Overhead,  // only in the recipient totals column; adds to the table total
  Total,     // the sum of everything above
};

struct AmountRow {
  int row;
  int index;  // the FinancialLine; none for the overhead
  Line line;
};

// The rows read in every amount column, in reading order; rows 9, 15 and 22 are group
// captions.
constexpr AmountRow kAmountRows[] = {
    {4, kGrantsI, Line::Detail},
    {5, kGrantsII, Line::Detail},
    {6, kGrantsIII, Line::Detail},
    {7, kGrantsIV, Line::Detail},
    {8, kGrants, Line::Subtotal},
    {10, kCapitalEquipment, Line::Detail},
    {11, kNonCapitalEquipment, Line::Detail},
    {12, kEquipment, Line::Subtotal},
    {13, kMaterials, Line::Single},
    {14, kBankFees, Line::Single},
    {16, kTechnologicalEnergy, Line::Detail},
    {17, kCommunications, Line::Detail},
    {18, kSubcontracts, Line::Detail},
    {19, kLogistics, Line::Detail},
    {20, kFurtherDirectCosts, Line::Detail},
    {21, kOtherDirectCosts, Line::Subtotal},
    {23, kCisTravel, Line::Detail},
    {24, kNonCisTravel, Line::Detail},
    {25, kTravel, Line::Subtotal},
    {26, -1, Line::Overhead},
    {27, kTotalCosts, Line::Total},
};

// The totals column is compared with the years in these groups of expense lines.
const std::vector<std::vector<int>> kTotalsColumnGroups = {
    {4, 5, 6, 7}, {10, 11, 13}, {16, 17, 18, 19, 20}, {14, 23, 24}};

bool IsExpenseLine(Line line) {
  return line == Line::Detail || line == Line::Single;
}

int ValueIndex(int row) {
  for (const auto& amountRow : kAmountRows) {
    if (amountRow.row == row) return amountRow.index;
  }
  return -1;
}

class FinancialParser {
 public:
  explicit FinancialParser(RunContext& ctx)
      : ctx_(ctx),
        cat_(ctx.TextCatalogue),
        heading_(word::PatternToText(cat_.HeadingII9)),
        years_(ctx.ProjectDurationYears),
        totalColumn_(2 * years_ + 6) {}

  // Each table's findings are reported as it is read; a missing section, a run-time
  // failure or a table the figures cannot hold leaves its message pending.
  bool Parse(std::string& pending) {
    if (!word::FindText(ctx_.Document, true, cat_.HeadingII9)) {
      pending = cat_.MsgSectionMissing + heading_;
      return false;
    }
    const int participants = ctx_.ParticipantCount;
    const int lastTable = participants == 0 ? 0 : participants + 1;
    for (int t = 0; t <= lastTable; ++t) {
      label_ = InstitutionLabel(t);
      pending = cat_.MsgUnknownErrorPrefix + heading_ + " - " + label_;
      if (!ParseTable(t)) ctx_.FinancialTotals.at(t).Total = -1;
    }
    pending.clear();
    // Without participants the leading institution's figures are the project's.
    if (participants == 0) {
      ctx_.FinancialTable[1] = ctx_.FinancialTable[0];
      ctx_.FinancialTotals[1] = ctx_.FinancialTotals[0];
      ctx_.OverheadValues[1] = ctx_.OverheadValues[0];
    }
    for (int t = 0; t <= participants + 1; ++t) {
      if (ctx_.FinancialTotals.at(t).Total < 0) return false;
    }
    return true;
  }

 private:
  std::string InstitutionLabel(int t) const {
    if (t == 0) return cat_.LblRecipient;
    if (t == 1) return cat_.LblLeadingInstitution;
    return cat_.LblParticipantInstitution + std::to_string(t - 1);
  }

  std::string HeaderPattern(int t) const {
    if (t == 0) return cat_.TitleRecipientBudget;
    if (t == 1) return cat_.TitleLeadingBudget;
    return cat_.TitleParticipantBudget + std::to_string(t - 1);
  }

  word::WordApplication& App() {
    if (!ctx_.Document.WordApp) throw word::WordError("no document is open");
    return *ctx_.Document.WordApp;
  }

  double Number(int row, int column) { return word::CellNumber(ctx_.Document, row, column); }

  std::string Mark(int row, int column, int colour) {
    return word::MarkCell(ctx_.Document, row, column, colour);
  }

  // Finds table t below the previous one, checks its grid and reads it; false when the
  // table is missing or failed.
  bool ParseTable(int t) {
    badTextCells_.clear();
    badValueCells_.clear();
    const std::string number = t == 0 ? "" : "-" + std::to_string(t);
    if (!word::FindText(ctx_.Document, false, cat_.TitleTable1 + number)) {
      ctx_.AddError(cat_.MsgTableNumberMissing + word::PatternToText(cat_.TitleTable1) + number);
      return false;
    }
    const std::string title = word::PatternToText(HeaderPattern(t));
    if (!word::FindText(ctx_.Document, false, HeaderPattern(t))) {
      ctx_.AddError(cat_.MsgTableHeaderMissing + title);
      return false;
    }
    if (!SelectGrid(title)) return false;
    bool passed = true;
    auto& figures = ctx_.FinancialTable.at(t);
    for (int p = 0; p <= years_; ++p) {
      passed &= ReadFinancialColumn(4 + 2 * p, figures[p].Recipient, nullptr);
      passed &= ReadFinancialColumn(5 + 2 * p, figures[p].InKind, nullptr);
    }
    passed &=
        ReadFinancialColumn(totalColumn_, figures.Total.Recipient, &ctx_.OverheadValues.at(t));
    passed &= ReadFinancialColumn(totalColumn_ + 1, figures.Total.InKind, nullptr);
    passed &= CheckFinancialTable(t);
    if (passed) return true;
    ReportTableErrors(ctx_, title, badTextCells_, badValueCells_);
    return false;
  }

  // The table after the header becomes CurrentTable; false when there is none or its
  // grid is not the one of the project's duration.
  bool SelectGrid(const std::string& title) {
    auto& app = App();
    app.GoTo(word::wdGoToTable);
    if (app.Information(word::wdWithInTable) == 0) {
      ctx_.AddError(cat_.MsgTableMissing + title);
      return false;
    }
    app.Expand(word::wdTable);
    ctx_.Document.CurrentTable = app.Tables1();
    if (app.Information(word::wdMaximumNumberOfColumns) != totalColumn_ + 1) {
      ctx_.AddError(cat_.MsgBadColumnCount + title);
      return false;
    }
    if (app.Information(word::wdMaximumNumberOfRows) != kRowCount) {
      ctx_.AddError(cat_.MsgBadRowCount + title);
      return false;
    }
    return true;
  }

  // Grants are provided in kind only, and so is travel outside the CIS. CIS travel is
  // paid by the recipient; in the special series it may be either, and a project
  // without personnel of its own gets it in kind only.
  bool MustBeEmpty(int row, bool recipient) const {
    if (row >= 4 && row <= 8) return recipient;
    if (row == 24) return recipient;
    if (row == 23) {
      return ctx_.SpecialSeries ? recipient && ctx_.TotalPersonnelCount == 0 : !recipient;
    }
    return false;
  }

  // Reads one amount column into values. Overhead is given only for the recipient's
  // totals column, the one column that holds the overhead.
  bool ReadFinancialColumn(int column, FinancialLines& values, double* overhead) {
    const bool recipient = column % 2 == 0;
    std::string red, green;
    double groupSum = 0, grandSum = 0;
    for (const auto& [row, index, line] : kAmountRows) {
      const double v = Number(row, column);
      if (row == 10 || row == 16 || row == 23) groupSum = 0;
      if (line == Line::Overhead) {
        if (overhead == nullptr) {
          if (v > 0) red += Mark(row, column, word::wdRed);  // an amount out of its column
        } else if (v < 0) {
          red += Mark(row, column, word::wdRed);
        } else {
          *overhead = v;
          grandSum += v;
        }
        continue;
      }
      if (v < 0 || (v > 0 && MustBeEmpty(row, recipient))) {
        red += Mark(row, column, word::wdRed);
        continue;
      }
      values.at(static_cast<std::size_t>(index)) = v;
      if (line == Line::Detail) groupSum += v;
      if (line == Line::Single || line == Line::Subtotal) grandSum += v;
      const double expected = line == Line::Subtotal ? groupSum : grandSum;
      if ((line == Line::Subtotal || line == Line::Total) && !Agree(v, expected)) {
        green += Mark(row, column, word::wdGreen);
      }
    }
    badTextCells_ += red;
    badValueCells_ += green;
    return red.empty() && green.empty();
  }

  // The checks across the columns of table t: quarters 1 and 2 against year 1, the
  // totals column against the years, the last row against the totals.
  bool CheckFinancialTable(int t) {
    CompareQuartersWithYearOne(t);
    std::string red, green;
    CheckTotalsColumn(t, green);
    CheckLastRow(t, red, green);
    badTextCells_ += red;
    badValueCells_ += green;
    return red.empty() && green.empty();
  }

  // Quarters 1 and 2 are part of year 1. Reported on its own; the table still passes.
  void CompareQuartersWithYearOne(int t) {
    const auto& figures = ctx_.FinancialTable.at(t);
    std::string cells;
    for (int c = 0; c < 2; ++c) {
      const auto& quarters = figures.QuartersOneTwo.*kMoneyColumns[c];
      const auto& yearOne = figures.Years[0].*kMoneyColumns[c];
      for (const auto& [row, index, line] : kAmountRows) {
        if (IsExpenseLine(line) && quarters[index] > yearOne[index]) {
          cells += Mark(row, 4 + c, word::wdGreen);
        }
      }
    }
    if (cells.empty()) return;
    ctx_.AddError(cat_.MsgQuartersExceedYear + label_);
    ctx_.AddError(cells);
  }

  // Quarters 1 and 2 are not added: they are counted in year 1.
  void CheckTotalsColumn(int t, std::string& green) {
    const auto& figures = ctx_.FinancialTable.at(t);
    for (const auto& group : kTotalsColumnGroups) {
      for (int c = 0; c < 2; ++c) {
        const MoneyColumn column = kMoneyColumns[c];
        for (int row : group) {
          const int i = ValueIndex(row);
          double years = 0;
          for (int p = 1; p <= years_; ++p) years += (figures[p].*column)[i];
          if (!Agree((figures.Total.*column)[i], years)) {
            green += Mark(row, totalColumn_ + c, word::wdGreen);
          }
        }
      }
    }
  }

  // One merged cell per period and one for the whole table, each the sum of the two
  // totals of its columns.
  void CheckLastRow(int t, std::string& red, std::string& green) {
    const auto& figures = ctx_.FinancialTable.at(t);
    for (int p = 0; p <= years_ + 1; ++p) {
      const int slot = p <= years_ ? p : RunContext::FinancialPeriods::kWhole;
      const int cell = 4 + p;
      const double v = Number(kLastRow, cell);
      if (v == -1) {
        red += Mark(kLastRow, cell, word::wdRed);
      } else if (!Agree(v,
                        figures[slot].Recipient[kTotalCosts] + figures[slot].InKind[kTotalCosts])) {
        green += Mark(kLastRow, cell, word::wdGreen);
      } else {
        ctx_.FinancialTotals.at(t)[slot] = v;
      }
    }
  }

  RunContext& ctx_;
  const text::TextCatalogue& cat_;
  const std::string heading_;
  const int years_;
  const int totalColumn_;  // the recipient's; the in-kind totals follow it

  std::string label_;          // the institution of the table being read
  std::string badTextCells_;   // red: unreadable or misplaced
  std::string badValueCells_;  // green: does not add up
};

}  // namespace

bool ParseFinancialTables(RunContext& ctx) {
  return RunTableParser(ctx,
                        {"Validating section: 9. Financial Information", "Financial tables parsed.",
                         "Financial tables contain errors."},
                        [&](std::string& pending) { return FinancialParser(ctx).Parse(pending); });
}

}  // namespace kv::validate
