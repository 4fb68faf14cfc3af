#include "textrec/reads.h"

#include <array>
#include <charconv>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "textrec/report.h"
#include "textrec/runtime.h"
#include "textrec/text.h"

namespace textrec {
namespace {

// The reader of a channel open for reading; null otherwise.
RecordReader* reader_of(int channel) {
  return valid_channel(channel) ? runtime().channels[channel].reader.get() : nullptr;
}

// A number as the warnings show the value read: the shortest text that reads
// back as it, with ".0" added to a whole number ("1.0", "-2.5", "1e+20").
std::string shown_value(float x) {
  std::array<char, 32> text{};
  const auto end = std::to_chars(text.data(), text.data() + text.size(), x).ptr;
  std::string shown(text.data(), end);
  if (shown.find_first_of(".eni") == std::string::npos) shown += ".0";
  return shown;
}

// Ends the run on a read of the console (channel 0) or of a channel that
// failed: the source failed, or a record was too long to be held.
[[noreturn]] void fail_read(int channel, const RecordReader& reader, int status,
                            std::int64_t line) {
  const std::string file = channel == 0 ? std::string("the console")
                                        : printable(runtime().channels[channel].name) +
                                              " on channel " + std::to_string(channel);
  if (status == kStatusTooLong) {
    report(Failure::kFileSystem, "line " + std::to_string(line) + " of " + file +
                                     " is longer than " + std::to_string(kRecordLimit) +
                                     " characters");
  } else {
    report(Failure::kFileSystem, "cannot read " + file + ": " + reader.error());
  }
  throw RunEnded{kExitEnded};  // report() has ended the run already
}

// The status of a read of the channel or console, when the run goes on. The
// line of a record too long is the next one of the reader, or `line` when
// known.
int checked(int channel, const RecordReader& reader, int status, std::int64_t line = 0) {
  if (status == kStatusIoError || status == kStatusTooLong)
    fail_read(channel, reader, status, line > 0 ? line : reader.record_number() + 1);
  return status;
}

RecordReader& reader_for_report(int channel) {
  RecordReader* reader = reader_of(channel);
  if (reader == nullptr)
    report(Failure::kProgram, channel_label(channel) + " is not open for reading");
  return *reader;
}

// Tells the error report what a free-form read without a status met. The place
// of the read ("a memory record", "channel 2 (NAME)") is put into words only when
// there is a failure to tell.
class ReportSink : public ProblemSink {
 public:
  explicit ReportSink(std::string_view fixed_where) : fixed_where_(fixed_where) {}
  explicit ReportSink(int channel) : channel_(channel) {}
  // A memory record, taken from `origin` when its file is known.
  ReportSink(std::string_view record, RecordOrigin origin)
      : fixed_where_("a memory record"), record_(record), origin_(origin) {}
  // The same, its problems put into `told` rather than told to the run where
  // that is given, the place named by its line where the file is known.
  ReportSink(std::string_view record, RecordOrigin origin, std::vector<std::string>* told)
      : fixed_where_("a memory record"), record_(record), origin_(origin), told_(told) {}
  void problem(Problem problem, std::string_view detail, float read_as) override {
    const std::string where =
        told_ != nullptr && !origin_.file.empty()
            ? "line " + std::to_string(origin_.line) + " of " + printable(origin_.file)
        : fixed_where_.empty() ? channel_label(channel_)
                               : std::string(fixed_where_);
    const std::string shown = shown_token(detail);
    switch (problem) {
      case Problem::kEndOfData:
        tell(Failure::kEndOfData, "end of data in a read from " + where);
        break;
      case Problem::kBadCharacter:
        tell(Failure::kBadCharacter, "the character \"" + shown +
                                         "\" cannot belong to a number, read as 0, in " +
                                         bad_character_place(where));
        break;
      case Problem::kNoDigits:
        tell(Failure::kBadCharacter,
             "the number \"" + shown + "\" has no digits" +
                 (detail.find_first_of("0123456789") == std::string_view::npos
                      ? ""
                      : " before its exponent") +
                 ", read as 0, in a read from " + where);
        break;
      case Problem::kExponentWithoutDigits:
        tell(Failure::kBadCharacter, "the number \"" + shown +
                                         "\" has an exponent without digits, read as " +
                                         shown_value(read_as) + ", in a read from " + where);
        break;
      case Problem::kOutOfRange:
        tell(Failure::kOutOfRange, "value out of range: \"" + shown + "\" in a read from " + where);
        break;
      case Problem::kQuotedNumber:
        tell(Failure::kQuotedNumber,
             "a quoted text given for a number: " + shown + " in a read from " + where);
        break;
      case Problem::kIoError:
        break;  // told by the read, which knows the reason
    }
  }

 private:
  void tell(Failure failure, std::string message) const {
    if (told_ != nullptr)
      told_->push_back(std::move(message));
    else
      report(failure, message);
  }

