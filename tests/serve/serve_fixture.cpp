#include "serve/serve_fixture.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

namespace kv::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* const kSamples[] = {"1234-we.doc", "1234-we.docx", "1234-wr.docx", "1235-we.docx"};

KvInvocation Invocation(const std::string& temp, const std::string& work,
                        const std::vector<std::string>& options) {
  std::vector<std::string> arguments{"serve", "--listen", "127.0.0.1:0"};
  arguments.insert(arguments.end(), options.begin(), options.end());
  return {.workingFolder = work,
          .arguments = arguments,
          .environment = {"TMPDIR=" + temp},
          .output = ">listening"};
}

}  // namespace

std::string Sample(const std::string& name) {
  return ReadFileBytes(KV_SOURCE_DIR "/examples/" + name);
}

ServeProcess::ServeProcess(const std::vector<std::string>& options)
    : kv_(Invocation(temp_.path().string(), work_.path().string(), options)) {
  for (const char* name : kSamples) samples_[name] = Sample(name);
  const auto until = std::chrono::steady_clock::now() + 60s;
  while (port_ == 0 && std::chrono::steady_clock::now() < until) {
    const std::string line = ReadFileBytes(work_ / "listening");
    if (const auto colon = line.rfind(':'); line.ends_with("/\n") && colon != line.npos)
      port_ = std::stoi(line.substr(colon + 1));
    std::this_thread::sleep_for(20ms);
  }
  if (port_ == 0) ADD_FAILURE() << "kv serve did not listen within 60 s";
}

ServeProcess::~ServeProcess() {
  if (!stopped_) Stop();
}

httplib::Client ServeProcess::Client() const {
  httplib::Client client("127.0.0.1", port_);
  client.set_read_timeout(120, 0);
  return client;
}

std::string ServeProcess::Stop() {
  stopped_ = true;
  kill(kv_.pid(), SIGTERM);
  const KvRun run = kv_.Finish();
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::is_empty(temp_.path())) << "left in " << temp_.path();
  EXPECT_TRUE(ProcessesMentioning(temp_.path().string()).empty()) << "LibreOffice left running";
  EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(work_.path()), {}),
            std::vector<fs::path>{work_.path() / "listening"})
      << "a request wrote into the working folder";
  for (const auto& [name, bytes] : samples_) EXPECT_EQ(Sample(name), bytes) << name;
  EXPECT_NE(run.err.find("kv serve: stopping (SIGTERM)\n"), std::string::npos) << run.err;
  return run.err;
}

httplib::Result Upload(httplib::Client& client, const std::string& bytes,
                       const std::string& filename, const std::string& pdg,
                       const std::string& path) {
  httplib::MultipartFormDataItems form{{"plan", bytes, filename, "application/octet-stream"}};
  if (!pdg.empty()) form.push_back({"pdg", pdg, "", ""});
  return client.Post(path.c_str(), form);
}

std::string CliJson(const std::string& sample) {
  TempDir dir;
  fs::copy_file(KV_SOURCE_DIR "/examples/" + sample, dir / sample);
  const KvRun run =
      RunKv({.workingFolder = dir.path().string(), .arguments = {"--json", "--pdg", "no", sample}});
  auto json = nlohmann::json::parse(run.out);
  json["file"] = fs::path(json["file"].get<std::string>()).filename();
  if (json["validated_copy"].is_string())
    json["validated_copy"] = fs::path(json["validated_copy"].get<std::string>()).filename();
  return json.dump();
}

std::string WithoutServiceFields(const std::string& json) {
  auto object = nlohmann::json::parse(json);
  for (const char* field : {"id", "copy_url", "report_url"}) object.erase(field);
  return object.dump();
}

}  // namespace kv::testing
