// The session, the navigation helpers, the cell readers and cell marking on real .docx
// documents opened with the default word processor.
#include "word/document_access.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "support/case_table.h"
#include "support/docx_builder.h"
#include "support/forwarding_word_app.h"
#include "support/phase_run.h"
#include "support/temp_dir.h"

namespace {

using kv::testing::Case;
using kv::testing::CellFill;
using kv::testing::CellSpec;
using kv::testing::DocxBuilder;
using kv::testing::SimpleTable;
using kv::testing::TableSpec;
namespace w = kv::word;

class DocumentAccessTest : public ::testing::Test {
 protected:
  ~DocumentAccessTest() override { w::CloseDocumentSession(doc); }

  void Open(const DocxBuilder& builder) {
    builder.Save(dir / "plan.docx");
    ASSERT_TRUE(w::OpenDocumentSession(doc, dir / "plan.docx")) << doc.OpenFailure;
  }
  // Puts CurrentTable on the table that holds the text.
  void EnterTableAt(const std::string& pattern) {
    ASSERT_TRUE(w::FindText(doc, true, pattern));
    doc.CurrentTable = doc.WordApp->Tables1();
  }

  kv::testing::TempDir dir;
  w::DocumentAccess doc;
};

TEST_F(DocumentAccessTest, SessionOpensRefusesAndCloses) {
  int created = 0;
  doc.CreateWordApp = [&] {
    ++created;
    return w::CreateDocxApplication();
  };
  doc.DecimalSeparatorText = ",";
  EXPECT_TRUE(w::OpenDocumentSession(doc, ""));  // no file yet: only the word processor
  Open(DocxBuilder().Paragraph("x"));
  EXPECT_EQ(created, 1);  // the word processor already there is kept
  EXPECT_EQ(doc.DecimalSeparatorText, ".");
  doc.CurrentTable = 3;
  w::CloseDocumentSession(doc);
  EXPECT_EQ(doc.WordApp, nullptr);
  EXPECT_FALSE(doc.CurrentTable.has_value());

  EXPECT_FALSE(w::OpenDocumentSession(doc, dir / "missing.docx"));
  EXPECT_EQ(doc.WordApp, nullptr);
  EXPECT_TRUE(doc.OpenFailure.starts_with("cannot read the file")) << doc.OpenFailure;
  w::CloseDocumentSession(doc);  // nothing left to close

  doc.CreateWordApp = []() -> std::unique_ptr<w::WordApplication> {
    throw w::WordError("LibreOffice failed:\nline two\r\n");
  };
  EXPECT_FALSE(w::OpenDocumentSession(doc, dir / "plan.docx"));
  EXPECT_EQ(doc.OpenFailure, "LibreOffice failed: line two");
  doc.CreateWordApp = [] { return std::unique_ptr<w::WordApplication>(); };
  EXPECT_FALSE(w::OpenDocumentSession(doc, dir / "plan.docx"));
  EXPECT_EQ(doc.OpenFailure, "the word processor could not be started");
}

class FindTextTest : public DocumentAccessTest, public ::testing::WithParamInterface<Case> {};

TEST_P(FindTextTest, MatchesAsTheWordProcessorDoes) {
  const Case& c = GetParam();
  Open(DocxBuilder().Paragraph("Intro").RawParagraph(c[2]));
  EXPECT_EQ(w::FindText(doc, true, c[0]), c[1] == "found");
  if (c[1] == "found") {
    EXPECT_EQ(doc.WordApp->Start(), 6);
  }
}
KV_CASES(FindTextTest, "find_text");

TEST_F(DocumentAccessTest, NextTextLinePassesOverTablesAndEmptyLinesToTheEnd) {
  Open(DocxBuilder()
           .Paragraph("Caption")
           .Paragraph("")
           .Table(SimpleTable({{"a", "b"}, {"c", "d"}}))
           .Paragraph(" \t ")
           .Paragraph("After \xE2\x80\x94  the table")
           .Paragraph("Last"));
  ASSERT_TRUE(w::FindText(doc, true, "Caption"));
  EXPECT_EQ(w::NextTextLine(doc), "After - the table");
  EXPECT_EQ(w::NextTextLine(doc), "Last");
  EXPECT_EQ(w::NextTextLine(doc), "");
  EXPECT_EQ(w::CurrentLineText(doc), "Last");  // left on the last line
  EXPECT_EQ(w::NextTextLine(doc), "");
}

TEST_F(DocumentAccessTest, NextLineTextStopsAtATableAndLeavesOneWhenStartedInside) {
  TableSpec table = SimpleTable({{"", "b"}, {"c", "inside"}});
  table.rows[0][0].paragraphs = {"  Name  of person ", "second line"};
  Open(DocxBuilder()
           .Paragraph("Category I")
           .Paragraph("")
           .Table(table)
           .Paragraph("")
           .Paragraph("Category II")
           .Table(SimpleTable({{"", "x"}}))
           .Paragraph("")
           .Paragraph(" "));
  ASSERT_TRUE(w::FindText(doc, true, "Category^wI"));
  EXPECT_EQ(w::NextLineText(doc), "Name of person");
  EXPECT_TRUE(doc.NextTextInTable);
  EXPECT_EQ(doc.WordApp->Tables1(), 1);  // the selection is inside that table

  ASSERT_TRUE(w::FindText(doc, true, "inside"));
  EXPECT_EQ(w::NextLineText(doc), "Category II");
  EXPECT_FALSE(doc.NextTextInTable);
  EXPECT_EQ(w::NextLineText(doc), "");  // an empty first cell
  EXPECT_TRUE(doc.NextTextInTable);
  EXPECT_EQ(doc.WordApp->Tables1(), 2);
  EXPECT_EQ(w::NextLineText(doc), "");  // the end, outside any table
  EXPECT_FALSE(doc.NextTextInTable);

  ASSERT_TRUE(w::FindText(doc, true, "Category^wII"));
  EXPECT_EQ(w::NextTextLine(doc), "");  // only a table and empty lines follow

  ASSERT_TRUE(w::FindText(doc, true, "inside"));
  EXPECT_TRUE(w::LeaveTable(doc));
  EXPECT_EQ(doc.WordApp->Information(w::wdWithInTable), 0);
  EXPECT_EQ(w::NextTextLine(doc), "Category II");
  EXPECT_FALSE(w::LeaveTable(doc));
}

TEST_F(DocumentAccessTest, CellReadersTrimRealCellsAndGiveSentinelsForMissingOnes) {
  TableSpec table =
      SimpleTable({{" 12 ", "", "x"}, {"a", "b", "c"}, {"d", "e", "f"}, {"40000", "", "1,5"}});
  table.rows[0][1].paragraphs = {"\t", ""};
  table.rows[1][0].paragraphs = {"two", " lines "};
  table.rows[1][1].gridSpan = 2;  // row 2 has two cells
  table.rows[1].pop_back();
  table.rows[1][0].vmerge = CellSpec::VMerge::Restart;
  table.rows[2][0].vmerge = CellSpec::VMerge::Continue;
  Open(DocxBuilder().Paragraph("Table").Table(table).Paragraph(""));
  EnterTableAt("12");

  const struct {
    int row, column;
    std::string text;
  } cases[] = {
      {1, 1, "12"},      {1, 2, ""},         {2, 1, "two\r lines"},  // inner breaks and blanks stay
      {2, 2, "b"},       {2, 3, "<error>"},                          // merged into (2,2)
      {3, 1, "<error>"},                                             // continues the merge above
      {3, 3, "f"},       {99, 1, "<error>"}, {1, 0, "<error>"}};
  for (const auto& c : cases)
    EXPECT_EQ(w::CellText(doc, c.row, c.column), c.text) << c.row << c.column;

  // The numbers read from those texts; the reading rules themselves are tested on plain text.
  EXPECT_DOUBLE_EQ(w::CellNumber(doc, 4, 3), 1.5);
  EXPECT_EQ(w::CellInteger(doc, 4, 3), 15);
  EXPECT_EQ(w::CellLong(doc, 4, 1), 40000);
  EXPECT_DOUBLE_EQ(w::CellNumber(doc, 3, 1), -1);
  EXPECT_EQ(w::CellInteger(doc, 3, 1), -1);
  EXPECT_EQ(w::CellLong(doc, 3, 1), -1);
}

TEST_F(DocumentAccessTest, MarkCellColoursRecoloursAndNamesMissingCells) {
  TableSpec table = SimpleTable({{"h1", "h2", "h3", "h4"},
                                 {"1", "2", "3", "4"},
                                 {"5", "6", "7", "8"},
                                 {"9", "10", "11", "12"},
                                 {"13", "14", "15", "16"}});
  table.rows[4][3].fill = "0000FF";
  Open(DocxBuilder()
           .Paragraph("Other")
           .Table(SimpleTable({{"o"}}))
           .Paragraph("Costs")
           .Table(table)
           .Paragraph("Later 6"));
  EnterTableAt("h1");
  ASSERT_EQ(*doc.CurrentTable, 2);

  EXPECT_EQ(w::MarkCell(doc, 3, 2, w::wdRed), " (3,2)");
  EXPECT_EQ(w::CurrentLineText(doc), "6");  // the selection is in the marked cell
  EXPECT_EQ(w::MarkCell(doc, 4, 4, w::wdYellow), " (4,4)");
  EXPECT_EQ(w::MarkCell(doc, 5, 1, w::wdGreen), " (5,1)");
  EXPECT_EQ(w::MarkCell(doc, 9, 9, w::wdGreen), " (9,9)");
  EXPECT_EQ(w::MarkCell(doc, 1, 5, w::wdGreen), " (1,5)");
  EXPECT_EQ(w::MarkCell(doc, 4, 4, w::wdRed), " (4,4)");

  // A search goes on from the last marked cell, (4,4).
  EXPECT_FALSE(w::FindText(doc, false, "h1"));
  ASSERT_TRUE(w::FindText(doc, false, "6"));
  EXPECT_EQ(w::CurrentLineText(doc), "16");

  // Each cell once, in the order of its first marking, with its last colour.
  std::vector<std::array<int, 4>> marks;
  for (const w::MarkedCell& cell : doc.MarkedCells) {
    marks.push_back({cell.table, cell.row, cell.column, cell.colour});
  }
  EXPECT_EQ(marks, (std::vector<std::array<int, 4>>{{2, 3, 2, 6}, {2, 4, 4, 6}, {2, 5, 1, 11}}));

  doc.WordApp->SaveAs(dir / "copy.docx");
  std::vector<std::string> fills;  // the marked cells, a cell shaded before, unmarked cells
  for (auto [table, row, column] :
       {std::array{2, 3, 2}, {2, 4, 4}, {2, 5, 1}, {2, 5, 4}, {2, 1, 1}, {1, 1, 1}}) {
    fills.push_back(CellFill(dir / "copy.docx", table, row, column));
  }
  EXPECT_EQ(fills, (std::vector<std::string>{"FF0000", "FF0000", "008000", "0000FF", "", ""}));
}

// The first line read fails; every later one is read as usual.
struct FirstTextFails : kv::word::ForwardingApplication {
  using ForwardingApplication::ForwardingApplication;
  std::string Text() const override {
    if (!failed_) {
      failed_ = true;
      throw w::WordError("the line cannot be read");
    }
    return ForwardingApplication::Text();
  }
  mutable bool failed_ = false;
};

struct TableCannotBeSelected : kv::word::ForwardingApplication {
  using ForwardingApplication::ForwardingApplication;
  void Expand(int unit) override {
    if (unit == w::wdTable) throw w::WordError("the table cannot be selected");
    ForwardingApplication::Expand(unit);
  }
};

TEST_F(DocumentAccessTest, AnUnreadableLineOrATableThatCannotBeLeftDoesNotEndTheWalk) {
  const auto plan = DocxBuilder().Paragraph("Caption").Paragraph("lost").Paragraph("Next");
  for (bool lineText : {false, true}) {
    doc.CreateWordApp = kv::testing::OverDocxApplication<FirstTextFails>();
    Open(plan);
    EXPECT_EQ(lineText ? w::NextLineText(doc) : w::NextTextLine(doc), "Next");
    EXPECT_FALSE(doc.NextTextInTable);
    w::CloseDocumentSession(doc);
  }
  doc.CreateWordApp = kv::testing::OverDocxApplication<TableCannotBeSelected>();
  Open(DocxBuilder().Paragraph("Caption").Table(SimpleTable({{"cell", "b"}})).Paragraph("After"));
  EnterTableAt("cell");
  EXPECT_EQ(w::NextLineText(doc), "cell");  // read where it stands
  EXPECT_TRUE(doc.NextTextInTable);
}

struct FailingShading : kv::word::ForwardingApplication {
  using ForwardingApplication::ForwardingApplication;
  void SetCellsShadingBackgroundPatternColorIndex(int) override { throw w::WordError("stopped"); }
};

TEST_F(DocumentAccessTest, SentinelsWhenNothingCanBeRead) {
  doc.CreateWordApp = kv::testing::OverDocxApplication<FailingShading>();
  Open(DocxBuilder().Table(SimpleTable({{"a"}})));
  EnterTableAt("a");
  EXPECT_EQ(w::MarkCell(doc, 1, 1, w::wdRed), " (1,1)");  // a failed shading is not recorded
  doc.CurrentTable.reset();
  EXPECT_EQ(w::CellText(doc, 1, 1), "<error>");
  EXPECT_EQ(w::MarkCell(doc, 1, 1, w::wdRed), " (1,1)");

  w::CloseDocumentSession(doc);  // no word processor at all
  doc.CurrentTable = 1;
  EXPECT_FALSE(w::FindText(doc, true, "a"));
  EXPECT_EQ(w::CurrentLineText(doc), "");
  EXPECT_EQ(w::NextTextLine(doc), "");
  EXPECT_EQ(w::CellText(doc, 1, 1), "<error>");
  EXPECT_EQ(w::MarkCell(doc, 1, 1, w::wdRed), " (1,1)");
  EXPECT_TRUE(doc.MarkedCells.empty());
}

}  // namespace
