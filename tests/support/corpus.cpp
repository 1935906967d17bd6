#include "support/corpus.h"

#include <gtest/gtest.h>

namespace kv::testing {
namespace {

using namespace kv::word;

void ReadEveryLine(WordApplication& app) {
  app.HomeKey(wdStory);
  for (long previous = -1; app.Start() != previous;) {
    previous = app.Start();
    app.HomeKey(wdLine);
    app.Expand(wdLine);
    EXPECT_FALSE(app.Text().empty());
    app.Collapse(wdCollapseStart);
    app.GoToNext(wdGoToLine);
  }
}

void ReadEveryCell(WordApplication& app) {
  app.HomeKey(wdStory);
  for (int tables = 0; app.GoTo(wdGoToTable), app.Information(wdWithInTable); ++tables) {
    const TableId table = app.Tables1();
    for (int row = 1; row <= app.RowsCount(table); ++row) {
      for (int column = 1; column <= app.ColumnsCount(table); ++column) {
        try {
          EXPECT_TRUE(app.CellRangeText(table, row, column).ends_with("\r\a"));
        } catch (const WordError&) {
          // a cell merged away
        }
      }
    }
    app.Expand(wdTable);
    app.Collapse(wdCollapseEnd);
    if (tables > 1000) break;
  }
}

}  // namespace

std::filesystem::path CorpusFolder() {
  const auto folder = std::filesystem::path(KV_SHARED_DIR) / "corpus" / "real";
  return std::filesystem::exists(folder) ? folder : std::filesystem::path();
}

int OpenEveryCorpusFile(const std::string& extension, const EngineOptions& options) {
  int opened = 0;
  for (const auto& entry : std::filesystem::directory_iterator(CorpusFolder())) {
    if (entry.path().extension() != extension) continue;
    SCOPED_TRACE(entry.path().filename().string());
    auto app = CreateWordProcessor(options);
    try {
      app->DocumentsOpen(entry.path().string());
    } catch (const WordError& error) {
      EXPECT_NE(std::string(error.what()), "");
      continue;
    }
    ++opened;
    ReadEveryLine(*app);
    ReadEveryCell(*app);
    app->Quit();
  }
  return opened;
}

}  // namespace kv::testing
