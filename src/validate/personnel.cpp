// Section 8.1, the personnel commitments: for each institution, one table per personnel
// category with a row per person (daily rate times days gives the amount) and a totals
// row that must agree with the person rows.
#include "validate/personnel.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "validate/table_rules.h"
#include "word/text_rules.h"

namespace kv::validate {
namespace {

enum Code {
  kRateNotWhole = 20804,
  kRateAbove35 = 20805,
  kRateBelow10 = 20806,
  kAbove220Days = 20809,
  kDaysNotHalf = 20814,
  kEmptyTable = 20815,
  kKeywordInTable = 20816,
  kNameMissing = 20817,
  kFunctionMissing = 20818,
  kBadWeaponCode = 20819,
  kWeaponCodeMissing = 20820,
  kCaptionWithoutTable = 20821,
};

constexpr const char* kNumerals[] = {"", "I", "II", "III", "IV"};

// Where a category's table keeps what is read; 0 for a column it does not have. Row 1
// is the heading row, the last row the totals row with days in column 2 and the
// amount in column 3.
struct Layout {
  int category, columns, persons, name, function, weapon, rate, days, amount;
};
constexpr Layout kCategoryTableLayouts[] = {
    {1, 8, 0, 1, 5, 4, 6, 7, 8}, {2, 7, 0, 1, 4, 0, 5, 6, 7}, {3, 6, 0, 1, 3, 0, 4, 5, 6},
    {4, 4, 0, 0, 1, 0, 2, 3, 4}, {4, 5, 1, 0, 1, 0, 3, 4, 5},  // column 1: the number of persons
                                                               // the row stands for
};

const Layout* CategoryTableLayout(int category, int columns) {
  for (const Layout& layout : kCategoryTableLayouts) {
    if (layout.category == category && layout.columns == columns) return &layout;
  }
  return nullptr;
}

constexpr std::string_view kWeaponExpertiseCodes =
    " 1.1 1.2 1.3 1.4 2.1 2.2 2.3 2.4 3.1 3.2 3.3 3.4 4.1 4.2 4.3 4.4 4.5 4.6 4.7 4.8 4.9 5.1 "
    "5.2 1 2 3 4 5 ";

bool IsWeaponExpertiseCode(const std::string& code) {
  return kWeaponExpertiseCodes.find(" " + code + " ") != std::string_view::npos;
}

// One, two or three codes separated by commas, each of them in the list.
bool ValidWeaponExpertise(std::string codes) {
  for (int commas = 0; commas < 2; ++commas) {
    const auto comma = codes.find(',');
    if (comma == std::string::npos) break;
    if (!IsWeaponExpertiseCode(word::NormalizeText(codes.substr(0, comma)))) return false;
    codes = word::NormalizeText(codes.substr(comma + 1));
  }
  return IsWeaponExpertiseCode(codes);
}

// The first `length` characters of the text equal `expected`, letter case aside.
bool LeadingCharactersMatch(const std::string& text, std::size_t length,
                            const std::string& expected) {
  return word::EqualIgnoringCase(word::ToUtf8(word::ToUtf32(text).substr(0, length)), expected);
}

bool BeginsWithCaption(const std::string& line, const std::string& caption) {
  return LeadingCharactersMatch(line, word::ToUtf32(caption).size(), caption);
}

// Authors put a word of the category I caption in quotation marks.
std::string WithoutQuotationMarks(std::string text) {
  for (const char* mark : {"\"", "«", "»", "“", "”"}) text = word::ReplaceText(text, mark, "");
  return text;
}

std::vector<std::string> Captions(const text::TextCatalogue& cat, int category) {
  switch (category) {
    case 1:
      return {cat.LblCategoryI};
    case 2:
      return {cat.LblCategoryII};
    case 3:
      return {cat.LblCategoryIII, cat.LblCategoryIIIAlt};
    default:
      return {cat.LblCategoryIV, cat.LblCategoryIVAlt};
  }
}

class PersonnelParser {
 public:
  explicit PersonnelParser(RunContext& ctx)
      : ctx_(ctx),
        doc_(ctx.Document),
        cat_(ctx.TextCatalogue),
        heading_(word::PatternToText(cat_.HeadingII8)) {}

