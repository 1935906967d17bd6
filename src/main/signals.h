// The signals that stop a run: SIGINT, SIGTERM and SIGHUP.
#pragma once

namespace kv::run {

// The handler only records which signal came; the run asks StopSignal() between its
// phases and while LibreOffice converts, and ends through its abnormal-termination path.
// Blocking reads and waits are interrupted (no SA_RESTART), so a box or prompt that waits
// for the user gives way. SIGPIPE is ignored: a closed output is a write error.
void InstallStopSignals();

// The signal that asked the run to stop, 0 while none did.
int StopSignal();

}  // namespace kv::run
