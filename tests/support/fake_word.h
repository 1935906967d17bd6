// A scripted stand-in for the word processor: a story of lines and tables, one
// selection over it, a log of every call and operations that can be told to fail.
// Positions count bytes of the story; every line ends in a paragraph mark "\r".
#pragma once

#include <array>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "word/word_application.h"

namespace kv::testing {

using CellKey = std::array<int, 3>;  // table, row, column

struct FakeShade {
  int texture = -1;
  int colour = 0;
};

// What the fake did; shared, so a test can still look after the session dropped it.
struct FakeWordState {
  std::vector<std::string> calls;  // "Name(arg,...)" for every call, in order
  std::set<std::string> failing;   // names of the operations that throw WordError
  std::map<CellKey, FakeShade> shading;
  std::vector<std::string> opened;
  bool documentOpen = false;
  int splitSpecial = word::wdPaneNone;
  bool destroyed = false;
};

class FakeWord : public word::WordApplication {
 public:
  explicit FakeWord(std::shared_ptr<FakeWordState> state = std::make_shared<FakeWordState>());
  ~FakeWord() override;

  // Story building: a body line, and a table given row by row; a cell's lines are
  // separated by "\n", and a row may hold fewer cells than another.
  FakeWord& Line(const std::string& text);
  FakeWord& Table(const std::vector<std::vector<std::string>>& rows);

  // Test access: puts the insertion point at the start of line `index` (0-based).
  void PlaceAtLine(std::size_t index);
  long LineStart(std::size_t index) const { return lines_.at(index).start; }
  long SelectionStart() const { return selStart_; }
  long SelectionEnd() const { return selEnd_; }
  FakeWordState& State() { return *state_; }

  void DocumentsOpen(const std::string& path) override;
  bool HasActiveDocument() const override;
  void SaveAs(const std::string& path) override;
  void Save() override;
  void CloseDocument() override;
  void Quit() override;
  void SetVisible(bool visible) override;

  int SplitSpecial() const override;
  void SetActivePaneViewType(int type) override;
  void SetViewType(int type) override;
  void SetZoomPercentage(int percent) override;

  void HomeKey(int unit, int extend = word::wdMove) override;
  void Expand(int unit) override;
  void Collapse(int direction = word::wdCollapseStart) override;
  void GoToNext(int what) override;
  void GoTo(int what) override;
  void WholeStory() override;

  int Information(int type) const override;
  long Start() const override;
  std::string Text() const override;
  word::TableId Tables1() const override;

  bool FindExecute(const std::string& findText, const word::FindOptions& options) override;

  int RowsCount(word::TableId table) const override;
  int ColumnsCount(word::TableId table) const override;
  std::string CellRangeText(word::TableId table, int row, int column) const override;
  void CellSelect(word::TableId table, int row, int column) override;
  void RowsSelect(word::TableId table, int index) override;

  void SetCellsShadingTexture(int texture) override;
  void SetCellsShadingBackgroundPatternColorIndex(int colorIndex) override;

  void SetLanguageID(int languageId) override;
  void SetStyle(int style) override;
  void TypeText(const std::string& text) override;
  void TypeParagraph() override;

 private:
  struct StoryLine {
    std::string text;
    long start = 0;
    CellKey cell{0, 0, 0};  // table 0: body text
  };

  // Logs the call and throws when the operation is told to fail.
  void Call(const std::string& name, const std::vector<std::string>& args = {}) const;
  void Add(const std::string& text, CellKey cell);
  std::size_t LineAt(long position) const;
  void SelectLines(std::size_t first, std::size_t last);
  std::size_t FirstLineOf(const CellKey& cell) const;
  std::size_t LastLineOf(const CellKey& cell) const;
  CellKey SelectedCell() const;
  // The row count (part 1) or the largest column count (part 2) of a table.
  int TableExtent(word::TableId table, int part) const;

  std::shared_ptr<FakeWordState> state_;
  std::vector<StoryLine> lines_;
  std::string story_;
  int tables_ = 0;
  long selStart_ = 0;
  long selEnd_ = 0;
};

}  // namespace kv::testing
