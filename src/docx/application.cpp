#include "docx/application.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "docx/document.h"
#include "docx/editing.h"
#include "docx/find.h"

namespace kv::word {
namespace {

using docx::Line;

// Background colours of the colour indexes the checks use.
const char* FillOf(int colorIndex) {
  switch (colorIndex) {
    case wdRed:
      return "FF0000";
    case wdGreen:
      return "008000";
    case wdYellow:
      return "FFFF00";
    default:
      throw WordError("unsupported colour index " + std::to_string(colorIndex));
  }
}

const char* ViewNameOf(int type) {
  switch (type) {
    case wdNormalView:
      return "normal";
    case 2:
      return "outline";
    case 3:
      return "print";
    case 6:
      return "web";
    default:
      throw WordError("unsupported view type " + std::to_string(type));
  }
}

class DocxApplication : public WordApplication {
 public:
  void DocumentsOpen(const std::string& path) override {
    CloseDocument();
    if (path.empty()) throw WordError("no file name");
    OpenPackage(path);
    path_ = path;
  }

  bool HasActiveDocument() const override { return doc_ != nullptr; }

  void SaveAs(const std::string& path) override {
    ApplyProofing();
    Doc().Write(path);
    path_ = path;
  }

  void Save() override {
    ApplyProofing();
    Doc().Write(path_);
  }

  void CloseDocument() override {
    doc_.reset();
    start_ = end_ = 0;
    hint_ = 0;
    noProofing_ = false;
    unproofed_.clear();
  }

  void Quit() override { CloseDocument(); }
  void SetVisible(bool visible) override { visible_ = visible; }

  // One window, never split. View and zoom go into the settings part; a document without
  // one keeps the reader's defaults.
  int SplitSpecial() const override { return wdPaneNone; }
  void SetActivePaneViewType(int type) override { SetViewType(type); }
  void SetViewType(int type) override {
    const char* view = ViewNameOf(type);
    if (pugi::xml_node settings = Doc().Settings()) {
      docx::SetViewSetting(doc_->settingsNames(), settings, view);
    }
  }
  void SetZoomPercentage(int percent) override {
    if (percent < 10 || percent > 500) throw WordError("zoom out of range");
    if (pugi::xml_node settings = Doc().Settings()) {
      docx::SetZoomSetting(doc_->settingsNames(), settings, percent);
    }
  }

  void HomeKey(int unit, int extend) override {
    const long target = unit == wdStory  ? 0
                        : unit == wdLine ? CurrentLine().start
                                         : throw WordError("unsupported unit");
    start_ = target;
    if (extend == wdMove) end_ = target;
  }

  void Expand(int unit) override {
    if (unit == wdLine) {
      const Line& first = CurrentLine();
      const Line& last = Lines()[Story().LineAt(std::max(end_ - 1, start_), hint_)];
      Select(first.start, last.end());
    } else if (unit == wdTable) {
      const docx::LineRange range = Story().table(CurrentTableId()).lines;
      if (range.empty()) throw WordError("the table is empty");
      Select(Lines()[range.first].start, Lines()[range.end - 1].end());
    } else {
      throw WordError("unsupported unit");
    }
  }

  void Collapse(int direction) override {
    if (direction == wdCollapseStart) {
      end_ = start_;
    } else {
      start_ = end_;
    }
  }

  void GoToNext(int what) override {
    if (what != wdGoToLine) throw WordError("unsupported go-to item");
    const std::size_t line = Story().LineAt(start_, hint_);
    if (line + 1 >= Lines().size()) return;  // the last line: no move
    hint_ = line + 1;
    Select(Lines()[hint_].start, Lines()[hint_].start);
  }

  void GoTo(int what) override {
    if (what != wdGoToTable) throw WordError("unsupported go-to item");
    const int table = Story().NextTableAfter(start_);
    if (table == 0) return;
    const long start = Lines()[Story().table(table).lines.first].start;
    Select(start, start);
  }

  void WholeStory() override { Select(0, Story().length()); }

