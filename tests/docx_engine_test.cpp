// The word-processor operations on real .docx documents, below the navigation helpers:
// lines and their positions, tables, cells as the word processor reports them, and the
// edits a validated copy takes (shading, typed findings) with what it keeps.
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "docx/application.h"
#include "support/docx_builder.h"
#include "support/phase_run.h"
#include "support/temp_dir.h"

namespace kv::word {
namespace {

using testing::CellSpec;
using testing::DocxBuilder;
using testing::PackageEntries;
using testing::SimpleTable;
using testing::TableSpec;
using testing::TempDir;

// The w:tcPr of cell (row, column) of the first table, as written.
std::string CellProperties(const std::string& documentXml, int row, int column) {
  pugi::xml_document xml;
  xml.load_string(documentXml.c_str());
  pugi::xml_node tr = xml.select_node(("//w:tbl/w:tr[" + std::to_string(row) + "]").c_str()).node();
  pugi::xml_node tc = tr.select_node(("w:tc[" + std::to_string(column) + "]").c_str()).node();
  std::ostringstream out;
  tc.child("w:tcPr").print(out, "", pugi::format_raw);
  return out.str();
}

class EngineTest : public ::testing::Test {
 protected:
  void Open(const DocxBuilder& builder) {
    builder.Save(input_);
    app_->DocumentsOpen(input_);
    app_->HomeKey(wdStory);
  }
  std::string LineAtSelection() {
    app_->HomeKey(wdLine);
    app_->Expand(wdLine);
    return app_->Text();
  }
  std::string SavedDocument() {
    app_->SaveAs(dir_ / "out.docx");
    return PackageEntries(dir_ / "out.docx")["word/document.xml"];
  }
  // The first `count` lines of the story, each with its terminator.
  std::vector<std::string> FirstLines(int count) {
    std::vector<std::string> lines;
    app_->HomeKey(wdStory);
    for (int i = 0; i < count; ++i) {
      app_->Expand(wdLine);
      lines.push_back(app_->Text());
      app_->Collapse();
      app_->GoToNext(wdGoToLine);
    }
    return lines;
  }
  void Shade(int row, int column, int colour) {
    app_->CellSelect(1, row, column);
    app_->SetCellsShadingTexture(wdTextureNone);
    app_->SetCellsShadingBackgroundPatternColorIndex(colour);
  }

