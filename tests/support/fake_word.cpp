#include "support/fake_word.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <sstream>

namespace kv::testing {

using word::WordError;

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, '\n');) parts.push_back(part);
  if (parts.empty()) parts.emplace_back();
  return parts;
}

// Length of the white-space run at `at` ("^w": spaces, tabs, no-break spaces).
std::size_t WhiteRun(const std::string& text, std::size_t at) {
  std::size_t end = at;
  while (end < text.size()) {
    if (text[end] == ' ' || text[end] == '\t') {
      ++end;
    } else if (text.compare(end, 2, "\xC2\xA0") == 0) {
      end += 2;
    } else {
      break;
    }
  }
  return end - at;
}

// Matches the pattern at `at`, ignoring the case of ASCII letters; gives the length.
std::optional<std::size_t> MatchAt(const std::string& text, std::size_t at,
                                   const std::string& pattern) {
  std::size_t t = at;
  for (std::size_t p = 0; p < pattern.size();) {
    if (pattern.compare(p, 2, "^w") == 0) {
      const std::size_t run = WhiteRun(text, t);
      if (run == 0) return std::nullopt;
      t += run;
      p += 2;
      continue;
    }
    if (t >= text.size() || std::tolower(static_cast<unsigned char>(text[t])) !=
                                std::tolower(static_cast<unsigned char>(pattern[p]))) {
      return std::nullopt;
    }
    ++t;
    ++p;
  }
  return t - at;
}

}  // namespace

FakeWord::FakeWord(std::shared_ptr<FakeWordState> state) : state_(std::move(state)) {}

FakeWord::~FakeWord() {
  state_->destroyed = true;
}

void FakeWord::Add(const std::string& text, CellKey cell) {
  lines_.push_back({text, static_cast<long>(story_.size()), cell});
  story_ += text + "\r";
}

FakeWord& FakeWord::Line(const std::string& text) {
  Add(text, {0, 0, 0});
  return *this;
}

FakeWord& FakeWord::Table(const std::vector<std::vector<std::string>>& rows) {
  ++tables_;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      for (const std::string& text : SplitLines(rows[r][c])) {
        Add(text, {tables_, static_cast<int>(r + 1), static_cast<int>(c + 1)});
      }
    }
  }
  return *this;
}

void FakeWord::PlaceAtLine(std::size_t index) {
  selStart_ = selEnd_ = lines_.at(index).start;
}

void FakeWord::Call(const std::string& name, const std::vector<std::string>& args) const {
  std::string entry = name;
  if (!args.empty()) {
    entry += "(";
    for (std::size_t i = 0; i < args.size(); ++i) entry += (i ? "," : "") + args[i];
    entry += ")";
  }
  state_->calls.push_back(entry);
  if (state_->failing.count(name)) throw WordError(name + " failed");
}

std::size_t FakeWord::LineAt(long position) const {
  if (lines_.empty()) throw WordError("empty story");
  std::size_t index = 0;
  while (index + 1 < lines_.size() && lines_[index + 1].start <= position) ++index;
  return index;
}

void FakeWord::SelectLines(std::size_t first, std::size_t last) {
  selStart_ = lines_[first].start;
  selEnd_ = lines_[last].start + static_cast<long>(lines_[last].text.size()) + 1;
}

std::size_t FakeWord::FirstLineOf(const CellKey& cell) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].cell == cell) return i;
  }
  throw WordError("the requested member of the collection does not exist");
}

std::size_t FakeWord::LastLineOf(const CellKey& cell) const {
  std::size_t last = FirstLineOf(cell);
  while (last + 1 < lines_.size() && lines_[last + 1].cell == cell) ++last;
  return last;
}

CellKey FakeWord::SelectedCell() const {
  const CellKey cell = lines_.at(LineAt(selStart_)).cell;
  if (cell[0] == 0) throw WordError("the selection is not in a table");
  return cell;
}

int FakeWord::TableExtent(word::TableId table, int part) const {
  int extent = 0;
  for (const StoryLine& line : lines_) {
    if (line.cell[0] == table) extent = std::max(extent, line.cell[part]);
  }
  if (extent == 0) throw WordError("no such table");
  return extent;
}

void FakeWord::DocumentsOpen(const std::string& path) {
  Call("DocumentsOpen", {path});
  state_->opened.push_back(path);
  state_->documentOpen = true;
}

bool FakeWord::HasActiveDocument() const {
  Call("HasActiveDocument");
  return state_->documentOpen;
}

void FakeWord::SaveAs(const std::string& path) {
  Call("SaveAs", {path});
}
void FakeWord::Save() {
  Call("Save");
}

void FakeWord::CloseDocument() {
  Call("CloseDocument");
  state_->documentOpen = false;
}

void FakeWord::Quit() {
  Call("Quit");
}
void FakeWord::SetVisible(bool visible) {
  Call("SetVisible", {visible ? "true" : "false"});
}

int FakeWord::SplitSpecial() const {
  Call("SplitSpecial");
  return state_->splitSpecial;
}

void FakeWord::SetActivePaneViewType(int type) {
  Call("SetActivePaneViewType", {std::to_string(type)});
}
void FakeWord::SetViewType(int type) {
  Call("SetViewType", {std::to_string(type)});
}
void FakeWord::SetZoomPercentage(int percent) {
  Call("SetZoomPercentage", {std::to_string(percent)});
}

void FakeWord::HomeKey(int unit, int extend) {
  Call("HomeKey", {std::to_string(unit), std::to_string(extend)});
  const long home = unit == word::wdStory ? 0 : lines_.at(LineAt(selStart_)).start;
  selStart_ = home;
  if (extend == word::wdMove) selEnd_ = home;
}

