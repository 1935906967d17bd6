// The navigation helpers, cell readers and cell marking on real .docx documents opened
// through the session with the default word processor.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "support/docx_builder.h"
#include "support/phase_run.h"
#include "support/temp_dir.h"
#include "word/document_access.h"

namespace {

using kv::testing::CellSpec;
using kv::testing::DocxBuilder;
using kv::testing::SimpleTable;
using kv::testing::TableSpec;
using kv::testing::TempDir;
using kv::word::DocumentAccess;
namespace w = kv::word;

class RealDocumentTest : public ::testing::Test {
 protected:
  ~RealDocumentTest() override { w::CloseDocumentSession(doc); }

  void Open(const DocxBuilder& builder) {
    builder.Save(dir / "plan.docx");
    ASSERT_TRUE(w::OpenDocumentSession(doc, dir / "plan.docx")) << doc.OpenFailure;
  }

  // Puts CurrentTable on the table that holds the text.
  void EnterTableAt(const std::string& pattern) {
    ASSERT_TRUE(w::FindText(doc, true, pattern));
    doc.CurrentTable = doc.WordApp->Tables1();
  }

  std::string SavedCopy() {
    const std::string copy = dir / "copy.docx";
    doc.WordApp->SaveAs(copy);
    return copy;
  }