  int Information(int type) const override {
    const Line& line = CurrentLine();
    switch (type) {
      case wdWithInTable:
        return line.table != 0;
      case wdMaximumNumberOfRows:
        return line.table == 0 ? -1 : static_cast<int>(Story().table(line.table).rows.size());
      case wdMaximumNumberOfColumns:
        return line.table == 0 ? -1 : SelectionColumns(line);
      default:
        throw WordError("unsupported information type");
    }
  }

  long Start() const override { return start_; }

  std::string Text() const override {
    std::string text;
    const auto& lines = Lines();
    for (std::size_t i = Story().LineAt(start_, hint_); i < lines.size(); ++i) {
      const Line& line = lines[i];
      if (line.start >= end_) break;
      const long from = std::max(start_, line.start) - line.start;
      const long to = std::min<long>(end_ - line.start, line.length);
      if (to > from) {
        text += docx::SubstringByCodePoints(line.text, static_cast<int>(from),
                                            static_cast<int>(to - from));
      }
      if (end_ >= line.end()) text += line.terminator;
    }
    return text;
  }

  TableId Tables1() const override { return CurrentTableId(); }

  bool FindExecute(const std::string& findText, const FindOptions& options) override {
    if (options.MatchWholeWord || options.MatchWildcards || options.MatchSoundsLike ||
        options.MatchAllWordForms || !options.Forward || options.Wrap != wdFindStop ||
        options.Format) {
      throw WordError("unsupported find options");
    }
    const docx::FindPattern pattern(findText, options.MatchCase);
    if (pattern.empty()) return false;
    const auto& lines = Lines();
    const std::size_t first = Story().LineAt(end_, hint_);
    for (std::size_t i = first; i < lines.size(); ++i) {
      const int from = i == first ? static_cast<int>(end_ - lines[i].start) : 0;
      if (const auto match = pattern.Search(lines[i].text, from)) {
        hint_ = i;
        Select(lines[i].start + match->offset, lines[i].start + match->offset + match->length);
        return true;
      }
    }
    return false;
  }

  int RowsCount(TableId table) const override {
    return static_cast<int>(Story().table(table).rows.size());
  }
  int ColumnsCount(TableId table) const override { return Story().table(table).columns; }

  std::string CellRangeText(TableId table, int row, int column) const override {
    const docx::LineRange range = Cell(table, row, column).lines;
    std::string text;
    for (std::size_t i = range.first; i < range.end; ++i) {
      text += Lines()[i].text;
      text += i + 1 < range.end ? Lines()[i].terminator : '\r';
    }
    return text + '\a';
  }

  void CellSelect(TableId table, int row, int column) override {
    SelectLines(Cell(table, row, column).lines);
  }

  void RowsSelect(TableId table, int index) override {
    const auto& rows = Story().table(table).rows;
    if (index < 1 || index > static_cast<int>(rows.size())) throw WordError("no such row");
    SelectLines(rows[static_cast<std::size_t>(index) - 1].lines);
  }

  void SetCellsShadingTexture(int texture) override {
    if (texture != wdTextureNone) throw WordError("unsupported texture");
    for (pugi::xml_node cell : SelectedCells()) docx::ClearCellTexture(Names(), cell);
  }

  void SetCellsShadingBackgroundPatternColorIndex(int colorIndex) override {
    const char* fill = FillOf(colorIndex);
    for (pugi::xml_node cell : SelectedCells()) docx::ShadeCell(Names(), cell, fill);
  }

  void SetLanguageID(int languageId) override {
    if (languageId != wdNoProofing) throw WordError("unsupported language");
    // Proofing marks only what is saved: they are set when the document is next saved or
    // edited, so a run that saves nothing never walks the whole story for them.
    const std::vector<pugi::xml_node> selected = SelectedParagraphs();
    unproofed_.insert(unproofed_.end(), selected.begin(), selected.end());
    noProofing_ = true;  // text typed later is not proofed either
  }

