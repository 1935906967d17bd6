// The document session and the composite moves the checks are written in: finding a
// heading, reading lines, leaving tables, reading and marking cells of CurrentTable.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "word/word_application.h"

namespace kv::word {

struct MarkedCell {
  TableId table = 0;
  int row = 0;
  int column = 0;
  int colour = 0;  // colour index of the last marking
};

// Everything the session knows. One of these lives in the run context.
struct DocumentAccess {
  // Makes the word processor; tests may put a stand-in here.
  std::function<std::unique_ptr<WordApplication>()> CreateWordApp;
  std::unique_ptr<WordApplication> WordApp;
  std::optional<TableId> CurrentTable;
  bool NextTextInTable = false;
  std::string DecimalSeparatorText = ".";
  std::string OpenFailure;              // why the last open failed, for the run log
  std::vector<MarkedCell> MarkedCells;  // cells in order of first marking, last colour
};

// Session.
bool OpenDocumentSession(DocumentAccess& doc, const std::string& path);
void SetNormalView(DocumentAccess& doc);
void CloseDocumentSession(DocumentAccess& doc);

// Navigation.
bool FindText(DocumentAccess& doc, bool fromTop, const std::string& pattern);
std::string CurrentLineText(DocumentAccess& doc);
std::string NextTextLine(DocumentAccess& doc);
bool LeaveTable(DocumentAccess& doc);
std::string NextLineText(DocumentAccess& doc);
std::string CellText(DocumentAccess& doc, int row, int column);

// Cell readers.
double CellNumber(DocumentAccess& doc, int row, int column);
std::int16_t CellInteger(DocumentAccess& doc, int row, int column);
std::int32_t CellLong(DocumentAccess& doc, int row, int column);

// Cell marking: shades the cell and returns " (row,column)", also for a missing cell.
std::string MarkCell(DocumentAccess& doc, int row, int column, int colour);

}  // namespace kv::word
