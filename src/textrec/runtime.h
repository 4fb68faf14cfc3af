// The layer's state for the run, shared by its parts; not for the program.
//
// The layer keeps one runtime object: the console, the file system, the table
// of open channels and the failures counted so far, as a Fortran runtime keeps
// its units. install() sets it up; nothing else of the layer holds state.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "textrec/files.h"
#include "textrec/records.h"

namespace textrec {

inline constexpr int kMaxChannel = 99;

struct Channel {
  std::string name;
  std::unique_ptr<RecordReader> reader;
  std::unique_ptr<RecordWriter> writer;
};

struct Runtime {
  std::unique_ptr<RecordReader> console_in;
  std::unique_ptr<ByteSink> console_out;
  FileSystem* file_system = nullptr;
  std::array<Channel, kMaxChannel + 1> channels;
  std::array<int, 7> failure_counts{};  // by kind
  int worst = 0;
  // The buffer of the last reader freed, for the next one: a DIRAX file is
  // opened and closed on the same channel for every entry of the list.
  std::unique_ptr<char[]> spare_buffer;
};

[[nodiscard]] Runtime& runtime();

[[nodiscard]] bool valid_channel(int channel);
// Writes out and frees the channel, keeping a reader's buffer for the next
// one; the reason when the file could not be written out.
[[nodiscard]] std::optional<std::string> write_out_and_free(Channel& channel);
// "channel N (NAME)", or "channel N" for a free channel.
[[nodiscard]] std::string channel_label(int channel);
// Bytes that would upset a console (NUL, control characters) shown as \xNN.
[[nodiscard]] std::string printable(std::string_view text);
// A console line exactly as given.
void console_line(std::string_view line);

}  // namespace textrec
