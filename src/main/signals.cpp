#include "main/signals.h"

#include <signal.h>

#include <initializer_list>

namespace kv::run {
namespace {

// The one process-wide value kv has: a signal handler can reach nothing else.
volatile sig_atomic_t stopSignal = 0;

void RecordSignal(int signal) {
  if (stopSignal == 0) stopSignal = signal;
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