void FakeWord::Expand(int unit) {
  Call("Expand", {std::to_string(unit)});
  const std::size_t here = LineAt(selStart_);
  if (unit == word::wdLine) {
    SelectLines(here, here);
  } else if (unit == word::wdTable) {
    const int table = SelectedCell()[0];
    std::size_t first = here;
    std::size_t last = here;
    while (first > 0 && lines_[first - 1].cell[0] == table) --first;
    while (last + 1 < lines_.size() && lines_[last + 1].cell[0] == table) ++last;
    SelectLines(first, last);
  } else if (unit == word::wdStory) {
    WholeStory();
  } else {
    throw WordError("unsupported unit");
  }
}

void FakeWord::Collapse(int direction) {
  Call("Collapse", {std::to_string(direction)});
  if (direction == word::wdCollapseStart) {
    selEnd_ = selStart_;
  } else {
    selStart_ = selEnd_;
  }
}

void FakeWord::GoToNext(int what) {
  Call("GoToNext", {std::to_string(what)});
  if (what != word::wdGoToLine) throw WordError("unsupported GoToNext");
  const std::size_t next = LineAt(selStart_) + 1;
  if (next < lines_.size()) selStart_ = selEnd_ = lines_[next].start;
}

void FakeWord::GoTo(int what) {
  Call("GoTo", {std::to_string(what)});
  if (what != word::wdGoToTable) throw WordError("unsupported GoTo");
  const int current = lines_.at(LineAt(selStart_)).cell[0];
  for (const StoryLine& line : lines_) {
    if (line.start > selStart_ && line.cell[0] != 0 && line.cell[0] != current) {
      selStart_ = selEnd_ = line.start;
      return;
    }
  }
}

void FakeWord::WholeStory() {
  Call("WholeStory");
  selStart_ = 0;
  selEnd_ = static_cast<long>(story_.size());
}

int FakeWord::Information(int type) const {
  Call("Information", {std::to_string(type)});
  const int table = lines_.at(LineAt(selStart_)).cell[0];
  if (type == word::wdWithInTable) return table != 0 ? -1 : 0;
  if (table == 0) return -1;
  if (type == word::wdMaximumNumberOfRows) return TableExtent(table, 1);
  if (type == word::wdMaximumNumberOfColumns) return TableExtent(table, 2);
  throw WordError("unsupported information");
}

long FakeWord::Start() const {
  Call("Start");
  return selStart_;
}

std::string FakeWord::Text() const {
  Call("Text");
  return story_.substr(selStart_, selEnd_ - selStart_);
}

word::TableId FakeWord::Tables1() const {
  Call("Tables1");
  return SelectedCell()[0];
}

bool FakeWord::FindExecute(const std::string& findText, const word::FindOptions& options) {
  Call("FindExecute", {findText});
  if (options.MatchCase || options.MatchWildcards || !options.Forward ||
      options.Wrap != word::wdFindStop) {
    throw WordError("the fake searches forward only, ignoring case, without wildcards");
  }
  for (std::size_t at = selStart_; at < story_.size(); ++at) {
    if (auto length = MatchAt(story_, at, findText)) {
      selStart_ = static_cast<long>(at);
      selEnd_ = static_cast<long>(at + *length);
      return true;
    }
  }
  return false;
}

int FakeWord::RowsCount(word::TableId table) const {
  Call("RowsCount", {std::to_string(table)});
  return TableExtent(table, 1);
}

int FakeWord::ColumnsCount(word::TableId table) const {
  Call("ColumnsCount", {std::to_string(table)});
  return TableExtent(table, 2);
}

std::string FakeWord::CellRangeText(word::TableId table, int row, int column) const {
  Call("CellRangeText", {std::to_string(table), std::to_string(row), std::to_string(column)});
  const CellKey cell{table, row, column};
  std::string text;
  for (std::size_t i = FirstLineOf(cell); i <= LastLineOf(cell); ++i) {
    text += lines_[i].text + "\r";
  }
  return text + "\a";
}

void FakeWord::CellSelect(word::TableId table, int row, int column) {
  Call("CellSelect", {std::to_string(table), std::to_string(row), std::to_string(column)});
  const CellKey cell{table, row, column};
  SelectLines(FirstLineOf(cell), LastLineOf(cell));
}

void FakeWord::RowsSelect(word::TableId table, int index) {
  Call("RowsSelect", {std::to_string(table), std::to_string(index)});
  std::optional<std::size_t> first;
  std::size_t last = 0;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].cell[0] == table && lines_[i].cell[1] == index) {
      if (!first) first = i;
      last = i;
    }
  }
  if (!first) throw WordError("no such row");
  SelectLines(*first, last);
}

void FakeWord::SetCellsShadingTexture(int texture) {
  Call("SetCellsShadingTexture", {std::to_string(texture)});
  state_->shading[SelectedCell()].texture = texture;
}

void FakeWord::SetCellsShadingBackgroundPatternColorIndex(int colorIndex) {
  Call("SetCellsShadingBackgroundPatternColorIndex", {std::to_string(colorIndex)});
  state_->shading[SelectedCell()].colour = colorIndex;
}

void FakeWord::SetLanguageID(int languageId) {
  Call("SetLanguageID", {std::to_string(languageId)});
}
void FakeWord::SetStyle(int style) {
  Call("SetStyle", {std::to_string(style)});
}
void FakeWord::TypeText(const std::string& text) {
  Call("TypeText", {text});
}
void FakeWord::TypeParagraph() {
  Call("TypeParagraph");
}

}  // namespace kv::testing
