// The project duration decides whether the tables are checked at all: the kv binary on
// plans of different lengths, with the grant question answered on the command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "support/kv_runner.h"
#include "support/temp_dir.h"
#include "support/work_plan_builder.h"

namespace kv::testing {
namespace {

using Strings = std::vector<std::string>;

TEST(DurationRules, DecideWhetherTheTablesAreChecked) {
  const Strings above = {"Project duration above 60 months - automatic validation impossible"};
  const Strings aboveRu = {
      "Продолжительность проекта превышает 60 месяцев - автоматическая проверка невозможна"};
  const Strings below3 = {"Project duration below 3 months"};
  const Strings below6 = {"Project duration below 6 months"};
  const struct {
    std::string fileName;
    int months;
    std::string grantAnswer;  // "": no --pdg, and piped input is never asked
    Strings errors, warnings;
    bool tablesChecked;
  } cases[] = {
      {"1234-we.docx", 24, "no", {}, {}, true},       {"1234-we.docx", 61, "no", above, {}, false},
      {"1234-wr.docx", 61, "no", aboveRu, {}, false}, {"1234-we.docx", 2, "yes", {}, below3, false},
      {"1234-we.docx", 2, "no", {}, below6, false},   {"1234-we.docx", 2, "", {}, below6, false},
      {"1234-we.docx", 5, "yes", {}, below6, false},  {"1234-we.docx", 6, "no", {}, {}, true},
      {"CI-123-we.docx", 5, "no", {}, {}, true},  // the special series has no lower limit
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fileName + ", " + std::to_string(c.months) + " months, " + c.grantAnswer);
    TempDir dir;
    WorkPlan plan;
    plan.russian = c.fileName.find("-wr") != std::string::npos;
    plan.months = c.months;
    plan.cisTravelInKind = c.fileName.starts_with("CI-");
    plan.projectNumber = c.fileName.substr(0, c.fileName.find("-w"));
    const std::string path = dir / c.fileName;
    BuildWorkPlan(plan).Save(path);
    const std::string bytes = ReadFileBytes(path);

    Strings arguments = {"--json", path};
    if (!c.grantAnswer.empty()) arguments.insert(arguments.begin(), {"--pdg", c.grantAnswer});
    const KvRun run =
        RunKv({.workingFolder = dir.path().string(), .arguments = arguments, .input = "y\n"});
    const auto report = nlohmann::json::parse(run.out);
    EXPECT_EQ(report["errors"].get<Strings>(), c.errors);
    EXPECT_EQ(report["warnings"].get<Strings>(), c.warnings);
    EXPECT_EQ(run.err.find("Is this a Project Development Grant?"), std::string::npos);
    const Strings log = LogLines(dir.path().string());
    const bool scheduleChecked =
        std::find(log.begin(), log.end(), "Validating tech schedule...") != log.end();
    EXPECT_EQ(scheduleChecked, c.tablesChecked);
    EXPECT_EQ(run.status, c.errors.empty() && c.warnings.empty() ? 0 : 1);
    EXPECT_EQ(ReadFileBytes(path), bytes) << "the chosen document changed";
  }
}

}  // namespace
}  // namespace kv::testing
