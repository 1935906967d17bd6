#include "report/run_log.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_dir.h"

namespace kv::report {
namespace {

// The log that cannot be created and the date form are shown by the end-to-end tests.
TEST(RunLog, RecreatesTheFileAndEndsLinesWithCrLfInUtf8) {
  testing::TempDir dir;
  const std::string path = dir / "kv.log";
  std::ofstream(path) << "a line of an earlier run\n";

  RunLog log;
  ASSERT_TRUE(log.OpenLog(path));
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

}  // namespace
}  // namespace kv::report
