// A validated .doc copy as LibreOffice reads it back: cells read and shaded through the
// session, while the chosen file stays as it was and no temporary folder is left behind.
// The summary typed at the top of a .doc copy is shown by the driver's .doc run.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/docx_builder.h"
#include "support/phase_run.h"
#include "support/temp_dir.h"
#include "word/document_access.h"
#include "convert/soffice.h"

namespace {

using kv::testing::CellFill;
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

  kv::testing::TempDir dir;
  const std::string temp = dir / "tmp";
};

// A name with a blank and Cyrillic letters must survive both conversions.
TEST_F(RoundTrip, CellsMarkedInADocAreShadedInItsDocCopy) {
  const std::string docx = dir / "src.docx", folder = dir / "in dir";
  kv::testing::DocxBuilder()
      .Paragraph("1. Project Title")
      .Table(kv::testing::SimpleTable({{"Item", "Amount"}, {"Travel", "1 250,50"}}))
      .Save(docx);
  std::filesystem::create_directories(folder);
  const w::ConversionResult made = w::ConvertDocument(docx, "doc", folder, 180s);
  ASSERT_TRUE(made.ok) << made.reason;
  const std::string chosen = folder + "/план 12-we.doc",
                    copy = folder + "/план 12-we-validated.doc";
  std::filesystem::rename(made.output, chosen);
  const std::string original = ReadFileBytes(chosen);

  w::DocumentAccess doc;
  ASSERT_TRUE(w::OpenDocumentSession(doc, chosen)) << doc.OpenFailure;
  doc.WordApp->SaveAs(copy);
  ASSERT_TRUE(w::FindText(doc, true, "Travel"));
  doc.CurrentTable = doc.WordApp->Tables1();
  EXPECT_DOUBLE_EQ(w::CellNumber(doc, 2, 2), 1250.5);
  EXPECT_EQ(w::MarkCell(doc, 2, 2, w::wdGreen), " (2,2)");
  EXPECT_EQ(w::MarkCell(doc, 1, 1, w::wdRed), " (1,1)");
  doc.WordApp->Save();
  w::CloseDocumentSession(doc);
  EXPECT_EQ(ReadFileBytes(chosen), original);

  const w::ConversionResult back = w::ConvertDocument(copy, "docx", dir / "back", 180s);
  ASSERT_TRUE(back.ok) << back.reason;
  EXPECT_EQ(CellFill(back.output, 1, 2, 2), "008000");
  EXPECT_EQ(CellFill(back.output, 1, 1, 1), "FF0000");
  EXPECT_EQ(CellFill(back.output, 1, 2, 1), "");
  EXPECT_TRUE(std::filesystem::is_empty(temp));
}

}  // namespace
