// The kv binary from start to end: log, boxes, the validated copy, exit status, JSON.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string_view>

#include "support/docx_builder.h"
#include "support/kv_runner.h"
#include "support/phase_run.h"
#include "support/temp_dir.h"
#include "support/work_plan_builder.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

constexpr char kBanner[] = "DO Ruvaveruz 1.2.4";
constexpr char kDate[] = "<date>";

// A chosen document and its bytes before the run: the run must never change it.
struct ChosenDocument {
  std::string path;
  std::string bytes;

  // Any document description that can Save itself: DocxBuilder, WorkPlanDocument.
  template <typename Document>
  ChosenDocument(const std::string& documentPath, const Document& content) : path(documentPath) {
    fs::create_directories(fs::path(path).parent_path());
    content.Save(path);
    bytes = ReadFileBytes(path);
  }
  ChosenDocument(const std::string& documentPath, const std::string& rawBytes)
      : path(documentPath), bytes(rawBytes) {
    std::ofstream(path, std::ios::binary) << rawBytes;
  }
  void ExpectUnchanged() const { EXPECT_EQ(ReadFileBytes(path), bytes) << path << " changed"; }
};

// Replaces the date and time at the end of a line ("2026-12-06 19:45:12") by "<date>".
std::string WithoutDate(const std::string& line) {
  constexpr std::string_view shape = "0000-00-00 00:00:00";
  if (line.size() < shape.size()) return line;
  const std::size_t start = line.size() - shape.size();
  for (std::size_t k = 0; k < shape.size(); ++k) {
    const char c = line[start + k];
    const bool fits =
        shape[k] == '0' ? std::isdigit(static_cast<unsigned char>(c)) != 0 : c == shape[k];
    if (!fits) return line;
  }
  return line.substr(0, start) + kDate;
}

std::vector<std::string> WithoutDates(const std::vector<std::string>& lines) {
  std::vector<std::string> result;
  for (const auto& line : lines) result.push_back(WithoutDate(line));
  return result;
}

// A document kv can open but whose headings are missing: its structure is refused.
DocxBuilder UnstructuredDocument() {
  DocxBuilder document;
  document.Paragraph("A project description without the headings of a work plan.");
  document.Paragraph("Second paragraph.");
  return document;
}

std::vector<std::string> Strings(const nlohmann::json& array) {
  return array.get<std::vector<std::string>>();
}

// The summary block kv types at the top of a copy, from the lists of its JSON report.
std::vector<std::string> ExpectedSummary(const nlohmann::json& report, bool russian) {
  std::vector<std::string> lines = {std::string(kBanner) + " - Project " +
                                        report["project_number"].get<std::string>() +
                                        " validated on " + kDate,
                                    ""};
  auto block = [&](const std::string& heading, const nlohmann::json& messages) {
    lines.push_back(heading);
    for (const auto& message : Strings(messages)) lines.push_back(message);
    lines.push_back("");
  };
  if (!report["errors"].empty()) block(russian ? "Ошибки: " : "Errors: ", report["errors"]);
  if (!report["warnings"].empty())
    block(russian ? "Предупреждения:" : "Warnings:", report["warnings"]);
  if (!report["errors"].empty() && !report["info"].empty())
    block(russian ? "Примите к сведению:" : "Information:", report["info"]);
  return lines;
}

class DriverEndToEnd : public ::testing::Test {
 protected:
  KvRun Run(std::vector<std::string> arguments, std::vector<std::string> environment = {},
            std::string input = "") {
    return RunKv(
        {dir.path().string(), std::move(arguments), std::move(environment), std::move(input)});
  }
  std::vector<std::string> Log() const { return WithoutDates(LogLines(dir.path().string())); }

  TempDir dir;
};

