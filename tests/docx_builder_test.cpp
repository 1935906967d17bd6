#include "support/docx_builder.h"

#include <gtest/gtest.h>
#include <zip.h>
#include <pugixml.hpp>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace kv::testing {
namespace {

std::string ReadEntry(zip_t* archive, const char* name) {
  zip_stat_t stat;
  if (zip_stat(archive, name, 0, &stat) != 0) return {};
  std::string data(stat.size, '\0');
  zip_file_t* file = zip_fopen(archive, name, 0);
  if (file == nullptr) return {};
  zip_fread(file, data.data(), data.size());
  zip_fclose(file);
  return data;
}

TEST(DocxBuilder, WritesEveryPartOfAMinimalPackage) {
  TempDir dir;
  DocxBuilder()
      .Paragraph("Fish & <chips>")
      .Table(SimpleTable({{"a", "b"}, {"c", "d"}}))
      .Save(dir / "doc.docx");

  int error = 0;
  zip_t* archive = zip_open((dir / "doc.docx").c_str(), ZIP_RDONLY, &error);
  ASSERT_NE(archive, nullptr);
  for (const char* part :
       {"[Content_Types].xml", "_rels/.rels", "word/document.xml", "word/_rels/document.xml.rels",
        "word/styles.xml", "word/settings.xml"}) {
    std::string xml = ReadEntry(archive, part);
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_string(xml.c_str())) << part;
  }
  std::string document = ReadEntry(archive, "word/document.xml");
  zip_close(archive);

  EXPECT_NE(document.find("Fish &amp; &lt;chips&gt;"), std::string::npos);
  // A body never ends with a table.
  EXPECT_NE(document.find("</w:tbl><w:p/><w:sectPr>"), std::string::npos);
}

TEST(DocxBuilder, CellsCarryMergesAndShading) {
  TableSpec table;
  CellSpec first;
  first.paragraphs = {"x"};
  first.gridSpan = 2;
  first.vmerge = CellSpec::VMerge::Restart;
  first.fill = "FF0000";
  CellSpec below;
  below.gridSpan = 2;
  below.vmerge = CellSpec::VMerge::Continue;
  table.rows = {{first}, {below}};
  std::string xml = DocxBuilder().Table(table).DocumentXml();
  EXPECT_NE(xml.find("<w:gridSpan w:val=\"2\"/><w:vMerge w:val=\"restart\"/>"
                     "<w:shd w:val=\"clear\" w:color=\"auto\" w:fill=\"FF0000\"/>"),
            std::string::npos);
  EXPECT_NE(xml.find("<w:vMerge/>"), std::string::npos);
  EXPECT_EQ(std::string::npos, xml.find("<w:gridCol w:w=\"2000\"/><w:gridCol w:w=\"2000\"/>"
                                        "<w:gridCol"));
}

}  // namespace
}  // namespace kv::testing
