#include "word/document_access.h"

#include <algorithm>
#include <exception>

#include "word/word_processor.h"
#include "word/text_rules.h"

namespace kv::word {

namespace {

// The word processor of the session; a helper called without one fails like any
// other word-processor operation.
WordApplication& App(DocumentAccess& doc) {
  if (!doc.WordApp) throw WordError("no document is open");
  return *doc.WordApp;
}

TableId Table(const DocumentAccess& doc) {
  if (!doc.CurrentTable) throw WordError("no current table");
  return *doc.CurrentTable;
}

// A failure reason for the run log: one line, never empty.
std::string OneLine(const std::string& reason) {
  std::string line = reason;
  std::replace_if(
      line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
  line = TrimBlanks(line);
  return line.empty() ? "the word processor gave no reason" : line;
}

// Selects the line that holds the insertion point and gives its normalised text.
std::string ReadCurrentLine(WordApplication& app) {
  app.HomeKey(wdLine);
  app.Expand(wdLine);
  return NormalizeText(app.Text());
}

// Moves the insertion point to the start of the next line; false at the last line,
// where the word processor leaves Start unchanged.
bool MoveToNextLine(WordApplication& app) {
  app.Collapse(wdCollapseStart);
  const long start = app.Start();
  app.GoToNext(wdGoToLine);
  return app.Start() != start;
}

void RecordMarking(DocumentAccess& doc, TableId table, int row, int column, int colour) {
  auto same = [&](const MarkedCell& cell) {
    return cell.table == table && cell.row == row && cell.column == column;
  };
  auto found = std::find_if(doc.MarkedCells.begin(), doc.MarkedCells.end(), same);
  if (found != doc.MarkedCells.end()) {
    found->colour = colour;
  } else {
    doc.MarkedCells.push_back({table, row, column, colour});
  }
}

}  // namespace

bool OpenDocumentSession(DocumentAccess& doc, const std::string& path) {
  doc.DecimalSeparatorText = DecimalSeparator();
  doc.OpenFailure.clear();
  try {
    if (!doc.WordApp) {
      doc.WordApp = doc.CreateWordApp ? doc.CreateWordApp() : CreateWordProcessor();
    }
    if (!doc.WordApp) {
      doc.OpenFailure = "the word processor could not be started";
      return false;
    }
    if (!path.empty()) doc.WordApp->DocumentsOpen(path);
    return true;
  } catch (const std::exception& failure) {
    // Dropped without Quit: an instance that could not open the document just ends.
    doc.WordApp.reset();
    doc.OpenFailure = OneLine(failure.what());
    return false;
  }
}

void SetNormalView(DocumentAccess& doc) {
  WordApplication& app = App(doc);
  if (app.SplitSpecial() == wdPaneNone) {
    app.SetActivePaneViewType(wdNormalView);
  } else {
    app.SetViewType(wdNormalView);
  }
}

void CloseDocumentSession(DocumentAccess& doc) {
  doc.CurrentTable.reset();
  if (!doc.WordApp) return;
  if (doc.WordApp->HasActiveDocument()) doc.WordApp->CloseDocument();
  doc.WordApp->Quit();
  doc.WordApp.reset();
}

bool FindText(DocumentAccess& doc, bool fromTop, const std::string& pattern) {
  try {
    WordApplication& app = App(doc);
    if (fromTop) {
      app.HomeKey(wdStory, wdMove);
    } else {
      app.Collapse(wdCollapseEnd);
    }
    FindOptions options;  // no case, whole words, wildcards or forms; forward, no wrap
    return app.FindExecute(pattern, options);
  } catch (const std::exception&) {
    return false;
  }
}

std::string CurrentLineText(DocumentAccess& doc) {
  try {
    return ReadCurrentLine(App(doc));
  } catch (const std::exception&) {
    return "";
  }
}

std::string NextTextLine(DocumentAccess& doc) {
  try {
    WordApplication& app = App(doc);
    std::string text;
    // A line that cannot be read counts as empty and is passed over.
    while (text.empty()) {
      if (!MoveToNextLine(app)) return "";
      if (!app.Information(wdWithInTable)) text = CurrentLineText(doc);
    }
    return text;
  } catch (const std::exception&) {
    return "";
  }
}

bool LeaveTable(DocumentAccess& doc) {
  try {
    WordApplication& app = App(doc);
    app.Expand(wdTable);
    app.Collapse(wdCollapseEnd);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

std::string NextLineText(DocumentAccess& doc) {
  try {
    WordApplication& app = App(doc);
    // A table that cannot be left, or a line that cannot be read, does not end the walk.
    if (app.Information(wdWithInTable)) {
      LeaveTable(doc);
    } else {
      app.GoToNext(wdGoToLine);
    }
    doc.NextTextInTable = false;
    std::string text = CurrentLineText(doc);
    // A table ends the walk on the first line of its first cell, even an empty one.
    bool stop = !text.empty() || app.Information(wdWithInTable);
    while (!stop && MoveToNextLine(app)) {
      stop = app.Information(wdWithInTable);
      text = CurrentLineText(doc);
      stop = stop || !text.empty();
    }
    if (app.Information(wdWithInTable)) doc.NextTextInTable = true;
    return text;
  } catch (const std::exception&) {
    return "";
  }
}

std::string CellText(DocumentAccess& doc, int row, int column) {
  try {
    return TrimBlanks(App(doc).CellRangeText(Table(doc), row, column));
  } catch (const std::exception&) {
    return kErrorText;
  }
}

double CellNumber(DocumentAccess& doc, int row, int column) {
  return TextNumber(CellText(doc, row, column), doc.DecimalSeparatorText);
}

std::int16_t CellInteger(DocumentAccess& doc, int row, int column) {
  return TextInteger(CellText(doc, row, column));
}

std::int32_t CellLong(DocumentAccess& doc, int row, int column) {
  return TextLong(CellText(doc, row, column));
}

std::string MarkCell(DocumentAccess& doc, int row, int column, int colour) {
  try {
    WordApplication& app = App(doc);
    const TableId table = Table(doc);
    app.CellSelect(table, row, column);
    app.SetCellsShadingTexture(wdTextureNone);
    app.SetCellsShadingBackgroundPatternColorIndex(colour);
    RecordMarking(doc, table, row, column, colour);
  } catch (const std::exception&) {
    // The cell stays as it was; the reference still names it in the message.
  }
  return " (" + std::to_string(row) + "," + std::to_string(column) + ")";
}

}  // namespace kv::word
