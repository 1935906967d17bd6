// List numbering: the labels numbered paragraphs show, counted in reading order, on
// packages built here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "docx/document.h"
#include "support/case_table.h"
#include "support/docx_builder.h"
#include "support/temp_dir.h"

namespace kv::word::docx {
namespace {

using testing::ReadTestFile;

TEST(Numbering, LabelsCountInReadingOrder) {
  testing::DocxBuilder builder;
  builder.Style(ReadTestFile("data/numbering_styles.xml"))
      .Numbering(ReadTestFile("data/numbering.xml"));
  std::vector<std::string> expected;
  for (const testing::Case& c : testing::ReadCases("numbering")) {
    const std::string properties = c[2].empty()
                                       ? "<w:pStyle w:val=\"" + c[1] + "\"/>"
                                       : "<w:numPr><w:ilvl w:val=\"" + c[2] +
                                             "\"/><w:numId w:val=\"" + c[1] + "\"/></w:numPr>";
    builder.RawParagraph("<w:p><w:pPr>" + properties + "</w:pPr><w:r><w:t>" + c[0] +
                         "</w:t></w:r></w:p>");
    expected.push_back(c[3]);
  }
  const testing::TempDir dir;
  builder.Save(dir / "doc.docx");
  const Document document(dir / "doc.docx");
  std::vector<std::string> lines;
  for (const Line& line : document.story().lines()) lines.push_back(line.text);
  EXPECT_EQ(lines, expected);
}

}  // namespace
}  // namespace kv::word::docx
