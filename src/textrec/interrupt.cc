#include "textrec/interrupt.h"

#include <signal.h>

#include <csignal>

#include "textrec/report.h"

namespace textrec {
namespace {

// What a signal handler may touch: one flag of the process, written by the
// handler and read by the run.
volatile std::sig_atomic_t g_pending = 0;

extern "C" void note_signal(int signal) {
  g_pending = signal;
}

}  // namespace

void catch_interrupts() {
  struct sigaction action {};
  action.sa_handler = note_signal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a read of the console or a wait breaks off, so that the run
  // looks at the flag.
  action.sa_flags = 0;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

int pending_interrupt() {
  return g_pending;
}

void end_if_interrupted() {
  if (g_pending != 0) throw RunEnded{kExitEnded, g_pending};
}

const char* signal_name(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "a signal";
  }
}

void raise_again(int signal) {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  std::raise(signal);
}

}  // namespace textrec
