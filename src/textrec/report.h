// The error report and the console lines of the run.
//
// A failure is counted by its kind, the first five of each kind are shown on the
// console with the continuation line, and a failure that ends the run throws
// RunEnded. It unwinds to main, which calls end_run() so that every channel is
// written out and closed in one place.
#pragma once

#include <initializer_list>
#include <string_view>

namespace textrec {

// Exit statuses of the run.
inline constexpr int kExitClean = 0;
inline constexpr int kExitWarning = 4;
inline constexpr int kExitError = 8;
inline constexpr int kExitEnded = 16;

// Thrown to end the run by a failure; main hands it to end_run().
struct RunEnded {
  int exit_status;
  int signal = 0;  // the signal that interrupted the run, or 0
};

enum class Failure {
  kEndOfData,     // error; the tenth in the run ends it
  kBadCharacter,  // warning
  kFileSystem,    // severe: ends the run at once
  kOutOfRange,    // error
  kQuotedNumber,  // error
  kCommand,       // error: the platform's command service failed
  kProgram,       // severe: the program misused the layer (a channel not open, say)
};

// Reports a failure: counts it, shows the first five of its kind with the
// continuation line, and ends the run (RunEnded) when the failure calls for it.
void report(Failure failure, std::string_view message);

// The worst exit status of the failures reported so far (0, 4 or 8).
[[nodiscard]] int worst_status();

// Free-form write: one console line, a blank then the texts back to back.
void console_write(std::initializer_list<std::string_view> texts);

}  // namespace textrec
