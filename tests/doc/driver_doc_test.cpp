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

// Writes the plan as a .doc through LibreOffice; "" when that failed.
std::string SaveAsDoc(const WorkPlanDocument& plan, const TempDir& dir, const std::string& name) {
  TempDir scratch;
  const std::string docx = scratch / (fs::path(name).stem().string() + ".docx");
  plan.Save(docx);
  const auto converted = word::ConvertDocument(docx, "doc", dir.path().string(), 180s);
  return converted.ok ? converted.output : "";
}

std::string DocxOf(const std::string& doc, const TempDir& into) {
  const auto converted = word::ConvertDocument(doc, "docx", into.path().string(), 180s);
  return converted.ok ? converted.output : "";
}

TEST(DriverDoc, FindingsInADocLandInADocCopy) {
  TempDir dir;
  WorkPlan plan;
  plan.months = 5;  // one warning
  const std::string chosen = SaveAsDoc(BuildWorkPlan(plan), dir, "1234-we.doc");
  ASSERT_EQ(fs::path(chosen).filename(), "1234-we.doc");
  const std::string before = ReadFileBytes(chosen);

  const KvRun run = RunKv({dir.path().string(), {chosen}, {}, ""});
  EXPECT_EQ(run.status, 1) << run.err;
  const std::string copy = dir / "1234-we-validated.doc";
  EXPECT_THAT(run.err, ::testing::HasSubstr("Warnings listed in file " + copy + "\n"));
  ASSERT_TRUE(fs::exists(copy));
  EXPECT_EQ(ReadFileBytes(copy).substr(0, 4), "\xD0\xCF\x11\xE0") << "a word-processor .doc";

  TempDir reopened;
  const auto paragraphs = BodyParagraphs(DocxOf(copy, reopened));
  ASSERT_GE(paragraphs.size(), 5u);
  EXPECT_THAT(paragraphs[0],
              ::testing::StartsWith("DO Ruvaveruz 1.2.4 - Project 1234 validated on "));
  EXPECT_EQ(paragraphs[2], "Warnings:");
  EXPECT_EQ(paragraphs[3], "Project duration below 6 months");
  EXPECT_EQ(ReadFileBytes(chosen), before);
}

TEST(DriverDoc, CleanDocLeavesNoCopy) {
  TempDir dir;
  WorkPlan plan;
  plan.russian = true;
  const std::string chosen = SaveAsDoc(BuildWorkPlan(plan), dir, "1234-wr.doc");
  ASSERT_FALSE(chosen.empty());
  const std::string before = ReadFileBytes(chosen);
  const KvRun run = RunKv({dir.path().string(), {chosen}, {}, ""});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(fs::exists(dir / "1234-wr-validated.doc"));
  EXPECT_EQ(ReadFileBytes(chosen), before);
}

}  // namespace
}  // namespace kv::testing
