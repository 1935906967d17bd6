// kv [--json] [--pdg yes|no] [FILE]: validates one work plan.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string_view>

#include "main/command_line.h"
#include "main/driver.h"
#include "main/run_report.h"
#include "main/signals.h"
#include "report/run_log.h"
#include "word/docx_application.h"

namespace {

using namespace kv;

bool EnvironmentHas(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// A standard stream that was closed is held by /dev/null opened for reading only (an
// open takes the lowest free number): nothing kv opens later, the log or a document, can
// take its number, and writing to it still fails.
void HoldClosedStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) == -1) open("/dev/null", O_RDONLY);
  }
}

// A run that did not validate says why, after the boxes it showed.
void PrintReason(const run::RunResult& result) {
  if (result.Outcome == run::RunOutcome::Validated) return;
  std::cerr << "kv: " << (result.SelectedPath.empty() ? "" : result.SelectedPath + ": ")
            << result.Reason << std::endl;
}

// False when the object could not be written (standard output closed or full).
bool PrintJson(const std::string& json) {
  std::cout << json << std::endl;
  if (std::cout) return true;
  std::cerr << "kv: cannot write the JSON report on standard output" << std::endl;
  return false;
}

// An end-to-end test may ask for the command-line converter through
// KV_TEST_CONVERTER=command-line; builds without the test hooks ignore it.
std::unique_ptr<word::DocumentConverter> MakeConverter(word::ConverterOptions options) {
#ifdef KV_TEST_HOOKS
  if (const char* choice = std::getenv("KV_TEST_CONVERTER");
      choice != nullptr && std::string_view(choice) == "command-line") {
    return word::MakeCommandLineConverter(std::move(options));
  }
#endif
  return word::MakeDocumentConverter(std::move(options));
}

int Validate(run::CommandLine options) {
  // The chooser gives full paths; a FILE typed relative to the working folder becomes one
  // (unless the working folder is gone: then the run says so).
  std::error_code noFolder;
  if (const auto path = std::filesystem::absolute(options.file, noFolder);
      !options.file.empty() && !noFolder) {
    options.file = path.string();
  }
  const run::Surroundings surroundings{
      EnvironmentHas("DISPLAY") || EnvironmentHas("WAYLAND_DISPLAY"), isatty(STDIN_FILENO) == 1};
  auto frontend = run::ChooseFrontend(options, surroundings, std::cin, std::cerr);
  report::RunLog log;
  validate::RunContext ctx(log, *frontend);
  // One LibreOffice serves the whole run; it is ended when the run ends, however it ends (a
  // signal stops the conversion under way at once).
  const std::shared_ptr<word::DocumentConverter> converter =
      MakeConverter({.Interrupted = [] { return run::StopSignal() != 0; }});
  ctx.Document.CreateWordApp = [converter] {
    return word::CreateDocxApplication({.Converter = converter});
  };

  run::RunOptions runOptions;
  runOptions.StopSignal = run::StopSignal;
  if (isatty(STDERR_FILENO) == 1)
    runOptions.Notice = [](const std::string& notice) { std::cerr << notice << std::endl; };

  const run::RunResult result = run::Main(ctx, runOptions);
  PrintReason(result);
  const int status = run::ExitStatus(result, ctx);
  if (options.json && !PrintJson(report::ToJson(run::DescribeRun(result, ctx)))) {
    return std::max(status, 2);
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  HoldClosedStandardStreams();
  run::InstallStopSignals();
  try {
    const auto parsed = run::ParseCommandLine(argc, argv, std::cout, std::cerr);
    if (const int* status = std::get_if<int>(&parsed)) return *status;
    return Validate(std::get<run::CommandLine>(parsed));
  } catch (const std::exception& e) {
    std::cerr << "kv: " << e.what() << "\n";
  } catch (...) {
    std::cerr << "kv: unexpected failure\n";
  }
  return 2;
}
