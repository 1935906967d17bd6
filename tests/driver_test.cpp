// The run driver over a scripted word processor: the order of its operations on the
// document, its boxes and its log, also when something fails.
#include "main/driver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "support/fake_word.h"
#include "support/kv_runner.h"
#include "support/temp_dir.h"
#include "ui/scripted_frontend.h"

namespace kv::run {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::StartsWith;

constexpr char kBanner[] = "DO Ruvaveruz 1.2.4";

class DriverTest : public ::testing::Test {
 protected:
  DriverTest() : chosen(dir / "1234-we.docx"), frontend(chosen), ctx(log, frontend) {
    options.LogPath = dir / "kv.log";
    ctx.Document.CreateWordApp = [this] {
      auto word = std::make_unique<testing::FakeWord>(state);
      word->Line("A description without the headings of a work plan.");
      return word;
    };
  }

  RunResult RunMain() { return Main(ctx, options); }

  // The calls from the first one named `from` on, without the queries.
  std::vector<std::string> CallsFrom(const std::string& from) const {
    const auto& calls = state->calls;
    auto first = std::find(calls.begin(), calls.end(), from);
    std::vector<std::string> result;
    std::copy_if(first, calls.end(), std::back_inserter(result), [](const std::string& call) {
      return call != "HasActiveDocument" && call != "SplitSpecial";
    });
    return result;
  }

  std::vector<std::string> Log() const { return testing::LogLines(dir.path().string()); }

  testing::TempDir dir;
  std::string chosen;
  std::shared_ptr<testing::FakeWordState> state = std::make_shared<testing::FakeWordState>();
  report::RunLog log;
  ui::ScriptedFrontend frontend;
  validate::RunContext ctx;
  RunOptions options;
};

TEST_F(DriverTest, CopyIsSavedAtOnceWithProofingOffBeforeAnyCheck) {
  const RunResult result = RunMain();
  EXPECT_EQ(result.Outcome, RunOutcome::Validated);
  const std::string copy = dir / "1234-we-validated.docx";
  EXPECT_EQ(result.ValidatedPath, copy);
  std::vector<std::string> opening = CallsFrom("DocumentsOpen(" + chosen + ")");
  opening.resize(7);
  EXPECT_THAT(opening, ElementsAre("DocumentsOpen(" + chosen + ")", "SetActivePaneViewType(1)",
                                   "SetZoomPercentage(65)", "SetVisible(true)",
                                   "SaveAs(" + copy + ")", "WholeStory", "SetLanguageID(1024)"));
}

TEST_F(DriverTest, SummaryIsTypedAtTheTopThenSavedAndClosed) {
  const RunResult result = RunMain();
  const auto& messages = ctx.Messages;
  ASSERT_GT(messages.ErrorList.Count(), 0) << "the structure of the document is refused";

  std::vector<std::string> expected = {"SetZoomPercentage(100)", "Collapse(1)",  "HomeKey(6,0)",
                                       "TypeParagraph",          "HomeKey(6,0)", "SetStyle(-1)"};
  const auto calls = CallsFrom("SetZoomPercentage(100)");
  ASSERT_GT(calls.size(), 6u);
  EXPECT_THAT(calls[6],
              StartsWith(std::string("TypeText(") + kBanner + " - Project 1234 validated on "));
  expected.push_back(calls[6]);
  expected.push_back("TypeParagraph");
  auto block = [&](const std::string& heading, const report::msg_handler& list) {
    expected.insert(expected.end(),
                    {"TypeParagraph", "TypeText(" + heading + ")", "TypeParagraph"});
    for (std::int16_t k = 1; k <= list.Count(); ++k) {
      expected.push_back("TypeText(" + list.Message(k) + ")");
      expected.push_back("TypeParagraph");
    }
  };
  block("Errors: ", messages.ErrorList);
  if (messages.WarningList.Count() > 0) block("Warnings:", messages.WarningList);
  if (messages.InfoList.Count() > 0) block("Information:", messages.InfoList);
  expected.insert(expected.end(), {"Save", "SetVisible(false)", "CloseDocument", "Quit"});
  EXPECT_THAT(calls, ElementsAreArray(expected));

  EXPECT_TRUE(result.CopyKept);
  EXPECT_EQ(ExitStatus(result, ctx), 1);
  const auto logLines = Log();
  EXPECT_THAT(logLines, ::testing::Contains("Incorrect document structure"));
  EXPECT_THAT(logLines,
              ::testing::Contains(std::to_string(messages.ErrorList.Count()) + " errors found"));
}

TEST_F(DriverTest, UnexpectedFailureStopsWhereItHappens) {
  for (const std::string failing : {"SaveAs", "TypeText", "Save", "CloseDocument"}) {
    state = std::make_shared<testing::FakeWordState>();
    state->failing = {failing};
    report::RunLog runLog;
    ui::ScriptedFrontend boxes(chosen);
    validate::RunContext run(runLog, boxes);
    run.Document.CreateWordApp = ctx.Document.CreateWordApp;
    const RunResult result = Main(run, options);

    EXPECT_EQ(result.Outcome, RunOutcome::AbnormalTermination) << failing;
    EXPECT_EQ(ExitStatus(result, run), 2);
    ASSERT_EQ(boxes.Boxes().size(), 1u) << failing;
    EXPECT_EQ(boxes.Boxes()[0].text, "Unknown Error\nFile cannot be processed");
    EXPECT_EQ(boxes.Boxes()[0].title, kBanner);
    EXPECT_EQ(boxes.Boxes()[0].icon, ui::Icon::Stop);
    EXPECT_THAT(Log().back(), StartsWith("Abnormal termination: "));
    // Nothing after the failure: the copy is neither saved again nor closed.
    const std::string& last = state->calls.back();
    EXPECT_EQ(last.substr(0, last.find('(')), failing);
    EXPECT_FALSE(runLog.IsOpen());
  }
}

TEST_F(DriverTest, ResetZeroesTheFiguresAndLogs) {
  ASSERT_TRUE(log.OpenLog(dir / "kv.log"));
  ctx.ParticipantCount = 3;
  ctx.ParseResults[1] = ctx.ParseResults[5] = true;
  ctx.ScheduleTotalDays = 120.5;
  ResetValidationState(ctx);
  log.CloseLog();
  EXPECT_EQ(ctx.ParticipantCount, 0);
  EXPECT_EQ(ctx.ParseResults, (std::array<bool, 11>{}));
  EXPECT_EQ(ctx.ScheduleTotalDays, 0);
  EXPECT_THAT(Log(), ElementsAre("Initializing data..."));
}

}  // namespace
}  // namespace kv::run
