#include "validate/cost_table.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <optional>

#include "validate/table_rules.h"
#include "word/text_rules.h"

namespace kv::validate {
namespace {

constexpr int kColumns = 7;
constexpr int kMinRows = 7;
constexpr int kFirstDataRow = 6;
constexpr int kMissingSubtotalCode = 21090;
constexpr int kNoTotalRowCode = 21091;
const std::string kCyrillicCapitalHa = "Х";
const std::string kCyrillicSmallHa = "х";

CostKind KindOfCode(const std::string& code) {
  if (StartsWith(code, "2")) return CostKind::Equipment;
  if (StartsWith(code, "4")) return CostKind::OtherDirectCosts;
  return CostKind::Materials;
}

// A whole number as typed, within the 16-bit range the counters hold; nothing for any
// other text.
std::optional<int> WholeNumber(const std::string& text) {
  const auto value = word::ReadNumeric(text);
  if (!value || *value != std::trunc(*value) || *value < std::numeric_limits<std::int16_t>::min() ||
      *value > std::numeric_limits<std::int16_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(*value);
}

// Passes over `prefix` at the start of text and the `extra` characters after it; false
// when text does not begin with it.
bool Skip(std::u32string& text, const std::string& prefix, std::size_t extra) {
  const std::u32string start = word::ToUtf32(prefix);
  if (text.compare(0, start.size(), start) != 0) return false;
  text.erase(0, std::min(text.size(), start.size() + extra));
  return true;
}

std::u32string Trimmed(const std::u32string& text) {
  return word::ToUtf32(word::TrimBlanks(word::ToUtf8(text)));
}

// The two check lines of the table: a plain table is provided in kind, a "-1" table
// purchased by the recipient.
std::pair<std::string, std::string> CheckLines(const text::TextCatalogue& cat,
                                               const std::string& code) {
  const bool purchased = code.size() > 1;
  switch (KindOfCode(code)) {
    case CostKind::Equipment:
      return purchased ? std::pair{cat.ChkEquipInKindOff, cat.ChkEquipPurchasedOn}
                       : std::pair{cat.ChkEquipInKindOn, cat.ChkEquipPurchasedOff};
    case CostKind::Materials:
      return purchased ? std::pair{cat.ChkMatInKindOff, cat.ChkMatPurchasedOn}
                       : std::pair{cat.ChkMatInKindOn, cat.ChkMatPurchasedOff};
    case CostKind::OtherDirectCosts:
      break;
  }
  return purchased ? std::pair{cat.ChkOdcInKindOff, cat.ChkOdcPurchasedOn}
                   : std::pair{cat.ChkOdcInKindOn, cat.ChkOdcPurchasedOff};
}

const std::string& Title(const text::TextCatalogue& cat, CostKind kind) {
  switch (kind) {
    case CostKind::Equipment:
      return cat.TitleEquipmentSummary;
    case CostKind::Materials:
      return cat.TitleMaterialSummary;
    case CostKind::OtherDirectCosts:
      break;
  }
  return cat.TitleOdcSummary;
}

word::WordApplication& App(RunContext& ctx) {
  if (!ctx.Document.WordApp) throw word::WordError("no document is open");
  return *ctx.Document.WordApp;
}

// A row whose first column is empty continues the item above when only its description
// (column 3) holds text.
bool IsContinuationRow(RunContext& ctx, int row) {
  try {
    auto& app = App(ctx);
    app.RowsSelect(ctx.Document.CurrentTable.value(), row);
    const int columns = app.Information(word::wdMaximumNumberOfColumns);
    if (columns < 3 || !word::CellText(ctx.Document, row, 2).empty()) return false;
    for (int c = 4; c <= columns; ++c) {
      if (!word::CellText(ctx.Document, row, c).empty()) return false;
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// Column 2 of an item row: the single-item mark of equipment (Latin or Cyrillic x) and
// materials (Latin only), the category code "5.1" to "5.5" of other direct costs. False
// for any other text.
bool ReadItemMark(CostKind kind, const std::string& text, CostItem& item) {
  if (kind == CostKind::OtherDirectCosts) {
    for (int category = 1; category <= 5; ++category) {
      if (text == "5." + std::to_string(category)) {
        item.Mark = static_cast<std::int16_t>(category);
        return true;
      }
    }
    return false;
  }
  item.Mark = 0;
  if (text.empty()) return true;
  const bool latin = text == "x" || text == "X";
  const bool cyrillic = text == kCyrillicCapitalHa || text == kCyrillicSmallHa;
  if (!latin && !(cyrillic && kind == CostKind::Equipment)) return false;
  item.Mark = -1;
  return true;
}

// Half a cent goes to the even cent.
double RoundToCents(double amount) {
  return std::nearbyint(amount * 100) / 100;
}

class CostTableReader {
 public:
  CostTableReader(RunContext& ctx, const CostTableSpec& spec, CostAccumulation& accumulation)
      : ctx_(ctx), cat_(ctx.TextCatalogue), spec_(spec), accumulation_(accumulation) {}

  CostTableResult Read() {
    if (!SelectTable()) return Failed(true);
    if (!CheckCostTableHeader(ctx_, spec_.code)) {
      ctx_.AddError(cat_.MsgErrorsInTableHeader + spec_.caption);
      word::MarkCell(ctx_.Document, 2, 1, word::wdRed);  // in no list: the table still passes
    }
    bool totalFound = false;
    for (int row = kFirstDataRow; row <= rows_ && !totalFound; ++row) {
      const std::string r = ClassifyCostRow(ctx_, row);
      if (!Placeable(r, row)) return Failed(true);
      if (StartsWith(r, "i")) {
        if (!OpenBlock(std::stoi(r.substr(1)), row)) return Failed(true);
      } else if (r == "t") {
        ReadTotalRow(row);
        totalFound = true;
      } else if (rejected_) {
        MarkText(row, 1);
      } else if (r == "s") {
        ReadSubtotalRow(row);
      } else if (r != "c") {
        ReadItemRow(row);
      }
    }
    if (!totalFound) ctx_.Messages.ReportCodeWithText(kNoTotalRowCode, spec_.code);
    if (badTextCells_.empty() && badValueCells_.empty()) return {true, false};
    return Failed(false);
  }

 private:
  CostTableResult Failed(bool abandoned) {
    // An abandoned table with nothing marked is reported by its one message.
    if (!badTextCells_.empty() || !badValueCells_.empty()) {
      ReportTableErrors(ctx_, spec_.caption, badTextCells_, badValueCells_);
    }
    return {false, abandoned};
  }

  void MarkText(int row, int column) {
    badTextCells_ += word::MarkCell(ctx_.Document, row, column, word::wdRed);
  }

  bool SelectTable() {
    auto& app = App(ctx_);
    app.GoTo(word::wdGoToTable);
    if (app.Information(word::wdWithInTable) == 0) {
      ctx_.AddError(cat_.MsgTableMissing + spec_.caption);
      return false;
    }
    app.Expand(word::wdTable);
    ctx_.Document.CurrentTable = app.Tables1();
    if (app.Information(word::wdMaximumNumberOfColumns) != kColumns) {
      ctx_.AddError(cat_.MsgBadColumnCount + spec_.caption);
      return false;
    }
    rows_ = app.Information(word::wdMaximumNumberOfRows);
    if (rows_ < kMinRows) {
      ctx_.AddError(cat_.MsgBadRowCount + spec_.caption);
      return false;
    }
    return true;
  }

  // Every row but the total belongs to an institute block. Under a refused institute the
  // row is marked and read on (and marked again as the item it cannot be); otherwise the
  // table is given up.
  bool Placeable(const std::string& r, int row) {
    const bool unplaced = r.empty() || (!StartsWith(r, "i") && institute_ < 0 && r != "t");
    if (!unplaced) return true;
    MarkText(row, 1);
    if (rejected_) return true;
    std::string message = cat_.MsgBadRowFormat + std::to_string(row) + ": " + spec_.caption;
    if (institute_ < 0) message += cat_.MsgInstituteNameExpected;
    ctx_.AddError(message);
    return false;
  }

  bool HasNoSubtotal() {
    return institute_ >= 0 && !rejected_ && accumulation_.Subtotal(institute_) == 0;
  }

  bool OpenBlock(int n, int row) {
    ++blockCount_;
    if (n <= institute_) {
      ctx_.AddError(cat_.MsgBadInstituteReference + std::to_string(row) + ": " + spec_.caption);
      MarkText(row, 1);
      return false;
    }
    if (HasNoSubtotal()) {
      ctx_.Messages.ReportCodeWithNumber(kMissingSubtotalCode, institute_, spec_.code);
    }
    rejected_ = !accumulation_.AcceptInstitute(n);
    if (rejected_) MarkText(row, 1);
    institute_ = n;
    itemSum_ = 0;
    return true;
  }

  void ReadSubtotalRow(int row) {
    const double v = word::CellNumber(ctx_.Document, row, 2);
    if (v == -1) {
      MarkText(row, 2);
      return;
    }
    accumulation_.Subtotal(institute_) = v;
    subtotalSum_ += v;
    if (!Agree(v, itemSum_)) {
      badValueCells_ += word::MarkCell(ctx_.Document, row, 2, word::wdGreen);
    }
  }

  // The item's total is spread evenly over its quarters, each share rounded to cents.
  void ReadItemRow(int row) {
    CostItem item;
    const int k = ReadCostItemRow(ctx_, spec_.kind, row, badTextCells_, badValueCells_, item);
    if (k < 1) return;
    accumulation_.CountItem(item);
    const double share = RoundToCents(item.Total / k);
    if (!Agree(k * share, item.Total)) {
      ctx_.AddError(cat_.MsgTotalNotDivisible + std::to_string(item.ItemNo) + ": " + spec_.caption);
      word::MarkCell(ctx_.Document, row, 4, word::wdGreen);  // in no list
    }
    const int quarters = std::min<int>(ctx_.ProjectDurationQuarters, 20);
    for (int q = 1; q <= quarters; ++q) {
      if (!item.Quarters[q]) continue;
      if (q <= 2) accumulation_.Add(institute_, 0, item, share);
      accumulation_.Add(institute_, (q + 3) / 4, item, share);
    }
    itemSum_ += item.Total;
  }

  // The total must agree with the subtotals; a table of one block may give its only
  // amount there.
  void ReadTotalRow(int row) {
    if (row != rows_) {
      ctx_.AddError(cat_.MsgTotalBeforeEnd + spec_.caption);
      MarkText(row, 1);
    }
    const double v = word::CellNumber(ctx_.Document, row, 2);
    if (v == -1) {
      MarkText(row, 2);
    } else if (!Agree(v, subtotalSum_)) {
      badValueCells_ += word::MarkCell(ctx_.Document, row, 2, word::wdGreen);
    } else if (HasNoSubtotal()) {
      if (blockCount_ < 2) {
        accumulation_.Subtotal(institute_) = v;
      } else {
        ctx_.Messages.ReportCodeWithNumber(kMissingSubtotalCode, institute_, spec_.code);
      }
    }
  }

  RunContext& ctx_;
  const text::TextCatalogue& cat_;
  const CostTableSpec& spec_;
  CostAccumulation& accumulation_;

  int rows_ = 0;
  int institute_ = -1;  // of the block being read
  bool rejected_ = false;
  int blockCount_ = 0;
  double itemSum_ = 0;      // the accepted items of the block
  double subtotalSum_ = 0;  // the subtotal rows read
  std::string badTextCells_;
  std::string badValueCells_;
};

}  // namespace

bool CheckCostTableHeader(RunContext& ctx, const std::string& code) {
  const auto& cat = ctx.TextCatalogue;
  std::u32string s = word::ToUtf32(word::CellText(ctx.Document, 2, 1));
  if (s.empty()) return false;
  const std::string& title = Title(cat, KindOfCode(code));
  const bool titled =
      Skip(s, title, 1) || (StartsWith(code, "3") && Skip(s, cat.TitleMaterialsSummary, 1));
  if (!titled) return false;
  s = Trimmed(s);
  if (!Skip(s, cat.TitleProjectAgreement, 0)) return false;
  s = Trimmed(s);
  if (!Skip(s, ctx.ProjectNumber, 0)) return false;
  // The project number ends at a blank, a line break or the end of the text.
  if (!s.empty() && !word::IsBlank(s.front())) return false;
  if (!s.empty()) s.erase(0, 1);
  std::string rest =
      word::ReplaceText(word::NormalizeText(word::ToUtf8(s)), kCyrillicCapitalHa, "X");
  s = word::ToUtf32(rest);
  const auto [first, second] = CheckLines(cat, code);
  if (!Skip(s, first, 1)) return false;
  return Trimmed(s) == word::ToUtf32(second);
}

std::string ClassifyCostRow(RunContext& ctx, int row) {
  const auto& cat = ctx.TextCatalogue;
  const std::string t = word::CellText(ctx.Document, row, 1);
  if (t.empty()) return IsContinuationRow(ctx, row) ? "c" : "";
  if (StartsWith(t, cat.LblLeadingInstitution)) return "i0";
  if (StartsWith(t, cat.LblParticipantInstitution)) {
    const std::string rest = t.substr(cat.LblParticipantInstitution.size());
    const auto n = WholeNumber(word::TrimBlanks(rest.substr(0, rest.find(':'))));
    return n ? "i" + std::to_string(*n) : "";
  }
  if (t == cat.LblSubtotal) return "s";
  if (t == cat.LblEstimatedTotalCost) return "t";
  const auto n = WholeNumber(t);
  return n && *n >= 1 ? t : "";
}

int ParseQuarterList(const RunContext& ctx, std::string text, std::array<bool, 21>& quarters) {
  text = word::ReplaceText(word::ReplaceText(text, "–", "-"), "—", "-");
  if (text.empty()) return -1;
  quarters.fill(false);
  const int last = std::min<int>(ctx.ProjectDurationQuarters, 20);
  int count = 0;
  for (std::size_t p = 0; p < text.size();) {
    const std::size_t comma = std::min(text.find(',', p), text.size());
    const std::string item = text.substr(p, comma - p);
    p = comma + 1;
    const std::size_t dash = item.find('-');
    const auto from = WholeNumber(item.substr(0, dash));
    const auto to = dash == std::string::npos ? from : WholeNumber(item.substr(dash + 1));
    if (!from || !to || *from < 1 || *to > last) return -1;
    if (dash != std::string::npos && *from >= *to) return -1;
    for (int q = *from; q <= *to; ++q) {
      if (quarters[q]) return -1;
      quarters[q] = true;
    }
    count += *to - *from + 1;
  }
  return count;
}

int ReadCostItemRow(RunContext& ctx, CostKind kind, int row, std::string& badTextCells,
                    std::string& badValueCells, CostItem& item) {
  auto& doc = ctx.Document;
  std::string red, green;
  bool acceptable = true;
  item.ItemNo = word::CellInteger(doc, row, 1);
  if (item.ItemNo < 1) {
    red += word::MarkCell(doc, row, 1, word::wdRed);
    acceptable = false;
  }
  if (!ReadItemMark(kind, word::CellText(doc, row, 2), item)) {
    red += word::MarkCell(doc, row, 2, word::wdRed);
    acceptable = false;
  }
  // Equipment comes in whole pieces.
  item.Quantity =
      kind == CostKind::Equipment ? word::CellLong(doc, row, 5) : word::CellNumber(doc, row, 5);
  if (item.Quantity < 0) red += word::MarkCell(doc, row, 5, word::wdRed);
  item.UnitPrice = word::CellNumber(doc, row, 6);
  if (item.UnitPrice < 0) red += word::MarkCell(doc, row, 6, word::wdRed);
  item.Total = word::CellNumber(doc, row, 7);
  if (item.Total < 0) {
    red += word::MarkCell(doc, row, 7, word::wdRed);
    acceptable = false;
  } else if (item.UnitPrice > 0 && item.Quantity > 0 &&
             !Agree(item.UnitPrice * item.Quantity, item.Total)) {
    green += word::MarkCell(doc, row, 7, word::wdGreen);
  }
  const int k = ParseQuarterList(ctx, word::CellText(doc, row, 4), item.Quarters);
  if (k < 0) {
    red += word::MarkCell(doc, row, 4, word::wdRed);
    acceptable = false;
  }
  badTextCells += red;
  badValueCells += green;
  return acceptable ? k : 0;
}

CostTableResult ParseCostTable(RunContext& ctx, const CostTableSpec& spec,
                               CostAccumulation& accumulation) {
  return CostTableReader(ctx, spec, accumulation).Read();
}

void ParseCostSubsection(RunContext& ctx, const std::string& heading, bool fromTop,
                         const std::string& missingInfo,
                         std::span<const CaptionedCostTable> tables) {
  if (!word::FindText(ctx.Document, fromTop, heading)) {
    const bool declared =
        std::any_of(tables.begin(), tables.end(), [](const auto& t) { return t.declared != 0; });
    if (declared) ctx.Messages.AddInfo(missingInfo);
    return;
  }
  std::string caption = word::ToUpper(word::NextTextLine(ctx.Document));
  for (const auto& table : tables) {
    if (caption != table.spec.caption) {
      if (table.declared != 0) ctx.Messages.AddInfo(table.missingInfo);
      continue;
    }
    const auto result = ParseCostTable(ctx, table.spec, table.accumulation);
    if (!result.abandoned) {
      word::NextTextLine(ctx.Document);  // the line below the table
      caption = word::ToUpper(word::NextTextLine(ctx.Document));
    }
    if (!result.passed) table.failed = -1;
  }
}

}  // namespace kv::validate
