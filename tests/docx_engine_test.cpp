#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/docx_builder.h"
#include "support/temp_dir.h"
#include "word/docx_application.h"

namespace kv::word {
namespace {

using testing::CellSpec;
using testing::DocxBuilder;
using testing::SimpleTable;
using testing::TableSpec;
using testing::TempDir;

CellSpec Cell(std::vector<std::string> paragraphs) {
  CellSpec cell;
  cell.paragraphs = std::move(paragraphs);
  return cell;
}

constexpr const char* kHeading = "1.^wProject^wTitle";

class EngineTest : public ::testing::Test {
 protected:
  WordApplication& Open(const DocxBuilder& builder) {
    builder.Save(dir_ / "doc.docx");
    app_->DocumentsOpen(dir_ / "doc.docx");
    return *app_;
  }
  std::string LineAtSelection() {
    app_->HomeKey(wdLine);
    app_->Expand(wdLine);
    return app_->Text();
  }
  bool FindFromTop(const std::string& pattern) {
    app_->HomeKey(wdStory, wdMove);
    return app_->FindExecute(pattern);
  }

  TempDir dir_;
  std::unique_ptr<WordApplication> app_ = CreateDocxApplication();
};

TEST_F(EngineTest, HeadingIsFoundHoweverItIsSpacedSplitOrCased) {
  const std::vector<std::string> paragraphs = {
      "<w:p><w:r><w:t>1. Project Title</w:t></w:r></w:p>",
      "<w:p><w:r><w:t xml:space=\"preserve\">1.  project</w:t></w:r><w:r><w:tab/></w:r>"
      "<w:r><w:t>TITLE</w:t></w:r></w:p>",
      "<w:p><w:r><w:t xml:space=\"preserve\">1.\u00a0Pro</w:t></w:r><w:r><w:t>ject "
      "Ti</w:t></w:r><w:r><w:t>tle</w:t></w:r></w:p>"};
  for (const std::string& paragraph : paragraphs) {
    Open(DocxBuilder().Paragraph("Intro").RawParagraph(paragraph));
    EXPECT_TRUE(FindFromTop(kHeading)) << paragraph;
    EXPECT_EQ(app_->Start(), 6);  // after "Intro" and its paragraph mark
  }
}

TEST_F(EngineTest, CyrillicMatchesInAnyCase) {
  Open(DocxBuilder().Paragraph("2. ПЛАН   работ"));
  EXPECT_TRUE(FindFromTop("2.^wплан^wРАБОТ"));
  EXPECT_EQ(app_->Text(), "2. ПЛАН   работ");
}

TEST_F(EngineTest, DeletedTextIsNotFoundAndInsertedTextIs) {
  Open(DocxBuilder().RawParagraph(
      "<w:p><w:del w:id=\"1\" w:author=\"a\"><w:r><w:delText>Budget</w:delText></w:r></w:del>"
      "<w:ins w:id=\"2\" w:author=\"a\"><w:r><w:t>Costs</w:t></w:r></w:ins></w:p>"));
  EXPECT_FALSE(FindFromTop("Budget"));
  EXPECT_TRUE(FindFromTop("Costs"));
  EXPECT_EQ(app_->Start(), 0);
}

TEST_F(EngineTest, FindGoesForwardOnlyAndNeverWraps) {
  Open(DocxBuilder().Paragraph("Title").Paragraph("x").Paragraph("Title"));
  ASSERT_TRUE(FindFromTop("title"));
  EXPECT_EQ(app_->Start(), 0);
  app_->Collapse(wdCollapseEnd);
  ASSERT_TRUE(app_->FindExecute("title"));
  EXPECT_EQ(app_->Start(), 8);
  app_->Collapse(wdCollapseEnd);
  EXPECT_FALSE(app_->FindExecute("title"));
  EXPECT_EQ(app_->Start(), 13);  // the selection stays where the search started
}

TEST_F(EngineTest, MatchDoesNotCrossAParagraphMark) {
  Open(DocxBuilder().Paragraph("Project").Paragraph("Title"));
  EXPECT_FALSE(FindFromTop("Project^wTitle"));
}

TEST_F(EngineTest, FindSeesTablesButNotFieldCodesOrTextBoxes) {
  Open(DocxBuilder()
           .RawParagraph(
               "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>PAGE "
               "Secret</w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>"
               "<w:r><w:t>Shown</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r></w:p>")
           .RawParagraph(
               "<w:p><w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:t>One</w:t>"
               "</mc:Choice><mc:Fallback><w:t>One</w:t></mc:Fallback></mc:AlternateContent>"
               "</w:r><w:r><w:drawing><w:txbxContent><w:p><w:r><w:t>Boxed</w:t></w:r></w:p>"
               "</w:txbxContent></w:drawing></w:r></w:p>")
           .Table(SimpleTable({{"a", "Inside"}})));
  EXPECT_FALSE(FindFromTop("Secret"));
  EXPECT_FALSE(FindFromTop("Boxed"));
  EXPECT_FALSE(FindFromTop("OneOne"));
  ASSERT_TRUE(FindFromTop("Shown"));
  EXPECT_EQ(LineAtSelection(), "Shown\r");
  ASSERT_TRUE(FindFromTop("inside"));
  EXPECT_TRUE(app_->Information(wdWithInTable));
}

TEST_F(EngineTest, SpecialCharactersReadAsTheWordProcessorReportsThem) {
  Open(DocxBuilder().RawParagraph(
      "<w:p><w:r><w:t>a</w:t><w:tab/><w:t>b</w:t><w:noBreakHyphen/><w:t>c</w:t><w:softHyphen/>"
      "<w:sym w:font=\"Symbol\" w:char=\"2014\"/><w:br/><w:t>next</w:t></w:r></w:p>"));
  app_->HomeKey(wdStory);
  EXPECT_EQ(LineAtSelection(),
            "a\tb\x1e"
            "c\x1f\u2014\v");
  app_->Collapse(wdCollapseStart);
  app_->GoToNext(wdGoToLine);
  EXPECT_EQ(LineAtSelection(), "next\r");
}

TEST_F(EngineTest, GoToNextLineStopsOnTheLastLine) {
  Open(DocxBuilder().Paragraph("one").Table(SimpleTable({{"a", "b"}})));
  std::vector<long> starts;
  app_->HomeKey(wdStory);
  long previous = -1;
  while (app_->Start() != previous) {
    previous = app_->Start();
    starts.push_back(previous);
    app_->GoToNext(wdGoToLine);
  }
  // "one", cell a, cell b, the paragraph after the table.
  EXPECT_EQ(starts, (std::vector<long>{0, 4, 6, 8}));
}

TEST_F(EngineTest, GoToTableMovesToTheNextTableOnly) {
  Open(DocxBuilder()
           .Paragraph("before")
           .Table(SimpleTable({{"t1"}}))
           .Paragraph("between")
           .Table(SimpleTable({{"t2", "x"}, {"y", "z"}, {"w"}})));
  app_->HomeKey(wdStory);
  app_->GoTo(wdGoToTable);
  EXPECT_EQ(app_->Tables1(), 1);
  app_->GoTo(wdGoToTable);
  EXPECT_EQ(app_->Tables1(), 2);
  EXPECT_EQ(app_->Information(wdMaximumNumberOfRows), 3);
  EXPECT_EQ(app_->Information(wdMaximumNumberOfColumns), 2);
  app_->RowsSelect(2, 3);
  EXPECT_EQ(app_->Information(wdMaximumNumberOfColumns), 1);
  const long inLastTable = app_->Start();
  app_->GoTo(wdGoToTable);
  EXPECT_EQ(app_->Start(), inLastTable);

  app_->Expand(wdTable);
  app_->Collapse(wdCollapseEnd);
  EXPECT_FALSE(app_->Information(wdWithInTable));
  EXPECT_THROW(app_->Tables1(), WordError);
}

TEST_F(EngineTest, CellTextCarriesTheEndOfCellMark) {
  TableSpec table = SimpleTable({{"", " 12 "}});
  table.rows[0].push_back(Cell({"first", "second"}));
  Open(DocxBuilder().Table(table));
  EXPECT_EQ(app_->CellRangeText(1, 1, 1), "\r\a");
  EXPECT_EQ(app_->CellRangeText(1, 1, 2), " 12 \r\a");
  EXPECT_EQ(app_->CellRangeText(1, 1, 3), "first\rsecond\r\a");
  EXPECT_EQ(app_->RowsCount(1), 1);
  EXPECT_EQ(app_->ColumnsCount(1), 3);
  EXPECT_THROW(app_->CellRangeText(1, 2, 1), WordError);
  EXPECT_THROW(app_->CellRangeText(1, 1, 4), WordError);
  EXPECT_THROW(app_->CellRangeText(2, 1, 1), WordError);
}

TEST_F(EngineTest, MergedCellsCountOnceAndContinuationsFail) {
  TableSpec table;
  CellSpec wide = Cell({{"wide"}});
  wide.gridSpan = 2;
  CellSpec top = Cell({{"top"}});
  top.vmerge = CellSpec::VMerge::Restart;
  CellSpec continued = Cell({{""}});
  continued.vmerge = CellSpec::VMerge::Continue;
  table.rows = {{wide, top}, {Cell({"a"}), Cell({"b"}), continued}};
  Open(DocxBuilder().Table(table));
  EXPECT_EQ(app_->CellRangeText(1, 1, 2), "top\r\a");
  EXPECT_EQ(app_->ColumnsCount(1), 3);
  EXPECT_THROW(app_->CellRangeText(1, 2, 3), WordError);
  EXPECT_THROW(app_->CellSelect(1, 2, 3), WordError);
}

TEST_F(EngineTest, NestedTablesAreNumberedWhereTheyStart) {
  TableSpec outer;
  CellSpec holder = Cell({""});
  holder.rawContentXml =
      "<w:p><w:r><w:t>above</w:t></w:r></w:p><w:tbl><w:tr><w:tc><w:p><w:r><w:t>inner</w:t>"
      "</w:r></w:p></w:tc></w:tr></w:tbl><w:p/>";
  outer.rows = {{holder, Cell({"next"})}};
  Open(DocxBuilder().Table(outer).Table(SimpleTable({{"third"}})));
  ASSERT_TRUE(FindFromTop("inner"));
  EXPECT_EQ(app_->Tables1(), 2);
  EXPECT_EQ(app_->CellRangeText(1, 1, 2), "next\r\a");
  EXPECT_EQ(app_->CellRangeText(3, 1, 1), "third\r\a");
}

}  // namespace
}  // namespace kv::word
