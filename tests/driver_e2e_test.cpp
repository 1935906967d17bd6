// The kv binary from start to end: log, boxes, the validated copy, exit status, JSON.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>

#include "support/docx_builder.h"
#include "support/kv_runner.h"
#include "support/phase_run.h"
#include "support/temp_dir.h"
#include "support/work_plan_builder.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using Strings = std::vector<std::string>;
using Json = nlohmann::json;
using namespace std::string_literals;

const std::string kBanner = "DO Ruvaveruz 1.2.4", kStart = "Validation start: <date>",
                  kCompleted = "Validation completed: <date>",
                  kAbnormal = "Abnormal termination: <date>",
                  kSummaryLine = "DO Ruvaveruz 1.2.4 - Project 1234 validated on <date>";

// A chosen document and its bytes before the run: the run must never change it.
struct ChosenDocument {
  std::string path, bytes;

  template <typename Document>  // DocxBuilder or WorkPlanDocument
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

// The date and time that end a line ("2026-12-06 19:45:12") replaced by "<date>".
Strings WithoutDates(Strings lines) {
  const std::regex date(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$)");
  for (auto& line : lines) line = std::regex_replace(line, date, "<date>");
  return lines;
}

Strings Joined(Strings lines, const Strings& more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

// A document kv can open but whose headings are missing: its structure is refused.
const Strings kUnstructuredText = {"A project description without the headings of a work plan.",
                                   "Second paragraph."};
DocxBuilder UnstructuredDocument() {
  DocxBuilder document;
  for (const auto& text : kUnstructuredText) document.Paragraph(text);
  return document;
}

// The report of a run that ended before any check.
void ExpectEmptyReport(const KvRun& run, const Json& file) {
  const auto report = Json::parse(run.out);
  EXPECT_EQ(report["file"], file);
  EXPECT_TRUE(report["validated_copy"].is_null());
  EXPECT_TRUE(report["errors"].empty() && report["marked_cells"].empty());
}

class DriverEndToEnd : public ::testing::Test {
 protected:
  KvRun Run(Strings arguments, Strings environment = {}, std::string input = "") {
    return RunKv(
        {dir.path().string(), std::move(arguments), std::move(environment), std::move(input)});
  }
  Strings Log() const { return WithoutDates(LogLines(dir.path().string())); }

  TempDir dir;
};

TEST_F(DriverEndToEnd, NoFileChosenEndsWithTheEnglishBoxAndStatus2) {
  const ChosenDocument bystander(dir / "1234-we.docx", UnstructuredDocument());
  // Without FILE the terminal asks for the path, also when a display cannot be reached;
  // an empty answer cancels.
  for (const auto& [arguments, environment] : {std::pair<Strings, Strings>{{"--json"}, {}},
                                               {{}, {"DISPLAY=:4711", "QT_QPA_PLATFORM=xcb"}}}) {
    const KvRun run = Run(arguments, environment, "\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(run.err, HasSubstr("File path (empty to cancel): "));
    EXPECT_THAT(run.err,
                HasSubstr("DO Ruvaveruz 1.2.4\nNo file selected\nValidation terminated\n"));
    EXPECT_THAT(Log(), ElementsAre(kBanner, kStart, "No file selected.", kCompleted));
    EXPECT_EQ(run.out.empty(), arguments.empty());
    if (!arguments.empty()) ExpectEmptyReport(run, nullptr);
  }
  bystander.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, RelativePathTypedOrGivenIsValidatedUnderItsFullPath) {
  const ChosenDocument chosen(dir / "1234-we.docx", UnstructuredDocument());
  for (const auto& [arguments, input] :
       {std::pair<Strings, std::string>{{}, "1234-we.docx\n\n"}, {{"1234-we.docx"}, ""}}) {
    const KvRun run = Run(arguments, {}, input);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_THAT(Log(), Contains("File: " + chosen.path));
    EXPECT_THAT(run.err, HasSubstr("Errors listed in file " + (dir / "1234-we-validated.docx")));
  }
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, RefusedNameShowsOnlyTheNameBoxAndLeavesNoCopy) {
  const ChosenDocument chosen(dir / "workplan.docx", UnstructuredDocument());
  std::ofstream(dir / "kv.log", std::ios::binary) << "a line of an earlier run\r\n";
  const KvRun run = Run({"--json", chosen.path});
  ExpectEmptyReport(run, chosen.path);
  EXPECT_EQ(run.status, 2);
  EXPECT_THAT(run.err, HasSubstr("Incorrect file name:\n" + chosen.path + "\n"));
  EXPECT_THAT(run.err, Not(HasSubstr("Validation completed")));
  EXPECT_THAT(Log(), ElementsAre(kBanner, kStart, "File: " + chosen.path, "Incorrect file name",
                                 kCompleted));
  EXPECT_FALSE(fs::exists(dir / "workplan-validated.docx"));
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, DocumentThatCannotBeOpenedShowsBothBoxes) {
  const ChosenDocument chosen(dir / "1234-we.docx", std::string("PK not a word document"));
  const KvRun run = Run({"--json", chosen.path});
  ExpectEmptyReport(run, chosen.path);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            "DO Ruvaveruz 1.2.4: Error\nFile cannot be opened\n"
            "DO Ruvaveruz 1.2.4: Validation completed\nNo errors\nNo warnings\n");
  EXPECT_THAT(Log(), ElementsAre(kBanner, kStart, "File: " + chosen.path,
                                 "Initializing constants...", "Initializing data...",
                                 StartsWith("File cannot be opened: "), kCompleted));
  EXPECT_FALSE(fs::exists(dir / "1234-we-validated.docx"));
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, FindingsAreTypedAtTheTopOfTheSavedCopyInTheDocumentsLanguage) {
  const struct {
    std::string name;
    Strings summary;
    std::string boxStart, boxEnd;
  } cases[] = {
      {"1234-we",
       {"Errors: ", "Missing Part I. Summary Project Information",
        "Incorrect section sequence. No further validation done.", ""},
       "Validation completed\nErrors listed in file ",
       "\nNo warnings\n"},
      {"1234-wr",
       {"Ошибки: ", "Отсутствует часть I. Сводная Информация по Проекту",
        "Неправильная последовательность разделов. Проверка прервана.", ""},
       "Проверка завершена\nСписок ошибок в файле ",
       "\nПредупреждений нет\n"},
  };
  for (const auto& c : cases) {
    const ChosenDocument chosen(dir / (c.name + ".docx"), UnstructuredDocument());
    const KvRun run = Run({chosen.path});
    EXPECT_EQ(run.status, 1) << run.err;
    const std::string copy = dir / (c.name + "-validated.docx");
    EXPECT_THAT(WithoutDates(BodyParagraphs(copy)),
                ElementsAreArray(Joined(Joined({kSummaryLine, ""}, c.summary), kUnstructuredText)));
    EXPECT_EQ(run.err, kBanner + ": " + c.boxStart + copy + c.boxEnd);
    // Proofing is off over the whole document, its own text included.
    EXPECT_THAT(ZipEntry(copy, "word/document.xml"),
                HasSubstr("<w:noProof/></w:rPr><w:t xml:space=\"preserve\">Second paragraph."));
    const auto log = Log();
    EXPECT_THAT(log, Contains("Incorrect document structure"));
    EXPECT_THAT(log, Contains("2 errors found"));
    EXPECT_EQ(log.back(), kCompleted);
    chosen.ExpectUnchanged();
  }
}

TEST_F(DriverEndToEnd, JsonReportNamesTheFilesAndAFolderNamedLikeADocumentKeepsItsName) {
  const ChosenDocument chosen(dir / "plans.doc/a-0123.1-we.docx", UnstructuredDocument());
  const KvRun run = Run({"--json", chosen.path});
  EXPECT_EQ(run.status, 1) << run.err;
  const auto report = Json::parse(run.out);
  const std::string copy = dir / "plans.doc/a-0123.1-we-validated.docx";
  EXPECT_EQ(report["file"], chosen.path);
  EXPECT_EQ(report["validated_copy"], copy);
  EXPECT_EQ(report["language"], "en");
  EXPECT_EQ(report["project_number"], "A-0123.1");
  EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << "one object on one line";
  EXPECT_TRUE(fs::exists(copy));
  EXPECT_FALSE(fs::exists(dir / "plans-validated.doc"));
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, UnexpectedFailureEndsAbnormallyAndLeavesTheCopy) {
  const ChosenDocument chosen(dir / "1234-we.docx", UnstructuredDocument());
  const std::string copy = dir / "1234-we-validated.docx";
  for (const std::string phase : {"choose", "structure", "summary"}) {
    SCOPED_TRACE(phase);
    const KvRun run = Run({"--json", chosen.path}, {"KV_TEST_FAIL_AT=" + phase});
    EXPECT_EQ(run.status, 2);
    // Also before the catalogue holds its texts, the box explains itself.
    EXPECT_EQ(run.err, "DO Ruvaveruz 1.2.4: Unknown Error\nFile cannot be processed\n");
    EXPECT_EQ(Log().back(), kAbnormal);
    EXPECT_TRUE(Json::parse(run.out)["validated_copy"].is_null());
    chosen.ExpectUnchanged();
    if (phase == "choose") {
      EXPECT_THAT(Log(), ElementsAre(kBanner, kStart, kAbnormal));
      continue;
    }
    // The copy was saved at once, in normal view at 65 percent, before any check, and is
    // left as the failure found it: no summary was typed into it.
    EXPECT_THAT(ZipEntry(copy, "word/settings.xml"),
                HasSubstr("<w:view w:val=\"normal\"/><w:zoom w:percent=\"65\"/>"));
    EXPECT_THAT(BodyParagraphs(copy), ElementsAreArray(kUnstructuredText));
  }
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

TEST_F(DriverEndToEnd, CommandLineMistakesExitWith64AndVersionAndHelpWith0) {
  const ChosenDocument chosen(dir / "1234-we.docx", UnstructuredDocument());
  for (const Strings& arguments : {Strings{"--bogus", chosen.path},
                                   {"--pdg", "maybe", chosen.path},
                                   {"--pdg"},
                                   {chosen.path, "extra"}}) {
    const KvRun run = Run(arguments);
    EXPECT_EQ(run.status, 64) << arguments.front();
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err, "");
  }
  const KvRun version = Run({"--version"}), help = Run({"--help"});
  EXPECT_EQ(version.status + help.status, 0);
  EXPECT_EQ(version.out, std::string("kv ") + KV_VERSION + "\n");
  EXPECT_THAT(help.out, ::testing::AllOf(HasSubstr("--pdg"), HasSubstr("--json")));
  EXPECT_FALSE(fs::exists(dir / "kv.log"));
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, CleanPlanLeavesNoCopyAndExits0) {
  for (const bool russian : {false, true}) {
    WorkPlan plan;
    plan.russian = russian;
    const ChosenDocument chosen(dir / (russian ? "1234-wr.docx" : "1234-we.docx"),
                                BuildWorkPlan(plan));
    const KvRun run = Run({"--json", chosen.path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, russian
                           ? "DO Ruvaveruz 1.2.4: Проверка завершена\nОшибок не обнаружено\n"
                             "Предупреждений нет\n"
                           : "DO Ruvaveruz 1.2.4: Validation completed\nNo errors\nNo warnings\n");
    EXPECT_THAT(
        Log(),
        ElementsAre(kBanner, kStart, "File: " + chosen.path, "Initializing constants...",
                    "Initializing data...", "Validating tech schedule...",
                    "Technical schedule parsed.", "Validating personnel commitments...",
                    "Personnel commitments parsed.", "Validating section: 9. Financial Information",
                    "Financial tables parsed.", kCompleted));
    EXPECT_TRUE(Json::parse(run.out)["validated_copy"].is_null());
    chosen.ExpectUnchanged();
    fs::remove(chosen.path);
    EXPECT_EQ(fs::directory_iterator(dir.path())->path().filename(), "kv.log") << "no copy";
  }
}

TEST_F(DriverEndToEnd, WarningsOnlyAreTypedWithoutInformationAndBoxSaysNoErrors) {
  WorkPlan plan;
  plan.months = 5;
  const ChosenDocument chosen(dir / "1234-we.docx", BuildWorkPlan(plan));
  const KvRun run = Run({chosen.path});
  EXPECT_EQ(run.status, 1) << run.err;
  const std::string copy = dir / "1234-we-validated.docx";
  EXPECT_EQ(run.err,
            "DO Ruvaveruz 1.2.4: Validation completed\nNo errors\nWarnings listed in file " + copy +
                "\n");
  EXPECT_THAT(WithoutDates(BodyParagraphs(copy)),
              ElementsAreArray(
                  Joined({kSummaryLine, "", "Warnings:", "Project duration below 6 months", ""},
                         BodyParagraphs(chosen.path))));
  EXPECT_THAT(Log(), Contains("1 warnings"));
  EXPECT_THAT(Log(), Not(Contains("Validating tech schedule...")));
  chosen.ExpectUnchanged();
}

// Findings of the schedule and of the financial tables, in the order of the phases.
TEST_F(DriverEndToEnd, MarkedCellsAreReportedAsShadedInTheCopy) {
  auto plan = BuildWorkPlan();
  plan.Cell("HeadingII7", 5, 2) = "abc";      // days of the first task's person-days row
  plan.Cell("HeadingII9", 13, 6, 2) = "n/a";  // participant 1's materials in year 1
  const ChosenDocument chosen(dir / "1234-we.docx", plan);
  const KvRun run = Run({"--json", chosen.path});
  EXPECT_EQ(run.status, 1) << run.err;
  const auto report = Json::parse(run.out);
  EXPECT_EQ(report["errors"],
            Json({"Table contains errors: 7. Technical Schedule",
                  "Unrecognizable or misplaced text in cells (5,2)",
                  "Incorrect values in cells (5,10) (11,2) (11,10)",
                  "1+2 quarters greater than year 1 values: Participant Institution 1", " (13,4)",
                  "Table contains errors: Estimated Aggregated Expenditures by Participant "
                  "Institution 1",
                  "Unrecognizable or misplaced text in cells (13,6)",
                  "Incorrect values in cells (27,6) (13,10)"}));
  EXPECT_TRUE(report["warnings"].empty() && report["info"].empty());
  // The schedule is the fourth table of the plan.
  const int table12 = plan.TableNumber("HeadingII9") + 2;
  Json marked = Json::array();
  const std::string copy = dir / "1234-we-validated.docx";
  for (const auto& [table, row, column, colour] : {std::tuple{4, 5, 2, "red"},
                                                   {4, 5, 10, "green"},
                                                   {4, 11, 2, "green"},
                                                   {4, 11, 10, "green"},
                                                   {table12, 13, 6, "red"},
                                                   {table12, 27, 6, "green"},
                                                   {table12, 13, 4, "green"},
                                                   {table12, 13, 10, "green"}}) {
    marked.push_back({{"table", table}, {"row", row}, {"column", column}, {"colour", colour}});
    EXPECT_EQ(CellFill(copy, table, row, column), colour == "red"s ? "FF0000" : "008000");
  }
  EXPECT_EQ(report["marked_cells"], marked);
  const auto log = Log();
  EXPECT_THAT(
      Strings(std::find(log.begin(), log.end(), "Financial tables contain errors.") - 1, log.end()),
      ElementsAre("Validating section: 9. Financial Information",
                  "Financial tables contain errors.", "8 errors found", kCompleted));
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, PersonnelMistakesAreListedInTableOrderAndShaded) {
  const ChosenDocument chosen(dir / "1234-we.docx", PlanWithPersonnelMistakes());
  const KvRun run = Run({"--json", chosen.path});
  EXPECT_EQ(run.status, 1) << run.err;
  const auto report = Json::parse(run.out);
  const std::string h = "8. Personnel Commitments, ", errors = "Table contains errors: " + h;
  EXPECT_EQ(
      report["errors"],
      Json({errors + "Leading Institution, category II", "Incorrect values in cells (2,7) (4,3)",
            h + "Participant Institution 1, Category I: Incorrect weapon expertise code in "
                "cell (2,4)",
            errors + "Participant Institution 1, category I",
            "Unrecognizable or misplaced text in cells (2,4)"}));
  EXPECT_EQ(report["warnings"], Json({h + "Participant Institution 1, Category II: Daily rate "
                                          "greater than $35 in cell (3,5)"}));
  EXPECT_EQ(report["info"],
            Json({h + "Participant Institution 2, Category IV: The keyword \"None\" should stand "
                      "instead of the table rather than inside it"}));
  // Four tables precede the personnel tables, four per institution.
  EXPECT_EQ(report["marked_cells"], Json::parse(R"([
      {"table":6,"row":2,"column":7,"colour":"green"},
      {"table":6,"row":4,"column":3,"colour":"green"},
      {"table":9,"row":2,"column":4,"colour":"red"},
      {"table":10,"row":3,"column":5,"colour":"yellow"},
      {"table":16,"row":2,"column":1,"colour":"yellow"}])"));
  const std::string copy = dir / "1234-we-validated.docx";
  for (const auto& [table, row, column, fill] : {std::tuple{6, 2, 7, "008000"},
                                                 {6, 4, 3, "008000"},
                                                 {9, 2, 4, "FF0000"},
                                                 {10, 3, 5, "FFFF00"},
                                                 {16, 2, 1, "FFFF00"},
                                                 {6, 2, 6, ""}}) {
    EXPECT_EQ(CellFill(copy, table, row, column), fill);
  }
  const auto log = Log();
  EXPECT_THAT(
      Strings(std::find(log.begin(), log.end(), "Technical schedule parsed."), log.end()),
      ElementsAre("Technical schedule parsed.", "Validating personnel commitments...",
                  "Personnel commitments contain errors.",
                  "Validating section: 9. Financial Information", "Financial tables parsed.",
                  "5 errors found", "1 warnings", "1 info messages", kCompleted));
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
  const auto errors = Json::parse(run.out)["errors"].get<Strings>();
  ASSERT_EQ(errors.size(), 51u) << "50 errors and the overflow line";
  EXPECT_EQ(errors[0], "Technical schedule: subtotal row without total person-days: 3");
  EXPECT_EQ(errors[50], "Maximum number of errors exceeded");
  const auto typed = WithoutDates(BodyParagraphs(dir / "1234-we-validated.docx"));
  const Strings summary = Joined(Joined({kSummaryLine, "", "Errors: "}, errors), {""});
  ASSERT_GE(typed.size(), summary.size());
  EXPECT_EQ(Strings(typed.begin(), typed.begin() + summary.size()), summary);
  // Nothing is checked after the schedule: the next lines are the counts and the end.
  const auto log = Log();
  EXPECT_THAT(
      Strings(std::find(log.begin(), log.end(), "Technical schedule contains errors."), log.end()),
      ElementsAre("Technical schedule contains errors.", "51 errors found", kCompleted));
  chosen.ExpectUnchanged();
}

}  // namespace
}  // namespace kv::testing
