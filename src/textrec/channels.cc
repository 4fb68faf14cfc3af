#include "textrec/channels.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "textrec/report.h"
#include "textrec/runtime.h"
#include "textrec/text.h"

namespace textrec {
namespace {

void check_channel(int channel) {
  if (!valid_channel(channel))
    report(Failure::kProgram, channel_label(channel) + " does not exist");
}

Channel& channel_for_writing(int channel) {
  if (!valid_channel(channel) || !runtime().channels[channel].writer)
    report(Failure::kProgram, channel_label(channel) + " is not open for writing");
  return runtime().channels[channel];
}

void report_write_failure(int channel) {
  const std::string reason = runtime().channels[channel].writer->error();
  report(Failure::kFileSystem, "cannot write " + channel_label(channel) + ": " + reason);
}

// Connects the named file for reading on the free channel. The name goes
// straight into the channel's own text, whose room is kept from file to file.
// On failure the name stays there for the caller's diagnostic.
Opened<ByteSource> connect_reader(int channel, std::string_view name) {
  Channel& ch = runtime().channels[channel];
  ch.name.assign(trim_right(name));
  Opened<ByteSource> opened = runtime().file_system->open_source(ch.name);
  if (opened.file)
    ch.reader =
        std::make_unique<RecordReader>(std::move(opened.file), std::move(runtime().spare_buffer));
  return opened;
}

// Frees the channel that connect_reader could not connect and reports why.
void report_open_failure(int channel, const std::string& reason) {
  Channel& ch = runtime().channels[channel];
  const std::string file = std::move(ch.name);
  ch.name.clear();
  report(Failure::kFileSystem, "cannot open " + printable(file) + " on channel " +
                                   std::to_string(channel) + ": " + reason);
}

}  // namespace

bool file_exists(std::string_view name) {
  const std::string_view trimmed = trim_right(name);
  return !trimmed.empty() && runtime().file_system->exists(std::string(trimmed));
}

std::optional<FileIdentity> file_identity(std::string_view name) {
  return runtime().file_system->identity(std::string(trim_right(name)));
}

std::optional<FileIdentity> channel_identity(int channel) {
  if (!valid_channel(channel) || !runtime().channels[channel].reader) return std::nullopt;
  return runtime().channels[channel].reader->source_identity();
}

OpenCheck check_open_for_reading(std::string_view name) {
  const std::string_view trimmed = trim_right(name);
  if (trimmed.empty()) return {false, true, std::strerror(ENOENT)};
  const Opened<ByteSource> opened = runtime().file_system->open_source(std::string(trimmed));
  return {opened.file != nullptr, opened.missing, opened.reason};
}

void open_for_reading(int channel, std::string_view name) {
  check_channel(channel);
  close_channel(channel);
  const Opened<ByteSource> opened = connect_reader(channel, name);
  if (!runtime().channels[channel].reader) report_open_failure(channel, opened.reason);
}

OpenCheck try_open_for_reading(int channel, std::string_view name) {
  check_channel(channel);
  close_channel(channel);
  // An all-blank name names nothing.
  if (trim_right(name).empty()) return {false, true, std::strerror(ENOENT)};
  const Opened<ByteSource> opened = connect_reader(channel, name);
  Channel& ch = runtime().channels[channel];
  if (!ch.reader) ch.name.clear();
  return {ch.reader != nullptr, opened.missing, opened.reason};
}

bool open_for_reading_if_exists(int channel, std::string_view name) {
  const OpenCheck opened = try_open_for_reading(channel, name);
  // A missing file is no failure of the layer; one that is there but refused
  // is, and so is a name that cannot be followed (a folder on its path that
  // cannot be entered, a loop of links).
  if (opened.can_open || opened.missing) return opened.can_open;
  report(Failure::kFileSystem, "cannot open " + printable(std::string(trim_right(name))) +
                                   " on channel " + std::to_string(channel) + ": " + opened.reason);
  return true;  // as after open_for_reading: the failure has ended the run
}

void create_file(int channel, std::string_view name) {
  check_channel(channel);
  close_channel(channel);
  const std::string file(trim_right(name));
  Opened<ByteSink> created = runtime().file_system->create_sink(file);
  if (!created.file) {
    report(Failure::kFileSystem, "cannot create " + printable(file) + " on channel " +
                                     std::to_string(channel) + ": " + created.reason);
    return;
  }
  Channel& ch = runtime().channels[channel];
  ch.name = file;
  ch.writer = std::make_unique<RecordWriter>(std::move(created.file));
}

void close_channel(int channel) {
  if (!valid_channel(channel)) return;
  Channel& ch = runtime().channels[channel];
  // A file read from has nothing to write out, so its label is built only for
  // a file written.
  const std::string label = ch.writer ? channel_label(channel) : std::string();
  if (const std::optional<std::string> failure = write_out_and_free(ch))
    report(Failure::kFileSystem, "cannot write " + label + ": " + *failure);
}

void rewind_channel(int channel) {
  if (!valid_channel(channel) || !runtime().channels[channel].reader)
    report(Failure::kProgram, channel_label(channel) + " is not open for reading");
  Channel& ch = runtime().channels[channel];
  if (!ch.reader->back_to_first_record())
    report(Failure::kFileSystem, "cannot position " + channel_label(channel) +
                                     " at its first record: " + ch.reader->error());
}

void write_formatted(int channel, const Layout& layout, std::initializer_list<Item> items) {
  write_formatted(channel, layout, std::span<const Item>(items.begin(), items.size()));
}

void write_formatted(int channel, const Layout& layout, std::span<const Item> items) {
  RecordWriter& writer = *channel_for_writing(channel).writer;
  // Laid out straight into the channel's buffer; a layout that does not suit
  // its items (a fault of the program) leaves nothing of the record there.
  std::string& buffer = writer.begin_record();
  try {
    format_record(buffer, layout, items);
  } catch (...) {
    writer.drop_record();
    throw;
  }
  if (!writer.end_record()) report_write_failure(channel);
}

void write_rule(int channel, std::string_view first, std::string_view fill, int n) {
  const Layout layout = parse_layout("A1, " + std::to_string(n) + "A1");
  std::vector<Item> items(static_cast<std::size_t>(n) + 1, Item(fill));
  items[0] = first;
  write_formatted(channel, layout, items);
}

void flush_channel(int channel) {
  if (!channel_for_writing(channel).writer->flush()) report_write_failure(channel);
}

void write_memory(std::string& memory, const Layout& layout, std::initializer_list<Item> items) {
  std::string record;
  format_record(record, layout, std::span<const Item>(items.begin(), items.size()));
  if (record.size() > memory.size())
    report(Failure::kOutOfRange, "a record of " + std::to_string(record.size()) +
                                     " characters written into a memory record of " +
                                     std::to_string(memory.size()));
  set_text(memory, record);
}

}  // namespace textrec
