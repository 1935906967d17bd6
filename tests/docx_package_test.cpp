#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "docx/application.h"
#include "docx/document.h"
#include "docx/package.h"
#include "support/case_table.h"
#include "support/corpus.h"
#include "support/docx_builder.h"
#include "support/temp_dir.h"

namespace kv::word {
namespace {

using testing::DocxBuilder;
using testing::ReadFileBytes;
using testing::TempDir;

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A zip of the given entries, stored uncompressed so that tests can damage the data, or
// compressed, or encrypted with a password.
void WriteZip(const std::string& path,
              const std::vector<std::pair<std::string, std::string>>& entries, bool stored = true,
              const char* password = nullptr) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  for (const auto& [name, data] : entries) {
    zip_source_t* source = zip_source_buffer(archive, data.data(), data.size(), 0);
    const auto index = static_cast<zip_uint64_t>(zip_file_add(archive, name.c_str(), source, 0));
    if (stored) zip_set_file_compression(archive, index, ZIP_CM_STORE, 0);
    if (password) zip_file_set_encryption(archive, index, ZIP_EM_AES_256, password);
  }
  zip_close(archive);
}

// The reason DocumentsOpen gives, "" when it opens.
std::string OpenFailure(const std::string& path) {
  auto app = CreateDocxApplication();
  try {
    app->DocumentsOpen(path);
  } catch (const WordError& error) {
    EXPECT_FALSE(app->HasActiveDocument());
    return error.what();
  }
  return "";
}

const std::string kDocument =
    "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
    "<w:body><w:p><w:r><w:t>text</w:t></w:r></w:p></w:body></w:document>";

TEST(DocxPackage, DamagedInputsFailWithAOneLineReason) {
  TempDir dir;
  DocxBuilder().Paragraph("text").Save(dir / "good.docx");
  const std::string good = ReadFileBytes(dir / "good.docx");
  WriteBytes(dir / "text.docx", "just some text\n");
  WriteBytes(dir / "truncated.docx", good.substr(0, good.size() / 2));
  WriteZip(dir / "nodocument.docx", {{"[Content_Types].xml", "<Types/>"}});
  WriteZip(dir / "malformed.docx", {{"word/document.xml", "<w:document><w:body><w:p>"}});
  WriteZip(dir / "nobody.docx", {{"word/document.xml", "<other/>"}});
  std::string compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
  compound.resize(512, '\0');
  for (char c : std::string("EncryptedPackage")) compound += std::string{c, '\0'};
  WriteBytes(dir / "encrypted.docx", compound);
  WriteZip(dir / "crc.docx", {{"word/document.xml", kDocument}});
  std::string crc = ReadFileBytes(dir / "crc.docx");
  crc[crc.find(">text<") + 1] = 'T';
  WriteBytes(dir / "crc.docx", crc);

  std::string nested = kDocument.substr(0, kDocument.find("<w:p>"));
  for (int i = 0; i < 100000; ++i) nested += "<w:sdt><w:sdtContent>";
  nested += "<w:p/>";
  for (int i = 0; i < 100000; ++i) nested += "</w:sdtContent></w:sdt>";
  WriteZip(dir / "nested.docx", {{"word/document.xml", nested + "</w:body></w:document>"}});
  WriteZip(dir / "locked.docx", {{"word/document.xml", kDocument}}, false, "secret");

  for (const testing::Case& c : testing::ReadCases("damaged_packages")) {
    const std::string failure = OpenFailure(dir / c[0]);
    EXPECT_TRUE(failure.starts_with(c[1])) << c[0] << ": " << failure;
    EXPECT_EQ(failure.find('\n'), std::string::npos) << c[0];
  }
  EXPECT_EQ(OpenFailure(dir / "good.docx"), "");
}

TEST(DocxPackage, UnpackingStopsAtTheCaps) {
  TempDir dir;
  const std::string bomb = dir / "bomb.docx";
  // A small file that unpacks to 64 MiB of zeros.
  WriteZip(bomb, {{"word/document.xml", kDocument}, {"zeros.bin", std::string(64u << 20, '\0')}},
           false);
  ASSERT_LT(std::filesystem::file_size(bomb), 1u << 20);
  using ::testing::ThrowsMessage;
  EXPECT_THAT([&] { docx::Package::Read(bomb, {.maxEntries = 100, .maxTotalBytes = 16u << 20}); },
              ThrowsMessage<WordError>("the package unpacks to more than 16 MiB"));
  EXPECT_THAT(
      [&] {
        docx::Document(bomb, {.maxEntries = 100, .maxTotalBytes = 1u << 30, .maxXmlBytes = 100});
      },
      ThrowsMessage<WordError>("word/document.xml is larger than 100 bytes"));
  EXPECT_THAT([&] { docx::Package::Read(bomb, {.maxEntries = 1, .maxTotalBytes = 1u << 30}); },
              ThrowsMessage<WordError>("the package has more than 1 entries"));
}

TEST(DocxPackage, RealDocumentsOpenOrFailCleanly) {
  if (testing::CorpusFolder().empty()) GTEST_SKIP() << "no corpus";
  EXPECT_GT(testing::OpenEveryCorpusFile(".docx"), 0);
}

}  // namespace
}  // namespace kv::word
