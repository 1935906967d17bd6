// List numbering: the labels numbered paragraphs show, counted in reading order, on
// packages built here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "docx/document.h"
#include "support/docx_builder.h"
#include "support/temp_dir.h"

namespace kv::word::docx {
namespace {

using testing::DocxBuilder;
using Texts = std::vector<std::string>;

const std::string kStyles =
    "<w:style w:type=\"paragraph\" w:styleId=\"Listed\"><w:basedOn w:val=\"Heading1\"/><w:pPr>"
    "<w:numPr><w:numId w:val=\"3\"/></w:numPr></w:pPr></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Derived\"><w:basedOn w:val=\"Listed\"/></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Sub\"><w:pPr><w:numPr><w:numId w:val=\"3\"/>"
    "</w:numPr></w:pPr></w:style>";

std::string Level(int level, const std::string& format, const std::string& text,
                  const std::string& more = "") {
  return "<w:lvl w:ilvl=\"" + std::to_string(level) +
         "\"><w:start w:val=\"1\"/><w:numFmt w:val=\"" + format + "\"/>" + more +
         "<w:lvlText w:val=\"" + text + "\"/></w:lvl>";
}

// Lists 1 and 2 share one numbering, list 2 restarting it at 5; list 3 counts in Roman
// numerals (in capitals, as the heading style it is based on says) and letters, its second
// level picked by the style Sub; list 4 replaces a level.
const std::string kNumbering =
    "<w:abstractNum w:abstractNumId=\"0\">" + Level(0, "decimal", "%1.") +
    Level(1, "decimal", "%1.%2.") + Level(2, "lowerLetter", "%3)") +
    Level(3, "decimal", "%4", "<w:lvlRestart w:val=\"0\"/>") +
    "</w:abstractNum>"
    "<w:abstractNum w:abstractNumId=\"1\">" +
    Level(0, "upperRoman", "%1.", "<w:suff w:val=\"space\"/>") +
    Level(1, "upperLetter", "%1.%2",
          "<w:pStyle w:val=\"Sub\"/><w:isLgl/><w:suff w:val=\"nothing\"/>") +
    "</w:abstractNum><w:num w:numId=\"1\"><w:abstractNumId w:val=\"0\"/></w:num>"
    "<w:num w:numId=\"2\"><w:abstractNumId w:val=\"0\"/><w:lvlOverride w:ilvl=\"0\">"
    "<w:startOverride w:val=\"5\"/></w:lvlOverride></w:num>"
    "<w:num w:numId=\"3\"><w:abstractNumId w:val=\"1\"/></w:num>"
    "<w:num w:numId=\"4\"><w:abstractNumId w:val=\"0\"/><w:lvlOverride w:ilvl=\"0\">" +
    Level(0, "lowerRoman", "(%1)") + "</w:lvlOverride></w:num>";

std::string Numbered(const std::string& numId, int level, const std::string& text) {
  return "<w:p><w:pPr><w:numPr><w:ilvl w:val=\"" + std::to_string(level) + "\"/><w:numId w:val=\"" +
         numId + "\"/></w:numPr></w:pPr><w:r><w:t>" + text + "</w:t></w:r></w:p>";
}

std::string Styled(const std::string& style, const std::string& text) {
  return "<w:p><w:pPr><w:pStyle w:val=\"" + style + "\"/></w:pPr><w:r><w:t>" + text +
         "</w:t></w:r></w:p>";
}

Texts ReadLines(const std::vector<std::string>& blocks) {
  DocxBuilder builder;
  builder.Style(kStyles).Numbering(kNumbering);
  for (const auto& block : blocks) builder.RawParagraph(block);
  const testing::TempDir dir;
  builder.Save(dir / "doc.docx");
  const Document document(dir / "doc.docx");
  Texts lines;
  for (const Line& line : document.story().lines()) lines.push_back(line.text);
  return lines;
}

TEST(Numbering, LabelsCountInReadingOrder) {
  const Texts lines = ReadLines({
      Numbered("1", 0, "Intro"),
      Numbered("1", 1, "Scope"),
      Numbered("1", 1, "Aims"),
      Numbered("1", 2, "Detail"),
      Numbered("1", 3, "Kept"),
      Numbered("1", 0, "Plan"),
      Numbered("1", 1, "Again"),
      Numbered("1", 3, "Still"),
      Numbered("2", 0, "Restarted"),
      Numbered("1", 0, "Shared"),
      Styled("Listed", "Part"),
      Styled("Derived", "Part"),
      Styled("Sub", "Sub"),
      Numbered("0", 0, "None"),
      Numbered("9", 0, "Unknown"),
      Numbered("4", 0, "Replaced"),
  });
  EXPECT_EQ(lines, (Texts{"1.\tIntro", "1.1.\tScope", "1.2.\tAims", "a)\tDetail", "1\tKept",
                          "2.\tPlan", "2.1.\tAgain", "2\tStill", "5.\tRestarted", "6.\tShared",
                          "I. PART", "II. PART", "2.1Sub", "None", "Unknown", "(vii)\tReplaced"}));
}

}  // namespace
}  // namespace kv::word::docx
