// What a hurried user runs into: interrupted runs, repeated runs, odd folders and names.
// Every file in the folder keeps its bytes unless the case lets it change.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>

#include "support/docx_builder.h"
#include "support/kv_runner.h"
#include "support/temp_dir.h"
#include "support/work_plan_builder.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using Json = nlohmann::json;

// Every file below the folder (no folders) with its bytes, by its relative name.
std::map<std::string, std::string> Files(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (!entry.is_directory())
      files[entry.path().lexically_relative(folder).string()] =
          ReadFileBytes(entry.path().string());
  return files;
}

Strings Names(const std::map<std::string, std::string>& files) {
  Strings names;
  for (const auto& [name, bytes] : files) names.push_back(name);
  return names;
}

// "FILE OUTCOME", and " +copy" when a validated copy is named, FILE relative to folder.
Strings Outcomes(const std::string& jsonLines, const fs::path& folder) {
  Strings outcomes;
  std::istringstream lines(jsonLines);
  for (std::string line; std::getline(lines, line);) {
    const Json report = Json::parse(line);
    outcomes.push_back(
        fs::path(report["file"].get<std::string>()).lexically_relative(folder).string() + " " +
        report["outcome"].get<std::string>() +
        (report["validated_copy"].is_null() ? "" : " +copy"));
  }
  return outcomes;
}

Strings WithoutDates(Strings lines) {
  for (auto& line : lines)
    line = std::regex_replace(line, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$)"), "<date>");
  return lines;
}

struct Case {
  std::string name;
  std::string setup;  // shell commands in the folder, which holds 1234-we.docx
  Strings arguments, environment;
  int status;
  std::string err;  // exact; "<dir>" stands for the folder
  Strings outcomes;
  Strings files;     // in the folder afterwards
  Strings changed;   // files that may change; all others keep their bytes
  Strings log = {};  // kv.log without dates, when given
};

class Reliability : public ::testing::Test {
 protected:
  void Check(const Case& c) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    DocxBuilder().Paragraph("Not a work plan.").Save(dir / "1234-we.docx");
    ASSERT_EQ(std::system(("cd '" + dir.path().string() + "' && " + c.setup).c_str()), 0);
    const auto before = Files(dir.path());
    const KvRun run = RunKv({.workingFolder = dir.path().string(),
                             .arguments = c.arguments,
                             .environment = c.environment});
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err, std::regex_replace(c.err, std::regex("<dir>"), dir.path().string()));
    EXPECT_EQ(Outcomes(run.out, dir.path()), c.outcomes);
    const auto after = Files(dir.path());
    EXPECT_EQ(Names(after), c.files);
    for (const auto& [name, bytes] : before) {
      const bool mayChange = std::find(c.changed.begin(), c.changed.end(), name) != c.changed.end();
      EXPECT_TRUE(mayChange || (after.count(name) && after.at(name) == bytes)) << name;
    }
    if (!c.log.empty()) {
      EXPECT_EQ(WithoutDates(LogLines(dir.path().string())), c.log);
    }
  }
};

std::string Box(const std::string& copy) {
  return "DO Ruvaveruz 1.2.4: Validation completed\nErrors listed in file <dir>/" + copy +
         "\nNo warnings\n";
}

const std::string kEarlier = "echo 'an earlier copy' >1234-we-validated.docx";
const std::string kFailure =
    "DO Ruvaveruz 1.2.4: Unknown Error\nFile cannot be processed\nkv: <dir>/1234-we.docx: "
    "failure provoked at ";

