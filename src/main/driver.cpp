#include "main/driver.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <stdexcept>
#include <string_view>

#include "convert/doc_application.h"
#include "docx/safe_file.h"
#include "report/run_log.h"
#include "validate/consistency.h"
#include "validate/file_name.h"
#include "validate/financial.h"
#include "validate/norms.h"
#include "validate/odc.h"
#include "validate/personnel.h"
#include "validate/procurement.h"
#include "validate/schedule.h"
#include "validate/structure.h"
#include "word/document_access.h"
#include "word/text_rules.h"

namespace kv::run {
namespace {

using validate::RunContext;

constexpr int kErrorLimit = 50;  // from this many errors on, nothing more is checked
constexpr int kDurationAboveLimit = 30000;
constexpr int kDurationBelow = 30001;

word::WordApplication& WordApp(RunContext& ctx) {
  return *ctx.Document.WordApp;
}

void LogWithDate(RunContext& ctx, const std::string& text) {
  ctx.WriteLog(text + report::CurrentDateTime());
}

int StopSignal(const RunOptions& options) {
  return options.StopSignal ? options.StopSignal() : 0;
}

// Between two phases: a signal that asked the run to stop ends it here. An end-to-end
// test may also ask for an unexpected failure at a named phase through KV_TEST_FAIL_AT;
// builds without the test hooks ignore it.
void Checkpoint(const RunOptions& options, [[maybe_unused]] std::string_view phase) {
  if (StopSignal(options) != 0) throw std::runtime_error("interrupted");
#ifdef KV_TEST_HOOKS
  const char* failAt = std::getenv("KV_TEST_FAIL_AT");
  if (failAt != nullptr && phase == failAt)
    throw std::runtime_error("failure provoked at " + std::string(phase));
#endif
}

void AnnounceConversion(const RunOptions& options, const std::string& path) {
  if (options.Notice && word::IsDocPath(path))
    options.Notice("Converting " + path + " with LibreOffice");
}

void InitialiseRun(RunContext& ctx) {
  ctx.Messages.InitMessageLists(ctx.DocLanguage);
  text::InitDialogTexts(ctx.DialogTexts);
  text::InitTextCatalogue(ctx.TextCatalogue, ctx.DocLanguage, ctx.RunLog);
  ResetValidationState(ctx);
}

// The copy the run works on: a private file beside the validated copy, under a short name
// of this process, so that a run that fails or is interrupted leaves whatever stood at the
// validated copy's name. It takes that name only when the run ends with findings.
class WorkingCopy {
 public:
  explicit WorkingCopy(const std::string& validatedPath) : target_(validatedPath) {
    std::error_code ignored;
    if (std::filesystem::is_directory(std::filesystem::symlink_status(target_, ignored)))
      Fail(std::strerror(EISDIR));  // said before the checks, which could not be kept
    int fd = -1;
    path_ = word::CreateTemporaryIn(Folder(), std::filesystem::path(target_).extension(), fd);
    if (fd >= 0 && close(fd) == 0) return;
    const std::string reason = std::strerror(errno);
    if (fd >= 0) unlink(path_.c_str());
    path_.clear();
    Fail(reason);
  }
  ~WorkingCopy() {
    if (!path_.empty()) unlink(path_.c_str());
  }
  WorkingCopy(const WorkingCopy&) = delete;
  WorkingCopy& operator=(const WorkingCopy&) = delete;

  const std::string& path() const { return path_; }

  // The validated copy's folder, where the working copies of runs that were killed are
  // removed.
  std::string Folder() const {
    const std::filesystem::path target(target_);
    return target.has_parent_path() ? target.parent_path().string() : ".";
  }

  // A failure to write the working copy is told under the name the user knows.
  template <typename Writer>
  void Write(Writer write) const {
    try {
      write();
    } catch (const std::exception& failure) {
      std::string reason = failure.what();
      for (auto at = reason.find(path_); at != std::string::npos;
           at = reason.find(path_, at + target_.size()))
        reason.replace(at, path_.size(), target_);
      throw std::runtime_error(reason);
    }
  }

  // The copy starts as the chosen file's bytes, which takes no saving of the document: what
  // the run changes is saved over them only when there are findings.
  void StartFrom(const std::string& chosenPath) const {
    Write([&] { word::ReplaceFile(path_, word::ReadRegularFile(chosenPath, UINT64_MAX)); });
  }

  // The complete copy replaces whatever stands at the validated copy's name.
  void PutInPlace() {
    if (rename(path_.c_str(), target_.c_str()) != 0) Fail(std::strerror(errno));
    path_.clear();
  }

 private:
  [[noreturn]] void Fail(const std::string& reason) const {
    throw std::runtime_error("cannot write " + target_ + ": " + reason);
  }