  void SetStyle(int style) override {
    if (style != wdStyleNormal) throw WordError("unsupported style");
    for (pugi::xml_node paragraph : SelectedParagraphs()) {
      docx::ApplyNormalStyle(Names(), paragraph);
    }
  }

  void TypeText(const std::string& text) override {
    ApplyProofing();
    std::size_t from = 0;
    while (true) {
      const std::size_t mark = text.find_first_of("\r\n", from);
      InsertText(std::string_view(text).substr(from, mark - from));
      if (mark == std::string::npos) break;
      TypeParagraph();
      from = mark + (text.compare(mark, 2, "\r\n") == 0 ? 2 : 1);
    }
  }

  void TypeParagraph() override {
    ApplyProofing();
    const std::size_t index = InsertionLine();
    const Line context = Lines()[index];
    if (start_ == 0 && context.table != 0) {
      // At the top of a document that starts with a table the paragraph goes before it.
      pugi::xml_node paragraph = docx::InsertParagraphBefore(Names(), OutermostTable(context));
      Story().Splice({0, 0}, {paragraph}, Line{});
      hint_ = 1;
    } else {
      const docx::LineRange range = Story().ParagraphLines(index);
      const int offset = static_cast<int>(start_ - Lines()[range.first].start);
      pugi::xml_node head = docx::SplitParagraph(Doc().formatting(), context.paragraph, offset);
      Story().Splice(range, {head, context.paragraph}, context);
      hint_ = range.first;
      while (Lines()[hint_].paragraph == head) ++hint_;
    }
    Select(Lines()[hint_].start, Lines()[hint_].start);
  }

 private:
  void ApplyProofing() {
    for (pugi::xml_node paragraph : unproofed_) docx::DisableProofing(Names(), paragraph);
    unproofed_.clear();
  }

  [[noreturn]] static void Fail(const std::string& reason) { throw WordError(reason); }

  void OpenPackage(const std::string& path) {
    doc_ = std::make_unique<docx::Document>(path);
    if (doc_->story().lines().empty()) {
      doc_.reset();
      Fail("the document has no paragraphs");
    }
  }

  docx::Document& Doc() const {
    if (!doc_) throw WordError("no document is open");
    return *doc_;
  }
  docx::Story& Story() const { return Doc().story(); }
  const std::vector<Line>& Lines() const { return Story().lines(); }
  const docx::WordNames& Names() const { return Doc().names(); }

  const Line& CurrentLine() const {
    hint_ = Story().LineAt(start_, hint_);
    return Lines()[hint_];
  }

  int CurrentTableId() const {
    const int table = CurrentLine().table;
    if (table == 0) throw WordError("the selection is not in a table");
    return table;
  }

  void Select(long start, long end) {
    start_ = start;
    end_ = end;
  }

  void SelectLines(const docx::LineRange& range) {
    if (range.empty()) throw WordError("nothing to select");
    hint_ = range.first;
    Select(Lines()[range.first].start, Lines()[range.end - 1].end());
  }

  // Columns of the selected row when exactly one whole row is selected, else of the table.
  int SelectionColumns(const Line& line) const {
    const docx::TableModel& table = Story().table(line.table);
    const docx::RowModel& row = table.rows[static_cast<std::size_t>(line.row)];
    const bool wholeRow = !row.lines.empty() && start_ == Lines()[row.lines.first].start &&
                          end_ == Lines()[row.lines.end - 1].end();
    return wholeRow ? static_cast<int>(row.cells.size()) : table.columns;
  }

  const docx::CellModel& Cell(TableId table, int row, int column) const {
    const auto& rows = Story().table(table).rows;
    if (row < 1 || row > static_cast<int>(rows.size())) throw WordError("no such row");
    const auto& cells = rows[static_cast<std::size_t>(row) - 1].cells;
    if (column < 1 || column > static_cast<int>(cells.size())) throw WordError("no such cell");
    const docx::CellModel& cell = cells[static_cast<std::size_t>(column) - 1];
    if (docx::IsMergeContinuation(Names(), cell.node)) throw WordError("the cell is merged");
    return cell;
  }

