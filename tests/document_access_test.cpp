// The session and the composite moves over a scripted word processor: exact calls,
// the selection they leave behind and the sentinels on failure.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "support/fake_word.h"
#include "word/document_access.h"

namespace {

using kv::testing::CellKey;
using kv::testing::FakeWord;
using kv::testing::FakeWordState;
using kv::word::DocumentAccess;
using kv::word::MarkedCell;
using Calls = std::vector<std::string>;

using Marks = std::vector<std::array<int, 4>>;  // table, row, column, colour

Marks MarksOf(const DocumentAccess& doc) {
  Marks marks;
  for (const MarkedCell& cell : doc.MarkedCells) {
    marks.push_back({cell.table, cell.row, cell.column, cell.colour});
  }
  return marks;
}

class DocumentAccessTest : public ::testing::Test {
 protected:
  DocumentAccessTest() {
    auto word = std::make_unique<FakeWord>(state);
    fake = word.get();
    doc.WordApp = std::move(word);
  }

  // The calls since the last look.
  Calls TakeCalls() {
    Calls calls = std::move(state->calls);
    state->calls.clear();
    return calls;
  }

  std::shared_ptr<FakeWordState> state = std::make_shared<FakeWordState>();
  FakeWord* fake = nullptr;
  DocumentAccess doc;
};

// Session ---------------------------------------------------------------------------

class SessionTest : public ::testing::Test {
 protected:
  SessionTest() {
    doc.CreateWordApp = [this]() -> std::unique_ptr<kv::word::WordApplication> {
      ++created;
      return std::make_unique<FakeWord>(state);
    };
  }

