#include "docx/model.h"

#include <algorithm>

#include "docx/text.h"
#include "word/word_application.h"

namespace kv::word::docx {
namespace {

class LineCollector : public TextVisitor {
 public:
  LineCollector(pugi::xml_node paragraph, long start, const Line& context) {
    Line first = context;
    first.paragraph = paragraph;
    first.start = start;
    first.text.clear();
    first.length = 0;
    first.terminator = '\r';
    lines_.push_back(first);
  }

  void Text(pugi::xml_node, pugi::xml_node, std::string_view text) override {
    lines_.back().text += text;
  }

  void Break(pugi::xml_node, pugi::xml_node, char kind) override {
    Finish(lines_.back());
    lines_.back().terminator = kind;
    Line next = lines_.back();
    next.start = lines_.back().end();
    next.text.clear();
    next.terminator = '\r';
    lines_.push_back(std::move(next));
  }

  std::vector<Line> Take() {
    Finish(lines_.back());
    return std::move(lines_);
  }

 private:
  static void Finish(Line& line) { line.length = CountCodePoints(line.text); }
  std::vector<Line> lines_;
};

}  // namespace

std::vector<Line> ParagraphLines(const Formatting& formatting, pugi::xml_node paragraph, long start,
                                 const Line& context) {
  LineCollector collector(paragraph, start, context);
  if (paragraph) VisitParagraph(formatting, paragraph, collector);
  return collector.Take();
}

// Builds lines and tables in one pass over the body.
class StoryBuilder {
 public:
  explicit StoryBuilder(Story& story)
      : story_(story), formatting_(story.formatting_), names_(formatting_.names()) {}

  void Blocks(pugi::xml_node parent, const Line& context) {
    const NestingGuard guard(depth_);
    for (pugi::xml_node child : parent.children()) {
      const std::string_view local = names_.Local(child);
      if (local == "p") {
        AddParagraph(child, context);
      } else if (local == "tbl") {
        Table(child);
      } else if (local == "sdt") {
        Blocks(names_.Child(child, "sdtContent"), context);
      } else if (local == "customXml" || local == "ins" || local == "moveTo") {
        Blocks(child, context);
      } else if (names_.CompatLocal(child) == "AlternateContent") {
        Blocks(ChosenBranch(names_, child), context);
      }
    }
  }

 private:
  long NextStart() const { return story_.lines_.empty() ? 0 : story_.lines_.back().end(); }

  void AddParagraph(pugi::xml_node paragraph, const Line& context) {
    if (paragraph) formatting_.Number(paragraph);
    std::vector<Line> lines = ParagraphLines(formatting_, paragraph, NextStart(), context);
    // An empty paragraph whose mark is hidden is not there for the reader.
    if (paragraph && lines.size() == 1 && lines.front().length == 0 &&
        formatting_.MarkLook(paragraph, formatting_.ParagraphStyle(paragraph)).hidden) {
      return;
    }
    for (Line& line : lines) story_.lines_.push_back(std::move(line));
  }

  // A row deleted with its change tracked is gone once the change is accepted.
  bool IsDeletedRow(pugi::xml_node tr) const {
    return static_cast<bool>(names_.Child(names_.Child(tr, "trPr"), "del"));
  }

  // Rows and cells may sit inside content controls and custom XML.
  template <typename Each>
  void Children(pugi::xml_node parent, std::string_view wanted, Each each) {
    const NestingGuard guard(depth_);
    for (pugi::xml_node child : parent.children()) {
      const std::string_view local = names_.Local(child);
      if (local == wanted) {
        each(child);
      } else if (local == "sdt") {
        Children(names_.Child(child, "sdtContent"), wanted, each);
      } else if (local == "customXml") {
        Children(child, wanted, each);
      }
    }
  }

  void Table(pugi::xml_node node) {
    const int id = static_cast<int>(story_.tables_.size()) + 1;
    story_.tables_.push_back(TableModel{node, {Count(), Count()}, {}, 0});
    std::vector<RowModel> rows;
    Children(node, "tr", [&](pugi::xml_node tr) {
      if (!IsDeletedRow(tr)) rows.push_back(Row(tr, id, rows.size()));
    });
    TableModel& table = story_.tables_[static_cast<std::size_t>(id) - 1];
    for (const RowModel& row : rows) {
      table.columns = std::max(table.columns, static_cast<int>(row.cells.size()));
    }
    table.rows = std::move(rows);
    table.lines.end = Count();
  }