  std::string target_;
  std::string path_;
};

// The text of the line after the current one; nothing at the end of the story.
std::optional<std::string> NextLine(RunContext& ctx) {
  auto& app = WordApp(ctx);
  app.Collapse(word::wdCollapseStart);
  const long start = app.Start();
  app.GoToNext(word::wdGoToLine);
  if (app.Start() == start) return std::nullopt;
  return word::CurrentLineText(ctx.Document);
}

// A validated copy saved under its plan's name starts with the summary kv typed: the
// summary line, then blocks of an empty line, a heading and its messages, and an empty
// line. It is deleted, so the checks do not read it and the new summary takes its place.
void RemoveEarlierSummary(RunContext& ctx) {
  auto& app = WordApp(ctx);
  app.HomeKey(word::wdStory);
  const std::string title = word::CurrentLineText(ctx.Document);
  if (!title.starts_with(std::string(Banner) + " - Project ") ||
      title.find(" validated on ") == std::string::npos)
    return;
  const auto& texts = ctx.TextCatalogue;
  const std::set<std::string> headings = {word::NormalizeText(texts.SummaryErrorsHeading),
                                          word::NormalizeText(texts.SummaryWarningsHeading),
                                          word::NormalizeText(texts.SummaryInfoHeading)};
  if (NextLine(ctx) != "") return;
  std::optional<std::string> line = NextLine(ctx);
  if (!line || !headings.contains(*line)) return;
  while (line && headings.contains(*line)) {
    while ((line = NextLine(ctx)) && !line->empty()) {
    }
    if (line) line = NextLine(ctx);
  }
  if (!line) return;  // nothing but a summary: left as it is
  app.Collapse(word::wdCollapseStart);
  app.HomeKey(word::wdStory, word::wdExtend);
  app.DeleteParagraphs();
}

// The document on screen at 65 percent, the copy begun, proofing off.
void PrepareCopy(RunContext& ctx, const WorkingCopy& copy, const std::string& chosenPath) {
  word::SetNormalView(ctx.Document);
  WordApp(ctx).SetZoomPercentage(65);
  WordApp(ctx).SetVisible(true);
  copy.StartFrom(chosenPath);
  WordApp(ctx).WholeStory();
  WordApp(ctx).SetLanguageID(word::wdNoProofing);
}

// The first duration rule that applies is recorded and ends the validation.
bool ProjectDurationAccepted(RunContext& ctx) {
  if (ctx.ProjectDurationMonths > 60) {
    ctx.Messages.ReportCode(kDurationAboveLimit);
    return false;
  }
  if (ctx.ProjectType == "2" && ctx.ProjectDurationMonths < 3) {
    ctx.Messages.ReportCodeWithText(kDurationBelow, "3");
    return false;
  }
  if (!ctx.SpecialSeries && ctx.ProjectDurationMonths < 6) {
    ctx.Messages.ReportCodeWithText(kDurationBelow, "6");
    return false;
  }
  return true;
}

bool BelowErrorLimit(const RunContext& ctx) {
  return ctx.Messages.ErrorList.Count() < kErrorLimit;
}

struct TableParser {
  int parseResultsIndex;
  bool (*parse)(RunContext&);
};

// The table parsers in document order.
constexpr TableParser kTableParsers[] = {
    {1, validate::ParseTechnicalSchedule}, {2, validate::ParsePersonnelCommitments},
    {3, validate::ParseFinancialTables},   {4, validate::ParseProcurementTables},
    {5, validate::ParseOdcTables},
};

// Runs the parsers while fewer than 50 errors are listed; true when the limit was
// never reached.
bool RunTableParsers(RunContext& ctx, const RunOptions& options) {
  for (const auto& parser : kTableParsers) {
    Checkpoint(options, "parsers");
    ctx.ParseResults[parser.parseResultsIndex] = parser.parse(ctx);
    if (!BelowErrorLimit(ctx)) return false;
  }
  return true;
}

void ValidateDocument(RunContext& ctx, const RunOptions& options) {
  Checkpoint(options, "structure");
  const bool structured = validate::StructureCheck(ctx);
  Checkpoint(options, "duration");
  if (!structured) {
    ctx.WriteLog("Incorrect document structure");
    return;
  }
  if (!ProjectDurationAccepted(ctx)) return;
  if (!RunTableParsers(ctx, options)) return;
  Checkpoint(options, "cross-checks");
  ctx.WriteLog(validate::InterTableConsistency(ctx) ? "Inter-table consistency validated"
                                                    : "Inter-table consistency validation failed");
  ctx.WriteLog(validate::FundingNorms(ctx) ? "Funding norms validated"
                                           : "Funding norms validation failed");
}

void TypeMessageBlock(RunContext& ctx, const std::string& heading,
                      const report::msg_handler& list) {
  auto& app = WordApp(ctx);
  app.TypeParagraph();
  app.TypeText(heading);
  app.TypeParagraph();
  for (std::int16_t k = 1; k <= list.Count(); ++k) {
    app.TypeText(list.Message(k));
    app.TypeParagraph();
  }
}

// The summary in new Normal paragraphs before the first paragraph of the document:
// the summary line, then errors, warnings and, only with errors, the info messages.
void TypeSummary(RunContext& ctx) {
  auto& app = WordApp(ctx);
  const auto& messages = ctx.Messages;
  app.Collapse();
  app.HomeKey(word::wdStory);
  app.TypeParagraph();
  app.HomeKey(word::wdStory);
  app.SetStyle(word::wdStyleNormal);
  app.TypeText(std::string(Banner) + " - Project " + ctx.ProjectNumber + " validated on " +
               report::CurrentDateTime());
  app.TypeParagraph();
  if (messages.ErrorList.Count() > 0) {
    ctx.WriteLog(std::to_string(messages.ErrorList.Count()) + " errors found");
    TypeMessageBlock(ctx, ctx.TextCatalogue.SummaryErrorsHeading, messages.ErrorList);
  }
  if (messages.WarningList.Count() > 0) {
    ctx.WriteLog(std::to_string(messages.WarningList.Count()) + " warnings");
    TypeMessageBlock(ctx, ctx.TextCatalogue.SummaryWarningsHeading, messages.WarningList);
  }
  if (messages.ErrorList.Count() >= 1 && messages.InfoList.Count() >= 1) {
    ctx.WriteLog(std::to_string(messages.InfoList.Count()) + " info messages");
    TypeMessageBlock(ctx, ctx.TextCatalogue.SummaryInfoHeading, messages.InfoList);
  }
}

bool HasFindings(const RunContext& ctx) {
  return ctx.Messages.ErrorList.Count() + ctx.Messages.WarningList.Count() > 0;
}

// Summary and save when there are findings, close, and no copy of a clean document: a
// copy of an earlier run goes too, it no longer tells the truth.
void FinishCopy(RunContext& ctx, RunResult& result, const RunOptions& options, WorkingCopy& copy) {
  WordApp(ctx).SetZoomPercentage(100);
  Checkpoint(options, "summary");
  if (HasFindings(ctx)) {
    TypeSummary(ctx);
    AnnounceConversion(options, result.ValidatedPath);
    copy.Write([&] { WordApp(ctx).SaveAs(copy.path()); });
  }
  if (options.BeforeClose) options.BeforeClose(ctx);
  WordApp(ctx).SetVisible(false);
  word::CloseDocumentSession(ctx.Document);
  Checkpoint(options, "copy");
  result.CopyKept = HasFindings(ctx);
  if (result.CopyKept) {
    copy.PutInPlace();
  } else {
    std::filesystem::remove(result.ValidatedPath);
  }
}

void ReportCannotOpen(RunContext& ctx, RunResult& result) {
  result.Outcome = RunOutcome::CannotOpen;
  const std::string reason = word::WithoutControlCharacters(ctx.Document.OpenFailure);
  result.Reason = reason.empty() ? "the file cannot be opened" : reason;
  ctx.WriteLog(reason.empty() ? "File cannot be opened" : "File cannot be opened: " + reason);
  ctx.Frontend.MessageBox(ctx.TextCatalogue.BoxErrorTitle + "\n" + ctx.TextCatalogue.BoxCannotOpen,
                          Banner, ui::Icon::Exclamation);
}

// Steps up to the closing box; the outcome is recorded in result.
void RunValidation(RunContext& ctx, RunResult& result, const RunOptions& options) {
  ctx.WriteLog(Banner);
  LogWithDate(ctx, "Validation start: ");
  result.SelectedPath = ctx.Frontend.ChooseOpenFile("", "", "MS Word document|*.doc;*.docx", "doc",
                                                    "Validate workplan");
  Checkpoint(options, "choose");
  if (result.SelectedPath.empty()) {
    result.Outcome = RunOutcome::NoFile;
    result.Reason = "no file selected";
    ctx.WriteLog("No file selected.");
    return;
  }
  ctx.WriteLog("File: " + result.SelectedPath);
  const bool nameAccepted = validate::CheckFileName(ctx, result.SelectedPath);
  Checkpoint(options, "name");
  if (!nameAccepted) {
    result.Outcome = RunOutcome::RefusedName;
    result.Reason = "incorrect file name";
    ctx.WriteLog("Incorrect file name");
    return;
  }
  result.ValidatedPath = validate::ValidatedPathFor(result.SelectedPath);
  InitialiseRun(ctx);
  AnnounceConversion(options, result.SelectedPath);
  const bool opened = word::OpenDocumentSession(ctx.Document, result.SelectedPath);
  Checkpoint(options, "open");
  if (!opened) {
    ReportCannotOpen(ctx, result);
    return;
  }
  RemoveEarlierSummary(ctx);
  WorkingCopy copy(result.ValidatedPath);
  word::RemoveLeftovers(copy.Folder(), ".kv");
  PrepareCopy(ctx, copy, result.SelectedPath);
  ValidateDocument(ctx, options);
  FinishCopy(ctx, result, options, copy);
  result.Outcome = RunOutcome::Validated;
}

std::string LineOrPath(const std::string& none, const std::string& listedIn, int count,
                       const std::string& path) {
  return count == 0 ? none : listedIn + path;
}

void ShowClosingBox(RunContext& ctx, const RunResult& result) {
  if (result.SelectedPath.empty()) {
    ctx.Frontend.MessageBox("No file selected\nValidation terminated", Banner, ui::Icon::None);
    return;
  }
  // A refused name, or a document that could not be opened, ends with its own box.
  if (result.ValidatedPath.empty() || result.Outcome == RunOutcome::CannotOpen) return;
  const auto& texts = ctx.TextCatalogue;
  const auto& messages = ctx.Messages;
  ctx.Frontend.MessageBox(texts.BoxValidationCompleted + "\n" +
                              LineOrPath(texts.BoxNoErrors, texts.BoxErrorsListedIn,
                                         messages.ErrorList.Count(), result.ValidatedPath) +
                              "\n" +
                              LineOrPath(texts.BoxNoWarnings, texts.BoxWarningsListedIn,
                                         messages.WarningList.Count(), result.ValidatedPath),
                          Banner, ui::Icon::None);
}

std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find('\n'));
}

