#include "report/msg_handler.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_dir.h"

namespace kv::report {
namespace {

// The overflow line after 50 messages is shown with the reporter's lists.
TEST(MsgHandler, WithoutOverflowLineStopsAtTheLimit) {
  msg_handler list, none;
  list.Init(2, "");
  EXPECT_EQ(list.Text(), "");
  EXPECT_EQ(list.Add("a") + list.Add("a"), -2);
  EXPECT_EQ(list.Add("c"), 0);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Text(), "a\na");  // equal texts are kept
  none.Init(0, "full");            // the overflow line comes first
  EXPECT_EQ(none.Add("x"), 0);
  EXPECT_EQ(none.Text(), "full");
  EXPECT_EQ(none.Message(0) + none.Message(-1) + none.Message(2), "");
}

TEST(MsgHandler, FileReplacesTheFileOnlyWhenThereIsSomethingToWrite) {
  kv::testing::TempDir dir;
  const std::string path = dir / "list.txt";
  std::ofstream(path) << "old";
  msg_handler list;
  list.Init(1, "Превышено");
  list.file(path);
  EXPECT_EQ(kv::testing::ReadFileBytes(path), "old");  // an empty list leaves it alone
  list.Add("первая");
  list.Add("dropped");
  list.file(path);
  list.file("");
  EXPECT_EQ(kv::testing::ReadFileBytes(path), "первая\r\nПревышено\r\n");
}

}  // namespace
}  // namespace kv::report
