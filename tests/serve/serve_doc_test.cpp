// kv serve on .doc uploads: LibreOffice converts them, so they take the time that fills the
// queue.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "serve/serve_fixture.h"

namespace kv::testing {
namespace {

using namespace std::chrono_literals;

int UploadStatus(const ServeProcess& service, const std::string& sample) {
  auto client = service.Client();
  const auto result = Upload(client, Sample(sample), sample);
  return result ? result->status : -1;
}

// One worker converting, one upload waiting: the next is refused until one is done.
TEST(ServeDoc, AnswersTheCliJsonAndRefusesWhatTheFullQueueCannotTake) {
  ServeProcess service({"--jobs", "1", "--queue", "1"});
  auto client = service.Client();
  const auto result = Upload(client, Sample("1234-we.doc"), "1234-we.doc", "no");
  ASSERT_EQ(result->status, 200) << result->body;
  EXPECT_EQ(WithoutServiceFields(result->body), CliJson("1234-we.doc"));

  auto converting =
      std::async(std::launch::async, [&] { return UploadStatus(service, "1234-we.doc"); });
  std::this_thread::sleep_for(200ms);
  auto waiting =
      std::async(std::launch::async, [&] { return UploadStatus(service, "1234-we.doc"); });
  const auto until = std::chrono::steady_clock::now() + 30s;
  while (client.Get("/metrics")->body.find("kv_queue_length 1\n") == std::string::npos &&
         std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(20ms);
  const auto refused = Upload(client, Sample("1235-we.docx"), "1235-we.docx");
  EXPECT_EQ(refused->status, 503);
  EXPECT_EQ(refused->get_header_value("Retry-After"), "5");
  EXPECT_EQ(converting.get(), 200);
  EXPECT_EQ(waiting.get(), 200);
  EXPECT_THAT(client.Get("/metrics")->body,
              ::testing::ContainsRegex("kv_requests_total\\{outcome=\"busy\"\\} 1\n.*"
                                       "kv_conversion_seconds_count [3-9]\n"));
}

}  // namespace
}  // namespace kv::testing
