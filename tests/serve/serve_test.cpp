// kv serve through real HTTP on 127.0.0.1: every route and status, the run's JSON against
// the command line's, the copy and the report, expiry, many clients at once, shutdown.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <future>
#include <nlohmann/json.hpp>
#include <regex>

#include "serve/serve_fixture.h"

namespace kv::testing {
namespace {

using namespace std::chrono_literals;

const std::string kNoId(32, '0');

struct Exchange {
  std::string what;
  std::string path;      // POSTed a form when `filename` is set, else GET
  std::string filename;  // of the plan
  std::string plan;      // its bytes
  int status;
  std::string body;  // exact
};

std::string Refusal(const std::string& outcome, const std::string& reason,
                    const std::string& file = "") {
  return R"({"outcome":")" + outcome + R"(","reason":")" + reason +
         R"(","id":null,"copy_url":null,"report_url":null)" +
         (file.empty() ? "" : R"(,"file":")" + file + "\"") + "}\n";
}

std::string RunRefusal(const std::string& file, const std::string& number,
                       const std::string& outcome, const std::string& reason) {
  return R"({"file":")" + file + R"(","validated_copy":null,"language":"en","project_number":)" +
         number + R"(,"outcome":")" + outcome + R"(","reason":")" + reason +
         R"(","errors":[],"warnings":[],"info":[],"marked_cells":[],"id":null,"copy_url":null,)"
         R"("report_url":null})"
         "\n";
}

TEST(ServeHttp, AnswersEveryRefusalAndPlainRouteWithItsStatusAndBody) {
  const std::string big(1100 << 10, 'x');
  const std::vector<Exchange> exchanges = {
      {"health", "/healthz", "", "", 200, "ok\n"},
      {"unknown report", "/reports/" + kNoId, "", "", 404, "not found\n"},
      {"unknown copy", "/api/copies/" + kNoId, "", "", 404, "not found\n"},
      {"a dot-dot name", "/api/validate", "..", "x", 400,
       Refusal("refused_name", "incorrect file name", "..")},
      {"a path that ends in a slash", "/api/validate", "../", "x", 400,
       Refusal("refused_name", "incorrect file name")},
      {"the name rules", "/api/validate", "plan.docx", Sample("1235-we.docx"), 400,
       RunRefusal("plan.docx", "null", "refused_name", "incorrect file name")},
      {"not a document", "/api/validate", "C:\\plans\\1234-we.docx", "not a plan", 400,
       RunRefusal("1234-we.docx", "\"1234\"", "cannot_open",
                  "not a valid zip package: Not a zip archive")},
      {"above the limit", "/api/validate", "1234-we.docx", big, 413,
       Refusal("too_large", "the upload is larger than 1 MiB")},
  };
  ServeProcess service({"--max-upload-mb", "1"});
  auto client = service.Client();
  for (const auto& exchange : exchanges) {
    SCOPED_TRACE(exchange.what);
    const auto result = exchange.filename.empty()
                            ? client.Get(exchange.path.c_str())
                            : Upload(client, exchange.plan, exchange.filename);
    ASSERT_TRUE(result) << httplib::to_string(result.error());
    EXPECT_EQ(result->status, exchange.status);
    EXPECT_EQ(result->body, exchange.body);
  }
  const auto plain = client.Post("/api/validate", "plan", "text/plain");
  EXPECT_EQ(plain->status, 415);
  EXPECT_EQ(plain->body, Refusal("unsupported_type", "the request is not multipart/form-data"));
  const auto metrics = client.Get("/metrics");
  EXPECT_THAT(metrics->body,
              ::testing::HasSubstr("kv_requests_total{outcome=\"cannot_open\"} 1\n"
                                   "kv_requests_total{outcome=\"refused_name\"} 3\n"
                                   "kv_requests_total{outcome=\"too_large\"} 1\n"
                                   "kv_requests_total{outcome=\"unsupported_type\"} 1\n"
                                   "# HELP kv_queue_length Uploads waiting for a worker.\n"
                                   "# TYPE kv_queue_length gauge\nkv_queue_length 0\n"));

  const std::string log = service.Stop();
  const std::regex line(R"(127\.0\.0\.1 - - \[[^\]]+\] "(GET|POST) /\S* HTTP/1\.1" \d{3} \d+)");
  std::size_t lines = 0;
  for (std::sregex_iterator match(log.begin(), log.end(), line), end; match != end; ++match)
    ++lines;
  EXPECT_EQ(lines, exchanges.size() + 2) << log;
}