  // The findings of the tables are reported here; what ends the walk early leaves its
  // message pending for the failure end.
  bool Parse(std::string& pending) {
    if (!word::FindText(doc_, true, cat_.HeadingII8)) {
      pending = cat_.MsgSectionMissing + heading_;
      return false;
    }
    if (!word::FindText(doc_, false, cat_.HeadingII81)) {
      pending = cat_.MsgSubsectionMissing + heading_;
      return false;
    }
    line_ = word::NextTextLine(doc_);
    if (line_.empty()) {
      pending = cat_.MsgNoTablesInSubsection + heading_;
      return false;
    }
    int totalPersons = 0;
    for (int n = 0; n <= ctx_.ParticipantCount; ++n) {
      label_ = text::InstitutionLabel(cat_, n);
      pending = cat_.MsgUnknownErrorPrefix + heading_ + " - " + label_;
      ReadInstitution(n);
      totalPersons += persons_;
    }
    if (totalPersons > std::numeric_limits<std::int16_t>::max()) {
      throw std::overflow_error("too many persons");
    }
    ctx_.TotalPersonnelCount = static_cast<std::int16_t>(totalPersons);
    pending.clear();
    return parseOk_;
  }

 private:
  word::WordApplication& App() {
    if (!doc_.WordApp) throw word::WordError("no document is open");
    return *doc_.WordApp;
  }
  word::TableId Table() const { return doc_.CurrentTable.value(); }
  std::string Text(int row, int column) { return word::CellText(doc_, row, column); }
  double Number(int row, int column) { return word::CellNumber(doc_, row, column); }

  // Institution n starts with its label line; without one it has no tables, and the
  // line is left for the next institution.
  void ReadInstitution(int n) {
    categoriesFound_ = 0;
    persons_ = 0;
    bool complete = true;
    if (StartsWith(line_, label_ + ":")) {
      line_ = word::NextTextLine(doc_);
      if (line_.empty()) {
        ReportNoPersonnelTables(&text::Reporter::AddWarning);
      } else {
        complete = ReadCategories(n);
      }
    }
    if (complete) FormInstitutionTotals(n);
    App().Collapse();
  }

  // The captions come in the order I to IV, each followed by its table; a category
  // without its caption is noted and the same line tried for the next one. False when
  // the document ends after a table.
  bool ReadCategories(int n) {
    for (int category = 1; category <= 4; ++category) {
      const auto captions = Captions(cat_, category);
      const std::string line = category == 1 ? WithoutQuotationMarks(line_) : line_;
      const auto matches = [&](const std::string& caption) {
        return BeginsWithCaption(line, caption);
      };
      if (std::none_of(captions.begin(), captions.end(), matches)) {
        ctx_.Messages.AddInfo(cat_.MsgNoCategory + kNumerals[category] + cat_.MsgPersonnelInfix +
                              label_);
        continue;
      }
      ReadCategory(n, category, captions.front());
      // After a caption without its table, the line already read is the next one. The
      // last table of the last institution ends the walk.
      if (!doc_.NextTextInTable || (category == 4 && n == ctx_.ParticipantCount)) continue;
      line_ = LineAfterTable();
      if (line_.empty() && category < 4) return false;
    }
    return true;
  }

  // The next line below the table that holds the selection, from its last row on.
  std::string LineAfterTable() {
    auto& app = App();
    app.Expand(word::wdTable);
    doc_.CurrentTable = app.Tables1();
    app.CellSelect(Table(), app.RowsCount(Table()), 1);
    return word::NextTextLine(doc_);
  }

