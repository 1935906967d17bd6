#include "main/batch.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <string_view>
#include <thread>
#include <utility>

#include <sched.h>

#include "convert/doc_application.h"
#include "convert/soffice.h"
#include "main/driver.h"
#include "main/findings.h"
#include "main/run_report.h"
#include "main/signals.h"
#include "word/word_processor.h"

namespace kv::run {
namespace {

namespace fs = std::filesystem;

bool Interrupted() {
  return StopSignal() != 0;
}

// An end-to-end test may ask for the command-line converter through
// KV_TEST_CONVERTER=command-line, and for a time limit of LibreOffice in seconds through
// KV_TEST_TIME_LIMIT; builds without the test hooks ignore them.
std::unique_ptr<word::DocumentConverter> ChooseConverter(word::ConverterOptions options) {
#ifdef KV_TEST_HOOKS
  if (const char* limit = std::getenv("KV_TEST_TIME_LIMIT"))
    options.TimeLimit = std::chrono::seconds(std::atoi(limit));
  if (const char* choice = std::getenv("KV_TEST_CONVERTER");
      choice != nullptr && std::string_view(choice) == "command-line") {
    return word::MakeCommandLineConverter(std::move(options));
  }
#endif
  return word::MakeDocumentConverter(std::move(options));
}

// A run that did not validate says why, after its boxes; --quiet keeps only the failures
// of kv itself.
void PrintReason(std::ostream& err, const RunResult& result, bool quiet) {
  if (result.Outcome == RunOutcome::Validated) return;
  const bool ownFailure = result.Outcome == RunOutcome::AbnormalTermination ||
                          result.Outcome == RunOutcome::LogUnavailable;
  if (quiet && !ownFailure) return;
  err << "kv: " << (result.SelectedPath.empty() ? "" : result.SelectedPath + ": ") << result.Reason
      << std::endl;
}

// A name typed relative to the working folder becomes a full path, as a chooser gives
// (unless the working folder is gone: then the run says so), without "." and ".." steps.
// Links are not followed: a link is validated under its own name.
std::string FullPath(const fs::path& path) {
  std::error_code noFolder;
  const fs::path full = fs::absolute(path, noFolder);
  return (noFolder ? path : full).lexically_normal().string();
}

bool IsFolder(const std::string& path) {
  std::error_code ignored;
  return fs::is_directory(path, ignored);
}

bool IsValidatedCopy(const fs::path& path) {
  return path.stem().string().ends_with("-validated");
}

// Lock files of word processors ("~$"), resource forks ("._") and hidden files.
bool IsHiddenName(const std::string& name) {
  return name.starts_with('.') || name.starts_with("~$");
}

bool IsPlanInFolder(const fs::directory_entry& entry) {
  std::error_code ignored;
  if (entry.is_directory(ignored) || IsHiddenName(entry.path().filename().string())) return false;
  std::string extension = entry.path().extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return (extension == ".doc" || extension == ".docx") && !IsValidatedCopy(entry.path());
}

report::RunReport Unreadable(const std::string& folder, const std::string& reason) {
  report::RunReport unreadable;
  unreadable.file = FullPath(folder);
  unreadable.outcome = "cannot_open";
  unreadable.reason = "cannot read the folder: " + reason;
  return unreadable;
}

// The plans directly in the folder, in name order; none when it cannot be read.
std::vector<std::string> FolderPlans(const std::string& folder, Collection& collection) {
  std::vector<std::string> plans;
  std::error_code error;
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    if (IsPlanInFolder(*entry)) plans.push_back(FullPath(entry->path()));
  }
  if (error) {
    collection.unreadable.push_back(Unreadable(folder, error.message()));
    return {};
  }
  std::sort(plans.begin(), plans.end());
  return plans;
}

// Characters, not bytes, for the columns of the table.
std::size_t DisplayWidth(const std::string& text) {
  return std::count_if(text.begin(), text.end(),
                       [](unsigned char c) { return (c & 0xC0) != 0x80; });
}

std::string Padded(const std::string& text, std::size_t width) {
  return text + std::string(width - std::min(width, DisplayWidth(text)), ' ');
}

std::string FileName(const std::string& path) {
  return fs::path(path).filename().string();
}

// kv.log of an invocation that validated nothing says why, as standard error does, so no
// log of an earlier one stays behind to mislead.
void LogNothingToValidate(const Collection& collection) {
  std::stringstream notes;
  PrintNotes(notes, collection);
  notes << "kv: no .doc or .docx document to validate\n";
  std::cerr << notes.str() << std::flush;
  report::RunLog log;
  if (!log.OpenLog()) {
    std::cerr << "kv: " << LogUnavailableReason("kv.log", log.Failure()) << std::endl;
    return;
  }
  log.WriteLog(Banner);
  log.WriteLog("Validation start: " + report::CurrentDateTime());
  for (std::string note; std::getline(notes, note);) log.WriteLog(note.substr(4));  // "kv: "
}

std::size_t Processors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
  return std::max(1u, std::thread::hardware_concurrency());
}