TEST_F(DriverEndToEnd, NoFileChosenEndsWithTheEnglishBoxAndStatus2) {
  const ChosenDocument bystander(dir / "1234-we.docx", UnstructuredDocument());
  const KvRun run = Run({}, {}, "\n");  // an empty answer cancels the chooser
  EXPECT_EQ(run.status, 2);
  // Without FILE the terminal asks for the path and shows the box.
  EXPECT_THAT(run.err, HasSubstr("DO Ruvaveruz 1.2.4\nNo file selected\nValidation terminated\n"));
  EXPECT_THAT(Log(),
              ElementsAre(kBanner, std::string("Validation start: ") + kDate, "No file selected.",
                          std::string("Validation completed: ") + kDate));
  EXPECT_EQ(run.out, "");
  bystander.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, DisplayThatCannotBeReachedFallsBackToTheTerminal) {
  const ChosenDocument bystander(dir / "1234-we.docx", UnstructuredDocument());
  const KvRun run = Run({}, {"DISPLAY=:4711", "QT_QPA_PLATFORM=xcb"}, "\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_THAT(run.err, HasSubstr("File path (empty to cancel): "));
  EXPECT_THAT(run.err, HasSubstr("DO Ruvaveruz 1.2.4\nNo file selected\nValidation terminated\n"));
  bystander.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, PathTypedAtTheTerminalIsValidated) {
  const ChosenDocument chosen(dir / "1234-we.docx", UnstructuredDocument());
  const KvRun run = Run({}, {}, "1234-we.docx\n\n");
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_THAT(Log(), ::testing::Contains("File: " + chosen.path));
  EXPECT_TRUE(fs::exists(dir / "1234-we-validated.docx"));
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, RefusedNameShowsOnlyTheNameBoxAndLeavesNoCopy) {
  const ChosenDocument chosen(dir / "workplan.docx", UnstructuredDocument());
  std::ofstream(dir / "kv.log", std::ios::binary) << "a line of an earlier run\r\n";
  const KvRun run = Run({chosen.path});
  EXPECT_EQ(run.status, 2);
  EXPECT_THAT(run.err, HasSubstr("Incorrect file name:\n" + chosen.path + "\n"));
  EXPECT_THAT(run.err, Not(HasSubstr("Validation completed")));
  EXPECT_THAT(
      Log(), ElementsAre(kBanner, std::string("Validation start: ") + kDate, "File: " + chosen.path,
                         "Incorrect file name", std::string("Validation completed: ") + kDate));
  EXPECT_FALSE(fs::exists(dir / "workplan-validated.docx"));
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, DocumentThatCannotBeOpenedShowsBothBoxes) {
  const ChosenDocument chosen(dir / "1234-we.docx", std::string("not a word document"));
  const KvRun run = Run({chosen.path});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            "DO Ruvaveruz 1.2.4: Error\nFile cannot be opened\n"
            "DO Ruvaveruz 1.2.4: Validation completed\nNo errors\nNo warnings\n");
  const auto log = Log();
  ASSERT_EQ(log.size(), 7u);
  EXPECT_THAT(
      std::vector<std::string>(log.begin(), log.begin() + 5),
      ElementsAre(kBanner, std::string("Validation start: ") + kDate, "File: " + chosen.path,
                  "Initializing constants...", "Initializing data..."));
  EXPECT_THAT(log[5], StartsWith("File cannot be opened: "));
  EXPECT_EQ(log[6], std::string("Validation completed: ") + kDate);
  EXPECT_FALSE(fs::exists(dir / "1234-we-validated.docx"));
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, FindingsAreTypedAtTheTopOfTheSavedCopy) {
  const ChosenDocument chosen(dir / "1234-we.docx", UnstructuredDocument());
  const KvRun run = Run({"--json", chosen.path});
  EXPECT_EQ(run.status, 1) << run.err;
  const auto report = nlohmann::json::parse(run.out);
  const std::string copy = dir / "1234-we-validated.docx";
  ASSERT_FALSE(report["errors"].empty());

  auto expected = ExpectedSummary(report, false);
  expected.push_back("A project description without the headings of a work plan.");
  expected.push_back("Second paragraph.");
  EXPECT_THAT(WithoutDates(BodyParagraphs(copy)), ElementsAreArray(expected));

  const std::string warningsLine =
      report["warnings"].empty() ? "No warnings" : "Warnings listed in file " + copy;
  EXPECT_THAT(run.err,
              HasSubstr("DO Ruvaveruz 1.2.4: Validation completed\nErrors listed in file " + copy +
                        "\n" + warningsLine + "\n"));
  const auto log = Log();
  EXPECT_THAT(log, ::testing::Contains("Incorrect document structure"));
  EXPECT_THAT(log, ::testing::Contains(std::to_string(report["errors"].size()) + " errors found"));
  EXPECT_EQ(log.back(), std::string("Validation completed: ") + kDate);
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, RussianDocumentGetsRussianSummaryAndBox) {
  const ChosenDocument chosen(dir / "1234-wr.docx", UnstructuredDocument());
  const KvRun run = Run({"--json", chosen.path});
  EXPECT_EQ(run.status, 1) << run.err;
  const auto report = nlohmann::json::parse(run.out);
  EXPECT_EQ(report["language"], "ru");
  const std::string copy = dir / "1234-wr-validated.docx";
  const auto paragraphs = WithoutDates(BodyParagraphs(copy));
  const auto expected = ExpectedSummary(report, true);
  ASSERT_GE(paragraphs.size(), expected.size());
  EXPECT_THAT(std::vector<std::string>(paragraphs.begin(), paragraphs.begin() + expected.size()),
              ElementsAreArray(expected));
  EXPECT_THAT(run.err, HasSubstr("Проверка завершена\nСписок ошибок в файле " + copy + "\n"));
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, JsonReportDescribesTheRun) {
  const ChosenDocument chosen(dir / "a-0123.1-we.docx", UnstructuredDocument());
  const KvRun run = Run({"--json", chosen.path});
  const auto report = nlohmann::ordered_json::parse(run.out);
  std::vector<std::string> keys;
  for (const auto& item : report.items()) keys.push_back(item.key());
  EXPECT_THAT(keys, ElementsAre("file", "validated_copy", "language", "project_number", "errors",
                                "warnings", "info", "marked_cells"));
  EXPECT_EQ(report["file"], chosen.path);
  EXPECT_EQ(report["validated_copy"], dir / "a-0123.1-we-validated.docx");
  EXPECT_EQ(report["language"], "en");
  EXPECT_EQ(report["project_number"], "A-0123.1");
  EXPECT_TRUE(report["marked_cells"].is_array());
  EXPECT_EQ(run.out.back(), '\n');
  EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << "one object on one line";
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, JsonReportIsPrintedForRunsThatEndEarly) {
  const ChosenDocument refused(dir / "plan.docx", UnstructuredDocument());
  const ChosenDocument broken(dir / "1234-we.docx", std::string("PK broken"));
  struct Case {
    std::vector<std::string> arguments;
    nlohmann::json file;
  } cases[] = {{{"--json"}, nullptr},
               {{"--json", refused.path}, refused.path},
               {{"--json", broken.path}, broken.path}};
  for (const auto& c : cases) {
    const KvRun run = Run(c.arguments);
    EXPECT_EQ(run.status, 2);
    const auto report = nlohmann::json::parse(run.out);
    EXPECT_EQ(report["file"], c.file);
    EXPECT_TRUE(report["validated_copy"].is_null());
    EXPECT_TRUE(report["errors"].empty());
    EXPECT_TRUE(report["marked_cells"].empty());
  }
  refused.ExpectUnchanged();
  broken.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, UnexpectedFailureEndsAbnormallyAndLeavesTheCopy) {
  const ChosenDocument chosen(dir / "1234-we.docx", UnstructuredDocument());
  for (const std::string phase : {"structure", "summary"}) {
    const KvRun run = Run({"--json", chosen.path}, {"KV_TEST_FAIL_AT=" + phase});
    EXPECT_EQ(run.status, 2) << phase;
    EXPECT_THAT(run.err,
                HasSubstr("DO Ruvaveruz 1.2.4: Unknown Error\nFile cannot be processed\n"));
    EXPECT_THAT(run.err, Not(HasSubstr("Validation completed")));
    const auto log = Log();
    EXPECT_EQ(log.back(), std::string("Abnormal termination: ") + kDate);
    EXPECT_THAT(log, Not(::testing::Contains(std::string("Validation completed: ") + kDate)));
    EXPECT_TRUE(fs::exists(dir / "1234-we-validated.docx")) << phase;
    EXPECT_TRUE(nlohmann::json::parse(run.out)["validated_copy"].is_null());
    chosen.ExpectUnchanged();
  }
  // The copy is left as the failure found it: no summary was typed into it.
  EXPECT_THAT(BodyParagraphs(dir / "1234-we-validated.docx").front(), Not(StartsWith(kBanner)));
}

