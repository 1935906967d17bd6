// The whole run on .doc work plans: the copy is a .doc again, with the summary at its top.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "support/kv_runner.h"
#include "support/temp_dir.h"
#include "support/work_plan_builder.h"
#include "word/soffice.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(DriverDoc, FindingsInADocLandInADocCopyAndACleanDocLeavesNone) {
  for (const bool clean : {false, true}) {
    SCOPED_TRACE(clean ? "clean" : "one warning");
    TempDir dir, scratch;
    WorkPlan plan;
    plan.months = clean ? 24 : 5;
    plan.russian = clean;
    const std::string name = clean ? "1234-wr" : "1234-we";
    BuildWorkPlan(plan).Save(scratch / (name + ".docx"));
    const auto doc =
        word::ConvertDocument(scratch / (name + ".docx"), "doc", dir.path().string(), 180s);
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

}  // namespace
}  // namespace kv::testing