  TempDir dir_;
  std::string input_ = dir_ / "in.docx";
  std::unique_ptr<WordApplication> app_ = CreateDocxApplication();
};

TEST_F(EngineTest, ShadingGoesInSchemaOrderAndReplacesPatternsAndThemes) {
  TableSpec table = SimpleTable({{"a", "b", "c"}, {"d", "e", "f"}});
  table.rows[0][1].rawContentXml = "<w:p/>";
  table.rows[0][2].rawContentXml = "<w:p/>";
  Open(DocxBuilder().Table(table).Edit([](std::string& xml) {
    // Cell b: a dotted pattern with a theme fill, and a vAlign after the shading's place.
    xml.replace(xml.find("</w:tcPr><w:p/>"), 9,
                "<w:shd w:val=\"pct50\" w:color=\"000000\" w:fill=\"D9D9D9\" "
                "w:themeFill=\"background1\" w:themeFillShade=\"D9\"/><w:vAlign w:val=\"center\"/>"
                "</w:tcPr>");
    // Cell c: properties that must stay before and after the shading.
    xml.replace(xml.rfind("</w:tcPr><w:p/>"), 9,
                "<w:vMerge w:val=\"restart\"/><w:noWrap/></w:tcPr>");
  }));

  Shade(1, 1, wdYellow);
  Shade(1, 1, wdRed);  // the last marking wins
  Shade(1, 2, wdGreen);
  Shade(1, 3, wdYellow);
  app_->RowsSelect(1, 2);  // a selected row shades every cell of it
  app_->SetCellsShadingBackgroundPatternColorIndex(wdGreen);
  const std::string saved = SavedDocument();
  const auto props = [](const std::string& inner) {
    return "<w:tcPr><w:tcW w:w=\"3118\" w:type=\"dxa\"/>" + inner + "</w:tcPr>";
  };
  const auto fill = [](const std::string& colour) {
    return "<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"" + colour + "\"/>";
  };
  EXPECT_EQ(CellProperties(saved, 1, 1), props(fill("FF0000")));
  EXPECT_EQ(CellProperties(saved, 1, 2), props(fill("008000") + "<w:vAlign w:val=\"center\"/>"));
  EXPECT_EQ(CellProperties(saved, 1, 3),
            props("<w:vMerge w:val=\"restart\"/>" + fill("FFFF00") + "<w:noWrap/>"));
  for (int column : {1, 2, 3}) EXPECT_EQ(CellProperties(saved, 2, column), props(fill("008000")));
}

TEST_F(EngineTest, SummaryTypedAtTheTopPrecedesTheDocument) {
  Open(DocxBuilder().Paragraph("Heading"));
  app_->WholeStory();
  app_->SetLanguageID(wdNoProofing);
  app_->Collapse();
  app_->HomeKey(wdStory);
  app_->TypeParagraph();
  app_->HomeKey(wdStory);
  app_->SetStyle(wdStyleNormal);
  app_->TypeText("Summary & <line>");
  app_->TypeParagraph();
  app_->TypeText("Errors:\tnone");
  app_->TypeParagraph();

  const std::string saved = SavedDocument();
  EXPECT_NE(saved.find("<w:body><w:p><w:pPr><w:rPr><w:noProof/></w:rPr></w:pPr><w:r><w:rPr>"
                       "<w:noProof/></w:rPr><w:t xml:space=\"preserve\">Summary &amp; &lt;line&gt;"
                       "</w:t></w:r></w:p>"),
            std::string::npos)
      << saved;
  EXPECT_NE(saved.find("<w:t xml:space=\"preserve\">Errors:</w:t><w:tab/>"), std::string::npos);
}

TEST_F(EngineTest, TypingBeforeALeadingTableOrInsideARun) {
  Open(DocxBuilder()
           .Table(SimpleTable({{"a"}}))
           .RawParagraph("<w:p><w:r><w:t xml:space=\"preserve\">Hello "
                         "</w:t></w:r><w:r><w:t>world</w:t></w:r></w:p>"));
  app_->HomeKey(wdStory);
  app_->TypeParagraph();  // a new paragraph above the table
  app_->HomeKey(wdStory);
  EXPECT_FALSE(app_->Information(wdWithInTable));
  app_->TypeText("top");
  ASSERT_TRUE(app_->FindExecute("wor"));
  app_->Collapse(wdCollapseEnd);
  app_->TypeText("-");
  app_->TypeParagraph();
  EXPECT_EQ(FirstLines(4), (std::vector<std::string>{"top\r", "a\r", "Hello wor-\r", "ld\r"}));
}

TEST_F(EngineTest, RoundTripKeepsEveryOtherPart) {
  Open(DocxBuilder().Paragraph("Title").Table(SimpleTable({{"a", "b"}, {"c", "d"}})));
  app_->SetZoomPercentage(65);
  app_->SetViewType(wdNormalView);
  Shade(2, 2, wdRed);
  app_->HomeKey(wdStory);
  app_->TypeParagraph();
  app_->SetZoomPercentage(100);
  app_->SaveAs(dir_ / "copy.docx");
  app_->CloseDocument();

  auto before = PackageEntries(input_);
  auto after = PackageEntries(dir_ / "copy.docx");
  ASSERT_EQ(before.size(), after.size());
  for (const auto& [name, data] : before) {
    if (name != "word/document.xml" && name != "word/settings.xml") {
      EXPECT_EQ(after[name], data) << name;
    }
  }
  EXPECT_NE(after["word/settings.xml"].find(
                "<w:view w:val=\"normal\"/><w:zoom w:percent=\"100\"/><w:defaultTabStop"),
            std::string::npos)
      << after["word/settings.xml"];
  EXPECT_NE(CellProperties(after["word/document.xml"], 2, 2).find("FF0000"), std::string::npos);
}

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
