// The word-processor interface: the operations the checks use on the active document,
// with the meanings the checks rely on. Argument values carry the word processor's
// public constant names. A failing operation throws WordError, as the word processor
// raises an error; the navigation helpers turn that into their sentinels.
#pragma once

#include <stdexcept>
#include <string>

namespace kv::word {

enum WdUnits : int { wdLine = 5, wdStory = 6, wdTable = 15 };
enum WdMovementType : int { wdMove = 0, wdExtend = 1 };
enum WdCollapseDirection : int { wdCollapseEnd = 0, wdCollapseStart = 1 };
enum WdGoToItem : int { wdGoToTable = 2, wdGoToLine = 3 };
enum WdInformation : int {
  wdWithInTable = 12,
  wdMaximumNumberOfRows = 15,
  wdMaximumNumberOfColumns = 18
};
enum WdColorIndex : int { wdRed = 6, wdYellow = 7, wdGreen = 11 };
enum WdTextureIndex : int { wdTextureNone = 0 };
enum WdViewType : int { wdNormalView = 1 };
enum WdSpecialPane : int { wdPaneNone = 0 };
enum WdFindWrap : int { wdFindStop = 0 };
constexpr int wdNoProofing = 1024;
constexpr int wdStyleNormal = -1;

struct WordError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A table of the active document: its 1-based number in reading order (nested tables
// are numbered where they start). Stable while the document is open: typing the
// summary at the top adds no table.
using TableId = int;

struct FindOptions {
  bool MatchCase = false;
  bool MatchWholeWord = false;
  bool MatchWildcards = false;
  bool MatchSoundsLike = false;
  bool MatchAllWordForms = false;
  bool Forward = true;
  int Wrap = wdFindStop;
  bool Format = false;
};

// All text crosses this interface as UTF-8.
class WordApplication {
 public:
  virtual ~WordApplication() = default;

  // Application and document.
  virtual void DocumentsOpen(const std::string& path) = 0;  // WordError says why it failed
  virtual bool HasActiveDocument() const = 0;
  virtual void SaveAs(const std::string& path) = 0;
  virtual void Save() = 0;
  virtual void CloseDocument() = 0;
  virtual void Quit() = 0;
  virtual void SetVisible(bool visible) = 0;

  // Window and view; kept as settings of the saved document.
  virtual int SplitSpecial() const = 0;
  virtual void SetActivePaneViewType(int type) = 0;
  virtual void SetViewType(int type) = 0;
  virtual void SetZoomPercentage(int percent) = 0;

  // Selection: movement and extent.
  virtual void HomeKey(int unit, int extend = wdMove) = 0;
  virtual void Expand(int unit) = 0;
  virtual void Collapse(int direction = wdCollapseStart) = 0;
  virtual void GoToNext(int what) = 0;
  virtual void GoTo(int what) = 0;
  virtual void WholeStory() = 0;

  // Selection: queries.
  virtual int Information(int type) const = 0;
  virtual long Start() const = 0;
  virtual std::string Text() const = 0;
  virtual TableId Tables1() const = 0;  // Selection.Tables(1); fails outside a table

  // Find from the selection; on success the selection is the match.
  virtual bool FindExecute(const std::string& findText, const FindOptions& options = {}) = 0;

  // Tables and cells.
  virtual int RowsCount(TableId table) const = 0;
  virtual int ColumnsCount(TableId table) const = 0;
  virtual std::string CellRangeText(TableId table, int row, int column) const = 0;
  virtual void CellSelect(TableId table, int row, int column) = 0;
  virtual void RowsSelect(TableId table, int index) = 0;

  // Shading of the selected cells.
  virtual void SetCellsShadingTexture(int texture) = 0;
  virtual void SetCellsShadingBackgroundPatternColorIndex(int colorIndex) = 0;

  // Formatting and typing at the selection.
  virtual void SetLanguageID(int languageId) = 0;
  virtual void SetStyle(int style) = 0;
  virtual void TypeText(const std::string& text) = 0;
  virtual void TypeParagraph() = 0;
  // Removes the paragraphs the selection covers, which must be outside tables; the
  // selection is then the insertion point where they stood.
  virtual void DeleteParagraphs() = 0;
};

}  // namespace kv::word
