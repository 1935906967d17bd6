// The engine on a large generated work plan beside the bare cost of unpacking and parsing
// the same file: open, walk every line, read every cell, shade every tenth cell, save.
#include <benchmark/benchmark.h>
#include <zip.h>
#include <pugixml.hpp>

#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "support/docx_builder.h"
#include "support/temp_dir.h"
#include "word/docx_application.h"

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

void EngineFullPass(benchmark::State& state, const std::string& input, const std::string& output) {
  for (auto _ : state) {
    auto app = word::CreateDocxApplication();
    app->DocumentsOpen(input);
    app->HomeKey(word::wdStory);
    long lines = 0;
    for (long previous = -1; app->Start() != previous; ++lines) {
      previous = app->Start();
      app->GoToNext(word::wdGoToLine);
    }
    app->HomeKey(word::wdStory);
    app->GoTo(word::wdGoToTable);
    const word::TableId table = app->Tables1();
    std::size_t characters = 0;
    int cell = 0;
    for (int row = 1; row <= app->RowsCount(table); ++row) {
      for (int column = 1; column <= app->ColumnsCount(table); ++column, ++cell) {
        characters += app->CellRangeText(table, row, column).size();
        if (cell % 10 != 0) continue;
        app->CellSelect(table, row, column);
        app->SetCellsShadingTexture(word::wdTextureNone);
        app->SetCellsShadingBackgroundPatternColorIndex(word::wdRed);
      }
    }
    app->SaveAs(output);
    app->Quit();
    benchmark::DoNotOptimize(lines + static_cast<long>(characters));
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

int main(int argc, char** argv) {
  TempDir dir;
  const std::string input = dir / "large.docx";
  WriteLargeDocument(input);
  benchmark::RegisterBenchmark("EngineFullPass", EngineFullPass, input, dir / "out.docx")
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("UnzipAndParse", UnzipAndParse, input)
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  if (reporter.times.count("EngineFullPass") && reporter.times.count("UnzipAndParse")) {
    std::cout << "engine / bare unzip+parse: "
              << reporter.times["EngineFullPass"] / reporter.times["UnzipAndParse"] << "\n";
  }
  benchmark::Shutdown();
}
