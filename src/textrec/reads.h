// Reads of records and values from the console, channels and memory records.
//
// A read that fails (the file system's error, or a record longer than
// kRecordLimit where it would be held whole) ends the run as a severe error,
// whatever the form of the read: "cannot read NAME on channel N: REASON",
// "cannot read the console: REASON".
//
// Each read comes in two forms. The plain one tells its failures to the error
// report (and the run may end there); the one named ..._with_status tells them
// only in the status it returns (0, -1 at the end of the data, positive on a
// failure of the value read), for the program to act on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "textrec/freeform.h"
#include "textrec/records.h"
#include "textrec/status.h"

namespace textrec {

// Formatted read with layout A of one record into the fixed-length text.
void read_a(int channel, std::string& text);
[[nodiscard]] int read_a_with_status(int channel, std::string& text);
// Same from a memory record.
void read_a(std::string_view memory, std::string& text);

// The next record of a channel as it stands, at most `keep` bytes of it, valid
// until the next read of that channel. Returns the read's status.
[[nodiscard]] int read_record(int channel, std::string_view* record, std::size_t keep);
// As read_record, but the records that do not begin, after leading blanks and
// within their first `keep` bytes, with one of the keywords are passed over.
[[nodiscard]] int read_record_starting(int channel, KeywordRecord* found, std::size_t keep,
                                       const LineKeywords& keywords);

// The first bytes of the file on a channel opened for reading and not read
// yet: those the first read of its records takes (up to 64 KiB, the bytes
// before a 0x1A), valid until the next read of the channel. Its records are
// then read from the same bytes, as they would have been without the look.
[[nodiscard]] std::string_view read_channel_start(int channel);
// Every byte of the file on a channel opened for reading, from its first, a
// 0x1A and what follows included; false, with nothing read, when it holds more
// than `limit` bytes. Its records are not read after it.
[[nodiscard]] bool read_channel_bytes(int channel, std::size_t limit, std::string* bytes);

// The next read of the channel, open for reading, begins with the record the
// last read took (or ended in) again, whole.
void repeat_record(int channel);

// Where a memory record was taken from: a line of a file. A warning of a
// character that cannot belong to a number names it, and the record; without a
// file the place is told as "a memory record".
struct RecordOrigin {
  std::string_view file;
  std::int64_t line = 0;
};

// Where a free-form read takes its records from.
struct Source {
  enum class Kind { kConsole, kChannel, kMemory };
  Kind kind = Kind::kConsole;
  int channel = 0;
  std::string_view memory;
  RecordOrigin origin;

  static Source Console() { return {Kind::kConsole, 0, {}, {}}; }
  static Source Channel(int channel) { return {Kind::kChannel, channel, {}, {}}; }
  static Source Memory(std::string_view record, RecordOrigin origin = {}) {
    return {Kind::kMemory, 0, record, origin};
  }
};

// A value echoed in a diagnostic: at most its first 80 characters, then "..."
// when it was longer, each control character shown as \xNN.
[[nodiscard]] std::string shown_token(std::string_view value);

// Free-form read.
ReadOutcome read_free(Source source, std::initializer_list<Target> targets);
[[nodiscard]] ReadOutcome read_free_with_status(Source source,
                                                std::initializer_list<Target> targets);
// Free-form read of a memory record that takes the values read_free takes,
// its problems put into `told` in the error report's words (without its
// " !! Warning: " prefix) instead of being told to the run: for a program
// that reads files whole and tells their faults itself. Where `told` is null
// they are told to the run, as by read_free of Source::Memory.
ReadOutcome read_free_told(std::string_view memory, RecordOrigin origin,
                           std::initializer_list<Target> targets, std::vector<std::string>* told);

}  // namespace textrec
