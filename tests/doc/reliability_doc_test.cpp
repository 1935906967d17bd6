// .doc runs when things go wrong around LibreOffice: kv killed, LibreOffice hanging or
// chattering, a damaged cached profile. The chosen documents keep their bytes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "convert/soffice.h"
#include "support/kv_runner.h"
#include "support/temp_dir.h"
#include "support/work_plan_builder.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Strings = std::vector<std::string>;
using ::testing::HasSubstr;

const std::string kSample = KV_SOURCE_DIR "/examples/1234-we.doc";

Strings Names(const fs::path& folder) {
  Strings names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

bool Holds(const fs::path& folder, const std::string& part) {
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.path().filename() == part) return true;
  return false;
}

// Killed while its copy goes back to .doc, kv takes LibreOffice with it; what it left in the
// plan's folder and the temporary folder goes with the next run.
TEST(ReliabilityDoc, KilledKvLeavesNoLibreOfficeAndTheNextRunSweepsItsTemporaries) {
  TempDir dir, temp;
  BuildWorkPlan({.months = 5}).Save(temp / "1234-we.docx");  // a warning: the copy stays
  const std::string plan =
      word::ConvertDocument(temp / "1234-we.docx", "doc", dir.path().string(), 180s).output;
  fs::remove(temp / "1234-we.docx");
  const std::string before = ReadFileBytes(plan);
  const Strings environment = {"TMPDIR=" + temp.path().string()};
  StartedKv kv(
      {.workingFolder = dir.path().string(), .arguments = {plan}, .environment = environment});
  for (int i = 0; i < 12000 && !Holds(temp.path(), "out"); ++i) std::this_thread::sleep_for(10ms);
  std::this_thread::sleep_for(300ms);
  ASSERT_FALSE(ProcessesMentioning(temp.path().string()).empty()) << "LibreOffice is up";
  kill(kv.pid(), SIGKILL);
  EXPECT_EQ(kv.Finish().status, -1);
  for (int i = 0; i < 50 && !ProcessesMentioning(temp.path().string()).empty(); ++i)
    std::this_thread::sleep_for(100ms);
  EXPECT_EQ(ProcessesMentioning(temp.path().string()), std::vector<pid_t>{});
  EXPECT_FALSE(fs::is_empty(temp.path()));

  const KvRun next = RunKv({.workingFolder = dir.path().string(),
                            .arguments = {"--json", plan},
                            .environment = environment});
  EXPECT_EQ(next.status, 1) << next.err;
  EXPECT_EQ(Names(dir.path()), Strings({"1234-we-validated.doc", "1234-we.doc", "kv.log"}));
  EXPECT_TRUE(fs::is_empty(temp.path()));
  EXPECT_EQ(ReadFileBytes(plan), before);
}

// A fake soffice on the PATH: one that hangs costs the time limit once in a batch, not once
// per document; what one says goes into the reason without its control characters.
TEST(ReliabilityDoc, HangingOrChatteringLibreOfficeEndsEveryDocWithOneClearReason) {
  const struct {
    std::string script, reason;
  } cases[] = {
      {"exec sleep 600", "LibreOffice did not finish within 3 s and was stopped"},
      {"printf 'Error: \\033[31mno\\a luck\\n'; exit 1",
       "LibreOffice failed with exit status 1: Error: ?[31mno? luck"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    TempDir dir, temp, bin;
    std::ofstream(bin / "soffice") << "#!/bin/sh\n" << c.script << "\n";
    fs::permissions(bin / "soffice", fs::perms::owner_all);
    const std::string word = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 not really a Word document";
    for (const char* name : {"1234-we.doc", "1235-we.doc", "1236-we.doc"})
      std::ofstream(dir / name, std::ios::binary) << word;
    const auto start = std::chrono::steady_clock::now();
    const KvRun run =
        RunKv({.workingFolder = dir.path().string(),
               .arguments = {"--json", dir.path().string()},
               .environment = {"PATH=" + bin.path().string() + ":" + std::getenv("PATH"),
                               "TMPDIR=" + temp.path().string(), "XDG_CACHE_HOME=" + temp / "cache",
                               "KV_TEST_TIME_LIMIT=3"}});
    EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
    EXPECT_EQ(run.status, 2);
    std::istringstream lines(run.out);
    int reports = 0;
    for (std::string line; std::getline(lines, line); ++reports) {
      const auto report = nlohmann::json::parse(line);
      EXPECT_EQ(report["outcome"], "cannot_open");
      EXPECT_EQ(report["reason"], c.reason);
    }
    EXPECT_EQ(reports, 3);
    EXPECT_THAT(LogLines(dir.path().string()),
                ::testing::Contains("File cannot be opened: " + c.reason));
    for (const char* name : {"1234-we.doc", "1235-we.doc", "1236-we.doc"})
      EXPECT_EQ(ReadFileBytes(dir / name), word);
    EXPECT_EQ(ProcessesMentioning(temp.path().string()), std::vector<pid_t>{});
  }
}

// A cached profile that LibreOffice cannot start from is renewed, once, and said so.
TEST(ReliabilityDoc, DamagedCachedProfileIsRenewed) {
  TempDir dir, cache;
  const std::string plan = dir / "1234-we.doc", profile = cache / "kv/soffice-profile";
  fs::copy_file(kSample, plan);
  fs::create_directories(cache / "kv");
  std::ofstream(profile) << "garbage";
  const KvRun run = RunKv({.workingFolder = dir.path().string(),
                           .arguments = {plan},
                           .environment = {"XDG_CACHE_HOME=" + cache.path().string()}});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.err, ::testing::EndsWith("kv: the cached LibreOffice profile " + profile +
                                           " could not be used and was renewed\n"));
  EXPECT_TRUE(fs::is_directory(profile));
  EXPECT_EQ(ReadFileBytes(plan), ReadFileBytes(kSample));
}

}  // namespace
}  // namespace kv::testing
