// The kv binary from start to end: log, boxes, the validated copy, exit status, JSON.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <regex>
#include <sstream>

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
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
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

// The report of a run that ended before any check, and its status.
void ExpectEmptyReport(const KvRun& run, const Json& file, const std::string& outcome,
                       const std::string& reason) {
  EXPECT_EQ(run.status, 2);
  const auto report = Json::parse(run.out);
  EXPECT_EQ(report["file"], file);
  EXPECT_EQ(report["outcome"], outcome);
  EXPECT_EQ(report["reason"], reason);
  EXPECT_TRUE(report["validated_copy"].is_null());
  EXPECT_TRUE(report["errors"].empty() && report["marked_cells"].empty());
}

// The names in a folder, hidden temporary files included.
Strings Entries(const fs::path& folder) {
  Strings names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

class DriverEndToEnd : public ::testing::Test {
 protected:
  KvRun Run(Strings arguments, Strings environment = {}, std::string input = "") {
    return RunKv({.workingFolder = dir.path().string(),
                  .arguments = std::move(arguments),
                  .environment = std::move(environment),
                  .input = std::move(input)});
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
    EXPECT_EQ(run.err,
              "Validate workplan\n  MS Word document (*.doc *.docx)\nFile path (empty to cancel): "
              "\n\nDO Ruvaveruz 1.2.4\nNo file selected\nValidation terminated\n[OK] press Enter "
              "\nkv: no file selected\n");
    EXPECT_THAT(Log(), ElementsAre(kBanner, kStart, "No file selected.", kCompleted));
    EXPECT_EQ(run.out.empty(), arguments.empty());
    if (!arguments.empty()) ExpectEmptyReport(run, nullptr, "no_file", "no file selected");
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
  ExpectEmptyReport(run, chosen.path, "refused_name", "incorrect file name");
  EXPECT_THAT(run.err, HasSubstr("Incorrect file name:\n" + chosen.path + "\n"));
  EXPECT_THAT(run.err, Not(HasSubstr("Validation completed")));
  EXPECT_THAT(Log(), ElementsAre(kBanner, kStart, "File: " + chosen.path, "Incorrect file name",
                                 kCompleted));
  EXPECT_FALSE(fs::exists(dir / "workplan-validated.docx"));
  chosen.ExpectUnchanged();
}

// With --json the report stands on one line and the findings are not printed; a folder
// named like a document keeps its name.
TEST_F(DriverEndToEnd, FindingsAreTypedAtTheTopOfTheSavedCopyInTheDocumentsLanguage) {
  const struct {
    std::string name, language;
    Strings summary;
    std::string boxStart, boxEnd;
  } cases[] = {
      {"1234-we",
       "en",
       {"Errors: ", "Missing Part I. Summary Project Information",
        "Incorrect section sequence. No further validation done.", ""},
       "Validation completed\nErrors listed in file ",
       "\nNo warnings\n"},
      {"plans.doc/1234-wr",
       "ru",
       {"Ошибки: ", "Отсутствует часть I. Сводная Информация по Проекту",
        "Неправильная последовательность разделов. Проверка прервана.", ""},
       "Проверка завершена\nСписок ошибок в файле ",
       "\nПредупреждений нет\n"},
  };
  for (const auto& c : cases) {
    const ChosenDocument chosen(dir / (c.name + ".docx"), UnstructuredDocument());
    const bool json = c.language == "ru";
    const KvRun run = Run(json ? Strings{"--json", chosen.path} : Strings{chosen.path});
    EXPECT_EQ(run.status, 1) << run.err;
    const std::string copy = dir / (c.name + "-validated.docx");
    EXPECT_THAT(WithoutDates(BodyParagraphs(copy)),
                ElementsAreArray(Joined(Joined({kSummaryLine, ""}, c.summary), kUnstructuredText)));
    const std::string findings = chosen.path + ": error: " + c.summary[1] + "\n" + chosen.path +
                                 ": error: " + c.summary[2] + "\n";
    EXPECT_EQ(run.err, kBanner + ": " + c.boxStart + copy + c.boxEnd + (json ? "" : findings));
    if (json) {
      const auto report = Json::parse(run.out);
      EXPECT_EQ(report["file"], chosen.path);
      EXPECT_EQ(report["validated_copy"], copy);
      EXPECT_EQ(report["language"], c.language);
      EXPECT_EQ(report["project_number"], "1234");
      EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << "one object on one line";
    }
    // Proofing is off over the whole document, its own text included.
    EXPECT_THAT(ZipEntry(copy, "word/document.xml"),
                HasSubstr("<w:noProof/></w:rPr><w:t xml:space=\"preserve\">Second paragraph."));
    chosen.ExpectUnchanged();
  }
}

TEST_F(DriverEndToEnd, UnexpectedFailureEndsAbnormallyAndLeavesNoCopy) {
  const ChosenDocument chosen(dir / "1234-we.docx", UnstructuredDocument());
  for (const std::string phase : {"choose", "structure", "summary"}) {
    SCOPED_TRACE(phase);
    const KvRun run = Run({"--json", chosen.path}, {"KV_TEST_FAIL_AT=" + phase});
    const std::string reason = "failure provoked at " + phase;
    // Also before the catalogue holds its texts, the box explains itself; the reason
    // follows it.
    EXPECT_EQ(run.err, "DO Ruvaveruz 1.2.4: Unknown Error\nFile cannot be processed\nkv: " +
                           chosen.path + ": " + reason + "\n");
    const Strings log = Log();
    EXPECT_EQ(Strings(log.end() - 2, log.end()), Strings({"Failure: " + reason, kAbnormal}));
    EXPECT_EQ(run.status, 2);
    const auto report = Json::parse(run.out);
    EXPECT_EQ(report["outcome"], "abnormal_termination");
    EXPECT_EQ(report["reason"], reason);
    EXPECT_TRUE(report["validated_copy"].is_null());
    chosen.ExpectUnchanged();
    if (phase == "choose") {
      EXPECT_EQ(Log().size(), 4u);
    }
    EXPECT_EQ(Entries(dir.path()), Strings({"1234-we.docx", "kv.log"}));
  }
}

// A folder where the log should be, or a working folder that is gone.
TEST_F(DriverEndToEnd, LogThatCannotBeCreatedStopsTheRun) {
  const ChosenDocument chosen(dir / "1234-we.docx", UnstructuredDocument());
  fs::create_directory(dir / "gone");
  for (const auto& [folder, before, reason] :
       {std::tuple(dir.path().string(), "mkdir kv.log",
                   "cannot create the run log " + (dir / "kv.log") + ": Is a directory"),
        std::tuple(dir / "gone", "rmdir \"$PWD\"",
                   std::string("cannot create the run log kv.log: No such file or directory"))}) {
    const KvRun run =
        RunKv({.workingFolder = folder, .arguments = {"--json", chosen.path}, .before = before});
    ExpectEmptyReport(run, chosen.path, "abnormal_termination", reason);
    EXPECT_EQ(run.err, "kv: " + reason + "\n");
    EXPECT_FALSE(fs::exists(dir / "1234-we-validated.docx"));
    chosen.ExpectUnchanged();
  }
}

TEST_F(DriverEndToEnd, CommandLineMistakesExitWith64AndVersionAndHelpWith0) {
  const ChosenDocument chosen(dir / "1234-we.docx", UnstructuredDocument());
  for (const Strings& arguments : {Strings{"--bogus", chosen.path},
                                   {"--pdg", "maybe", chosen.path},
                                   {"--pdg"},
                                   {"--jobs", "0", chosen.path}}) {
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

// The log lines of the checks across tables and of the funding norms, when all pass.
const Strings kCrossChecks = {"Other direct costs: checking inter-table consistency...",
                              "Equipment and materials: checking inter-table consistency...",
                              "Grants: checking inter-table consistency...",
                              "Funds: checking inter-table consistency...",
                              "Man-days: checking inter-table consistency...",
                              "Inter-table consistency validated",
                              "Checking financial norms...",
                              "Funding norms validated"};

TEST_F(DriverEndToEnd, CleanPlanLeavesNoCopyAndExits0) {
  for (const auto& [russian, participants] :
       {std::pair{false, 2}, {true, 2}, {false, 0}, {false, 17}, {true, 17}}) {
    const WorkPlan plan{.russian = russian, .participants = participants};
    const ChosenDocument chosen(dir / (russian ? "1234-wr.docx" : "1234-we.docx"),
                                BuildWorkPlan(plan));
    const KvRun run = Run({"--json", chosen.path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, russian
                           ? "DO Ruvaveruz 1.2.4: Проверка завершена\nОшибок не обнаружено\n"
                             "Предупреждений нет\n"
                           : "DO Ruvaveruz 1.2.4: Validation completed\nNo errors\nNo warnings\n");
    EXPECT_THAT(
        Log(), ElementsAreArray(Joined(
                   {kBanner, kStart, "File: " + chosen.path, "Initializing constants...",
                    "Initializing data...", "Validating tech schedule...",
                    "Technical schedule parsed.", "Validating personnel commitments...",
                    "Personnel commitments parsed.", "Validating section: 9. Financial Information",
                    "Financial tables parsed.", "Validating procurement tables...",
                    "Procurement tables parsed.", "Validating ODC tables...", "ODC tables parsed."},
                   Joined(kCrossChecks, {kCompleted}))));
    EXPECT_TRUE(Json::parse(run.out)["info"].empty());
    EXPECT_TRUE(Json::parse(run.out)["validated_copy"].is_null());
    chosen.ExpectUnchanged();
    fs::remove(chosen.path);
    EXPECT_EQ(fs::directory_iterator(dir.path())->path().filename(), "kv.log") << "no copy";
  }
}

// A schedule that disagrees with the personnel, no bank fees for participant 2 and too much
// overhead for the leading institution: an error, a warning and, with the error, the
// information.
TEST_F(DriverEndToEnd, CrossCheckAndNormFindings) {
  WorkPlan plan;
  plan.schedule = {{{}, std::vector<double>(plan.Quarters(), 1)}};
  plan.expenses = {{{26, 700}}, {}, {{14, -100}}};
  const ChosenDocument chosen(dir / "1234-we.docx", BuildWorkPlan(plan));
  const KvRun run = Run({"--json", chosen.path});
  EXPECT_EQ(run.status, 1) << run.err;
  const auto report = Json::parse(run.out);
  EXPECT_EQ(report["errors"], Json({"Total man-days in Personnel Commitments different from the "
                                    "total in Technical Schedule"}));
  EXPECT_EQ(report["warnings"], Json({"No bank fees: Participant Institution 2"}));
  EXPECT_EQ(report["info"], Json({"Overhead value for Leading Institution exceeds 10%"}));
  const auto log = Log();
  EXPECT_THAT(Strings(std::find(log.begin(), log.end(), kCrossChecks[4]), log.end()),
              ElementsAre(kCrossChecks[4], "Inter-table consistency validation failed",
                          kCrossChecks[6], "Funding norms validation failed", "1 errors found",
                          "1 warnings", "1 info messages", kCompleted));
  chosen.ExpectUnchanged();
}

// The 17th participant is checked as the first: its daily rates, its cost tables, its
// bank fees.
TEST_F(DriverEndToEnd, SeventeenthParticipantIsCheckedAsTheFirst) {
  WorkPlan plan{.participants = 17};
  plan.personnel.assign(18, DefaultStaff(false, plan.Years()));
  plan.personnel[17].categories[1][0].rate = 40;
  plan.expenses.resize(18);
  plan.expenses[17] = {{14, -100}};
  auto doc = BuildWorkPlan(plan);
  auto& purchases = doc.TableOf("HeadingII101");  // Table 2-1: participant 17's block last
  const int subtotal = static_cast<int>(purchases.size()) - 1;
  purchases[subtotal - 1][1] = "1";
  const ChosenDocument chosen(dir / "1234-we.docx", doc);
  const KvRun run = Run({"--json", chosen.path});
  EXPECT_EQ(run.status, 1) << run.err;
  const auto report = Json::parse(run.out);
  const std::string cells =
      " (" + std::to_string(subtotal) + ",2) (" + std::to_string(subtotal + 1) + ",2)";
  EXPECT_EQ(report["errors"],
            Json({"Table contains errors: TABLE 2-1", "Incorrect values in cells" + cells}));
  EXPECT_EQ(report["warnings"],
            Json({"8. Personnel Commitments, Participant Institution 17, Category II: Daily rate "
                  "greater than $35 in cell (2,5)",
                  "No bank fees: Participant Institution 17"}));
  EXPECT_TRUE(report["info"].empty());
  const int personnel = doc.TableNumber("HeadingII81") + 4 * 17 + 1;
  const int table21 = doc.TableNumber("HeadingII101");
  Json marked = Json::array();
  for (const auto& [table, row, column, colour] : {std::tuple{personnel, 2, 5, "yellow"},
                                                   {table21, subtotal, 2, "green"},
                                                   {table21, subtotal + 1, 2, "green"}}) {
    marked.push_back({{"table", table}, {"row", row}, {"column", column}, {"colour", colour}});
  }
  EXPECT_EQ(report["marked_cells"], marked);
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, WarningsOnlyAreTypedWithoutInformationAndBoxSaysNoErrors) {
  WorkPlan plan;
  plan.months = 5;
  const ChosenDocument chosen(dir / "1234-we.docx", BuildWorkPlan(plan));
  const KvRun run = Run({chosen.path});
  EXPECT_EQ(run.status, 1) << run.err;
  const std::string copy = dir / "1234-we-validated.docx";
  // The findings follow the closing box, the way compilers report them, without colour
  // where standard error is not a terminal.
  EXPECT_EQ(run.err,
            "DO Ruvaveruz 1.2.4: Validation completed\nNo errors\nWarnings listed in file " + copy +
                "\n" + chosen.path + ": warning: Project duration below 6 months\n");
  EXPECT_THAT(WithoutDates(BodyParagraphs(copy)),
              ElementsAreArray(
                  Joined({kSummaryLine, "", "Warnings:", "Project duration below 6 months", ""},
                         BodyParagraphs(chosen.path))));
  EXPECT_THAT(Log(), Contains("1 warnings"));
  chosen.ExpectUnchanged();
}

// Findings of the schedule and of the financial tables, in the order of the phases.
TEST_F(DriverEndToEnd, MarkedCellsAreReportedAsShadedInTheCopy) {
  auto plan = PlanWithCostMistakes();
  plan.Cell("HeadingII7", 5, 2) = "abc";      // days of the first task's person-days row
  plan.Cell("HeadingII9", 13, 6, 2) = "n/a";  // participant 1's materials in year 1
  const ChosenDocument chosen(dir / "1234-we.docx", plan);
  const KvRun run = Run({"--json", chosen.path});
  EXPECT_EQ(run.status, 1) << run.err;
  const auto report = Json::parse(run.out);
  const Strings errors = {
      "Table contains errors: 7. Technical Schedule",
      "Unrecognizable or misplaced text in cells (5,2)",
      "Incorrect values in cells (5,10) (11,2) (11,10)",
      "1+2 quarters greater than year 1 values: Participant Institution 1",
      " (13,4)",
      "Table contains errors: Estimated Aggregated Expenditures by Participant Institution 1",
      "Unrecognizable or misplaced text in cells (13,6)",
      "Incorrect values in cells (27,6) (13,10)",
      "Table contains errors: TABLE 2-1",
      "Unrecognizable or misplaced text in cells (8,4)",
      "Incorrect values in cells (9,2)",
      "Total expenses cannot be distributed over quarters indicated for item 1: TABLE 4-1"};
  EXPECT_EQ(report["errors"].get<Strings>(), errors);
  EXPECT_TRUE(report["warnings"].empty() && report["info"].empty());
  // The schedule is the fourth table of the plan.
  const int table12 = plan.TableNumber("HeadingII9") + 2;
  const int table21 = plan.TableNumber("HeadingII101"), table41 = plan.TableNumber("HeadingII104");
  Json marked = Json::array();
  const std::string copy = dir / "1234-we-validated.docx";
  for (const auto& [table, row, column, colour] : {std::tuple{4, 5, 2, "red"},
                                                   {4, 5, 10, "green"},
                                                   {4, 11, 2, "green"},
                                                   {4, 11, 10, "green"},
                                                   {table12, 13, 6, "red"},
                                                   {table12, 27, 6, "green"},
                                                   {table12, 13, 4, "green"},
                                                   {table12, 13, 10, "green"},
                                                   {table21, 8, 4, "red"},
                                                   {table21, 9, 2, "green"},
                                                   {table41, 7, 4, "green"}}) {
    marked.push_back({{"table", table}, {"row", row}, {"column", column}, {"colour", colour}});
    EXPECT_EQ(CellFill(copy, table, row, column), colour == "red"s ? "FF0000" : "008000");
  }
  EXPECT_EQ(report["marked_cells"], marked);
  const auto typed = WithoutDates(BodyParagraphs(copy));
  const Strings summary = Joined(Joined({kSummaryLine, "", "Errors: "}, errors), {""});
  ASSERT_GE(typed.size(), summary.size());
  EXPECT_EQ(Strings(typed.begin(), typed.begin() + summary.size()), summary);
  const auto log = Log();
  EXPECT_THAT(
      Strings(std::find(log.begin(), log.end(), "Financial tables contain errors.") - 1, log.end()),
      ElementsAreArray(Joined(
          {"Validating section: 9. Financial Information", "Financial tables contain errors.",
           "Validating procurement tables...", "Procurement tables contain errors.",
           "Validating ODC tables...", "ODC tables parsed."},
          Joined(kCrossChecks, {"12 errors found", kCompleted}))));
  chosen.ExpectUnchanged();
}

// The bundled samples: the clean ones give nothing and leave no copy; the one with
// mistakes types each of them at the top of its copy, shades its cells and logs each
// phase's outcome.
TEST_F(DriverEndToEnd, SamplesShowBothOutcomes) {
  const std::string examples = KV_SOURCE_DIR "/examples/";
  for (const char* clean : {"1234-we.docx", "1234-wr.docx"}) {
    const ChosenDocument chosen(dir / clean, ReadFileBytes(examples + clean));
    EXPECT_EQ(Run({chosen.path}).status, 0) << clean;
    EXPECT_FALSE(fs::exists(dir / (fs::path(clean).stem().string() + "-validated.docx")));
    chosen.ExpectUnchanged();
  }
  const ChosenDocument chosen(dir / "1235-we.docx", ReadFileBytes(examples + "1235-we.docx"));
  const KvRun run = Run({"--json", chosen.path});
  EXPECT_EQ(run.status, 1) << run.err;
  const std::string copy = dir / "1235-we-validated.docx";
  const auto typed = WithoutDates(BodyParagraphs(copy));
  EXPECT_EQ(
      Strings(typed.begin(), typed.begin() + 17),
      (Strings{"DO Ruvaveruz 1.2.4 - Project 1235 validated on <date>", "",
               "Errors: ", "Table contains errors: 7. Technical Schedule",
               "Incorrect values in cells (5,10) (10,10) (11,2) (11,10)",
               "Table contains errors: TABLE 2-1",
               "Unrecognizable or misplaced text in cells (8,4)", "Incorrect values in cells (9,2)",
               "", "Warnings:",
               "Technical Schedule: the number of days must be integer or half-integer in cell "
               "(10,2)",
               "8. Personnel Commitments, Participant Institution 1, Category II: Daily rate "
               "greater than $35 in cell (3,5)",
               "Total overhead value exceeds 10%", "",
               "Information:", "Overhead value for Leading Institution exceeds 10%", ""}));
  Json marked = Json::array();
  for (const auto& [table, row, column, colour] : {std::tuple{4, 5, 10, "green"},
                                                   {4, 10, 2, "yellow"},
                                                   {4, 10, 10, "green"},
                                                   {4, 11, 2, "green"},
                                                   {4, 11, 10, "green"},
                                                   {10, 3, 5, "yellow"},
                                                   {21, 8, 4, "red"},
                                                   {21, 9, 2, "green"}}) {
    marked.push_back({{"table", table}, {"row", row}, {"column", column}, {"colour", colour}});
    const std::map<std::string, std::string> fills = {
        {"red", "FF0000"}, {"green", "008000"}, {"yellow", "FFFF00"}};
    EXPECT_EQ(CellFill(copy, table, row, column), fills.at(colour));
  }
  EXPECT_EQ(Json::parse(run.out)["marked_cells"], marked);
  const auto log = Log();
  EXPECT_THAT(
      Strings(std::find(log.begin(), log.end(), "Validating tech schedule..."), log.end()),
      ElementsAreArray(Joined(
          {"Validating tech schedule...", "Technical schedule contains errors.",
           "Validating personnel commitments...", "Personnel commitments parsed.",
           "Validating section: 9. Financial Information", "Financial tables parsed.",
           "Validating procurement tables...", "Procurement tables contain errors.",
           "Validating ODC tables...", "ODC tables parsed."},
          {kCrossChecks[0], kCrossChecks[1], kCrossChecks[2], kCrossChecks[3], kCrossChecks[4],
           kCrossChecks[5], kCrossChecks[6], "Funding norms validation failed", "5 errors found",
           "3 warnings", "1 info messages", kCompleted})));
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
            "Unrecognizable or misplaced text in cells (2,4)",
            // The tables that failed record no grants.
            "Category II grants for Leading Institution in Table 1-1 differ from the value in "
            "Personnel Commitments",
            "Category IV grants for Participant Institution 2 in Table 1-3 differ from the value "
            "in Personnel Commitments"}));
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
                  "Validating procurement tables...", "Procurement tables parsed.",
                  "Validating ODC tables...", "ODC tables parsed.", kCrossChecks[0],
                  kCrossChecks[1], kCrossChecks[2], kCrossChecks[3], kCrossChecks[4],
                  "Inter-table consistency validation failed", kCrossChecks[6], kCrossChecks[7],
                  "7 errors found", "1 warnings", "1 info messages", kCompleted));
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

TEST_F(DriverEndToEnd, LinksAndFifosAtTheCopyOrTheLogAreReplacedNeverWrittenThrough) {
  const std::string copy = dir / "1234-we-validated.docx", log = dir / "kv.log";
  const ChosenDocument other(dir / "other.txt", std::string("another file"));
  const std::pair<std::string, std::function<void(const std::string&)>> cases[] = {
      {"symbolic link as the copy", [&](auto& chosen) { fs::create_symlink(chosen, copy); }},
      {"hard link as the copy", [&](auto& chosen) { fs::create_hard_link(chosen, copy); }},
      {"link to another file as the copy", [&](auto&) { fs::create_hard_link(other.path, copy); }},
      {"symbolic link as kv.log", [&](auto& chosen) { fs::create_symlink(chosen, log); }},
      {"hard link as kv.log", [&](auto& chosen) { fs::create_hard_link(chosen, log); }},
      {"FIFO as kv.log", [&](auto&) { mkfifo(log.c_str(), 0644); }},
  };
  for (const auto& [name, putInTheWay] : cases) {
    SCOPED_TRACE(name);
    const ChosenDocument chosen(dir / "1234-we.docx", UnstructuredDocument());
    putInTheWay(chosen.path);
    const KvRun run = Run({"--json", chosen.path});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(Json::parse(run.out)["validated_copy"], copy);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(copy)) && fs::hard_link_count(copy) == 1);
    EXPECT_EQ(Log().back(), kCompleted);
    EXPECT_EQ(fs::hard_link_count(chosen.path), 1u);
    chosen.ExpectUnchanged();
    other.ExpectUnchanged();
    EXPECT_EQ(Entries(dir.path()),
              Strings({"1234-we-validated.docx", "1234-we.docx", "kv.log", "other.txt"}));
    fs::remove(copy);
    fs::remove(log);
  }
}