TEST_F(DriverEndToEnd, FailureBeforeTheCatalogueStillExplainsItself) {
  const ChosenDocument chosen(dir / "1234-we.docx", UnstructuredDocument());
  const KvRun run = Run({chosen.path}, {"KV_TEST_FAIL_AT=choose"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "DO Ruvaveruz 1.2.4: Unknown Error\nFile cannot be processed\n");
  EXPECT_THAT(Log(), ElementsAre(kBanner, std::string("Validation start: ") + kDate,
                                 std::string("Abnormal termination: ") + kDate));
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, LogThatCannotBeCreatedStopsTheRun) {
  const ChosenDocument chosen(dir / "1234-we.docx", UnstructuredDocument());
  fs::create_directory(dir / "kv.log");  // a folder where the log should be
  const KvRun run = Run({chosen.path});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "kv: cannot create the run log kv.log in " + dir.path().string() + "\n");
  EXPECT_FALSE(fs::exists(dir / "1234-we-validated.docx"));
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, FolderNamedLikeADocumentKeepsItsName) {
  const ChosenDocument chosen(dir / "plans.doc/1234-we.docx", UnstructuredDocument());
  const KvRun run = Run({"--json", chosen.path});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(nlohmann::json::parse(run.out)["validated_copy"],
            dir / "plans.doc/1234-we-validated.docx");
  EXPECT_TRUE(fs::exists(dir / "plans.doc/1234-we-validated.docx"));
  EXPECT_FALSE(fs::exists(dir / "plans-validated.doc"));
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, RelativeFileIsReportedWithItsFullPath) {
  const ChosenDocument chosen(dir / "1234-we.docx", UnstructuredDocument());
  const KvRun run = Run({"1234-we.docx"});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("Errors listed in file " + (dir / "1234-we-validated.docx")));
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, CommandLineMistakesExitWith64) {
  const ChosenDocument chosen(dir / "1234-we.docx", UnstructuredDocument());
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"--bogus", chosen.path}, {"--pdg", "maybe", chosen.path}, {chosen.path, "extra"}}) {
    const KvRun run = Run(arguments);
    EXPECT_EQ(run.status, 64) << arguments.front();
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(fs::exists(dir / "kv.log"));
  }
  const KvRun version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_THAT(version.out, StartsWith("kv "));
  chosen.ExpectUnchanged();
}

