// The main story as the engine sees it: lines in reading order (body paragraphs split at
// manual breaks; for a table its rows, each row's cells left to right, each cell's
// paragraphs, nested tables in place), and the tables with their rows and cells.
#pragma once

#include <pugixml.hpp>

#include <cstddef>
#include <string>
#include <vector>

#include "docx/styles.h"
#include "docx/xml.h"

namespace kv::word::docx {

// Lines [first, end) of the story.
struct LineRange {
  std::size_t first = 0;
  std::size_t end = 0;
  bool empty() const { return first == end; }
};

struct Line {
  long start = 0;            // character position of its first character
  int length = 0;            // characters, without the terminator
  std::string text;          // UTF-8
  char terminator = '\r';    // paragraph mark, or the manual break that ends it
  pugi::xml_node paragraph;  // empty for the placeholder line of a cell without paragraphs
  int table = 0;             // innermost table, 1-based; 0 outside tables
  int row = -1;              // 0-based within that table
  int cell = -1;             // 0-based within that row
  long end() const { return start + length + 1; }  // just after the terminator
};

struct CellModel {
  pugi::xml_node node;
  LineRange lines;
};

struct RowModel {
  pugi::xml_node node;
  LineRange lines;
  std::vector<CellModel> cells;
};

struct TableModel {
  pugi::xml_node node;
  LineRange lines;
  std::vector<RowModel> rows;
  int columns = 0;  // the largest number of cells of any row
};

class Story {
 public:
  // Numbers the paragraphs of `formatting`'s lists as it reads them.
  Story(Formatting& formatting, pugi::xml_node body);

  const std::vector<Line>& lines() const { return lines_; }
  const TableModel& table(int id) const;  // throws WordError for an unknown id
  int tableCount() const { return static_cast<int>(tables_.size()); }
  long length() const { return lines_.empty() ? 0 : lines_.back().end(); }

  // The line holding position `position` (clamped to the story); `hint` is tried first,
  // then its successor, so stepping line by line costs O(1).
  std::size_t LineAt(long position, std::size_t hint = 0) const;
  // The first table that starts after `position`, 0 when none.
  int NextTableAfter(long position) const;
  // Lines of the paragraph that holds line `index`.
  LineRange ParagraphLines(std::size_t index) const;

  // Replaces lines `replaced` with the lines of `paragraphs` (in that order), which take
  // the table, row and cell of `context`; shifts every later line, table, row and cell.
  void Splice(LineRange replaced, const std::vector<pugi::xml_node>& paragraphs,
              const Line& context);

 private:
  friend class StoryBuilder;
  Formatting& formatting_;
  std::vector<Line> lines_;
  std::vector<TableModel> tables_;
};

// The lines of one paragraph, starting at `start`, with `context`'s table, row and cell.
std::vector<Line> ParagraphLines(const Formatting& formatting, pugi::xml_node paragraph, long start,
                                 const Line& context);

}  // namespace kv::word::docx
