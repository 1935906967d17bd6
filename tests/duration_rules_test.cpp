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

struct DurationRuleCase {
  std::string fileName;
  int months;
  std::string grantAnswer;
  Strings errors, warnings;
  bool tablesChecked;
};

TEST(DurationRules, DecideWhetherTheTablesAreChecked) {
  const DurationRuleCase cases[] = {
      {"1234-we.docx", 24, "no", {}, {}, true},
      {"1234-we.docx",
       61,
       "no",
       {"Project duration above 60 months - automatic validation impossible"},
       {},
       false},
      {"1234-wr.docx",
       61,
       "no",
       {"Продолжительность проекта превышает 60 месяцев - автоматическая проверка невозможна"},
       {},
       false},
      {"1234-we.docx", 2, "yes", {}, {"Project duration below 3 months"}, false},
      {"1234-we.docx", 2, "no", {}, {"Project duration below 6 months"}, false},
      {"1234-we.docx", 5, "yes", {}, {"Project duration below 6 months"}, false},
      {"1234-we.docx", 6, "no", {}, {}, true},
      {"CI-123-we.docx", 5, "no", {}, {}, true},  // the special series has no lower limit
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fileName + ", " + std::to_string(c.months) + " months");
    TempDir dir;
    WorkPlan plan;
    plan.russian = c.fileName.find("-wr") != std::string::npos;
    plan.months = c.months;
    const std::string path = dir / c.fileName;
    BuildWorkPlan(plan).Save(path);
    const std::string bytes = ReadFileBytes(path);

    const KvRun run =
        RunKv({dir.path().string(), {"--json", "--pdg", c.grantAnswer, path}, {}, ""});
    const auto report = nlohmann::json::parse(run.out);
    EXPECT_EQ(report["errors"].get<Strings>(), c.errors);
    EXPECT_EQ(report["warnings"].get<Strings>(), c.warnings);
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
