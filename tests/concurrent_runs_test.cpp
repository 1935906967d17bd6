// Two kv processes at once in one folder: each writes a kv.log of its own, so the log
// left holds one run's lines, never a mixture.
#include <gtest/gtest.h>

#include <regex>

#include "support/docx_builder.h"
#include "support/kv_runner.h"
#include "support/temp_dir.h"

namespace kv::testing {
namespace {

TEST(ConcurrentRuns, TwoRunsAtOnceInOneFolderNeverMixTheirLogLines) {
  TempDir dir;
  const std::string first = dir / "1234-we.docx", second = dir / "1235-we.docx";
  for (const auto& path : {first, second}) DocxBuilder().Paragraph("Not a work plan.").Save(path);
  const std::string bytes = ReadFileBytes(first);
  StartedKv one({.workingFolder = dir.path().string(), .arguments = {first}}),
      two({.workingFolder = dir.path().string(), .arguments = {second}});
  EXPECT_EQ(one.Finish().status + two.Finish().status, 2);
  auto log = LogLines(dir.path().string());
  ASSERT_EQ(log.size(), 8u);
  const std::string file = log[2] == "File: " + first ? first : second;
  for (auto& line : log) line = std::regex_replace(line, std::regex(R"(\d{4}-.*\d$)"), "<date>");
  EXPECT_EQ(log, std::vector<std::string>({"DO Ruvaveruz 1.2.4", "Validation start: <date>",
                                           "File: " + file, "Initializing constants...",
                                           "Initializing data...", "Incorrect document structure",
                                           "2 errors found", "Validation completed: <date>"}));
  EXPECT_EQ(ReadFileBytes(first), bytes);
  EXPECT_EQ(ReadFileBytes(second), bytes);
}

}  // namespace
}  // namespace kv::testing
