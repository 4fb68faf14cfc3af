// Signals that ask a run to end: SIGINT, SIGTERM and SIGHUP.
//
// A run killed outright would leave its files cut wherever their buffers
// stood, and say nothing. Instead the handler only notes the signal, and the
// run ends at the next place that looks: a read of the console or the wait
// for a command (both broken off by the signal), the program before each entry
// of the buffer file and after each picture it draws, and the orderly stop. It
// then ends as a failure does, every file written out and closed, says so, and
// ends by the same signal, so that a calling shell sees 128 + N and stops too.
#pragma once

namespace textrec {

// Installs the handlers (the real console only: tests on files in memory keep
// the signals' default actions).
void catch_interrupts();

// The signal noted, or 0.
[[nodiscard]] int pending_interrupt();

// Ends the run (RunEnded carrying the signal) when a signal has been noted.
void end_if_interrupted();

// The signal's name, as "SIGTERM".
[[nodiscard]] const char* signal_name(int signal);

// Restores the signal's default action and raises it again.
void raise_again(int signal);

}  // namespace textrec
