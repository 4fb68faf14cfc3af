// The text-record layer as the program uses it.
//
// One layer carries every read and write of the run: the console dialogue, the
// channels (small numbers naming one open file each for the run), memory
// records, the error report and the orderly stop. Its state is one instance for
// the run, set up by install(); tests install a console and a file system held
// in memory.
//
// A failure that ends the run (the error report's severe failures and its tenth
// end of data, or the orderly stop) throws RunEnded. It unwinds to main, which
// calls end_run() so that every channel is written out and closed in one place.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "textrec/edit.h"
#include "textrec/freeform.h"
#include "textrec/records.h"
#include "textrec/text.h"

namespace textrec {

// Exit statuses of the run.
inline constexpr int kExitClean = 0;
inline constexpr int kExitWarning = 4;
inline constexpr int kExitError = 8;
inline constexpr int kExitEnded = 16;

// Thrown to end the run; main hands it to end_run().
struct RunEnded {
  int exit_status;
};

// Sets up the layer for a run: all channels free, no failure counted.
void install(std::unique_ptr<ByteSource> console_in, std::unique_ptr<ByteSink> console_out,
             FileSystem& file_system);
// The real console and file system.
void install_posix();

// Closes every channel that still holds a file, so that buffered output reaches
// it, and writes out the console. A file that cannot be written out there is a
// severe failure: its diagnostic is written and the status becomes 16. Returns
// the exit status of the run.
[[nodiscard]] int end_run(const RunEnded& ended);

// The orderly stop: ends the run with status 0, or that of the worst failure
// reported (4 or 8), or at_least when that is worse.
[[noreturn]] void stop(int at_least = kExitClean);

// --- The error report -------------------------------------------------------

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

// --- Console ----------------------------------------------------------------

// Free-form write: one console line, a blank then the texts back to back.
void console_write(std::initializer_list<std::string_view> texts);

// --- Channels ---------------------------------------------------------------

// True when a file of that name, trailing blanks removed, exists.
[[nodiscard]] bool exists(std::string_view name);

void open_read(int channel, std::string_view name);
// The existence check and open_read in one, with one open of the file: false,
// the channel left free, when no file of that name (trailing blanks removed)
// exists; a file that exists but cannot be opened is reported as by open_read.
[[nodiscard]] bool open_read_if_exists(int channel, std::string_view name);
void create(int channel, std::string_view name);
void close(int channel);
void rewind(int channel);

// Formatted write of one record on a channel.
void write(int channel, const Layout& layout, std::initializer_list<Item> items);
void write(int channel, const Layout& layout, std::span<const Item> items);
// A rule record of layout "A1, nA1": `first`, then n times `fill`, each one
// character in a field of its own.
void write_rule(int channel, std::string_view first, std::string_view fill, int n);
// Writes out what is buffered for the channel; the file stays open.
void flush(int channel);
// Formatted write into a memory record: the whole text is first blanked, then
// written from its first position. A record longer than the text is cut, and
// reported.
void write_memory(std::string& memory, const Layout& layout, std::initializer_list<Item> items);

// Formatted read with layout A of one record into the fixed-length text. With a
// status, failures are only told there; without one they go to the error report.
void read_a(int channel, std::string& text, int* status = nullptr);
// Same from a memory record.
void read_a(std::string_view memory, std::string& text);

// The next record of a channel as it stands, at most `keep` bytes of it, valid
// until the next read of that channel. Returns the read's status.
[[nodiscard]] int read_record(int channel, std::string_view* record, std::size_t keep);
// As read_record, but the records whose first character other than a blank, among
// the first `keep`, is not in `first` are passed over (blank records too).
[[nodiscard]] int read_record_starting(int channel, std::string_view* record, std::size_t keep,
                                       const ByteSet& first);

// Where a free-form read takes its records from.
struct Source {
  enum class Kind { kConsole, kChannel, kMemory };
  Kind kind = Kind::kConsole;
  int channel = 0;
  std::string_view memory;

  static Source Console() { return {Kind::kConsole, 0, {}}; }
  static Source Channel(int channel) { return {Kind::kChannel, channel, {}}; }
  static Source Memory(std::string_view record) { return {Kind::kMemory, 0, record}; }
};

// Free-form read. With status null, failures go to the error report.
ReadOutcome read_free(Source source, std::initializer_list<Target> targets, int* status = nullptr);

// --- System command ---------------------------------------------------------

// A folder appended to the PATH of the commands started (the program's own).
void set_command_path_folder(const std::string& folder);

// The command line run when the command goes through the command processor
// named by COMSPEC.
[[nodiscard]] std::string processor_command_line(std::string_view comspec,
                                                 std::string_view command);

// Runs the command as a new process on the same console, inheriting no open file
// of the run. Through the command processor when via_processor: COMSPEC, " /c ",
// then the command, or the platform's shell when COMSPEC is not set. Waits for
// it when asked. Returns 0.
int system_command(std::string_view command, bool via_processor, bool wait);

}  // namespace textrec
