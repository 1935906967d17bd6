// A .doc work plan through the session: opened, saved as its validated copy, shaded,
// the findings typed at the top and saved again, while the chosen file stays as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/docx_builder.h"
#include "support/kv_runner.h"
#include "support/phase_run.h"
#include "support/temp_dir.h"
#include "word/document_access.h"
#include "word/soffice.h"

namespace {

using kv::testing::DocxBuilder;
using kv::testing::ReadFileBytes;
using kv::testing::SimpleTable;
using kv::testing::TempDir;
namespace w = kv::word;
using namespace std::chrono_literals;

TEST(DocRoundTrip, ValidatedCopyOfADocKeepsShadingAndTypedFindings) {
  TempDir dir;
  DocxBuilder()
      .Paragraph("1. Project Title")
      .Table(SimpleTable({{"Item", "Amount"}, {"Travel", "1 250,50"}}))
      .Paragraph("End")
      .Save(dir / "12-we.docx");
  const w::ConversionResult made = w::ConvertDocument(dir / "12-we.docx", "doc", dir / "in", 180s);
  ASSERT_TRUE(made.ok) << made.reason;
  const std::string chosen = made.output;
  const std::string original = ReadFileBytes(chosen);

  w::DocumentAccess doc;
  ASSERT_TRUE(w::OpenDocumentSession(doc, chosen)) << doc.OpenFailure;
  w::SetNormalView(doc);
  w::WordApplication& app = *doc.WordApp;
  const std::string validated = dir / "in/12-we-validated.doc";
  app.SaveAs(validated);

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
  EXPECT_EQ(doc.WordApp, nullptr);
  EXPECT_EQ(ReadFileBytes(chosen), original);

  const w::ConversionResult back = w::ConvertDocument(validated, "docx", dir / "back", 180s);
  ASSERT_TRUE(back.ok) << back.reason;
  const std::vector<std::string> paragraphs = kv::testing::BodyParagraphs(back.output);
  ASSERT_GE(paragraphs.size(), 3u);
  EXPECT_EQ(paragraphs[0], "kv - Project 12 validated");
  EXPECT_EQ(paragraphs[1], "Errors: ");
  EXPECT_EQ(paragraphs[2], "1. Project Title");
  EXPECT_EQ(kv::testing::CellFill(back.output, 1, 2, 2), "008000");
  EXPECT_EQ(kv::testing::CellFill(back.output, 1, 1, 1), "FF0000");
  EXPECT_EQ(kv::testing::CellFill(back.output, 1, 2, 1), "");
}

}  // namespace
