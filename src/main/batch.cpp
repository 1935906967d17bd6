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
// KV_TEST_CONVERTER=command-line; builds without the test hooks ignore it.
std::unique_ptr<word::DocumentConverter> ChooseConverter(word::ConverterOptions options) {
#ifdef KV_TEST_HOOKS
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
// (unless the working folder is gone: then the run says so).
std::string FullPath(const fs::path& path) {
  std::error_code noFolder;
  const fs::path full = fs::absolute(path, noFolder);
  return noFolder ? path.string() : full.string();
}

// One document reached by two names is validated once.
std::string Identity(const std::string& fullPath) {
  std::error_code error;
  const fs::path canonical = fs::weakly_canonical(fullPath, error);
  return error ? fs::path(fullPath).lexically_normal().string() : canonical.string();
}

bool IsFolder(const std::string& path) {
  std::error_code ignored;
  return fs::is_directory(path, ignored);
}

bool IsPlanInFolder(const fs::directory_entry& entry) {
  std::error_code ignored;
  if (entry.is_directory(ignored)) return false;
  std::string extension = entry.path().extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return (extension == ".doc" || extension == ".docx") &&
         !entry.path().stem().string().ends_with("-validated");
}

// The plans directly in the folder, in name order; none when it cannot be read.
std::vector<std::string> FolderPlans(const std::string& folder, std::ostream& err,
                                     bool& unreadable) {
  std::vector<std::string> plans;
  std::error_code error;
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    if (IsPlanInFolder(*entry)) plans.push_back(FullPath(entry->path()));
  }
  if (error) {
    err << "kv: " << folder << ": cannot read the folder: " << error.message() << std::endl;
    unreadable = true;
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
    if (!log_.OpenLog()) logFailure_ = log_.Failure();
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
                             const std::shared_ptr<word::DocumentConverter>& converter) {
  std::ostream nowhere(nullptr);
  const bool hushed = options.quiet && !options.file.empty();
  auto frontend = ChooseFrontend(options, terminal.surroundings, std::cin, hushed ? nowhere : err);
  validate::RunContext ctx(log, *frontend);
  const auto note = [&err, quiet = options.quiet](const std::string& text) {
    if (!quiet) err << "kv: " << text << std::endl;
  };
  ctx.Document.CreateWordApp = [&converter, &note] {
    return word::CreateWordProcessor(
        {.Interrupted = Interrupted, .Converter = converter, .Note = note});
  };
  RunOptions runOptions;
  runOptions.StopSignal = StopSignal;
  if (terminal.errorIsTerminal && !hushed)
    runOptions.Notice = [&err](const std::string& notice) { err << notice << std::endl; };

  const RunResult result = Main(ctx, runOptions);
  DocumentRun run{DescribeRun(result, ctx), ExitStatus(result, ctx)};
  if (!options.file.empty() && !options.json && !options.quiet)
    PrintFindings(err, result.SelectedPath, run.report, terminal.colour);
  PrintReason(err, result, options.quiet);
  return run;
}

std::shared_ptr<word::DocumentConverter> MakeConverter() {
  return ChooseConverter({.Interrupted = Interrupted});
}

bool PrintJson(std::ostream& out, std::ostream& err, const report::RunReport& report) {
  out << report::ToJson(report) << std::endl;
  if (out) return true;
  err << "kv: cannot write the JSON report on standard output" << std::endl;
  return false;
}

std::vector<std::string> CollectDocuments(const std::vector<std::string>& arguments,
                                          std::ostream& err, bool& unreadable) {
  std::vector<std::string> documents;
  std::set<std::string> seen;
  for (const auto& argument : arguments) {
    const auto plans = IsFolder(argument) ? FolderPlans(argument, err, unreadable)
                                          : std::vector<std::string>{FullPath(argument)};
    for (const auto& plan : plans)
      if (seen.insert(Identity(plan)).second) documents.push_back(plan);
  }
  return documents;
}

bool IsBatch(const std::vector<std::string>& arguments) {
  return arguments.size() > 1 || (arguments.size() == 1 && IsFolder(arguments.front()));
}

int ValidateBatch(const CommandLine& options, const Terminal& terminal) {
  bool unreadable = false;
  auto documents = CollectDocuments(options.documents, std::cerr, unreadable);
  if (documents.empty()) {
    std::cerr << "kv: no .doc or .docx document to validate" << std::endl;
    return 2;
  }
  const std::size_t workers = std::min<std::size_t>(options.jobs, documents.size());
  Batch batch(options, terminal, std::move(documents));
  {
    std::vector<std::jthread> others;
    for (std::size_t k = 1; k < workers; ++k) others.emplace_back([&batch] { batch.Work(); });
    batch.Work();
  }
  if (terminal.errorIsTerminal && !options.quiet) batch.PrintTable(std::cerr);
  return std::max(batch.Status(), unreadable ? 2 : 0);
}

}  // namespace kv::run