WorkPlan Plan(int months, bool russian = false) {
  WorkPlan plan;
  plan.months = months;
  plan.russian = russian;
  return plan;
}

const std::vector<std::string> kCleanRunLog = {
    "Initializing constants...", "Initializing data...", "Validating tech schedule...",
    "Technical schedule parsed.", std::string("Validation completed: ") + kDate};

TEST_F(DriverEndToEnd, CleanPlanLeavesNoCopyAndExits0) {
  for (const bool russian : {false, true}) {
    const std::string name = russian ? "1234-wr.docx" : "1234-we.docx";
    const ChosenDocument chosen(dir / name, BuildWorkPlan(Plan(24, russian)));
    const KvRun run = Run({"--json", chosen.path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, russian
                           ? "DO Ruvaveruz 1.2.4: Проверка завершена\nОшибок не обнаружено\n"
                             "Предупреждений нет\n"
                           : "DO Ruvaveruz 1.2.4: Validation completed\nNo errors\nNo warnings\n");
    std::vector<std::string> expectedLog = {kBanner, std::string("Validation start: ") + kDate,
                                            "File: " + chosen.path};
    expectedLog.insert(expectedLog.end(), kCleanRunLog.begin(), kCleanRunLog.end());
    EXPECT_THAT(Log(), ElementsAreArray(expectedLog));
    const auto report = nlohmann::json::parse(run.out);
    EXPECT_TRUE(report["validated_copy"].is_null());
    EXPECT_EQ(report["language"], russian ? "ru" : "en");
    EXPECT_EQ(fs::directory_iterator(dir.path())->path().filename(), "kv.log");
    EXPECT_FALSE(fs::exists(dir / (russian ? "1234-wr-validated.docx" : "1234-we-validated.docx")));
    chosen.ExpectUnchanged();
    fs::remove(chosen.path);
  }
}

TEST_F(DriverEndToEnd, WarningsOnlyAreTypedWithoutInformationAndBoxSaysNoErrors) {
  const ChosenDocument chosen(dir / "1234-we.docx", BuildWorkPlan(Plan(5)));
  const KvRun run = Run({"--json", chosen.path});
  EXPECT_EQ(run.status, 1) << run.err;
  const std::string copy = dir / "1234-we-validated.docx";
  EXPECT_THAT(run.err, HasSubstr("DO Ruvaveruz 1.2.4: Validation completed\nNo errors\n"
                                 "Warnings listed in file " +
                                 copy + "\n"));
  const auto original = BodyParagraphs(chosen.path);
  std::vector<std::string> expected = {
      std::string(kBanner) + " - Project 1234 validated on " + kDate, "",
      "Warnings:", "Project duration below 6 months", ""};
  expected.insert(expected.end(), original.begin(), original.end());
  EXPECT_THAT(WithoutDates(BodyParagraphs(copy)), ElementsAreArray(expected));
  const auto log = Log();
  EXPECT_THAT(log, ::testing::Contains("1 warnings"));
  EXPECT_THAT(log, Not(::testing::Contains("Validating tech schedule...")));
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, GrantQuestionWithoutAnAnswerIsNoWhenNobodyCanAnswer) {
  const ChosenDocument chosen(dir / "1234-we.docx", BuildWorkPlan(Plan(2)));
  const KvRun run = Run({"--json", chosen.path}, {}, "y\n");  // piped input is not asked
  EXPECT_EQ(Strings(nlohmann::json::parse(run.out)["warnings"]),
            std::vector<std::string>{"Project duration below 6 months"});
  EXPECT_THAT(run.err, Not(HasSubstr("Is this a Project Development Grant?")));
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, MarkedCellsAreReportedAsShadedInTheCopy) {
  auto plan = BuildWorkPlan();
  plan.Cell("HeadingII7", 5, 2) = "abc";  // days of the first task's person-days row
  const ChosenDocument chosen(dir / "1234-we.docx", plan);
  const KvRun run = Run({"--json", chosen.path});
  EXPECT_EQ(run.status, 1) << run.err;
  const auto report = nlohmann::json::parse(run.out);
  EXPECT_EQ(Strings(report["errors"]),
            (std::vector<std::string>{"Table contains errors: 7. Technical Schedule",
                                      "Unrecognizable or misplaced text in cells (5,2)",
                                      "Incorrect values in cells (5,10) (11,2) (11,10)"}));
  const std::string copy = dir / "1234-we-validated.docx";
  const struct {
    int row, column;
    const char* colour;
    const char* fill;
  } expected[] = {{5, 2, "red", "FF0000"},
                  {5, 10, "green", "008000"},
                  {11, 2, "green", "008000"},
                  {11, 10, "green", "008000"}};
  const auto& cells = report["marked_cells"];
  ASSERT_EQ(cells.size(), std::size(expected)) << run.out;
  for (std::size_t k = 0; k < cells.size(); ++k) {
    EXPECT_EQ(cells[k]["table"], cells[0]["table"]);
    EXPECT_EQ(cells[k]["row"], expected[k].row);
    EXPECT_EQ(cells[k]["column"], expected[k].column);
    EXPECT_EQ(cells[k]["colour"], expected[k].colour);
    EXPECT_EQ(CellFill(copy, cells[k]["table"], expected[k].row, expected[k].column),
              expected[k].fill);
  }
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, FiftyErrorsStopTheValidation) {
  WorkPlan plan;
  // Sixty subtasks without days: one error each, far beyond the list's 50.
  plan.schedule = {
      ScheduleTask{std::vector<std::vector<double>>(60, std::vector<double>(8, 0)), {}}};
  const ChosenDocument chosen(dir / "1234-we.docx", BuildWorkPlan(plan));
  const KvRun run = Run({"--json", chosen.path});
  EXPECT_EQ(run.status, 1) << run.err;
  const auto report = nlohmann::json::parse(run.out);
  ASSERT_EQ(report["errors"].size(), 51u) << "50 errors and the overflow line";
  EXPECT_EQ(report["errors"][0], "Technical schedule: subtotal row without total person-days: 3");

  const std::string copy = dir / "1234-we-validated.docx";
  const auto expected = ExpectedSummary(report, false);
  const auto typed = WithoutDates(BodyParagraphs(copy));
  ASSERT_GE(typed.size(), expected.size());
  EXPECT_THAT(std::vector<std::string>(typed.begin(), typed.begin() + expected.size()),
              ElementsAreArray(expected));

  const auto log = Log();
  const auto parsed = std::find(log.begin(), log.end(), "Technical schedule contains errors.");
  ASSERT_NE(parsed, log.end());
  // Nothing is checked after the schedule: the next lines are the counts and the end.
  std::vector<std::string> rest(parsed + 1, log.end());
  EXPECT_THAT(rest, ElementsAre("51 errors found", std::string("Validation completed: ") + kDate));
  chosen.ExpectUnchanged();
}

}  // namespace
}  // namespace kv::testing
