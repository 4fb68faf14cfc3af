#include "textrec/textrec.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "textrec/text.h"

extern char** environ;

namespace textrec {
namespace {

constexpr int kMaxChannel = 99;
constexpr int kShownPerKind = 5;
constexpr int kEndOfDataLimit = 10;
constexpr std::string_view kContinuation =
    "TAKEN TO (STANDARD) CORRECTIVE ACTION, EXECUTION CONTINUING.";

struct Channel {
  std::string name;
  std::unique_ptr<RecordReader> reader;
  std::unique_ptr<RecordWriter> writer;
};

// The layer's state for the run.
struct Runtime {
  std::unique_ptr<RecordReader> console_in;
  std::unique_ptr<ByteSink> console_out;
  FileSystem* file_system = nullptr;
  std::array<Channel, kMaxChannel + 1> channels;
  std::array<int, 7> counts{};  // failures reported, by kind
  int worst = kExitClean;
  // The buffer of the last reader freed, for the next one: a DIRAX file is
  // opened and closed on the same channel for every entry of the list.
  std::unique_ptr<char[]> spare_buffer;
};

// One instance for the run. Nothing reaches the layer before main, so a plain
// object of this file serves, without the guard of a function-local one on
// every access of the hot paths.
Runtime g_runtime;

Runtime& rt() {
  return g_runtime;
}

int severity(Failure failure) {
  switch (failure) {
    case Failure::kBadCharacter:
      return kExitWarning;
    case Failure::kEndOfData:
    case Failure::kOutOfRange:
    case Failure::kQuotedNumber:
    case Failure::kCommand:
      return kExitError;
    case Failure::kFileSystem:
    case Failure::kProgram:
      break;
  }
  return kExitEnded;
}

std::string_view severity_label(int status) {
  switch (status) {
    case kExitWarning:
      return "Warning: ";
    case kExitError:
      return "Error: ";
    default:
      return "Severe error: ";
  }
}

// A console line exactly as given.
void console_line(std::string_view line) {
  Runtime& r = rt();
  if (!r.console_out) return;
  std::string out(line);
  out.push_back('\n');
  // A console that cannot be written to leaves nobody to tell.
  (void)r.console_out->write(out.data(), out.size());
}

// Bytes that would upset a console (NUL, control characters) are shown as \xNN.
std::string printable(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

std::string channel_label(int channel) {
  std::string label = "channel " + std::to_string(channel);
  if (channel >= 1 && channel <= kMaxChannel && !rt().channels[channel].name.empty())
    label += " (" + printable(rt().channels[channel].name) + ")";
  return label;
}

bool valid_channel(int channel) {
  return channel >= 1 && channel <= kMaxChannel;
}

// Frees the channel's reader, keeping its buffer for the next one.
void free_reader(Channel& ch) {
  if (!ch.reader) return;
  rt().spare_buffer = ch.reader->release_buffer();
  ch.reader.reset();
}

// Writes out and frees the channel; false with the reason when the file could not
// be written out.
bool close_channel(int channel, std::string* error) {
  Channel& ch = rt().channels[channel];
  bool ok = true;
  if (ch.writer) {
    ok = ch.writer->close();
    if (!ok) *error = ch.writer->error();
  }
  free_reader(ch);
  ch.writer.reset();
  ch.name.clear();
  return ok;
}

Channel& channel_for_writing(int channel) {
  if (!valid_channel(channel) || !rt().channels[channel].writer)
    report(Failure::kProgram, channel_label(channel) + " is not open for writing");
  return rt().channels[channel];
}

// Tells the error report what a free-form read without a status met. The place
// of the read ("a memory record", "channel 2 (NAME)") is put into words only when
// there is a failure to tell: the scanner makes several reads per line.
class ReportSink : public ProblemSink {
 public:
  explicit ReportSink(std::string_view fixed_where) : fixed_where_(fixed_where) {}
  explicit ReportSink(int channel) : channel_(channel) {}
  void problem(Problem problem, std::string_view detail) override {
    const std::string where =
        fixed_where_.empty() ? channel_label(channel_) : std::string(fixed_where_);
    const std::string shown = printable(detail);
    switch (problem) {
      case Problem::kEndOfData:
        report(Failure::kEndOfData, "end of data in a read from " + where);
        break;
      case Problem::kBadCharacter:
        report(Failure::kBadCharacter,
               "the character \"" + shown +
                   "\" cannot belong to a number, read as 0, in a read from " + where);
        break;
      case Problem::kOutOfRange:
        report(Failure::kOutOfRange,
               "value out of range: \"" + shown + "\" in a read from " + where);
        break;
      case Problem::kQuotedNumber:
        report(Failure::kQuotedNumber,
               "a quoted text given for a number: " + shown + " in a read from " + where);
        break;
      case Problem::kIoError:
        report(Failure::kFileSystem, "cannot read " + where + ": " + shown);
        break;
    }
  }

 private:
  std::string_view fixed_where_;
  int channel_ = 0;
};

void report_write_failure(int channel) {
  const std::string reason = rt().channels[channel].writer->error();
  report(Failure::kFileSystem, "cannot write " + channel_label(channel) + ": " + reason);
}

}  // namespace

void install(std::unique_ptr<ByteSource> console_in, std::unique_ptr<ByteSink> console_out,
             FileSystem& file_system) {
  Runtime& r = rt();
  for (auto& ch : r.channels) {
    ch.reader.reset();
    ch.writer.reset();
    ch.name.clear();
  }
  r.console_in = std::make_unique<RecordReader>(std::move(console_in));
  r.console_out = std::move(console_out);
  r.file_system = &file_system;
  r.counts.fill(0);
  r.worst = kExitClean;
}

void install_posix() {
  // A console that goes away must not kill the run before its files are closed.
  signal(SIGPIPE, SIG_IGN);
  install(stdin_source(), stdout_sink(), posix_file_system());
}

int end_run(const RunEnded& ended) {
  int status = ended.exit_status;
  for (int channel = 1; channel <= kMaxChannel; ++channel) {
    std::string error;
    const std::string label = channel_label(channel);
    if (!close_channel(channel, &error)) {
      std::string line = " !! ";
      line += severity_label(kExitEnded);
      line += "cannot write " + label + ": ";
      line += error;
      console_line(line);
      status = kExitEnded;
    }
  }
  return status;
}

void stop(int at_least) {
  throw RunEnded{std::max(rt().worst, at_least)};
}

void report(Failure failure, std::string_view message) {
  Runtime& r = rt();
  const int level = severity(failure);
  const int count = ++r.counts[static_cast<std::size_t>(failure)];
  if (level < kExitEnded) r.worst = std::max(r.worst, level);
  const bool ends =
      level == kExitEnded || (failure == Failure::kEndOfData && count >= kEndOfDataLimit);
  if (count <= kShownPerKind || ends)
    console_line(" !! " + std::string(severity_label(level)) + std::string(message));
  if (ends) {
    if (failure == Failure::kEndOfData)
      console_line(" !! Execution ended: " + std::to_string(kEndOfDataLimit) +
                   " ends of data in this run.");
    else
      console_line(" !! Execution ended.");
    throw RunEnded{kExitEnded};
  }
  if (count <= kShownPerKind) console_line(kContinuation);
}

int worst_status() {
  return rt().worst;
}

void console_write(std::initializer_list<std::string_view> texts) {
  std::string line = " ";
  for (const auto text : texts) line.append(text);
  console_line(line);
}

bool exists(std::string_view name) {
  const std::string_view trimmed = trim_right(name);
  return !trimmed.empty() && rt().file_system->exists(std::string(trimmed));
}

namespace {

// Connects the named file for reading on the free channel. The name goes
// straight into the channel's own text, whose room is kept from file to file, so
// that an open allocates nothing for it. False, with the system's reason in
// *error, when the file system refuses the file; the name then stays in the
// channel's text for the caller's diagnostic.
bool connect_reader(int channel, std::string_view name, std::string* error) {
  Channel& ch = rt().channels[channel];
  ch.name.assign(trim_right(name));
  auto source = rt().file_system->open(ch.name, error);
  if (!source) return false;
  ch.reader = std::make_unique<RecordReader>(std::move(source), std::move(rt().spare_buffer));
  return true;
}

// Frees the channel that connect_reader could not connect and reports why.
void report_open_failure(int channel, const std::string& error) {
  Channel& ch = rt().channels[channel];
  const std::string file = std::move(ch.name);
  ch.name.clear();
  report(Failure::kFileSystem, "cannot open " + printable(file) + " on channel " +
                                   std::to_string(channel) + ": " + error);
}

}  // namespace

void open_read(int channel, std::string_view name) {
  if (!valid_channel(channel))
    report(Failure::kProgram, channel_label(channel) + " does not exist");
  close(channel);
  std::string error;
  if (!connect_reader(channel, name, &error)) report_open_failure(channel, error);
}

bool open_read_if_exists(int channel, std::string_view name) {
  if (!valid_channel(channel))
    report(Failure::kProgram, channel_label(channel) + " does not exist");
  close(channel);
  if (trim_right(name).empty()) return false;  // an all-blank name names nothing
  std::string error;
  if (connect_reader(channel, name, &error)) return true;
  // Only a failed open asks whether the file is there: a missing file is no
  // failure of the layer, one that is there but refused is.
  Channel& ch = rt().channels[channel];
  if (!rt().file_system->exists(ch.name)) {
    ch.name.clear();
    return false;
  }
  report_open_failure(channel, error);
  return true;  // as after open_read: the failure has ended the run
}

void create(int channel, std::string_view name) {
  if (!valid_channel(channel))
    report(Failure::kProgram, channel_label(channel) + " does not exist");
  close(channel);
  const std::string file(trim_right(name));
  std::string error;
  auto sink = rt().file_system->create(file, &error);
  if (!sink) {
    report(Failure::kFileSystem, "cannot create " + printable(file) + " on channel " +
                                     std::to_string(channel) + ": " + error);
    return;
  }
  Channel& ch = rt().channels[channel];
  ch.name = file;
  ch.writer = std::make_unique<RecordWriter>(std::move(sink));
}

void close(int channel) {
  if (!valid_channel(channel)) return;
  Channel& ch = rt().channels[channel];
  if (!ch.writer) {
    // A file read from has nothing to write out: closing it cannot fail, and
    // there is no label to build for a diagnostic (one close per listed file).
    free_reader(ch);
    ch.name.clear();
    return;
  }
  const std::string label = channel_label(channel);
  std::string error;
  if (!close_channel(channel, &error))
    report(Failure::kFileSystem, "cannot write " + label + ": " + error);
}

void rewind(int channel) {
  if (!valid_channel(channel) || !rt().channels[channel].reader)
    report(Failure::kProgram, channel_label(channel) + " is not open for reading");
  Channel& ch = rt().channels[channel];
  if (!ch.reader->rewind())
    report(Failure::kFileSystem, "cannot position " + channel_label(channel) +
                                     " at its first record: " + ch.reader->error());
}

void write(int channel, const Layout& layout, std::initializer_list<Item> items) {
  write(channel, layout, std::span<const Item>(items.begin(), items.size()));
}

void write(int channel, const Layout& layout, std::span<const Item> items) {
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
  write(channel, layout, items);
}

void flush(int channel) {
  Channel& ch = channel_for_writing(channel);
  if (!ch.writer->flush())
    report(Failure::kFileSystem,
           "cannot write " + channel_label(channel) + ": " + ch.writer->error());
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

namespace {

// The reader of a channel open for reading; null otherwise.
RecordReader* reader_of(int channel) {
  return valid_channel(channel) ? rt().channels[channel].reader.get() : nullptr;
}

}  // namespace

int read_record(int channel, std::string_view* record, std::size_t keep) {
  RecordReader* reader = reader_of(channel);
  return reader ? reader->next_record_prefix(record, keep) : kStatusIoError;
}

int read_record_starting(int channel, std::string_view* record, std::size_t keep,
                         const ByteSet& first) {
  RecordReader* reader = reader_of(channel);
  return reader ? reader->next_record_starting(record, keep, first) : kStatusIoError;
}

void read_a(int channel, std::string& text, int* status) {
  if (!valid_channel(channel) || !rt().channels[channel].reader) {
    if (status) {
      *status = kStatusIoError;
      return;
    }
    report(Failure::kProgram, channel_label(channel) + " is not open for reading");
  }
  std::string_view record;
  RecordReader& reader = *rt().channels[channel].reader;
  const int got = reader.next_record_prefix(&record, text.size());
  if (status) *status = got;
  if (got == kStatusOk) {
    set_text(text, record);
  } else if (!status) {
    if (got == kStatusEnd)
      report(Failure::kEndOfData, "end of data in a read from " + channel_label(channel));
    else
      report(Failure::kFileSystem, "cannot read " + channel_label(channel) + ": " + reader.error());
  }
}

void read_a(std::string_view memory, std::string& text) {
  set_text(text, memory);
}

ReadOutcome read_free(Source source, std::initializer_list<Target> targets, int* status) {
  const std::span<const Target> list(targets.begin(), targets.size());
  ReadOutcome outcome;
  switch (source.kind) {
    case Source::Kind::kConsole: {
      ReportSink sink("the console");
      outcome = read_free_form(*rt().console_in, list, status ? nullptr : &sink);
      break;
    }
    case Source::Kind::kMemory: {
      // The values of DIRAX lines: one plain number for one real, taken without
      // setting up the free-form read; the outcome is the one it would give.
      if (list.size() == 1 && list[0].kind == Target::Kind::kReal &&
          read_plain_real(source.memory, list[0].real)) {
        outcome.values = 1;
        outcome.record = 1;
        break;
      }
      MemoryRecordSource memory(source.memory);
      ReportSink sink("a memory record");
      outcome = read_free_form(memory, list, status ? nullptr : &sink);
      break;
    }
    case Source::Kind::kChannel: {
      if (!valid_channel(source.channel) || !rt().channels[source.channel].reader) {
        if (!status)
          report(Failure::kProgram, channel_label(source.channel) + " is not open for reading");
        outcome.status = kStatusIoError;
        break;
      }
      ReportSink sink(source.channel);
      outcome =
          read_free_form(*rt().channels[source.channel].reader, list, status ? nullptr : &sink);
      break;
    }
  }
  if (status) *status = outcome.status;
  return outcome;
}

// --- System command ---------------------------------------------------------

void set_command_path_folder(const std::string& folder) {
  if (folder.empty()) return;
  const char* path = std::getenv("PATH");
  std::string value = path && *path ? std::string(path) + ":" + folder : folder;
  setenv("PATH", value.c_str(), 1);
}

std::string processor_command_line(std::string_view comspec, std::string_view command) {
  std::string line(comspec);
  line += " /c ";
  line += command;
  return line;
}

namespace {

// Splits a command line into words at blanks and tabs; double quotes group.
std::vector<std::string> command_words(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false, quoted = false;
  for (const char c : line) {
    if (c == '"') {
      quoted = !quoted;
      in_word = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (in_word) words.push_back(word);
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word) words.push_back(word);
  return words;
}

}  // namespace

int system_command(std::string_view command, bool via_processor, bool wait) {
  const char* comspec = via_processor ? std::getenv("COMSPEC") : nullptr;
  std::vector<std::string> words;
  if (comspec) {
    words = command_words(processor_command_line(comspec, command));
  } else {
    words = {"sh", "-c", std::string(command)};
  }
  if (words.empty()) return 0;
  std::vector<char*> argv;
  argv.reserve(words.size() + 1);
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  // The child starts with the usual signal handling; the run's files are all
  // close-on-exec, so it inherits only the console.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGQUIT);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);

  // While the command runs, an interrupt typed at the console is the command's.
  struct sigaction ignore {
  }, old_int{}, old_quit{};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGINT, &ignore, &old_int);
  sigaction(SIGQUIT, &ignore, &old_quit);

  pid_t pid = 0;
  const int err = comspec ? posix_spawnp(&pid, argv[0], nullptr, &attr, argv.data(), environ)
                          : posix_spawn(&pid, "/bin/sh", nullptr, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  if (err == 0 && wait) {
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
  }
  sigaction(SIGINT, &old_int, nullptr);
  sigaction(SIGQUIT, &old_quit, nullptr);
  // A program named by COMSPEC that cannot be started is not reported; the
  // platform's own command service failing is.
  if (err != 0 && !comspec)
    report(Failure::kCommand,
           std::string("the command processor cannot be started: ") + std::strerror(err));
  return 0;
}

}  // namespace textrec
