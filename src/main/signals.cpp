#include "main/signals.h"

#include <signal.h>

#include <initializer_list>

namespace kv::run {
namespace {

// The one process-wide value kv has: a signal handler can reach nothing else.
volatile sig_atomic_t stopSignal = 0;

// A second signal ends the process at once, as it would without this handler: a run that
// does not give way to the first (a desktop dialog) cannot hold out.
void RecordSignal(int signal) {
  if (stopSignal != 0) {
    ::signal(signal, SIG_DFL);
    raise(signal);
  }
  stopSignal = signal;
}

}  // namespace

void InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = RecordSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
  action.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &action, nullptr);
}

int StopSignal() {
  return stopSignal;
}

}  // namespace kv::run
