// The word-processor operations on real .docx documents, below the navigation helpers:
// lines and their positions, tables, cells as the word processor reports them.
#include <gtest/gtest.h>

#include <string>

#include "docx/application.h"
#include "support/docx_builder.h"
#include "support/temp_dir.h"

namespace kv::word {
namespace {

using testing::CellSpec;
using testing::DocxBuilder;
using testing::SimpleTable;
using testing::TableSpec;

class EngineTest : public ::testing::Test {
 protected:
  void Open(const DocxBuilder& builder) {
    builder.Save(dir_ / "doc.docx");
    app_->DocumentsOpen(dir_ / "doc.docx");
    app_->HomeKey(wdStory);
  }
  std::string LineAtSelection() {
    app_->HomeKey(wdLine);
    app_->Expand(wdLine);
    return app_->Text();
  }

  testing::TempDir dir_;
  std::unique_ptr<WordApplication> app_ = CreateDocxApplication();
};

TEST_F(EngineTest, SpecialCharactersReadAsTheWordProcessorReportsThem) {
  Open(DocxBuilder().RawParagraph(
      "<w:p><w:r><w:t>a</w:t><w:tab/><w:t>b</w:t><w:noBreakHyphen/><w:t>c</w:t><w:softHyphen/>"
      "<w:sym w:font=\"Symbol\" w:char=\"2014\"/><w:br/><w:t>n<![CDATA[e]]>x<!-- a -->t</w:t>"
      "</w:r></w:p>"));
  EXPECT_EQ(LineAtSelection(),
            "a\tb\x1e"
            "c\u2014\v");  // the optional hyphen shows as nothing
  app_->Collapse(wdCollapseStart);
  app_->GoToNext(wdGoToLine);
  EXPECT_EQ(LineAtSelection(), "next\r");
  EXPECT_THROW(app_->Tables1(), WordError);  // outside any table
}

// The widest row gives the columns, whatever the merges; a cell merged away cannot be
// selected. Moving between tables and leaving one are pinned by the table checks and the
// navigation helpers on the same engine.
TEST_F(EngineTest, MergedCellsCountOnce) {
  TableSpec table = SimpleTable({{"12", "top"}, {"a", "b", ""}});
  table.rows[0][0].gridSpan = 2;
  table.rows[0][1].vmerge = CellSpec::VMerge::Restart;
  table.rows[1][2].vmerge = CellSpec::VMerge::Continue;
  Open(DocxBuilder().Table(table));
  EXPECT_EQ(app_->RowsCount(1), 2);
  EXPECT_EQ(app_->ColumnsCount(1), 3);
  EXPECT_THROW(app_->CellSelect(1, 2, 3), WordError);  // continues the merge above
}

TEST_F(EngineTest, NestedTablesAreNumberedWhereTheyStart) {
  CellSpec holder;
  holder.rawContentXml =
      "<w:p><w:r><w:t>above</w:t></w:r></w:p><w:tbl><w:tr><w:tc><w:p><w:r><w:t>inner</w:t>"
      "</w:r></w:p></w:tc></w:tr></w:tbl><w:p/>";
  TableSpec outer = SimpleTable({{"", "next"}});
  outer.rows[0][0] = holder;
  Open(DocxBuilder().Table(outer).Table(SimpleTable({{"third"}})));
  ASSERT_TRUE(app_->FindExecute("inner"));
  EXPECT_EQ(app_->Tables1(), 2);
  EXPECT_EQ(app_->CellRangeText(1, 1, 2), "next\r\a");
  EXPECT_EQ(app_->CellRangeText(3, 1, 1), "third\r\a");
}

}  // namespace
}  // namespace kv::word
