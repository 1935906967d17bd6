// The golden runs that need no LibreOffice (tests/runs), and what only two kv processes at
// once can show.
#include <gtest/gtest.h>

#include <regex>

#include "support/golden_run.h"
#include "support/kv_runner.h"
#include "support/temp_dir.h"

namespace kv::testing {
namespace {

class GoldenRun : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenRun, MatchesItsGoldenFile) {
  CheckGoldenRun(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Runs, GoldenRun, ::testing::ValuesIn(CaseNames("runs")), CaseTestName);

// Two kv processes at once in one folder each write a kv.log of their own: the log left
// holds one run's lines, never a mixture.
TEST(ConcurrentRuns, TwoRunsAtOnceInOneFolderNeverMixTheirLogLines) {
  TempDir dir;
  const std::string first = dir / "1234-we.docx", second = dir / "1235-we.docx";
  for (const auto& path : {first, second}) SavePlan("unstructured", path);
  const std::string bytes = ReadFileBytes(first);
  StartedKv one({.workingFolder = dir.path().string(), .arguments = {first}}),
      two({.workingFolder = dir.path().string(), .arguments = {second}});
  EXPECT_EQ(one.Finish().status + two.Finish().status, 2);
  const auto log = LogLines(dir.path().string());
  ASSERT_EQ(log.size(), 8u);
  std::string text;
  for (const auto& line : log) text += line + "\n";
  const std::string file = log[2] == "File: " + first ? first : second;
  EXPECT_EQ(std::regex_replace(text, std::regex(R"(\d{4}-.*\d\n)"), "<date>\n"),
            "DO Ruvaveruz 1.2.4\nValidation start: <date>\nFile: " + file +
                "\nInitializing constants...\nInitializing data...\nIncorrect document "
                "structure\n2 errors found\nValidation completed: <date>\n");
  EXPECT_EQ(ReadFileBytes(first) + ReadFileBytes(second), bytes + bytes);
}

}  // namespace
}  // namespace kv::testing
