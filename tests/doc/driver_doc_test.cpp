// The whole run on .doc work plans: the copy is a .doc again, with the summary at its top.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "support/kv_runner.h"
#include "support/temp_dir.h"
#include "support/work_plan_builder.h"
#include "convert/soffice.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The bundled clean .doc samples leave no copy, as their .docx twins.
TEST(DriverDoc, FindingsInADocLandInADocCopyAndACleanDocLeavesNone) {
  for (const auto& [name, clean] :
       {std::pair<std::string, bool>{"1234-we", true}, {"1234-wr", true}, {"1234-we", false}}) {
    SCOPED_TRACE(clean ? name : "one warning");
    TempDir dir, scratch;
    word::ConversionResult doc{true, dir / (name + ".doc"), ""};
    if (clean) {
      fs::copy_file(KV_SOURCE_DIR "/examples/" + name + ".doc", doc.output);
    } else {
      BuildWorkPlan({.months = 5}).Save(scratch / (name + ".docx"));
      doc = word::ConvertDocument(scratch / (name + ".docx"), "doc", dir.path().string(), 180s);
    }
    ASSERT_EQ(fs::path(doc.output).filename(), name + ".doc");
    const std::string before = ReadFileBytes(doc.output);

    const KvRun run = RunKv({.workingFolder = dir.path().string(), .arguments = {doc.output}});
    EXPECT_EQ(ReadFileBytes(doc.output), before);
    const std::string copy = dir / (name + "-validated.doc");
    EXPECT_EQ(run.status, clean ? 0 : 1) << run.err;
    EXPECT_EQ(fs::exists(copy), !clean);
    if (clean) continue;
    EXPECT_THAT(run.err, ::testing::HasSubstr("Warnings listed in file " + copy + "\n"));
    EXPECT_EQ(ReadFileBytes(copy).substr(0, 4), "\xD0\xCF\x11\xE0") << "a word-processor .doc";
    const auto back = word::ConvertDocument(copy, "docx", scratch.path().string(), 180s);
    const auto paragraphs = BodyParagraphs(back.output);
    ASSERT_GE(paragraphs.size(), 5u);
    EXPECT_THAT(paragraphs[0],
                ::testing::StartsWith("DO Ruvaveruz 1.2.4 - Project 1234 validated on "));
    EXPECT_EQ(paragraphs[2], "Warnings:");
    EXPECT_EQ(paragraphs[3], "Project duration below 6 months");
  }
}

// The findings and shaded cells of a .doc are those of the .docx it was made from, and the
// report is the same whichever converter ran LibreOffice.
TEST(DriverDoc, ParserFindingsOfADocAreThoseOfItsDocx) {
  auto financialMistake = BuildWorkPlan();
  financialMistake.Cell("HeadingII9", 13, 6, 2) = "n/a";
  for (const auto& plan : {PlanWithPersonnelMistakes(), financialMistake, PlanWithCostMistakes()}) {
    TempDir dir, scratch, temp;
    const std::string docx = scratch / "1234-we.docx";
    plan.Save(docx);
    const auto doc = word::ConvertDocument(docx, "doc", dir.path().string(), 180s);
    nlohmann::json reports[3];
    for (const int k : {0, 1, 2}) {
      const std::string path = k == 0 ? docx : doc.output, before = ReadFileBytes(path);
      const KvRun run = RunKv(
          {.workingFolder = fs::path(path).parent_path().string(),
           .arguments = {"--json", path},
           .environment = {"TMPDIR=" + temp.path().string(),
                           k == 2 ? "KV_TEST_CONVERTER=command-line" : "KV_TEST_CONVERTER="}});
      EXPECT_EQ(ReadFileBytes(path), before);
      EXPECT_EQ(run.status, 1) << run.err;
      EXPECT_EQ(ProcessesMentioning(temp.path().string()), std::vector<pid_t>{});
      EXPECT_TRUE(fs::is_empty(temp.path()));
      reports[k] = nlohmann::json::parse(run.out);
    }
    EXPECT_GE(reports[0]["errors"].size(), 4u);
    for (const char* key : {"errors", "warnings", "info", "marked_cells"})
      EXPECT_EQ(reports[1][key], reports[0][key]) << key;
    EXPECT_EQ(reports[2].dump(), reports[1].dump());
  }
}

// True once the engine's private folder in `temp` holds `stage` ("in" while the document
// is converted on the way in, "out" on the way back).
bool ConversionUnderway(const fs::path& temp, const std::string& stage) {
  for (const auto& entry : fs::directory_iterator(temp)) {
    if (fs::exists(entry.path() / stage)) return true;
  }
  return false;
}

