#include "serve/report_view.h"

#include <set>

#include "word/word_application.h"

namespace kv::serve {
namespace {

// A cell's text without its end-of-cell mark, paragraphs on lines of their own.
std::string PlainCellText(std::string text) {
  while (!text.empty() && (text.back() == '\a' || text.back() == '\r')) text.pop_back();
  for (char& c : text)
    if (c == '\r' || c == '\v' || c == '\a') c = '\n';
  return text;
}

std::vector<std::string> ReadRow(const word::WordApplication& app, int table, int row,
                                 int columns) {
  // A cell merged away reads as empty; the row ends with its last cell that exists.
  std::vector<std::string> cells;
  std::size_t existing = 0;
  for (int column = 1; column <= columns; ++column) {
    try {
      cells.push_back(PlainCellText(app.CellRangeText(table, row, column)));
      existing = cells.size();
    } catch (const word::WordError&) {
      cells.emplace_back();
    }
  }
  cells.resize(existing);
  return cells;
}

std::string TrimmedEnd(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

void CaptureView(validate::RunContext& ctx, ReportView& view) {
  view.errorsHeading = TrimmedEnd(ctx.TextCatalogue.SummaryErrorsHeading);
  view.warningsHeading = TrimmedEnd(ctx.TextCatalogue.SummaryWarningsHeading);
  view.infoHeading = TrimmedEnd(ctx.TextCatalogue.SummaryInfoHeading);
  std::set<int> numbers;
  for (const auto& cell : ctx.Document.MarkedCells) numbers.insert(cell.table);
  const auto& app = *ctx.Document.WordApp;
  for (const int number : numbers) {
    try {
      ShadedTable table{number, {}};
      const int columns = app.ColumnsCount(number);
      for (int row = 1, rows = app.RowsCount(number); row <= rows; ++row)
        table.rows.push_back(ReadRow(app, number, row, columns));
      view.tables.push_back(std::move(table));
    } catch (const word::WordError&) {
      // a marking outside any table shades nothing that could be drawn
    }
  }
}

}  // namespace kv::serve