TEST_F(DriverEndToEnd, ACopyThatCannotBeWrittenEndsTheRunWithItsReasonAndLeavesNoPart) {
  // The read-only folder and the full disk are small file systems of their own when the
  // test may mount one (as root, to whom a folder's permissions are no obstacle);
  // otherwise the read-only folder is a folder without write permission and the full
  // disk is skipped.
  const bool root = geteuid() == 0;
  const struct {
    std::string name, error;
    Strings left;  // in the document's folder after the run
  } cases[] = {
      {"folder in the way", "Is a directory", {"1234-we-validated.docx", "1234-we.docx"}},
      {"read-only folder", root ? "Read-only file system" : "Permission denied", {"1234-we.docx"}},
      {"full disk", "No space left on device", {"1234-we.docx", "fill", "kv.log"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string folder = dir / c.name;
    fs::create_directory(folder);
    const bool full = c.name == "full disk", readOnly = c.name == "read-only folder";
    const bool mounted = root && (full || readOnly);
    if (mounted &&
        std::system(("mount -t tmpfs -o size=64k tmpfs '" + folder + "' 2>/dev/null").c_str()) != 0)
      continue;
    if (full && !mounted) continue;
    const ChosenDocument chosen(folder + "/1234-we.docx", UnstructuredDocument());
    if (full) std::system(("dd if=/dev/zero of='" + folder + "/fill' 2>/dev/null").c_str());
    if (c.name == "folder in the way") fs::create_directory(folder + "/1234-we-validated.docx");
    if (readOnly && mounted) std::system(("mount -o remount,ro '" + folder + "'").c_str());
    if (readOnly && !mounted) chmod(folder.c_str(), 0555);

    const KvRun run = RunKv({.workingFolder = full ? folder : dir.path().string(),
                             .arguments = {"--json", chosen.path}});
    const std::string reason = "cannot write " + folder + "/1234-we-validated.docx: " + c.error;
    ExpectEmptyReport(run, chosen.path, "abnormal_termination", reason);
    EXPECT_THAT(run.err,
                EndsWith("File cannot be processed\nkv: " + chosen.path + ": " + reason + "\n"));
    chosen.ExpectUnchanged();
    EXPECT_EQ(Entries(folder), c.left);
    if (full) {
      EXPECT_THAT(run.err, ::testing::StartsWith("kv: cannot write the run log kv.log: " + c.error +
                                                 "\nDO Ruvaveruz"));
    } else {
      const Strings log = Log();
      EXPECT_EQ(Strings(log.end() - 2, log.end()), Strings({"Failure: " + reason, kAbnormal}));
    }
    if (mounted) std::system(("umount '" + folder + "'").c_str());
    chmod(folder.c_str(), 0755);
  }
}

// Only regular files are read, and a .doc only when it starts like a Word document. The
// error box, in the language of the name, is the last: nothing says the file was clean.
TEST_F(DriverEndToEnd, DocumentThatCannotBeOpenedShowsTheErrorBoxAloneAndSaysWhy) {
  const std::string kNotWord =
      "not a Word document (neither a Word binary file, RTF nor a .docx package)";
  DocxBuilder()
      .Paragraph("R&D")
      .Edit([](auto& xml) { xml.replace(xml.find("&amp;"), 5, "&"); })
      .Save(dir / "ampersand.docx");
  const std::string bareAmpersand = ReadFileBytes(dir / "ampersand.docx");
  fs::remove(dir / "ampersand.docx");
  const struct {
    std::string name, bytes, reason;  // a FIFO when bytes is "fifo"
  } cases[] = {
      {"1234-we.docx", "PK not a word document", "not a valid zip package: Not a zip archive"},
      {"1234-wr.docx", "PK not a word document", "not a valid zip package: Not a zip archive"},
      {"1234-we.docx", "", "the file is empty"},
      {"1234-we.docx", bareAmpersand,
       "malformed XML in word/document.xml: an \"&\" that starts no reference at line 2, column "
       "278"},
      {"1234-we.docx", "fifo", "not a regular file but a FIFO"},
      {"1234-we.doc", "fifo", "not a regular file but a FIFO"},
      {"1234-we.doc", "", "the file is empty"},
      {"1234-we.doc", "Plain text that LibreOffice would import.\n", kNotWord},
      {"1234-we.doc", "\x89PNG\r\n\x1A\n\x93\xE1 random bytes", kNotWord},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    const std::string path = dir / c.name;
    if (c.bytes == "fifo") mkfifo(path.c_str(), 0644);
    std::optional<ChosenDocument> chosen;
    if (c.bytes != "fifo") chosen.emplace(path, c.bytes);
    const KvRun run = Run({"--json", path});
    ExpectEmptyReport(run, path, "cannot_open", c.reason);
    const bool russian = c.name == "1234-wr.docx";
    EXPECT_EQ(run.err, kBanner +
                           (russian ? ": Ошибка\nНевозможно открыть файл\n"
                                    : ": Error\nFile cannot be opened\n") +
                           "kv: " + path + ": " + c.reason + "\n");
    EXPECT_THAT(Log(), ElementsAre(kBanner, kStart, "File: " + path, "Initializing constants...",
                                   "Initializing data...", "File cannot be opened: " + c.reason,
                                   kCompleted));
    EXPECT_EQ(Entries(dir.path()), Strings({c.name, "kv.log"})) << "no copy";
    if (chosen) chosen->ExpectUnchanged();
    fs::remove(path);
  }
}

TEST_F(DriverEndToEnd, AReportThatCannotBeWrittenEndsWithStatus2) {
  const ChosenDocument chosen(dir / "1234-we.docx", UnstructuredDocument());
  for (const std::string output : {">/dev/full", ">&-"}) {
    const KvRun run = RunKv({.workingFolder = dir.path().string(),
                             .arguments = {"--json", chosen.path},
                             .output = output});
    EXPECT_EQ(run.status, 2) << output;
    EXPECT_THAT(run.err, EndsWith("kv: cannot write the JSON report on standard output\n"));
    EXPECT_EQ(Log().back(), kCompleted) << "nothing else went to standard output's place";
  }
  chosen.ExpectUnchanged();
}

TEST_F(DriverEndToEnd, TwoRunsAtOnceInOneFolderNeverMixTheirLogLines) {
  const ChosenDocument first(dir / "1234-we.docx", UnstructuredDocument()),
      second(dir / "1235-we.docx", UnstructuredDocument());
  StartedKv one({.workingFolder = dir.path().string(), .arguments = {first.path}}),
      two({.workingFolder = dir.path().string(), .arguments = {second.path}});
  EXPECT_EQ(one.Finish().status + two.Finish().status, 2);
  const Strings log = Log();
  ASSERT_FALSE(log.empty());
  const std::string file = log[2] == "File: " + first.path ? first.path : second.path;
  EXPECT_EQ(log, Strings({kBanner, kStart, "File: " + file, "Initializing constants...",
                          "Initializing data...", "Incorrect document structure", "2 errors found",
                          kCompleted}));
  first.ExpectUnchanged();
  second.ExpectUnchanged();
}

// Every document its own run in the order given, a folder's plans in name order without
// -validated copies, a document named twice run once, one kv.log; the same with two jobs,
// and with --quiet nothing on standard error. Nothing is left in the temporary folder.
TEST_F(DriverEndToEnd, BatchRunsEachDocumentOnceAndLogsTheRunsInOrderWhateverTheJobs) {
  const ChosenDocument clean(dir / "1234-we.docx", BuildWorkPlan()),
      findings(dir / "plans/1234-we.docx", PlanWithPersonnelMistakes()),
      unreadable(dir / "plans/1235-we.docx", "PK not a word document"s),
      refused(dir / "plans/plan.docx", UnstructuredDocument());
  const TempDir temp;
  const Strings arguments = {clean.path, dir / "plans", "./1234-we.docx"};
  std::optional<KvRun> first;
  for (const Strings& options : {Strings{"--jobs", "1"}, {"--jobs", "2"}, {"--quiet"}}) {
    const KvRun run =
        Run(Joined(Joined({"--json"}, options), arguments), {"TMPDIR=" + temp.path().string()});
    EXPECT_EQ(run.status, 2) << run.err;
    Strings outcomes, runs;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
      const auto report = Json::parse(line);
      outcomes.push_back(report["file"].get<std::string>() + " " +
                         report["outcome"].get<std::string>() + " " +
                         std::to_string(report["errors"].size()));
    }
    EXPECT_THAT(outcomes,
                ElementsAre(clean.path + " validated 0", findings.path + " validated 7",
                            unreadable.path + " cannot_open 0", refused.path + " refused_name 0"));
    for (const auto& line : Log()) {
      if (line == kBanner) runs.emplace_back();
      if (line.starts_with("File: ") || line == kCompleted) runs.back() += line;
    }
    EXPECT_THAT(
        runs,
        ElementsAre("File: " + clean.path + kCompleted, "File: " + findings.path + kCompleted,
                    "File: " + unreadable.path + kCompleted, "File: " + refused.path + kCompleted));
    if (!first) first = run;
    EXPECT_EQ(run.out, first->out);
    EXPECT_EQ(run.err.empty(), options.front() == "--quiet") << run.err;
  }
  EXPECT_TRUE(fs::is_empty(temp.path()));
  for (const auto* chosen : {&clean, &findings, &unreadable, &refused}) chosen->ExpectUnchanged();
}

}  // namespace
}  // namespace kv::testing
