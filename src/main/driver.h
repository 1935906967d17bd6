// The run: log, file choice, name check, the validated copy, every check in its order,
// the summary typed at the top of the copy, the closing box.
#pragma once

#include <functional>
#include <string>

#include "validate/run_context.h"

namespace kv::run {

// First log line, title of every box the run shows, first words of the summary line.
inline constexpr char Banner[] = "DO Ruvaveruz 1.2.4";

enum class RunOutcome {
  LogUnavailable,       // "kv.log" could not be created; nothing else happened
  NoFile,               // the chooser was cancelled
  RefusedName,          // the file name check refused the file
  CannotOpen,           // the document could not be opened
  Validated,            // the run went through to its closing box
  AbnormalTermination,  // an unexpected failure ended the run
};

struct RunResult {
  RunOutcome Outcome = RunOutcome::NoFile;
  std::string SelectedPath;
  std::string ValidatedPath;
  bool CopyKept = false;  // the validated copy holds findings and stays
};

struct RunOptions {
  std::string LogPath = "kv.log";  // in the working folder
  // Receives a one-line notice before a slow step (converting a .doc with LibreOffice).
  std::function<void(const std::string&)> Notice;
};

// The whole run over ctx; every failure is handled inside.
RunResult Main(validate::RunContext& ctx, const RunOptions& options = {});

// Logs "Initializing data..." and sets every figure the later phases fill to zero.
void ResetValidationState(validate::RunContext& ctx);

// 0 validated without errors and warnings, 1 validated with findings, 2 not validated.
int ExitStatus(const RunResult& result, const validate::RunContext& ctx);

}  // namespace kv::run