  void ReadCategory(int n, int category, const std::string& caption) {
    ++categoriesFound_;
    numeral_ = kNumerals[category];
    line_ = word::NextLineText(doc_);
    if (line_.empty() || !App().Information(word::wdWithInTable)) {
      ctx_.Messages.ReportCodeWithNumber(kCaptionWithoutTable, n, word::NormalizeText(caption));
      return;
    }
    auto& app = App();
    app.Expand(word::wdTable);
    doc_.CurrentTable = app.Tables1();
    layout_ = CategoryTableLayout(category, app.ColumnsCount(Table()));
    if (layout_ == nullptr) {
      ctx_.AddError(cat_.MsgBadColumnCount + TableName());
      return;
    }
    const int rows = app.RowsCount(Table());
    if (ReportedAsEmpty(n)) return;
    if (category < 4) persons_ += std::max(rows - 2, 0);
    table_ = {};
    for (int r = 2; r < rows; ++r) ReadPersonRow(n, r);
    auto& days = ctx_.PersonnelDays.at(n);
    CheckTotal(rows, 2, table_.daysSum, days.Of(category));
    CheckTotal(rows, 3, table_.amountSum, ctx_.PersonnelGrants.at(n).Of(category));
    if (table_.ok) return;
    parseOk_ = false;
    days.Of(category) = -1;
    days.Total = -1;
    ReportTableErrors(ctx_, TableName(), table_.badTextCells, table_.badValueCells);
  }

  // A table left empty, or holding the word that should have replaced it, is not read.
  bool ReportedAsEmpty(int n) {
    const std::string text = Text(2, 1);
    const std::string& keyword = ctx_.DialogTexts.KeywordNone[ctx_.DocLanguage ? 1 : 0];
    const int code = text.empty()                               ? kEmptyTable
                     : LeadingCharactersMatch(text, 4, keyword) ? kKeywordInTable
                                                                : 0;
    if (code != 0) ReportCell(code, n, 2, 1);
    return code != 0;
  }

  void ReadPersonRow(int n, int row) {
    const Layout& layout = *layout_;
    if (layout.name != 0 && Text(row, layout.name).empty()) {
      ReportBadText(kNameMissing, n, row, layout.name);
    }
    if (Text(row, layout.function).empty()) {
      ReportBadText(kFunctionMissing, n, row, layout.function);
    }
    const int persons = layout.persons != 0 ? PersonsOfRow(row) : 1;
    if (layout.category == 4) persons_ += persons;
    if (layout.weapon != 0) CheckWeaponExpertise(n, row);

    const double rate = Number(row, layout.rate);
    if (rate == -1) {
      MarkBadText(row, layout.rate);
    } else if (layout.category != 1 || ctx_.ApplyGrantNorms) {
      CheckDailyRate(n, row, rate);
    }
    const double days = Number(row, layout.days);
    if (days == -1) {
      MarkBadText(row, layout.days);
    } else {
      CheckDays(n, row, days, persons);
      table_.daysSum += days;
    }
    const double amount = Number(row, layout.amount);
    if (amount == -1) {
      MarkBadText(row, layout.amount);
      return;
    }
    table_.amountSum += amount;
    if (rate != -1 && days != -1 && !Agree(amount, rate * days)) MarkBadValue(row, layout.amount);
  }

  // An empty count stands for one person. An unreadable one is marked and, so that it
  // cannot lower the number of persons, also counts as one.
  int PersonsOfRow(int row) {
    const int persons = word::CellInteger(doc_, row, layout_->persons);
    if (persons == -1) MarkBadText(row, layout_->persons);
    return std::max(persons, 1);
  }

  void CheckWeaponExpertise(int n, int row) {
    const int column = layout_->weapon;
    const std::string codes = Text(row, column);
    if (codes.empty()) {
      ReportBadText(kWeaponCodeMissing, n, row, column);
    } else if (!ValidWeaponExpertise(codes)) {
      ReportBadText(kBadWeaponCode, n, row, column);
    }
  }