// One worker per document at most; while .doc documents are converted, no more than there
// are processors: each worker's LibreOffice keeps one busy, and more only wait for each
// other.
std::size_t Workers(int jobs, const std::vector<std::string>& documents) {
  const std::size_t workers = std::min<std::size_t>(jobs, documents.size());
  const bool converts = std::any_of(documents.begin(), documents.end(), word::IsDocPath);
  return converts ? std::min(workers, Processors()) : workers;
}

// What a finished run leaves until it is its turn to be printed.
struct Finished {
  DocumentRun run;
  std::string output;    // boxes, findings, reason (held when runs go at once)
  std::string logLines;  // its lines of kv.log
};

class Batch {
 public:
  Batch(const CommandLine& options, const Terminal& terminal, std::vector<std::string> documents)
      : options_(options),
        terminal_(terminal),
        documents_(std::move(documents)),
        finished_(documents_.size()) {
    if (!log_.OpenLog()) {
      logFailure_ = log_.Failure();
      std::cerr << "kv: " << LogUnavailableReason("kv.log", logFailure_) << std::endl;
      perRun_.logFailureShown = true;
    }
    perRun_.errorIsTerminal = false;  // the progress line stands for the conversion notice
    // Questions cannot be answered at a terminal while several runs go at once.
    if (options.jobs > 1) perRun_.surroundings.interactiveInput = false;
  }

  // One worker with its own converter: validates the next document until none is left
  // or a stop signal came.
  void Work() {
    const auto converter = MakeConverter();
    for (std::size_t index = next_++; index < documents_.size() && !Interrupted();
         index = next_++) {
      Announce(index);
      std::ostringstream held;
      report::RunLog runLog;
      runLog.HoldLines(logFailure_);
      CommandLine one = options_;
      one.file = documents_[index];
      DocumentRun run =
          ValidateDocument(one, perRun_, runLog, options_.jobs > 1 ? held : std::cerr, converter);
      Finish(index, {std::move(run), held.str(), runLog.TakeLines()});
    }
  }

  int Status() const {
    int status = jsonWritten_ ? 0 : 2;
    for (const auto& finished : finished_)
      if (finished) status = std::max(status, finished->run.status);
    return Interrupted() ? std::max(status, 128 + StopSignal()) : status;
  }

  // file, errors, warnings, information, outcome: one row per run.
  void PrintTable(std::ostream& out) const {
    std::size_t width = DisplayWidth("file");
    for (const auto& document : documents_)
      width = std::max(width, DisplayWidth(FileName(document)));
    out << Padded("file", width) << "  errors  warnings  information  outcome\n";
    for (std::size_t k = 0; k < documents_.size(); ++k) {
      if (!finished_[k]) continue;
      const auto& report = finished_[k]->run.report;
      out << Padded(FileName(documents_[k]), width) << std::setw(8) << report.errors.size()
          << std::setw(10) << report.warnings.size() << std::setw(13) << report.info.size() << "  "
          << report.outcome << "\n";
    }
    out.flush();
  }

 private:
  bool ShowsProgress() const { return terminal_.errorIsTerminal && !options_.quiet; }

  void Announce(std::size_t index) {
    if (!ShowsProgress()) return;
    std::lock_guard lock(mutex_);
    std::cerr << "[" << index + 1 << "/" << documents_.size() << "] " << FileName(documents_[index])
              << std::endl;
  }

  // Runs are printed and logged in the order of the documents, each as a whole.
  void Finish(std::size_t index, Finished finished) {
    std::lock_guard lock(mutex_);
    finished_[index] = std::move(finished);
    for (; printed_ < finished_.size() && finished_[printed_]; ++printed_) {
      auto& run = *finished_[printed_];
      log_.WriteLines(std::exchange(run.logLines, ""));
      std::cerr << std::exchange(run.output, "") << std::flush;
      if (options_.json && jsonWritten_)
        jsonWritten_ = PrintJson(std::cout, std::cerr, run.run.report);
    }
  }

  const CommandLine& options_;
  const Terminal& terminal_;
  Terminal perRun_ = terminal_;
  const std::vector<std::string> documents_;
  report::RunLog log_;
  std::string logFailure_;
  std::atomic<std::size_t> next_ = 0;
  std::mutex mutex_;
  std::vector<std::optional<Finished>> finished_;
  std::size_t printed_ = 0;
  bool jsonWritten_ = true;
};

}  // namespace

