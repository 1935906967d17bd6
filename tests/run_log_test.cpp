#include "report/run_log.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_dir.h"

namespace kv::report {
namespace {

TEST(RunLog, RecreatesTheFileAndEndsLinesWithCrLfInUtf8) {
  testing::TempDir dir;
  const std::string path = dir / "kv.log";
  std::ofstream(path) << "a line of an earlier run\n";

  RunLog log;
  ASSERT_TRUE(log.OpenLog(path));
  EXPECT_TRUE(log.IsOpen());
  log.WriteLog("File: /home/u/Планы/1234-wr.doc");
  // Every line is on disk at once: a run that ends abruptly keeps its trace.
  EXPECT_EQ(kv::testing::ReadFileBytes(path), "File: /home/u/Планы/1234-wr.doc\r\n");
  log.WriteLog("");
  log.WriteLog("0 errors found");
  log.CloseLog();
  EXPECT_FALSE(log.IsOpen());
  log.WriteLog("after closing");
  EXPECT_EQ(kv::testing::ReadFileBytes(path),
            "File: /home/u/Планы/1234-wr.doc\r\n\r\n0 errors found\r\n");
}

TEST(RunLog, ReportsAFolderItCannotWriteTo) {
  testing::TempDir dir;
  RunLog log;
  EXPECT_FALSE(log.OpenLog(dir / "missing/kv.log"));
  log.WriteLog("ignored");
  EXPECT_FALSE(log.IsOpen());
}

TEST(RunLog, DateAndTimeHaveOneFixedForm) {
  const std::string form = "dddd-dd-dd dd:dd:dd";
  const std::string now = CurrentDateTime();
  ASSERT_EQ(now.size(), form.size()) << now;
  for (std::size_t i = 0; i < form.size(); ++i) {
    if (form[i] == 'd') {
      EXPECT_TRUE(now[i] >= '0' && now[i] <= '9') << now;
    } else {
      EXPECT_EQ(now[i], form[i]) << now;
    }
  }
}

}  // namespace
}  // namespace kv::report