  TempDir dir;
  DocumentAccess doc;
};

TEST_F(RealDocumentTest, FindsAHeadingHoweverSpacedInEitherAlphabetAndAnyCase) {
  Open(DocxBuilder()
           .Paragraph("Contents")
           .ParagraphRuns({"1.  PRO", "JECT\tti", "tle"})
           .Paragraph(
               "2.\xC2\xA0\xD0\x9D\xD0\xB0\xD0\xB7\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xB8\xD0\xB5 "
               "\xD0\xBF\xD1\x80\xD0\xBE\xD0\xB5\xD0\xBA\xD1\x82\xD0\xB0")  // Название проекта
           .Paragraph("Closing"));
  ASSERT_TRUE(w::FindText(doc, true, "1.^wProject^wTitle"));
  const long matchStart = doc.WordApp->Start();
  EXPECT_FALSE(w::FindText(doc, false, "1.^wProject^wTitle"));  // no wrap to the top
  EXPECT_FALSE(w::FindText(doc, false, "Contents"));            // lies before the match
  EXPECT_EQ(w::CurrentLineText(doc), "1. PROJECT title");
  EXPECT_EQ(doc.WordApp->Start(), matchStart);

  // НАЗВАНИЕ^wПРОЕКТА in capitals
  const std::string russian =
      "2.^w\xD0\x9D\xD0\x90\xD0\x97\xD0\x92\xD0\x90\xD0\x9D\xD0\x98\xD0\x95^w"
      "\xD0\x9F\xD0\xA0\xD0\x9E\xD0\x95\xD0\x9A\xD0\xA2\xD0\x90";
  EXPECT_TRUE(w::FindText(doc, false, russian));
  EXPECT_EQ(w::NextTextLine(doc), "Closing");
  EXPECT_FALSE(w::FindText(doc, false, russian));
  EXPECT_TRUE(w::FindText(doc, true, russian));
}

TEST_F(RealDocumentTest, NextTextLinePassesOverTablesAndEmptyLinesToTheEnd) {
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

TEST_F(RealDocumentTest, ATableAtTheEndIsPassedOverByNextTextLineButNotByNextLineText) {
  Open(DocxBuilder().Paragraph("Caption").Table(SimpleTable({{"First cell", "b"}})));
  ASSERT_TRUE(w::FindText(doc, true, "Caption"));
  EXPECT_EQ(w::NextTextLine(doc), "");

  ASSERT_TRUE(w::FindText(doc, true, "Caption"));
  EXPECT_EQ(w::NextLineText(doc), "First cell");
  EXPECT_TRUE(doc.NextTextInTable);
}

TEST_F(RealDocumentTest, NextLineTextStopsAtATableAndLeavesOneWhenStartedInside) {
  TableSpec table = SimpleTable({{"", "b"}, {"c", "inside"}});
  table.rows[0][0].paragraphs = {"  Name  of person ", "second line"};
  Open(DocxBuilder()
           .Paragraph("Category I")
           .Paragraph("")
           .Table(table)
           .Paragraph("")
           .Paragraph("Category II"));
  ASSERT_TRUE(w::FindText(doc, true, "Category^wI"));
  EXPECT_EQ(w::NextLineText(doc), "Name of person");
  EXPECT_TRUE(doc.NextTextInTable);
  EXPECT_EQ(doc.WordApp->Tables1(), 1);  // the selection is inside that table

  ASSERT_TRUE(w::FindText(doc, true, "inside"));
  EXPECT_EQ(w::NextLineText(doc), "Category II");
  EXPECT_FALSE(doc.NextTextInTable);

  ASSERT_TRUE(w::FindText(doc, true, "inside"));
  EXPECT_TRUE(w::LeaveTable(doc));
  EXPECT_EQ(doc.WordApp->Information(w::wdWithInTable), 0);
  EXPECT_FALSE(w::LeaveTable(doc));
}

TEST_F(RealDocumentTest, CellTextTrimsRealCellsAndGivesErrorForMissingOnes) {
  TableSpec table = SimpleTable({{" 12 ", "", "x"}, {"a", "b", "c"}, {"d", "e", "f"}});
  table.rows[0][1].paragraphs = {"\t", ""};
  table.rows[1][0].paragraphs = {"two", " lines "};
  table.rows[1][1].gridSpan = 2;  // row 2 has two cells
  table.rows[1].pop_back();
  table.rows[1][0].vmerge = CellSpec::VMerge::Restart;
  table.rows[2][0].vmerge = CellSpec::VMerge::Continue;
  Open(DocxBuilder().Paragraph("Table").Table(table).Paragraph(""));
  EnterTableAt("12");

  EXPECT_EQ(w::CellText(doc, 1, 1), "12");
  EXPECT_EQ(w::CellText(doc, 1, 2), "");
  EXPECT_EQ(w::CellText(doc, 2, 1), "two\r lines");  // inner breaks and blanks stay
  EXPECT_EQ(w::CellText(doc, 2, 2), "b");
  EXPECT_EQ(w::CellText(doc, 2, 3), "<error>");  // merged into (2,2)
  EXPECT_EQ(w::CellText(doc, 3, 1), "<error>");  // continues the merge above
  EXPECT_EQ(w::CellText(doc, 3, 3), "f");
  EXPECT_EQ(w::CellText(doc, 99, 1), "<error>");
  EXPECT_EQ(w::CellText(doc, 1, 0), "<error>");
}

TEST_F(RealDocumentTest, CellReadersReadRealCells) {
  Open(DocxBuilder().Table(
      SimpleTable({{"1 234,56", "1,234.56", "1.250", "12,5%", "\xE2\x80\x93", "40000"},
                   {"1,5", "1 000", " 7 ", "abc", "", "-3"}})));
  EnterTableAt("12,5%");
  const std::vector<std::array<double, 3>> numbers = {
      {1, 1, 1234.56}, {1, 2, 1234.56}, {1, 3, 1250}, {1, 4, -1},
      {1, 5, -1},      {2, 1, 1.5},     {2, 5, 0},    {3, 1, -1}};
  for (const auto& [row, column, expected] : numbers) {
    EXPECT_DOUBLE_EQ(w::CellNumber(doc, row, column), expected) << row << "," << column;
  }
  EXPECT_EQ(w::CellInteger(doc, 2, 1), 15);
  EXPECT_EQ(w::CellInteger(doc, 2, 2), 1000);
  EXPECT_EQ(w::CellInteger(doc, 2, 3), 7);
  EXPECT_EQ(w::CellInteger(doc, 2, 4), -1);
  EXPECT_EQ(w::CellInteger(doc, 2, 5), 0);
  EXPECT_EQ(w::CellInteger(doc, 2, 6), -3);
  EXPECT_EQ(w::CellInteger(doc, 1, 6), -1);
  EXPECT_EQ(w::CellLong(doc, 1, 6), 40000);
  EXPECT_EQ(w::CellLong(doc, 9, 9), -1);
}

TEST_F(RealDocumentTest, MarkCellColoursRecolorsAndNamesMissingCells) {
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
  EXPECT_EQ(w::MarkCell(doc, 4, 4, w::wdRed), " (4,4)");
  EXPECT_EQ(w::MarkCell(doc, 5, 1, w::wdGreen), " (5,1)");
  EXPECT_EQ(w::MarkCell(doc, 9, 9, w::wdGreen), " (9,9)");
  EXPECT_EQ(w::MarkCell(doc, 1, 5, w::wdGreen), " (1,5)");

  // A search goes on from the last marked cell, (5,1).
  EXPECT_FALSE(w::FindText(doc, false, "h1"));
  ASSERT_TRUE(w::FindText(doc, false, "6"));
  EXPECT_EQ(w::CurrentLineText(doc), "16");

  std::vector<std::array<int, 4>> marks;
  for (const w::MarkedCell& cell : doc.MarkedCells) {
    marks.push_back({cell.table, cell.row, cell.column, cell.colour});
  }
  EXPECT_EQ(marks, (std::vector<std::array<int, 4>>{{2, 3, 2, 6}, {2, 4, 4, 6}, {2, 5, 1, 11}}));

  const std::string copy = SavedCopy();
  EXPECT_EQ(kv::testing::CellFill(copy, 2, 3, 2), "FF0000");
  EXPECT_EQ(kv::testing::CellFill(copy, 2, 4, 4), "FF0000");
  EXPECT_EQ(kv::testing::CellFill(copy, 2, 5, 1), "008000");
  EXPECT_EQ(kv::testing::CellFill(copy, 2, 5, 4), "0000FF");  // unmarked shading stays
  EXPECT_EQ(kv::testing::CellFill(copy, 2, 1, 1), "");
  EXPECT_EQ(kv::testing::CellFill(copy, 1, 1, 1), "");
}

}  // namespace