  void CheckDailyRate(int n, int row, double rate) {
    if (!IsWholeNumber(rate)) ReportCell(kRateNotWhole, n, row, layout_->rate);
    if (rate + 0.005 < 10) ReportCell(kRateBelow10, n, row, layout_->rate);
    // Projects with foreign partners (type 4) may pay more.
    if (rate > 35.005 && ctx_.ProjectType != "4") ReportCell(kRateAbove35, n, row, layout_->rate);
  }

  void CheckDays(int n, int row, double days, int persons) {
    const int column = layout_->days;
    if (!IsHalfInteger(days)) ReportCell(kDaysNotHalf, n, row, column);
    if (days / persons / ctx_.ProjectDurationMonths * 12 > 220.005) {
      ReportCell(kAbove220Days, n, row, column);
    }
  }

  // The totals row must agree with the person rows; the agreed total is recorded.
  void CheckTotal(int row, int column, double sum, double& recorded) {
    const double total = Number(row, column);
    if (total == -1) {
      MarkBadText(row, column);
    } else if (!Agree(total, sum)) {
      MarkBadValue(row, column);
    } else {
      recorded = total;
    }
  }

  void FormInstitutionTotals(int n) {
    auto& days = ctx_.PersonnelDays.at(n);
    auto& grants = ctx_.PersonnelGrants.at(n);
    if (categoriesFound_ == 0) {
      days.Total = -1;
      ReportNoPersonnelTables(&text::Reporter::AddError);
      if (ctx_.ApplyGrantNorms) parseOk_ = false;
    } else if (days.Total != -1) {
      days.Total = std::accumulate(days.Category.begin(), days.Category.end(), 0.0);
      grants.Total = std::accumulate(grants.Category.begin(), grants.Category.end(), 0.0);
    }
  }

  // Counts as the given finding where the grant norms apply, as information otherwise.
  void ReportNoPersonnelTables(void (text::Reporter::*add)(const std::string&)) {
    if (!ctx_.ApplyGrantNorms) add = &text::Reporter::AddInfo;
    (ctx_.Messages.*add)(cat_.MsgNoPersonnelTables + label_);
  }

  std::string TableName() const {
    return heading_ + ", " + label_ + cat_.MsgCategoryInfix + numeral_;
  }

  void ReportCell(int code, int n, int row, int column) {
    ctx_.Messages.ReportCellCode(code, n, numeral_, row, column);
  }
  void ReportBadText(int code, int n, int row, int column) {
    ReportCell(code, n, row, column);
    MarkBadText(row, column);
  }
  void MarkBadText(int row, int column) {
    table_.badTextCells += word::MarkCell(doc_, row, column, word::wdRed);
    table_.ok = false;
  }
  void MarkBadValue(int row, int column) {
    table_.badValueCells += word::MarkCell(doc_, row, column, word::wdGreen);
    table_.ok = false;
  }

  RunContext& ctx_;
  word::DocumentAccess& doc_;
  const text::TextCatalogue& cat_;
  const std::string heading_;  // H

  std::string line_;  // the current line of the scan
  bool parseOk_ = true;
  std::string label_;  // L, the institution being read
  int categoriesFound_ = 0;
  int persons_ = 0;      // of the institution being read
  std::string numeral_;  // X, the category being read
  const Layout* layout_ = nullptr;
  struct TableState {
    bool ok = true;
    std::string badTextCells;   // red: missing or unreadable
    std::string badValueCells;  // green: does not agree
    double daysSum = 0, amountSum = 0;
  } table_;
};

}  // namespace

bool ParsePersonnelCommitments(RunContext& ctx) {
  return RunTableParser(ctx,
                        {"Validating personnel commitments...", "Personnel commitments parsed.",
                         "Personnel commitments contain errors."},
                        [&](std::string& pending) { return PersonnelParser(ctx).Parse(pending); });
}

}  // namespace kv::validate
