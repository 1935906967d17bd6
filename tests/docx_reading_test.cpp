// The text the engine reads as a reader sees it: hidden text, capitals, characters that
// show as nothing, tracked rows, and the labels of list numbering, on packages built here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "docx/document.h"
#include "docx/numbering.h"
#include "support/docx_builder.h"
#include "support/temp_dir.h"

namespace kv::word::docx {
namespace {

using testing::DocxBuilder;
using Texts = std::vector<std::string>;

const std::string kStyles =
    "<w:style w:type=\"character\" w:styleId=\"Secret\"><w:rPr><w:vanish/></w:rPr></w:style>"
    "<w:style w:type=\"character\" w:styleId=\"Small\"><w:basedOn w:val=\"Secret\"/><w:rPr>"
    "<w:vanish w:val=\"0\"/><w:smallCaps/></w:rPr></w:style>"
    "<w:style w:type=\"paragraph\" w:styleId=\"Note\"><w:rPr><w:vanish/></w:rPr></w:style>"
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

TEST(Reading, HiddenTextCapitalsAndUnseenCharacters) {
  const Texts lines = ReadLines({
      "<w:p><w:r><w:t>5. Pro</w:t></w:r><w:r><w:rPr><w:vanish/></w:rPr><w:t>(note)</w:t></w:r>"
      "<w:r><w:rPr><w:rStyle "
      "w:val=\"Secret\"/></w:rPr><w:t>7</w:t></w:r><w:r><w:t>ject</w:t></w:r></w:p>",
      Styled("Note", "an author's note, paragraph mark and all"),
      "<w:p><w:pPr><w:rPr><w:vanish/></w:rPr></w:pPr></w:p>",
      "<w:p><w:r><w:rPr><w:caps/></w:rPr><w:t>Total ß</w:t></w:r><w:r><w:rPr><w:rStyle "
      "w:val=\"Small\"/></w:rPr><w:t>итого</w:t></w:r><w:r><w:rPr><w:caps w:val=\"false\"/></w:rPr>"
      "<w:t>x</w:t></w:r></w:p>",
      "<w:p><w:r><w:t>1</w:t><w:noBreakHyphen/><w:t>1 "
      "Du</w:t><w:softHyphen/><w:t>ra\u00ADti\u200Bo\u2060n\uFEFF</w:t></w:r></w:p>",
      Styled("Note", "") +
          "<w:p><w:pPr><w:rPr><w:vanish/></w:rPr></w:pPr><w:r><w:t>shown</w:t></w:r></w:p>",
  });
  EXPECT_EQ(lines, (Texts{"5. Project", "TOTAL ßИТОГОx",
                          "1\x1e"
                          "1 Duration",
                          "shown"}));
}

TEST(Reading, TrackedRowsReadAsAccepted) {
  const auto row = [](const std::string& change, const std::string& text) {
    return "<w:tr>" + change + "<w:tc><w:p><w:r><w:t>" + text + "</w:t></w:r></w:p></w:tc></w:tr>";
  };
  const Texts lines =
      ReadLines({"<w:tbl>" + row("", "a") +
                 row("<w:trPr><w:del w:id=\"1\" w:author=\"A\"/></w:trPr>", "gone") +
                 row("<w:trPr><w:ins w:id=\"2\" w:author=\"A\"/></w:trPr>", "added") +
                 row("", "b") + "</w:tbl>"});
  EXPECT_EQ(lines, (Texts{"a", "added", "b", ""}));
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

TEST(Numbering, RomanNumeralsAndLetters) {
  EXPECT_EQ(RomanNumber(1994, true), "MCMXCIV");
  EXPECT_EQ(RomanNumber(14, false), "xiv");
  EXPECT_EQ(LetterNumber(28, true), "BB");
  EXPECT_EQ(LetterNumber(3, false), "c");
}

}  // namespace
}  // namespace kv::word::docx
