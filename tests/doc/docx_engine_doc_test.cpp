// The engine's documents as LibreOffice reads them, and .doc documents through it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/docx_builder.h"
#include "support/temp_dir.h"
#include "word/docx_application.h"
#include "word/soffice.h"

namespace kv::word {
namespace {

namespace fs = std::filesystem;
using testing::DocxBuilder;
using testing::ReadFileBytes;
using testing::SimpleTable;
using testing::TempDir;

// The plain text LibreOffice reads from `path`.
std::string TextByLibreOffice(const TempDir& dir, const std::string& path) {
  const std::string command = "timeout 180 soffice -env:UserInstallation=file://" +
                              (dir.path() / "profile").string() +
                              " --headless --norestore --convert-to txt:Text --outdir " +
                              (dir.path() / "txt").string() + " " + path + " >/dev/null 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0);
  return ReadFileBytes((dir.path() / "txt" / fs::path(path).stem()).string() + ".txt");
}

int EngineFolders() {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(fs::temp_directory_path())) {
    count += entry.path().filename().string().starts_with("kv-engine-");
  }
  return count;
}

void TypeTwoParagraphsAtTheTop(WordApplication& app) {
  app.HomeKey(wdStory);
  app.TypeParagraph();
  app.HomeKey(wdStory);
  app.TypeText("Summary line");
  app.TypeParagraph();
  app.TypeText("Errors: 1");
}

TEST(EngineWithLibreOffice, EditedCopyReadsBackInLibreOffice) {
  TempDir dir;
  DocxBuilder().Paragraph("Title").Table(SimpleTable({{"a", "b"}})).Save(dir / "in.docx");
  const std::string original = ReadFileBytes(dir / "in.docx");
  auto app = CreateDocxApplication();
  app->DocumentsOpen(dir / "in.docx");
  app->CellSelect(1, 1, 2);
  app->SetCellsShadingTexture(wdTextureNone);
  app->SetCellsShadingBackgroundPatternColorIndex(wdRed);
  TypeTwoParagraphsAtTheTop(*app);
  app->SaveAs(dir / "out.docx");
  app->Quit();

  EXPECT_EQ(ReadFileBytes(dir / "in.docx"), original);
  const std::string text = TextByLibreOffice(dir, dir / "out.docx");
  EXPECT_NE(text.find("Summary line\nErrors: 1\nTitle\na\nb"), std::string::npos) << text;
}

TEST(EngineWithLibreOffice, DocDocumentsAreConvertedBothWays) {
  TempDir dir;
  DocxBuilder().Paragraph("Old format").Table(SimpleTable({{"x"}})).Save(dir / "src.docx");
  const ConversionResult made =
      ConvertDocument(dir / "src.docx", "doc", dir.path().string(), std::chrono::seconds(180));
  ASSERT_TRUE(made.ok) << made.reason;
  const std::string original = ReadFileBytes(made.output);
  const int foldersBefore = EngineFolders();

  auto app = CreateDocxApplication();
  app->DocumentsOpen(made.output);
  EXPECT_TRUE(app->FindExecute("old^wformat"));
  // Unchanged: the copy is the chosen file's bytes.
  app->SaveAs(dir / "copy.doc");
  EXPECT_EQ(ReadFileBytes(dir / "copy.doc"), original);
  TypeTwoParagraphsAtTheTop(*app);
  app->Save();
  app->CloseDocument();
  EXPECT_EQ(EngineFolders(), foldersBefore);
  EXPECT_EQ(ReadFileBytes(made.output), original);

  app->DocumentsOpen(dir / "copy.doc");
  app->HomeKey(wdStory);
  app->Expand(wdLine);
  EXPECT_EQ(app->Text(), "Summary line\r");
  app->Quit();
  EXPECT_EQ(EngineFolders(), foldersBefore);
}

}  // namespace
}  // namespace kv::word
