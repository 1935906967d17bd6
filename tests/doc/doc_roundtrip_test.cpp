// Validated copies as LibreOffice reads them back: cells shaded and findings typed at
// the top through the session, for a .docx and for a .doc, while the chosen file stays
// as it was and no temporary folder is left behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/docx_builder.h"
#include "support/kv_runner.h"
#include "support/phase_run.h"
#include "support/temp_dir.h"
#include "word/document_access.h"
#include "word/soffice.h"

namespace {

using kv::testing::ReadFileBytes;
namespace w = kv::word;
using namespace std::chrono_literals;

class RoundTrip : public ::testing::Test {
 protected:
  // Every temporary folder lands in a private TMPDIR, so a leftover shows.
  RoundTrip() {
    std::filesystem::create_directories(temp);
    setenv("TMPDIR", temp.c_str(), 1);
  }
  ~RoundTrip() override { unsetenv("TMPDIR"); }

  // Writes the plan as `name` (.docx) in "in dir"; a .doc is made from it by LibreOffice.
  std::string Chosen(const std::string& name) {
    const std::string docx = dir / "src.docx";
    kv::testing::DocxBuilder()
        .Paragraph("1. Project Title")
        .Table(kv::testing::SimpleTable({{"Item", "Amount"}, {"Travel", "1 250,50"}}))
        .Paragraph("End")
        .Save(docx);
    const std::string folder = dir / "in dir", chosen = folder + "/" + name;
    std::filesystem::create_directories(folder);
    if (name.ends_with(".docx")) {
      std::filesystem::rename(docx, chosen);
      return chosen;
    }
    const w::ConversionResult made = w::ConvertDocument(docx, "doc", folder, 180s);
    EXPECT_TRUE(made.ok) << made.reason;
    std::filesystem::rename(made.output, chosen);
    return chosen;
  }

  // Validates `chosen` into `copy` as the run does and reads the copy back through LibreOffice.
  void ValidateAndReadBack(const std::string& chosen, const std::string& copy) {
    const std::string original = ReadFileBytes(chosen);
    w::DocumentAccess doc;
    ASSERT_TRUE(w::OpenDocumentSession(doc, chosen)) << doc.OpenFailure;
    w::SetNormalView(doc);
    w::WordApplication& app = *doc.WordApp;
    app.SaveAs(copy);
    ASSERT_TRUE(w::FindText(doc, true, "Travel"));
    doc.CurrentTable = app.Tables1();
    EXPECT_DOUBLE_EQ(w::CellNumber(doc, 2, 2), 1250.5);
    EXPECT_EQ(w::MarkCell(doc, 2, 2, w::wdGreen), " (2,2)");
    EXPECT_EQ(w::MarkCell(doc, 1, 1, w::wdRed), " (1,1)");
    app.Collapse();
    app.HomeKey(w::wdStory);
    app.TypeParagraph();
    app.HomeKey(w::wdStory);
    app.SetStyle(w::wdStyleNormal);
    app.TypeText("kv - Project 12 validated");
    app.TypeParagraph();
    app.TypeText("Errors: ");
    app.Save();
    w::CloseDocumentSession(doc);
    EXPECT_EQ(ReadFileBytes(chosen), original);

    const w::ConversionResult back = w::ConvertDocument(copy, "docx", dir / "back", 180s);
    ASSERT_TRUE(back.ok) << back.reason;
    const std::vector<std::string> paragraphs = kv::testing::BodyParagraphs(back.output);
    ASSERT_GE(paragraphs.size(), 3u);
    EXPECT_EQ(
        std::vector<std::string>(paragraphs.begin(), paragraphs.begin() + 3),
        (std::vector<std::string>{"kv - Project 12 validated", "Errors: ", "1. Project Title"}));
    EXPECT_EQ(kv::testing::CellFill(back.output, 1, 2, 2), "008000");
    EXPECT_EQ(kv::testing::CellFill(back.output, 1, 1, 1), "FF0000");
    EXPECT_EQ(kv::testing::CellFill(back.output, 1, 2, 1), "");
    EXPECT_TRUE(std::filesystem::is_empty(temp));
  }

  kv::testing::TempDir dir;
  const std::string temp = dir / "tmp";
};

TEST_F(RoundTrip, Docx) {
  ValidateAndReadBack(Chosen("12-we.docx"), dir / "in dir/12-we-validated.docx");
}

// A name with a blank and Cyrillic letters must survive both conversions.
TEST_F(RoundTrip, Doc) {
  ValidateAndReadBack(Chosen("план 12-we.doc"), dir / "in dir/план 12-we-validated.doc");
}

}  // namespace
