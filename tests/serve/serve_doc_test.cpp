// kv serve on .doc uploads: LibreOffice converts them, so they take the time that fills the
// queue.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <future>
#include <vector>

#include "serve/serve_fixture.h"

namespace kv::testing {
namespace {

// One worker converting, one upload waiting: the next is refused until one is done.
TEST(ServeDoc, AnswersTheCliJsonAndRefusesWhatTheFullQueueCannotTake) {
  ServeProcess service({"--jobs", "1", "--queue", "1"});
  auto client = service.Client();
  const auto result = Upload(client, Sample("1234-we.doc"), "1234-we.doc", "no");
  ASSERT_EQ(result->status, 200) << result->body;
  EXPECT_EQ(WithoutServiceFields(result->body), CliJson("1234-we.doc"));

  // Four at once, each taking LibreOffice a good part of a second: one converts, one may
  // wait, the others are refused at once.
  std::vector<std::future<httplib::Result>> uploads;
  for (int k = 0; k < 4; ++k)
    uploads.push_back(std::async(std::launch::async, [&service] {
      auto own = service.Client();
      return Upload(own, Sample("1234-we.doc"), "1234-we.doc");
    }));
  int accepted = 0, refused = 0;
  for (auto& upload : uploads) {
    const auto answer = upload.get();
    ASSERT_TRUE(answer);
    if (answer->status == 200) ++accepted;
    if (answer->status == 503) {
      ++refused;
      EXPECT_EQ(answer->get_header_value("Retry-After"), "5");
    }
  }
  EXPECT_EQ(accepted + refused, 4);
  EXPECT_GE(accepted, 1);
  EXPECT_GE(refused, 2);
  EXPECT_THAT(client.Get("/metrics")->body,
              ::testing::ContainsRegex("kv_requests_total\\{outcome=\"busy\"\\} " +
                                       std::to_string(refused) + "\n"));
}

}  // namespace
}  // namespace kv::testing
