// kv [--json] [--quiet] [--pdg yes|no] [--jobs N] [FILE|FOLDER...]: validates work plans.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "main/batch.h"
#include "main/command_line.h"
#include "main/findings.h"
#include "main/signals.h"
#include "report/run_log.h"
#ifdef KV_HAVE_QT
#include "ui/qt/qt_frontend.h"
#endif

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

// Qt's dialogs, where kv was built with them and Qt reaches the display.
std::unique_ptr<ui::Frontend> DesktopDialogs() {
#ifdef KV_HAVE_QT
  if (ui::QtDisplayReachable()) return std::make_unique<ui::QtFrontend>();
#endif
  return nullptr;
}

int Validate(run::CommandLine options) {
  const bool errorIsTerminal = isatty(STDERR_FILENO) == 1;
  const run::Terminal terminal{{EnvironmentHas("DISPLAY") || EnvironmentHas("WAYLAND_DISPLAY"),
                                isatty(STDIN_FILENO) == 1, DesktopDialogs},
                               errorIsTerminal,
                               run::ColourWanted(errorIsTerminal)};
  if (run::IsBatch(options.documents)) return run::ValidateBatch(options, terminal);

  bool unreadable = false;
  const auto documents = run::CollectDocuments(options.documents, std::cerr, unreadable);
  if (!documents.empty()) options.file = documents.front();
  report::RunLog log;
  const run::DocumentRun run =
      run::ValidateDocument(options, terminal, log, std::cerr, run::MakeConverter());
  if (options.json && !run::PrintJson(std::cout, std::cerr, run.report))
    return std::max(run.status, 2);
  return run.status;
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