  RowModel Row(pugi::xml_node tr, int table, std::size_t rowIndex) {
    RowModel row{tr, {Count(), Count()}, {}};
    Children(tr, "tc", [&](pugi::xml_node tc) {
      CellModel cell{tc, {Count(), Count()}};
      Line context;
      context.table = table;
      context.row = static_cast<int>(rowIndex);
      context.cell = static_cast<int>(row.cells.size());
      Blocks(tc, context);
      // A cell always holds at least its end-of-cell mark.
      if (Count() == cell.lines.first) AddParagraph(pugi::xml_node(), context);
      cell.lines.end = Count();
      row.cells.push_back(cell);
    });
    row.lines.end = Count();
    return row;
  }

  std::size_t Count() const { return story_.lines_.size(); }

  Story& story_;
  Formatting& formatting_;
  const WordNames& names_;
  int depth_ = 0;
};

Story::Story(Formatting& formatting, pugi::xml_node body) : formatting_(formatting) {
  StoryBuilder(*this).Blocks(body, Line{});
}

const TableModel& Story::table(int id) const {
  if (id < 1 || id > tableCount()) throw WordError("no such table");
  return tables_[static_cast<std::size_t>(id) - 1];
}

std::size_t Story::LineAt(long position, std::size_t hint) const {
  if (lines_.empty()) throw WordError("the document has no text");
  const auto holds = [&](std::size_t index) {
    return index < lines_.size() && lines_[index].start <= position &&
           position < lines_[index].end();
  };
  if (holds(hint)) return hint;
  if (holds(hint + 1)) return hint + 1;
  if (position <= 0) return 0;
  auto after = std::upper_bound(lines_.begin(), lines_.end(), position,
                                [](long p, const Line& line) { return p < line.start; });
  return static_cast<std::size_t>(after - lines_.begin()) - 1;
}

int Story::NextTableAfter(long position) const {
  for (int id = 1; id <= tableCount(); ++id) {
    const TableModel& candidate = tables_[static_cast<std::size_t>(id) - 1];
    if (!candidate.lines.empty() && lines_[candidate.lines.first].start > position) return id;
  }
  return 0;
}

LineRange Story::ParagraphLines(std::size_t index) const {
  LineRange range{index, index + 1};
  const pugi::xml_node paragraph = lines_[index].paragraph;
  if (!paragraph) return range;
  while (range.first > 0 && lines_[range.first - 1].paragraph == paragraph) --range.first;
  while (range.end < lines_.size() && lines_[range.end].paragraph == paragraph) ++range.end;
  return range;
}

void Story::Splice(LineRange replaced, const std::vector<pugi::xml_node>& paragraphs,
                   const Line& context) {
  long start = replaced.first < lines_.size() ? lines_[replaced.first].start : length();
  const long oldEnd = replaced.empty() ? start : lines_[replaced.end - 1].end();
  std::vector<Line> fresh;
  for (pugi::xml_node paragraph : paragraphs) {
    for (Line& line : docx::ParagraphLines(formatting_, paragraph, start, context)) {
      start = line.end();
      fresh.push_back(std::move(line));
    }
  }
  const long shift = start - oldEnd;
  const auto added = static_cast<std::ptrdiff_t>(fresh.size()) -
                     static_cast<std::ptrdiff_t>(replaced.end - replaced.first);
  const auto at = lines_.begin() + static_cast<std::ptrdiff_t>(replaced.first);
  lines_.erase(at, lines_.begin() + static_cast<std::ptrdiff_t>(replaced.end));
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(replaced.first),
                std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
  for (std::size_t i = replaced.first + fresh.size(); i < lines_.size(); ++i) {
    lines_[i].start += shift;
  }
  // A range holding the replaced lines grows, a range after them moves.
  const auto move = [&](LineRange& range) {
    const bool after = range.first >= replaced.end;
    if (range.end > replaced.first || (after && range.empty())) range.end += added;
    if (after) range.first += added;
  };
  for (TableModel& table : tables_) {
    move(table.lines);
    for (RowModel& row : table.rows) {
      move(row.lines);
      for (CellModel& cell : row.cells) move(cell.lines);
    }
  }
}

}  // namespace kv::word::docx