  // Lines [first, last] that the selection touches.
  std::pair<std::size_t, std::size_t> SelectedLines() const {
    const std::size_t first = Story().LineAt(start_, hint_);
    const std::size_t last = end_ > start_ ? Story().LineAt(end_ - 1, first) : first;
    return {first, last};
  }

  // Cells of the table that holds the selection start, which the selection touches.
  std::vector<pugi::xml_node> SelectedCells() const {
    const auto [first, last] = SelectedLines();
    const int table = CurrentTableId();
    std::vector<pugi::xml_node> cells;
    for (std::size_t i = first; i <= last; ++i) {
      const Line& line = Lines()[i];
      if (line.table != table) continue;
      pugi::xml_node cell = Story()
                                .table(table)
                                .rows[static_cast<std::size_t>(line.row)]
                                .cells[static_cast<std::size_t>(line.cell)]
                                .node;
      if (cells.empty() || cells.back() != cell) cells.push_back(cell);
    }
    return cells;
  }

  void DeleteParagraphs() override {
    const auto [first, last] = SelectedLines();
    for (std::size_t i = first; i <= last; ++i)
      if (Lines()[i].table != 0) throw WordError("cannot delete paragraphs of a table");
    const docx::LineRange range{Story().ParagraphLines(first).first,
                                Story().ParagraphLines(last).end};
    if (range.first == 0 && range.end >= Lines().size())
      throw WordError("cannot delete every paragraph");
    const std::vector<pugi::xml_node> paragraphs = SelectedParagraphs();
    const Line context = Lines()[range.first];
    Story().Splice(range, {}, context);
    for (pugi::xml_node paragraph : paragraphs) paragraph.parent().remove_child(paragraph);
    hint_ = 0;
    Select(context.start, context.start);
  }

  std::vector<pugi::xml_node> SelectedParagraphs() const {
    const auto [first, last] = SelectedLines();
    std::vector<pugi::xml_node> paragraphs;
    for (std::size_t i = first; i <= last; ++i) {
      pugi::xml_node paragraph = Lines()[i].paragraph;
      if (paragraph && (paragraphs.empty() || paragraphs.back() != paragraph)) {
        paragraphs.push_back(paragraph);
      }
    }
    return paragraphs;
  }

  // The line of the insertion point, which must be a real paragraph.
  std::size_t InsertionLine() const {
    if (start_ != end_) throw WordError("typing over a selection is not supported");
    const std::size_t index = Story().LineAt(start_, hint_);
    if (!Lines()[index].paragraph) throw WordError("no paragraph to type into");
    return index;
  }

  pugi::xml_node OutermostTable(const Line& line) const {
    pugi::xml_node outermost = Story().table(line.table).node;
    for (pugi::xml_node node = outermost; node; node = node.parent()) {
      if (Names().Local(node) == "tbl") outermost = node;
    }
    return outermost;
  }

  void InsertText(std::string_view text) {
    if (text.empty()) return;
    const std::size_t index = InsertionLine();
    const Line context = Lines()[index];
    const docx::LineRange range = Story().ParagraphLines(index);
    const int offset = static_cast<int>(start_ - Lines()[range.first].start);
    const long before = Story().length();
    docx::InsertRun(Names(), docx::PlaceAt(Doc().formatting(), context.paragraph, offset), text,
                    noProofing_);
    Story().Splice(range, {context.paragraph}, context);
    const long after = start_ + Story().length() - before;
    Select(after, after);
  }

  std::unique_ptr<docx::Document> doc_;
  std::string path_;  // the file the document is now
  long start_ = 0;
  long end_ = 0;
  mutable std::size_t hint_ = 0;  // the line of start_, or one before it
  bool noProofing_ = false;
  std::vector<pugi::xml_node> unproofed_;  // paragraphs whose proofing is still to be turned off
  bool visible_ = false;
};

}  // namespace

std::unique_ptr<WordApplication> CreateDocxApplication() {
  return std::make_unique<DocxApplication>();
}

}  // namespace kv::word
