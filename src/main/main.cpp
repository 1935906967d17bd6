// kv [--json] [--pdg yes|no] [FILE]: validates one work plan.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "main/command_line.h"
#include "main/driver.h"
#include "main/run_report.h"
#include "report/run_log.h"
#include "word/docx_application.h"

namespace {

using namespace kv;

bool EnvironmentHas(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

int Validate(run::CommandLine options) {
  // The chooser gives full paths; a FILE typed relative to the working folder becomes one.
  if (!options.file.empty()) options.file = std::filesystem::absolute(options.file).string();
  const run::Surroundings surroundings{
      EnvironmentHas("DISPLAY") || EnvironmentHas("WAYLAND_DISPLAY"), isatty(STDIN_FILENO) == 1};
  auto frontend = run::ChooseFrontend(options, surroundings, std::cin, std::cerr);
  report::RunLog log;
  validate::RunContext ctx(log, *frontend);
  ctx.Document.CreateWordApp = [] { return word::CreateDocxApplication(); };

  run::RunOptions runOptions;
  if (isatty(STDERR_FILENO) == 1)
    runOptions.Notice = [](const std::string& notice) { std::cerr << notice << std::endl; };

  const run::RunResult result = run::Main(ctx, runOptions);
  if (result.Outcome == run::RunOutcome::LogUnavailable) {
    std::error_code ignored;
    std::cerr << "kv: cannot create the run log kv.log in "
              << std::filesystem::current_path(ignored).string() << "\n";
  }
  if (options.json) std::cout << report::ToJson(run::DescribeRun(result, ctx)) << std::endl;
  return run::ExitStatus(result, ctx);
}

}  // namespace

int main(int argc, char** argv) {
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