// Before the catalogue holds its texts the box falls back to English rather than show
// nothing.
void ShowFailureBox(RunContext& ctx) {
  const auto& texts = ctx.TextCatalogue;
  const bool initialised = !texts.BoxUnknownError.empty();
  try {
    ctx.Frontend.MessageBox((initialised ? texts.BoxUnknownError : "Unknown Error") + "\n" +
                                (initialised ? texts.BoxCannotProcess : "File cannot be processed"),
                            Banner, ui::Icon::Stop);
  } catch (...) {
    // Not even the box could be shown: the log, the JSON and the exit status still tell.
  }
}

// The working copy is gone; a copy of an earlier run stays as it was. A run that a signal
// stopped shows no box: nobody waits for one.
void EndAbnormally(RunContext& ctx, RunResult& result, const RunOptions& options,
                   const std::string& failure) {
  result.Outcome = RunOutcome::AbnormalTermination;
  result.CopyKept = false;
  result.Signal = StopSignal(options);
  result.Reason = result.Signal != 0
                      ? "interrupted by SIG" + std::string(sigabbrev_np(result.Signal))
                      : word::WithoutControlCharacters(FirstLine(failure));
  if (result.Signal == 0) ShowFailureBox(ctx);
  ctx.WriteLog("Failure: " + result.Reason);
  LogWithDate(ctx, "Abnormal termination: ");
  ctx.RunLog.CloseLog();
}

}  // namespace