TEST(DriverDoc, SigtermDuringEitherConversionEndsTheRunAndLeavesNothingRunning) {
  TempDir scratch;
  WorkPlan plan;
  plan.months = 5;  // one warning: the copy is converted back to .doc
  BuildWorkPlan(plan).Save(scratch / "1234-we.docx");
  const auto doc =
      word::ConvertDocument(scratch / "1234-we.docx", "doc", scratch.path().string(), 180s);
  const std::string bytes = ReadFileBytes(doc.output);
  for (const std::string stage : {"in", "out"}) {
    SCOPED_TRACE(stage);
    TempDir dir, temp;
    const std::string chosen = dir / "1234-we.doc";
    fs::copy_file(doc.output, chosen);
    StartedKv kv({.workingFolder = dir.path().string(),
                  .arguments = {"--json", chosen},
                  .environment = {"TMPDIR=" + temp.path().string()}});
    for (int i = 0; i < 12000 && !ConversionUnderway(temp.path(), stage); ++i) {
      std::this_thread::sleep_for(10ms);
    }
    std::this_thread::sleep_for(300ms);  // LibreOffice is up
    kill(kv.pid(), SIGTERM);
    const KvRun run = kv.Finish();
    EXPECT_EQ(run.status, 143) << run.err;
    const auto report = nlohmann::json::parse(run.out);
    EXPECT_EQ(report["outcome"], "abnormal_termination");
    EXPECT_EQ(report["reason"], "interrupted by SIGTERM");
    EXPECT_EQ(ProcessesMentioning(temp.path().string()), std::vector<pid_t>{});
    EXPECT_TRUE(fs::is_empty(temp.path()));
    const auto log = LogLines(dir.path().string());
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "Failure: interrupted by SIGTERM");
    EXPECT_TRUE(log.back().starts_with("Abnormal termination: "));
    EXPECT_EQ(ReadFileBytes(chosen), bytes);
    // On the way back the copy saved at the start is left as it was, and nothing else.
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path())) left.push_back(entry.path());
    std::sort(left.begin(), left.end());
    std::vector<std::string> expected = {chosen, dir / "kv.log"};
    if (stage == "out") expected.insert(expected.begin(), dir / "1234-we-validated.doc");
    EXPECT_EQ(left, expected);
  }
}

// Two workers, each with its own LibreOffice: SIGTERM after the first run has been
// printed ends the batch with the runs done, and leaves no LibreOffice and no folder.
TEST(DriverDoc, SigtermMidBatchStopsEveryWorkerAndLeavesNothingRunning) {
  TempDir dir, temp;
  BuildWorkPlan().Save(temp / "1234-we.docx");
  const auto doc = word::ConvertDocument(temp / "1234-we.docx", "doc", dir.path().string(), 180s);
  const std::string bytes = ReadFileBytes(doc.output);
  fs::remove(temp / "1234-we.docx");
  for (const char* name : {"1235-we.doc", "1236-we.doc", "1237-we.doc"})
    fs::copy_file(doc.output, dir / name);
  const std::string out = temp / "out";
  StartedKv kv({.workingFolder = dir.path().string(),
                .arguments = {"--json", "--jobs", "2", dir.path().string()},
                .environment = {"TMPDIR=" + temp.path().string()},
                .output = ">" + out});
  for (int i = 0; i < 30000 && ReadFileBytes(out).empty(); ++i) std::this_thread::sleep_for(10ms);
  for (int i = 0; i < 12000 && !ConversionUnderway(temp.path(), "in"); ++i)
    std::this_thread::sleep_for(10ms);
  std::this_thread::sleep_for(300ms);
  kill(kv.pid(), SIGTERM);
  EXPECT_EQ(kv.Finish().status, 143);
  const std::string printed = ReadFileBytes(out);
  fs::remove(out);
  EXPECT_THAT(printed, ::testing::HasSubstr("\"outcome\":\"validated\""));
  EXPECT_EQ(ProcessesMentioning(temp.path().string()), std::vector<pid_t>{});
  EXPECT_TRUE(fs::is_empty(temp.path()));
  // Every run the signal stopped says so in the JSON and in kv.log.
  std::ptrdiff_t interrupted = 0;
  for (auto at = printed.find("interrupted by SIGTERM"); at != std::string::npos;
       at = printed.find("interrupted by SIGTERM", at + 1))
    ++interrupted;
  EXPECT_GE(interrupted, 1);
  const auto log = LogLines(dir.path().string());
  EXPECT_EQ(std::count(log.begin(), log.end(), "Failure: interrupted by SIGTERM"), interrupted);
  for (const auto& entry : fs::directory_iterator(dir.path()))
    EXPECT_TRUE(entry.path().extension() != ".doc" || ReadFileBytes(entry.path()) == bytes)
        << entry.path() << " changed";
}

}  // namespace
}  // namespace kv::testing
