#include "validate/file_name.h"

#include <gtest/gtest.h>

#include "report/run_log.h"
#include "support/case_table.h"
#include "ui/scripted_frontend.h"

namespace kv::validate {
namespace {

using testing::Case;

// A name of the special series in Russian: the context it leaves has every flag set the
// other way from a fresh one, so a name checked after it must reset them.
const std::string kDirtying = "/home/u/CI-123.1-wr.doc";

void ExpectOutcome(RunContext& ctx, ui::ScriptedFrontend& frontend, const Case& c) {
  const std::string& path = c[0];
  ctx.ProjectNumber = "before";
  const std::size_t boxes = frontend.Boxes().size();
  const bool special = c[5] == "special";
  EXPECT_EQ(CheckFileName(ctx, path), c[1] == "accepted");
  EXPECT_EQ(ctx.DocLanguage, c[2] == "ru");
  EXPECT_EQ(ctx.ProjectNumber, c[3].empty() ? "before" : c[3]);
  EXPECT_EQ(ctx.ProjectType, c[4]);
  EXPECT_EQ(ctx.SpecialSeries, special);
  EXPECT_EQ(ctx.RequireCategoryOne, !special);
  EXPECT_EQ(ctx.ApplyGrantNorms, !special);
  ASSERT_EQ(frontend.Boxes().size(), boxes + (c[6].empty() ? 0 : 1));
  if (c[6].empty()) return;
  const std::string reason =
      c[6] == "name"
          ? "File name must be N-we.doc or N-wr.doc, where N stands for the project number"
          : "File extension must be .doc";
  EXPECT_EQ(frontend.Boxes().back().text, "Incorrect file name:\n" + path + "\n" + reason);
  EXPECT_EQ(frontend.Boxes().back().title, "");
  EXPECT_EQ(frontend.Boxes().back().icon, ui::Icon::Stop);
}

class CheckFileName : public ::testing::TestWithParam<Case> {};

TEST_P(CheckFileName, InAFreshContextAndAfterAnother) {
  report::RunLog log;
  ui::ScriptedFrontend frontend;
  RunContext ctx(log, frontend);
  ExpectOutcome(ctx, frontend, GetParam());
  validate::CheckFileName(ctx, kDirtying);
  ExpectOutcome(ctx, frontend, GetParam());
}
KV_CASES(CheckFileName, "file_names");

class ValidatedPathFor : public ::testing::TestWithParam<Case> {};
TEST_P(ValidatedPathFor, InsertsBeforeTheExtension) {
  EXPECT_EQ(validate::ValidatedPathFor(GetParam()[0]), GetParam()[1]);
}
KV_CASES(ValidatedPathFor, "validated_paths");

}  // namespace
}  // namespace kv::validate
