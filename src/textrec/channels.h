// Channels: small numbers naming one open file each for the run.
//
// A name is used with its trailing blanks removed. A channel misused by the
// program (not open, out of range) and a file the system refuses are severe
// failures of the error report: they end the run.
#pragma once

#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "textrec/edit.h"
#include "textrec/files.h"

namespace textrec {

// True when a file of that name exists.
[[nodiscard]] bool file_exists(std::string_view name);
// The identity of the existing file the name, trailing blanks removed, leads to.
[[nodiscard]] std::optional<FileIdentity> file_identity(std::string_view name);
// The identity of the file open for reading on the channel, as its open found
// it (no call of the system); none for a channel not open for reading.
[[nodiscard]] std::optional<FileIdentity> channel_identity(int channel);

// Connects the named file for reading on the channel, closing what it held.
void open_for_reading(int channel, std::string_view name);
// As open_for_reading, with the existence check in the same one open of the
// file: false, the channel left free, when no file of that name exists; a file
// that exists but cannot be opened is reported as by open_for_reading.
[[nodiscard]] bool open_for_reading_if_exists(int channel, std::string_view name);
// Whether the named file can be opened for reading, and why not; the file is
// opened and closed again.
struct OpenCheck {
  bool can_open = false;
  bool missing = false;  // no file of that name exists
  std::string reason;    // the system's words, when it cannot be opened
};
[[nodiscard]] OpenCheck check_open_for_reading(std::string_view name);
// Connects the named file for reading on the channel, or leaves the channel
// free and says why not; nothing is reported.
[[nodiscard]] OpenCheck try_open_for_reading(int channel, std::string_view name);
// Creates the named file empty, replacing one of that name, for writing on the
// channel.
void create_file(int channel, std::string_view name);
// Writes out what the channel holds and frees it; a free channel stays free.
void close_channel(int channel);
// Positions a channel open for reading at its first record.
void rewind_channel(int channel);

// Formatted write of one record on a channel.
void write_formatted(int channel, const Layout& layout, std::initializer_list<Item> items);
void write_formatted(int channel, const Layout& layout, std::span<const Item> items);
// A rule record of layout "A1, nA1": `first`, then n times `fill`, each one
// character in a field of its own.
void write_rule(int channel, std::string_view first, std::string_view fill, int n);
// Writes out what is buffered for the channel; the file stays open.
void flush_channel(int channel);
// Formatted write into a memory record: the whole text is first blanked, then
// written from its first position. A record longer than the text is cut, and
// reported.
void write_memory(std::string& memory, const Layout& layout, std::initializer_list<Item> items);

}  // namespace textrec