TEST_F(Reliability, RunsLeaveWhatTheyShouldAndNothingElse) {
  // A folder whose validated copy's path is 4090 characters long.
  const auto length = 4090 - 24 - (fs::temp_directory_path() / "kv-test-XXXXXX").string().size();
  std::string deep(length, 'd');
  for (std::size_t slash = 250; slash + 1 < length; slash += 251) deep[slash] = '/';
  const std::string deepPlan = deep + "/1234-we.docx", deepCopy = deep + "/1234-we-validated.docx";
  const Case cases[] = {
      {"a failure after the copy was complete leaves the earlier copy",
       kEarlier,
       {"--json", "1234-we.docx"},
       {"KV_TEST_FAIL_AT=copy"},
       2,
       kFailure + "copy\n",
       {"1234-we.docx abnormal_termination"},
       {"1234-we-validated.docx", "1234-we.docx", "kv.log"},
       {"kv.log"}},
      {"two at once failing early leave both earlier copies",
       kEarlier +
           " && cp 1234-we.docx 1235-we.docx && cp 1234-we-validated.docx 1235-we-validated.docx",
       {"--json", "--jobs", "2", "1234-we.docx", "1235-we.docx"},
       {"KV_TEST_FAIL_AT=structure"},
       2,
       kFailure + "structure\n" + std::regex_replace(kFailure, std::regex("1234"), "1235") +
           "structure\n",
       {"1234-we.docx abnormal_termination", "1235-we.docx abnormal_termination"},
       {"1234-we-validated.docx", "1234-we.docx", "1235-we-validated.docx", "1235-we.docx",
        "kv.log"},
       {"kv.log"}},
      {"a log that cannot be created is said once and the JSON names each plan",
       "mkdir kv.log && cp 1234-we.docx 1235-we.docx",
       {"--json", "1234-we.docx", "1235-we.docx"},
       {},
       2,
       "kv: cannot create the run log <dir>/kv.log: Is a directory\n",
       {"1234-we.docx abnormal_termination", "1235-we.docx abnormal_termination"},
       {"1234-we.docx", "1235-we.docx"},
       {}},
      {"a copy named with its plan is skipped with one note",
       kEarlier + " && cp 1234-we-validated.docx 1235-we-validated.docx",
       {"--json", "1234-we.docx", "1234-we-validated.docx", "1235-we-validated.docx"},
       {},
       1,
       "kv: 2 -validated copies skipped\n" + Box("1234-we-validated.docx"),
       {"1234-we.docx validated +copy"},
       {"1234-we-validated.docx", "1234-we.docx", "1235-we-validated.docx", "kv.log"},
       {"1234-we-validated.docx", "kv.log"}},
      {"an empty folder leaves a log that says so",
       "mkdir empty && echo stale >kv.log",
       {"--json", "empty"},
       {},
       2,
       "kv: no .doc or .docx document to validate\n",
       {},
       {"1234-we.docx", "kv.log"},
       {"kv.log"},
       {"DO Ruvaveruz 1.2.4", "Validation start: <date>", "no .doc or .docx document to validate"}},
      {"lock and hidden files of a folder are left alone",
       "mkdir p && cp 1234-we.docx p && for n in '~$34-we' ._1234-we .4444-we; do cp 1234-we.docx "
       "\"p/$n.docx\"; done",
       {"--json", "p"},
       {},
       1,
       Box("p/1234-we-validated.docx"),
       {"p/1234-we.docx validated +copy"},
       {"1234-we.docx", "kv.log", "p/.4444-we.docx", "p/._1234-we.docx", "p/1234-we-validated.docx",
        "p/1234-we.docx", "p/~$34-we.docx"},
       {"kv.log"}},
      {"a link is validated under its own name, paths are normalised",
       "ln -s 1234-we.docx 1235-we.docx && mkdir sub",
       {"--json", "./1234-we.docx", "sub/../1235-we.docx"},
       {},
       1,
       Box("1234-we-validated.docx") + Box("1235-we-validated.docx"),
       {"1234-we.docx validated +copy", "1235-we.docx validated +copy"},
       {"1234-we-validated.docx", "1234-we.docx", "1235-we-validated.docx", "1235-we.docx",
        "kv.log"},
       {"kv.log"}},
      {"a copy whose path nearly fills PATH_MAX is written",
       "mkdir -p " + deep + " && cp 1234-we.docx " + deepPlan,
       {"--json", deepPlan},
       {},
       1,
       Box(deepCopy),
       {deepPlan + " validated +copy"},
       {"1234-we.docx", deepCopy, deepPlan, "kv.log"},
       {"kv.log"}},
  };
  for (const auto& c : cases) Check(c);
}

// A validated copy saved under its plan's name: its summary is replaced, not read nor stacked.
TEST(ReliabilityRepeat, RevalidatedCopyGetsTheSameFindingsAndOneSummary) {
  TempDir dir;
  PlanWithPersonnelMistakes().Save(dir / "1234-we.docx");
  Json reports[2];
  Strings copies[2];
  for (int k : {0, 1}) {
    if (k == 1) fs::rename(dir / "1234-we-validated.docx", dir / "1234-we.docx");
    const std::string before = ReadFileBytes(dir / "1234-we.docx");
    const KvRun run = RunKv(
        {.workingFolder = dir.path().string(), .arguments = {"--json", dir / "1234-we.docx"}});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(ReadFileBytes(dir / "1234-we.docx"), before);
    reports[k] = Json::parse(run.out);
    copies[k] = WithoutDates(BodyParagraphs(dir / "1234-we-validated.docx"));
  }
  EXPECT_EQ(reports[1]["errors"], reports[0]["errors"]);
  EXPECT_EQ(reports[1]["warnings"], reports[0]["warnings"]);
  EXPECT_EQ(copies[1], copies[0]);
}

}  // namespace
}  // namespace kv::testing