  std::shared_ptr<FakeWordState> state = std::make_shared<FakeWordState>();
  DocumentAccess doc;
  int created = 0;
};

TEST_F(SessionTest, OpensTheDocumentInANewWordProcessor) {
  doc.DecimalSeparatorText = ",";
  ASSERT_TRUE(kv::word::OpenDocumentSession(doc, "/plans/12-we.doc"));
  EXPECT_EQ(created, 1);
  EXPECT_NE(doc.WordApp, nullptr);
  EXPECT_EQ(state->calls, Calls({"DocumentsOpen(/plans/12-we.doc)"}));
  EXPECT_EQ(doc.DecimalSeparatorText, ".");
  EXPECT_EQ(doc.OpenFailure, "");
}

TEST_F(SessionTest, AnEmptyPathOpensNothingAndSucceeds) {
  EXPECT_TRUE(kv::word::OpenDocumentSession(doc, ""));
  EXPECT_NE(doc.WordApp, nullptr);
  EXPECT_TRUE(state->calls.empty());
}

TEST_F(SessionTest, ARefusedDocumentDropsTheWordProcessorWithoutQuitting) {
  state->failing = {"DocumentsOpen"};
  EXPECT_FALSE(kv::word::OpenDocumentSession(doc, "/plans/bad.doc"));
  EXPECT_EQ(doc.WordApp, nullptr);
  EXPECT_TRUE(state->destroyed);
  EXPECT_EQ(state->calls, Calls({"DocumentsOpen(/plans/bad.doc)"}));
  EXPECT_EQ(doc.OpenFailure, "DocumentsOpen failed");

  kv::word::CloseDocumentSession(doc);  // nothing left to close
  EXPECT_EQ(state->calls.size(), 1u);
}

TEST_F(SessionTest, AFailureToStartGivesOneLineReason) {
  doc.CreateWordApp = []() -> std::unique_ptr<kv::word::WordApplication> {
    throw kv::word::WordError("LibreOffice failed:\nline two\r\n");
  };
  EXPECT_FALSE(kv::word::OpenDocumentSession(doc, "/plans/12-we.doc"));
  EXPECT_EQ(doc.WordApp, nullptr);
  EXPECT_EQ(doc.OpenFailure, "LibreOffice failed: line two");

  doc.CreateWordApp = [] { return std::unique_ptr<kv::word::WordApplication>(); };
  EXPECT_FALSE(kv::word::OpenDocumentSession(doc, "/plans/12-we.doc"));
  EXPECT_EQ(doc.OpenFailure, "the word processor could not be started");
}

TEST_F(SessionTest, KeepsAWordProcessorThatIsAlreadyThere) {
  ASSERT_TRUE(kv::word::OpenDocumentSession(doc, ""));
  ASSERT_TRUE(kv::word::OpenDocumentSession(doc, "/plans/12-we.doc"));
  EXPECT_EQ(created, 1);
}

TEST_F(SessionTest, ClosingReleasesTheTableClosesTheDocumentAndQuits) {
  ASSERT_TRUE(kv::word::OpenDocumentSession(doc, "/plans/12-we.doc"));
  doc.CurrentTable = 3;
  state->calls.clear();
  kv::word::CloseDocumentSession(doc);
  EXPECT_EQ(state->calls, Calls({"HasActiveDocument", "CloseDocument", "Quit"}));
  EXPECT_EQ(doc.WordApp, nullptr);
  EXPECT_FALSE(doc.CurrentTable.has_value());
}

TEST_F(SessionTest, ClosingWithoutADocumentOnlyQuits) {
  ASSERT_TRUE(kv::word::OpenDocumentSession(doc, ""));
  kv::word::CloseDocumentSession(doc);
  EXPECT_EQ(state->calls, Calls({"HasActiveDocument", "Quit"}));
}

TEST_F(SessionTest, NormalViewGoesToTheActivePaneOfAnUnsplitWindowElseTheWindow) {
  ASSERT_TRUE(kv::word::OpenDocumentSession(doc, ""));
  kv::word::SetNormalView(doc);
  state->splitSpecial = 3;
  kv::word::SetNormalView(doc);
  EXPECT_EQ(state->calls,
            Calls({"SplitSpecial", "SetActivePaneViewType(1)", "SplitSpecial", "SetViewType(1)"}));
}

TEST_F(SessionTest, SessionFailuresAfterTheOpenReachTheCaller) {
  EXPECT_THROW(kv::word::SetNormalView(doc), kv::word::WordError);  // nothing open
  ASSERT_TRUE(kv::word::OpenDocumentSession(doc, "/plans/12-we.doc"));
  state->failing = {"CloseDocument"};
  EXPECT_THROW(kv::word::CloseDocumentSession(doc), kv::word::WordError);
}

// Finding ---------------------------------------------------------------------------

TEST_F(DocumentAccessTest, FindsAHeadingHoweverSpacedAndNeverWraps) {
  fake->Line("1. Project Title").Line("1.  Project\tTitle").Line("2. Other");
  ASSERT_TRUE(kv::word::FindText(doc, true, "1.^wProject^wTitle"));
  EXPECT_EQ(fake->SelectionStart(), fake->LineStart(0));
  EXPECT_EQ(TakeCalls(), Calls({"HomeKey(6,0)", "FindExecute(1.^wProject^wTitle)"}));

  ASSERT_TRUE(kv::word::FindText(doc, false, "1.^wPROJECT^wtitle"));
  EXPECT_EQ(fake->SelectionStart(), fake->LineStart(1));
  EXPECT_EQ(fake->SelectionEnd(), fake->LineStart(2) - 1);
  EXPECT_EQ(TakeCalls(), Calls({"Collapse(0)", "FindExecute(1.^wPROJECT^wtitle)"}));

  EXPECT_FALSE(kv::word::FindText(doc, false, "1.^wProject^wTitle"));
  EXPECT_EQ(fake->SelectionStart(), fake->LineStart(2) - 1);  // stays after the match
}

TEST_F(DocumentAccessTest, FindFailuresGiveFalse) {
  fake->Line("1. Project Title");
  state->failing = {"FindExecute"};
  EXPECT_FALSE(kv::word::FindText(doc, true, "1."));
  doc.WordApp.reset();
  EXPECT_FALSE(kv::word::FindText(doc, true, "1."));
}

// Lines -----------------------------------------------------------------------------

TEST_F(DocumentAccessTest, CurrentLineTextSelectsTheLineAndNormalisesIt) {
  fake->Line("first").Line("\t2.  Budget  \xE2\x80\x93  total\xC2\xA0 ");
  fake->PlaceAtLine(1);
  EXPECT_EQ(kv::word::CurrentLineText(doc), "2. Budget - total");
  EXPECT_EQ(TakeCalls(), Calls({"HomeKey(5,0)", "Expand(5)", "Text"}));
  EXPECT_EQ(fake->SelectionStart(), fake->LineStart(1));

  state->failing = {"Text"};
  EXPECT_EQ(kv::word::CurrentLineText(doc), "");
}

TEST_F(DocumentAccessTest, NextTextLineStepsOneLineWithTheExactMoves) {
  fake->Line("one").Line("two");
  EXPECT_EQ(kv::word::NextTextLine(doc), "two");
  EXPECT_EQ(TakeCalls(), Calls({"Collapse(1)", "Start", "GoToNext(3)", "Start", "Information(12)",
                                "HomeKey(5,0)", "Expand(5)", "Text"}));
}

TEST_F(DocumentAccessTest, NextTextLineSkipsEmptyLinesAndTablesAndEndsWithEmptyText) {
  fake->Line("Caption").Line("  ").Table({{"a", "b"}, {"c", ""}}).Line("").Line("After");
  EXPECT_EQ(kv::word::NextTextLine(doc), "After");
  EXPECT_EQ(kv::word::NextTextLine(doc), "");
  EXPECT_EQ(fake->SelectionStart(), fake->LineStart(7));  // left on the last line
  EXPECT_EQ(kv::word::NextTextLine(doc), "");
}

TEST_F(DocumentAccessTest, NextTextLinePassesOverATableThatEndsTheDocument) {
  fake->Line("Caption").Table({{"a", "b"}});
  EXPECT_EQ(kv::word::NextTextLine(doc), "");
}

TEST_F(DocumentAccessTest, NextTextLineFailureGivesEmptyText) {
  fake->Line("one").Line("two");
  state->failing = {"GoToNext"};
  EXPECT_EQ(kv::word::NextTextLine(doc), "");
}

TEST_F(DocumentAccessTest, LeaveTableGoesJustAfterTheTable) {
  fake->Line("Caption").Table({{"a", "b"}, {"c", "d"}}).Line("After");
  fake->PlaceAtLine(2);
  EXPECT_TRUE(kv::word::LeaveTable(doc));
  EXPECT_EQ(TakeCalls(), Calls({"Expand(15)", "Collapse(0)"}));
  EXPECT_EQ(fake->SelectionStart(), fake->LineStart(5));

  EXPECT_FALSE(kv::word::LeaveTable(doc));  // no table to leave
}

TEST_F(DocumentAccessTest, NextLineTextStopsAtTheFirstCellOfATable) {
  fake->Line("Caption").Table({{"Name\nsecond line", "b"}}).Line("After");
  doc.NextTextInTable = false;
  EXPECT_EQ(kv::word::NextLineText(doc), "Name");
  EXPECT_TRUE(doc.NextTextInTable);
  EXPECT_EQ(TakeCalls(), Calls({"Information(12)", "GoToNext(3)", "HomeKey(5,0)", "Expand(5)",
                                "Text", "Information(12)"}));
}

TEST_F(DocumentAccessTest, NextLineTextReadsTheFirstCellAlsoAfterEmptyLines) {
  fake->Line("Caption").Line("").Line(" ").Table({{"Name", "b"}}).Line("After");
  EXPECT_EQ(kv::word::NextLineText(doc), "Name");
  EXPECT_TRUE(doc.NextTextInTable);
  EXPECT_EQ(fake->SelectionStart(), fake->LineStart(3));
}

TEST_F(DocumentAccessTest, NextLineTextGivesAnEmptyFirstCellAsEmptyTextInTable) {
  fake->Line("Caption").Table({{"", "b"}}).Line("After");
  EXPECT_EQ(kv::word::NextLineText(doc), "");
  EXPECT_TRUE(doc.NextTextInTable);
  EXPECT_EQ(fake->SelectionStart(), fake->LineStart(1));
}

TEST_F(DocumentAccessTest, NextLineTextStartedInATableContinuesAfterIt) {
  fake->Line("Caption").Table({{"a", "b"}, {"c", "d"}}).Line("").Line("After");
  fake->PlaceAtLine(1);
  doc.NextTextInTable = true;
  EXPECT_EQ(kv::word::NextLineText(doc), "After");
  EXPECT_FALSE(doc.NextTextInTable);
}

TEST_F(DocumentAccessTest, NextLineTextAtTheEndGivesEmptyTextOutsideTables) {
  fake->Line("Caption").Line("").Line("");
  EXPECT_EQ(kv::word::NextLineText(doc), "");
  EXPECT_FALSE(doc.NextTextInTable);
  EXPECT_EQ(fake->SelectionStart(), fake->LineStart(2));
}

TEST_F(DocumentAccessTest, NextLineTextFailureKeepsTheFlagAsFarAsItWasSet) {
  fake->Line("Caption").Line("After");
  doc.NextTextInTable = true;
  state->failing = {"Text"};
  EXPECT_EQ(kv::word::NextLineText(doc), "");
  EXPECT_FALSE(doc.NextTextInTable);

  doc.NextTextInTable = true;
  state->failing = {"GoToNext"};
  EXPECT_EQ(kv::word::NextLineText(doc), "");
  EXPECT_TRUE(doc.NextTextInTable);
}

// Cells -----------------------------------------------------------------------------

TEST_F(DocumentAccessTest, CellTextTrimsTheCellAndGivesErrorForWhatCannotBeRead) {
  fake->Line("Caption").Table({{" 12 ", "", "a\n b "}, {"\xC2\xA0x\t"}});
  doc.CurrentTable = 1;
  EXPECT_EQ(kv::word::CellText(doc, 1, 1), "12");
  EXPECT_EQ(TakeCalls(), Calls({"CellRangeText(1,1,1)"}));
  EXPECT_EQ(kv::word::CellText(doc, 1, 2), "");
  EXPECT_EQ(kv::word::CellText(doc, 1, 3), "a\r b");  // inner breaks stay
  EXPECT_EQ(kv::word::CellText(doc, 2, 1), "x");
  EXPECT_EQ(kv::word::CellText(doc, 2, 2), "<error>");  // the short row
  EXPECT_EQ(kv::word::CellText(doc, 99, 1), "<error>");

  doc.CurrentTable.reset();
  EXPECT_EQ(kv::word::CellText(doc, 1, 1), "<error>");
  doc.CurrentTable = 1;
  doc.WordApp.reset();
  EXPECT_EQ(kv::word::CellText(doc, 1, 1), "<error>");
}

TEST_F(DocumentAccessTest, CellReadersApplyTheNumberRulesToTheCellText) {
  fake->Table({{"1 234,56", "12,5", "40000", "1,5", "", "n/a"}});
  doc.CurrentTable = 1;
  EXPECT_DOUBLE_EQ(kv::word::CellNumber(doc, 1, 1), 1234.56);
  EXPECT_DOUBLE_EQ(kv::word::CellNumber(doc, 1, 2), 12.5);
  EXPECT_DOUBLE_EQ(kv::word::CellNumber(doc, 1, 5), 0);
  EXPECT_DOUBLE_EQ(kv::word::CellNumber(doc, 1, 6), -1);
  EXPECT_DOUBLE_EQ(kv::word::CellNumber(doc, 2, 1), -1);
  EXPECT_EQ(kv::word::CellInteger(doc, 1, 3), -1);
  EXPECT_EQ(kv::word::CellLong(doc, 1, 3), 40000);
  EXPECT_EQ(kv::word::CellInteger(doc, 1, 4), 15);
  EXPECT_EQ(kv::word::CellInteger(doc, 1, 5), 0);
  EXPECT_EQ(kv::word::CellInteger(doc, 1, 9), -1);
  EXPECT_EQ(kv::word::CellLong(doc, 1, 9), -1);
}

// Marking ---------------------------------------------------------------------------

class MarkCellTest : public DocumentAccessTest {
 protected:
  MarkCellTest() {
    fake->Line("Caption").Table({{"a", "b"}, {"c", "d"}, {"e", "f"}}).Line("");
    fake->Table({{"x"}});
    doc.CurrentTable = 1;
  }
};

TEST_F(MarkCellTest, ShadesTheCellAndReturnsItsReference) {
  EXPECT_EQ(kv::word::MarkCell(doc, 3, 2, 6), " (3,2)");
  EXPECT_EQ(TakeCalls(), Calls({"CellSelect(1,3,2)", "SetCellsShadingTexture(0)",
                                "SetCellsShadingBackgroundPatternColorIndex(6)"}));
  EXPECT_EQ(state->shading.size(), 1u);
  EXPECT_EQ(state->shading[(CellKey{1, 3, 2})].texture, 0);
  EXPECT_EQ(state->shading[(CellKey{1, 3, 2})].colour, 6);
  EXPECT_EQ(MarksOf(doc), Marks({{1, 3, 2, 6}}));
  EXPECT_EQ(fake->SelectionStart(), fake->LineStart(6));  // the selection is in the cell
}

TEST_F(MarkCellTest, RecordsEachCellOnceInOrderOfFirstMarkingWithItsLastColour) {
  kv::word::MarkCell(doc, 2, 1, 7);
  kv::word::MarkCell(doc, 1, 2, 11);
  kv::word::MarkCell(doc, 2, 1, 6);
  doc.CurrentTable = 2;
  kv::word::MarkCell(doc, 2, 1, 7);  // no such cell in table 2
  kv::word::MarkCell(doc, 1, 1, 7);
  EXPECT_EQ(MarksOf(doc), Marks({{1, 2, 1, 6}, {1, 1, 2, 11}, {2, 1, 1, 7}}));
  EXPECT_EQ(state->shading[(CellKey{1, 2, 1})].colour, 6);
}

TEST_F(MarkCellTest, AMissingCellStillGivesItsReferenceAndChangesNothing) {
  EXPECT_EQ(kv::word::MarkCell(doc, 9, 9, 11), " (9,9)");
  doc.CurrentTable.reset();
  EXPECT_EQ(kv::word::MarkCell(doc, 1, 1, 6), " (1,1)");
  EXPECT_TRUE(state->shading.empty());
  EXPECT_TRUE(doc.MarkedCells.empty());
}

TEST_F(MarkCellTest, AFailedShadingRecordsNothing) {
  state->failing = {"SetCellsShadingBackgroundPatternColorIndex"};
  EXPECT_EQ(kv::word::MarkCell(doc, 1, 1, 6), " (1,1)");
  EXPECT_TRUE(doc.MarkedCells.empty());
}

}  // namespace