// The JSON object, the copy under its -validated name and the report page while they are
// kept, 404 once they are not; the page's form is answered by a redirect to the report.
TEST(ServeHttp, ValidatedUploadsAnswerTheCliJsonAndKeepTheirCopyAndReportForTheirTime) {
  ServeProcess service({"--keep-minutes", "0.05"});
  auto client = service.Client();
  for (const auto& [sample, sent] : {std::pair<std::string, std::string>{"1234-wr.docx", ""},
                                     {"1235-we.docx", "../../1235-we.docx"}}) {
    SCOPED_TRACE(sample);
    const auto result = Upload(client, Sample(sample), sent.empty() ? sample : sent, "no");
    ASSERT_EQ(result->status, 200) << result->body;
    EXPECT_EQ(WithoutServiceFields(result->body), CliJson(sample));
    const auto json = nlohmann::json::parse(result->body);
    const std::string id = json["id"];
    EXPECT_THAT(id, ::testing::MatchesRegex("[0-9a-f]{32}"));
    EXPECT_EQ(json["report_url"], "/reports/" + id);
    const bool clean = sample == "1234-wr.docx";
    EXPECT_EQ(json["copy_url"], clean ? nlohmann::json() : nlohmann::json("/api/copies/" + id));
    const auto report = client.Get(("/reports/" + id).c_str());
    EXPECT_EQ(report->status, 200);
    const std::string golden = "/tests/serve/golden/" + sample + ".html";
    EXPECT_EQ(std::regex_replace(report->body, std::regex(id), "ID"),
              ReadFileBytes(KV_SOURCE_DIR + golden));
    if (clean) continue;
    const auto copy = client.Get(("/api/copies/" + id).c_str());
    EXPECT_EQ(copy->status, 200);
    EXPECT_EQ(copy->get_header_value("Content-Disposition"),
              "attachment; filename=\"1235-we-validated.docx\"");
    EXPECT_EQ(copy->body.substr(0, 2), "PK");
    const auto form = Upload(client, Sample(sample), sample, "", "/validate");
    EXPECT_EQ(form->status, 303);
    EXPECT_THAT(form->get_header_value("Location"),
                ::testing::MatchesRegex("/reports/[0-9a-f]{32}"));
    std::this_thread::sleep_for(3500ms);
    for (const auto& path : {"/reports/" + id, "/api/copies/" + id})
      EXPECT_EQ(client.Get(path.c_str())->status, 404) << path;
  }
  for (const auto& [language, title] :
       {std::pair<std::string, std::string>{"en", "Work plan validation"},
        {"ru-RU,ru;q=0.9,en;q=0.8", "Проверка рабочего плана"}}) {
    const auto page = client.Get("/", {{"Accept-Language", language}});
    EXPECT_THAT(page->body,
                ::testing::HasSubstr("<h1>" + title +
                                     "</h1>\n<form method=\"post\" "
                                     "action=\"/validate\" enctype=\"multipart/form-data\">"));
  }
}

TEST(ServeHttp, FiftyUploadsAtOnceAreAllAnswered) {
  ServeProcess service({"--jobs", "2", "--queue", "64"});
  const std::string expected = CliJson("1235-we.docx");
  std::vector<std::future<std::pair<int, std::string>>> answers;
  for (int k = 0; k < 50; ++k) {
    answers.push_back(std::async(std::launch::async, [&service] {
      auto client = service.Client();
      const auto result = Upload(client, Sample("1235-we.docx"), "1235-we.docx");
      return result ? std::pair(result->status, result->body)
                    : std::pair(-1, httplib::to_string(result.error()));
    }));
  }
  for (auto& answer : answers) {
    ASSERT_EQ(answer.wait_for(180s), std::future_status::ready);
    const auto [status, body] = answer.get();
    ASSERT_EQ(status, 200) << body;
    EXPECT_EQ(WithoutServiceFields(body), expected);
  }
  EXPECT_THAT(service.Client().Get("/metrics")->body,
              ::testing::HasSubstr("kv_requests_total{outcome=\"validated\"} 50\n"));
}

}  // namespace
}  // namespace kv::testing
