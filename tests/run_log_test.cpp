// The log's lines and the recreated file are shown by the runs in tests/golden.
#include "report/run_log.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace kv::report {
namespace {

// Every line is on disk at once: a run that ends abruptly keeps its trace.
TEST(RunLog, EachLineIsWrittenAtOnceAndNothingAfterClosing) {
  testing::TempDir dir;
  RunLog log;
  ASSERT_TRUE(log.OpenLog(dir / "kv.log"));
  log.WriteLog("File: /home/u/Планы/1234-wr.doc");
  EXPECT_EQ(kv::testing::ReadFileBytes(dir / "kv.log"), "File: /home/u/Планы/1234-wr.doc\r\n");
  log.CloseLog();
  log.WriteLog("after closing");
  EXPECT_EQ(kv::testing::ReadFileBytes(dir / "kv.log"), "File: /home/u/Планы/1234-wr.doc\r\n");
}

}  // namespace
}  // namespace kv::report