  // The text read and the line it stands on, where the record's file is known.
  std::string bad_character_place(const std::string& where) const {
    if (origin_.file.empty()) return "a read from " + where;
    const std::size_t first = record_.find_first_not_of(" \t");
    const std::size_t last = record_.find_last_not_of(" \t");
    const std::string_view text = first == std::string_view::npos
                                      ? std::string_view()
                                      : record_.substr(first, last - first + 1);
    // Built by appending: GCC 12 warns (-Wrestrict, falsely) at a literal put
    // before a temporary string.
    std::string place(1, '"');
    place += shown_token(text);
    place += "\" on line " + std::to_string(origin_.line) + " of " + printable(origin_.file);
    return place;
  }

  std::string_view fixed_where_;
  int channel_ = 0;
  std::string_view record_;
  RecordOrigin origin_;
  std::vector<std::string>* told_ = nullptr;
};

// The free-form read from the source; sink null for a read with a status.
ReadOutcome read_free_from(Source source, std::span<const Target> targets, bool with_status) {
  switch (source.kind) {
    case Source::Kind::kConsole: {
      ReportSink sink("the console");
      RecordReader& console = *runtime().console_in;
      const ReadOutcome outcome = read_free_form(console, targets, with_status ? nullptr : &sink);
      (void)checked(0, console, outcome.status, outcome.record);
      return outcome;
    }
    case Source::Kind::kMemory: {
      MemoryRecordSource memory(source.memory);
      ReportSink sink(source.memory, source.origin);
      return read_free_form(memory, targets, with_status ? nullptr : &sink);
    }
    case Source::Kind::kChannel:
      break;
  }
  RecordReader* reader = reader_of(source.channel);
  if (with_status && reader == nullptr) return ReadOutcome{kStatusIoError, 0, 0, 0};
  if (reader == nullptr) reader = &reader_for_report(source.channel);
  ReportSink sink(source.channel);
  const ReadOutcome outcome = read_free_form(*reader, targets, with_status ? nullptr : &sink);
  (void)checked(source.channel, *reader, outcome.status, outcome.record);
  return outcome;
}

}  // namespace

void read_a(int channel, std::string& text) {
  RecordReader& reader = reader_for_report(channel);
  std::string_view record;
  const int status = checked(channel, reader, reader.next_record_prefix(&record, text.size()));
  if (status == kStatusOk) {
    set_text(text, record);
  } else {
    report(Failure::kEndOfData, "end of data in a read from " + channel_label(channel));
  }
}

int read_a_with_status(int channel, std::string& text) {
  RecordReader* reader = reader_of(channel);
  if (reader == nullptr) return kStatusIoError;
  std::string_view record;
  const int status = checked(channel, *reader, reader->next_record_prefix(&record, text.size()));
  if (status == kStatusOk) set_text(text, record);
  return status;
}

void read_a(std::string_view memory, std::string& text) {
  set_text(text, memory);
}

int read_record(int channel, std::string_view* record, std::size_t keep) {
  RecordReader* reader = reader_of(channel);
  return reader ? checked(channel, *reader, reader->next_record_prefix(record, keep))
                : kStatusIoError;
}

int read_record_starting(int channel, KeywordRecord* found, std::size_t keep,
                         const LineKeywords& keywords) {
  RecordReader* reader = reader_of(channel);
  return reader ? checked(channel, *reader, reader->next_record_starting(found, keep, keywords))
                : kStatusIoError;
}

void repeat_record(int channel) {
  reader_for_report(channel).repeat_record();
}

std::string shown_token(std::string_view value) {
  constexpr std::size_t kShownLength = 80;
  if (value.size() <= kShownLength) return printable(value);
  // Not cut inside a UTF-8 sequence: back to the byte that starts one.
  std::size_t cut = kShownLength;
  while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0U) == 0x80U) --cut;
  return printable(value.substr(0, cut)) + "...";
}

std::string_view read_channel_start(int channel) {
  RecordReader& reader = reader_for_report(channel);
  std::string_view start;
  (void)checked(channel, reader, reader.peek_start(&start));
  return start;
}

bool read_channel_bytes(int channel, std::size_t limit, std::string* bytes) {
  RecordReader& reader = reader_for_report(channel);
  const int status = reader.read_whole(limit, bytes);
  if (status == kStatusTooLong) {
    bytes->clear();
    return false;
  }
  (void)checked(channel, reader, status);
  return true;
}

ReadOutcome read_free(Source source, std::initializer_list<Target> targets) {
  return read_free_from(source, {targets.begin(), targets.size()}, false);
}

ReadOutcome read_free_with_status(Source source, std::initializer_list<Target> targets) {
  return read_free_from(source, {targets.begin(), targets.size()}, true);
}

ReadOutcome read_free_told(std::string_view memory, RecordOrigin origin,
                           std::initializer_list<Target> targets, std::vector<std::string>* told) {
  MemoryRecordSource source(memory);
  ReportSink sink(memory, origin, told);
  return read_free_form(source, {targets.begin(), targets.size()}, &sink);
}

}  // namespace textrec
