// Writes the fuzzer's seed corpus into the folder given: documents from the test builders,
// as packages and as bare main-document XML, and damaged copies of the packages.
#include <filesystem>
#include <fstream>

#include "support/docx_builder.h"
#include "support/kv_runner.h"
#include "support/temp_dir.h"
#include "support/work_plan_builder.h"

using namespace kv::testing;

int main(int argc, char** argv) {
  if (argc != 2) return 64;
  const std::filesystem::path seeds = argv[1];
  std::filesystem::create_directories(seeds);
  TempDir scratch;
  TableSpec table = SimpleTable({{"1", "2.5"}});
  table.rows.insert(table.rows.begin(), {CellSpec()});
  table.rows.front().front().paragraphs = {"merged", "two paragraphs"};
  table.rows.front().front().gridSpan = 2;
  DocxBuilder()
      .Paragraph("I. Summary Project Information")
      .RawParagraph("<w:p><w:r><w:t>a</w:t><w:tab/><w:br/><w:noBreakHyphen/></w:r></w:p>")
      .Table(table)
      .Save(scratch / "small.docx");
  WorkPlan russian;
  russian.russian = true;
  BuildWorkPlan().Save(scratch / "plan-en.docx");
  BuildWorkPlan(russian).Save(scratch / "plan-ru.docx");
  for (const std::string name : {"small", "plan-en", "plan-ru"}) {
    const std::string package = ReadFileBytes(scratch / (name + ".docx"));
    std::ofstream(seeds / (name + ".docx"), std::ios::binary) << package;
    std::ofstream(seeds / (name + ".xml"), std::ios::binary)
        << ZipEntry(scratch / (name + ".docx"), "word/document.xml");
    std::ofstream(seeds / (name + "-truncated.docx"), std::ios::binary)
        << package.substr(0, package.size() / 2);
    std::string flipped = package;
    flipped[flipped.size() / 3] ^= 0x20;
    std::ofstream(seeds / (name + "-flipped.docx"), std::ios::binary) << flipped;
  }
  return 0;
}
