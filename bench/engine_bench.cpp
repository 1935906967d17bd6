// The engine on a large generated document beside the bare cost of unpacking and parsing
// the same file: open, walk every line, read every cell, shade every tenth cell, save.
// The .doc path (LibreOffice in and out) beside two bare soffice conversions.
#include <benchmark/benchmark.h>
#include <zip.h>
#include <pugixml.hpp>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "docx/application.h"
#include "support/docx_builder.h"
#include "support/temp_dir.h"
#include "word/word_processor.h"

namespace {

using kv::testing::DocxBuilder;
using kv::testing::TableSpec;
using kv::testing::TempDir;
namespace word = kv::word;

constexpr int kRows = 4000;
constexpr int kColumns = 6;

void WriteLargeDocument(const std::string& path) {
  DocxBuilder builder;
  for (int i = 0; i < 200; ++i) builder.Paragraph("Section text line " + std::to_string(i));
  TableSpec table;
  for (int row = 0; row < kRows; ++row) {
    auto& cells = table.rows.emplace_back();
    for (int column = 0; column < kColumns; ++column) {
      kv::testing::CellSpec cell;
      cell.paragraphs = {"Cell " + std::to_string(row) + "." + std::to_string(column)};
      cells.push_back(cell);
    }
  }
  builder.Table(table).Paragraph("The end");
  builder.Save(path);
}

// Walks every line, reads every cell of the first table and shades every tenth cell.
long WalkAndShade(word::WordApplication& app) {
  app.HomeKey(word::wdStory);
  long lines = 0;
  for (long previous = -1; app.Start() != previous; ++lines) {
    previous = app.Start();
    app.GoToNext(word::wdGoToLine);
  }
  app.HomeKey(word::wdStory);
  app.GoTo(word::wdGoToTable);
  const word::TableId table = app.Tables1();
  std::size_t characters = 0;
  int cell = 0;
  for (int row = 1; row <= app.RowsCount(table); ++row) {
    for (int column = 1; column <= app.ColumnsCount(table); ++column, ++cell) {
      characters += app.CellRangeText(table, row, column).size();
      if (cell % 10 != 0) continue;
      app.CellSelect(table, row, column);
      app.SetCellsShadingTexture(word::wdTextureNone);
      app.SetCellsShadingBackgroundPatternColorIndex(word::wdRed);
    }
  }
  return lines + static_cast<long>(characters);
}

void EngineFullPass(benchmark::State& state, const std::string& input, const std::string& output) {
  for (auto _ : state) {
    auto app = word::CreateDocxApplication();
    app->DocumentsOpen(input);
    benchmark::DoNotOptimize(WalkAndShade(*app));
    app->SaveAs(output);
    app->Quit();
  }
}

// As a validation run does it: open (converted in), save the copy, mark, save (converted
// back), with one converter for the run.
void DocPathFullPass(benchmark::State& state, const std::string& input, const std::string& output) {
  for (auto _ : state) {
    auto app = word::CreateWordProcessor({.Converter = word::MakeDocumentConverter({})});
    app->DocumentsOpen(input);
    app->SaveAs(output);
    benchmark::DoNotOptimize(WalkAndShade(*app));
    app->Save();
    app->Quit();
  }
}

void BareConversion(const std::string& input, const std::string& extension,
                    const std::string& folder) {
  const std::string command = "soffice --headless --convert-to " + extension + " --outdir '" +
                              folder + "' '" + input + "' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("soffice failed");
}

void TwoBareConversions(benchmark::State& state, const std::string& input,
                        const std::string& folder) {
  const std::string converted =
      (std::filesystem::path(folder) / std::filesystem::path(input).stem()).string() + ".docx";
  for (auto _ : state) {
    BareConversion(input, "docx", folder);
    BareConversion(converted, "doc", folder);
  }
}

void UnzipAndParse(benchmark::State& state, const std::string& input) {
  for (auto _ : state) {
    int error = 0;
    zip_t* archive = zip_open(input.c_str(), ZIP_RDONLY, &error);
    zip_stat_t stat;
    zip_stat(archive, "word/document.xml", 0, &stat);
    std::string data(stat.size, '\0');
    zip_file_t* file = zip_fopen(archive, "word/document.xml", 0);
    zip_fread(file, data.data(), data.size());
    zip_fclose(file);
    zip_close(archive);
    pugi::xml_document xml;
    benchmark::DoNotOptimize(
        xml.load_buffer(data.data(), data.size(), pugi::parse_default | pugi::parse_ws_pcdata));
  }
}

// Prints as usual and keeps each benchmark's real time for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) times[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

}  // namespace

static void PrintRatio(std::map<std::string, double>& times, const std::string& subject,
                       const std::string& baseline, const std::string& label) {
  if (times.count(subject) && times.count(baseline))
    std::cout << label << ": " << times[subject] / times[baseline] << "\n";
}

int main(int argc, char** argv) {
  TempDir dir;
  const std::string input = dir / "large.docx";
  WriteLargeDocument(input);
  // The .doc path works on the same document saved by LibreOffice as .doc.
  const std::filesystem::path docFolder = dir.path() / "doc";
  std::filesystem::create_directories(docFolder);
  const auto doc =
      word::ConvertDocument(input, "doc", docFolder.string(), std::chrono::seconds(300));
  benchmark::RegisterBenchmark("EngineFullPass", EngineFullPass, input, dir / "out.docx")
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("UnzipAndParse", UnzipAndParse, input)
      ->Unit(benchmark::kMillisecond);
  if (doc.ok) {
    const std::filesystem::path bare = dir.path() / "bare";
    std::filesystem::create_directories(bare);
    benchmark::RegisterBenchmark("DocPathFullPass", DocPathFullPass, doc.output,
                                 dir / "out-validated.doc")
        ->Unit(benchmark::kMillisecond)
        ->Iterations(2);
    benchmark::RegisterBenchmark("TwoBareConversions", TwoBareConversions, doc.output,
                                 bare.string())
        ->Unit(benchmark::kMillisecond)
        ->Iterations(2);
  } else {
    std::cerr << "no .doc benchmark: " << doc.reason << "\n";
  }
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintRatio(reporter.times, "EngineFullPass", "UnzipAndParse", "engine / bare unzip+parse");
  PrintRatio(reporter.times, "DocPathFullPass/iterations:2", "TwoBareConversions/iterations:2",
             ".doc path / two bare soffice conversions");
  PrintRatio(reporter.times, "ValidateLargePlan", "OpenAndSaveLargePlan",
             "validation of the large plan / bare open and save");
  benchmark::Shutdown();
}
