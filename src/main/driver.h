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
  std::string Reason;  // one line: why the run did not validate, "" when it did
  int Signal = 0;      // the signal that ended the run, 0 when none did
  std::string SelectedPath;
  std::string ValidatedPath;
  bool CopyKept = false;  // the validated copy holds findings and stays
};

struct RunOptions {
  std::string LogPath = "kv.log";  // in the working folder
  // Receives a one-line notice before a slow step (converting a .doc with LibreOffice).
  std::function<void(const std::string&)> Notice;
  // The signal that asked the run to stop (SIGINT, SIGTERM, SIGHUP), 0 while none did:
  // asked between the phases, the run then ends like an abnormal termination.
  std::function<int()> StopSignal;
  // Called with the copy still open, after its summary was saved, when the run validated.
  std::function<void(validate::RunContext&)> BeforeClose;
};

// "cannot create the run log PATH: FAILURE", the path made absolute where it can be.
std::string LogUnavailableReason(const std::string& logPath, const std::string& failure);

// The whole run over ctx; every failure is handled inside.
RunResult Main(validate::RunContext& ctx, const RunOptions& options = {});

// Logs "Initializing data..." and sets every figure the later phases fill to zero.
void ResetValidationState(validate::RunContext& ctx);

// 0 validated without errors and warnings, 1 validated with findings, 2 not validated,
// 128 + N when signal N ended the run.
int ExitStatus(const RunResult& result, const validate::RunContext& ctx);

}  // namespace kv::run