DocumentRun ValidateDocument(const CommandLine& options, const Terminal& terminal,
                             report::RunLog& log, std::ostream& err,
                             const std::shared_ptr<word::DocumentConverter>& converter,
                             const RunControl& control) {
  std::ostream nowhere(nullptr);
  const bool hushed = options.quiet && !options.file.empty();
  auto frontend = ChooseFrontend(options, terminal.surroundings, std::cin, hushed ? nowhere : err);
  validate::RunContext ctx(log, *frontend);
  const auto note = [&err, quiet = options.quiet](const std::string& text) {
    if (!quiet) err << "kv: " << text << std::endl;
  };
  ctx.Document.CreateWordApp = [&converter, &control, &note] {
    return word::CreateWordProcessor({.Interrupted = [&control] { return control.stop() != 0; },
                                      .Converter = converter,
                                      .Note = note});
  };
  RunOptions runOptions;
  runOptions.StopSignal = control.stop;
  runOptions.BeforeClose = control.beforeClose;
  if (terminal.errorIsTerminal && !hushed)
    runOptions.Notice = [&err](const std::string& notice) { err << notice << std::endl; };

  const RunResult result = Main(ctx, runOptions);
  DocumentRun run{DescribeRun(result, ctx), ExitStatus(result, ctx)};
  if (!run.report.file && !options.file.empty()) run.report.file = options.file;
  if (!options.file.empty() && !options.json && !options.quiet)
    PrintFindings(err, result.SelectedPath, run.report, terminal.colour);
  if (!(terminal.logFailureShown && result.Outcome == RunOutcome::LogUnavailable))
    PrintReason(err, result, options.quiet);
  return run;
}

std::shared_ptr<word::DocumentConverter> MakeConverter(const std::function<int()>& stop) {
  word::RemoveConversionLeftovers();
  return ChooseConverter({.Interrupted = [stop] { return stop() != 0; }});
}

bool PrintJson(std::ostream& out, std::ostream& err, const report::RunReport& report) {
  out << report::ToJson(report) << std::endl;
  if (out) return true;
  err << "kv: cannot write the JSON report on standard output" << std::endl;
  return false;
}

Collection CollectDocuments(const std::vector<std::string>& arguments) {
  Collection collection;
  std::set<std::string> seen;
  const bool batch = IsBatch(arguments);
  for (const auto& argument : arguments) {
    std::vector<std::string> plans;
    if (IsFolder(argument)) {
      plans = FolderPlans(argument, collection);
    } else if (batch && IsValidatedCopy(argument)) {
      ++collection.copiesSkipped;
    } else {
      plans = {FullPath(argument)};
    }
    for (const auto& plan : plans)
      if (seen.insert(plan).second) collection.documents.push_back(plan);
  }
  return collection;
}

void PrintNotes(std::ostream& err, const Collection& collection) {
  for (const auto& unreadable : collection.unreadable)
    err << "kv: " << *unreadable.file << ": " << *unreadable.reason << std::endl;
  if (collection.copiesSkipped > 0)
    err << "kv: " << collection.copiesSkipped << " -validated "
        << (collection.copiesSkipped == 1 ? "copy" : "copies") << " skipped" << std::endl;
}

bool IsBatch(const std::vector<std::string>& arguments) {
  return arguments.size() > 1 || (arguments.size() == 1 && IsFolder(arguments.front()));
}

int ValidateBatch(const CommandLine& options, const Terminal& terminal) {
  const Collection collection = CollectDocuments(options.documents);
  PrintNotes(std::cerr, collection);
  bool jsonWritten = true;
  for (const auto& unreadable : collection.unreadable)
    if (options.json && jsonWritten) jsonWritten = PrintJson(std::cout, std::cerr, unreadable);
  const int collectionStatus = collection.unreadable.empty() && jsonWritten ? 0 : 2;
  if (collection.documents.empty()) {
    LogNothingToValidate(collection);
    return 2;
  }
  const std::size_t workers = Workers(options.jobs, collection.documents);
  Batch batch(options, terminal, collection.documents);
  {
    std::vector<std::jthread> others;
    for (std::size_t k = 1; k < workers; ++k) others.emplace_back([&batch] { batch.Work(); });
    batch.Work();
  }
  if (terminal.errorIsTerminal && !options.quiet) batch.PrintTable(std::cerr);
  return std::max(batch.Status(), collectionStatus);
}

}  // namespace kv::run