void ResetValidationState(RunContext& ctx) {
  ctx.WriteLog("Initializing data...");
  static_cast<validate::ValidationState&>(ctx) = {};
}

std::string LogUnavailableReason(const std::string& logPath, const std::string& failure) {
  std::error_code error;
  const std::filesystem::path log = std::filesystem::absolute(logPath, error);
  return "cannot create the run log " + (error ? logPath : log.string()) + ": " + failure;
}

RunResult Main(RunContext& ctx, const RunOptions& options) {
  RunResult result;
  if (!ctx.RunLog.OpenLog(options.LogPath)) {
    result.Outcome = RunOutcome::LogUnavailable;
    result.Reason = LogUnavailableReason(options.LogPath, ctx.RunLog.Failure());
    return result;
  }
  try {
    RunValidation(ctx, result, options);
    Checkpoint(options, "completed");
    LogWithDate(ctx, "Validation completed: ");
    ctx.RunLog.CloseLog();
    ShowClosingBox(ctx, result);
  } catch (const std::exception& failure) {
    EndAbnormally(ctx, result, options, failure.what());
  } catch (...) {
    EndAbnormally(ctx, result, options, "unexpected failure");
  }
  return result;
}

int ExitStatus(const RunResult& result, const RunContext& ctx) {
  if (result.Signal != 0) return 128 + result.Signal;
  if (result.Outcome != RunOutcome::Validated) return 2;
  return HasFindings(ctx) ? 1 : 0;
}

}  // namespace kv::run
