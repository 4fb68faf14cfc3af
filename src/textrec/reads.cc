#include "textrec/reads.h"

#include <span>

#include "textrec/report.h"
#include "textrec/runtime.h"
#include "textrec/text.h"

namespace textrec {
namespace {

// The reader of a channel open for reading; null otherwise.
RecordReader* reader_of(int channel) {
  return valid_channel(channel) ? runtime().channels[channel].reader.get() : nullptr;
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

// The free-form read from the source; sink null for a read with a status.
ReadOutcome read_free_from(Source source, std::span<const Target> targets, bool with_status) {
  switch (source.kind) {
    case Source::Kind::kConsole: {
      ReportSink sink("the console");
      return read_free_form(*runtime().console_in, targets, with_status ? nullptr : &sink);
    }
    case Source::Kind::kMemory: {
      MemoryRecordSource memory(source.memory);
      ReportSink sink("a memory record");
      return read_free_form(memory, targets, with_status ? nullptr : &sink);
    }
    case Source::Kind::kChannel:
      break;
  }
  if (with_status) {
    RecordReader* reader = reader_of(source.channel);
    if (reader == nullptr) return ReadOutcome{kStatusIoError, 0, 0};
    return read_free_form(*reader, targets, nullptr);
  }
  ReportSink sink(source.channel);
  return read_free_form(reader_for_report(source.channel), targets, &sink);
}

}  // namespace

void read_a(int channel, std::string& text) {
  RecordReader& reader = reader_for_report(channel);
  std::string_view record;
  const int status = reader.next_record_prefix(&record, text.size());
  if (status == kStatusOk) {
    set_text(text, record);
  } else if (status == kStatusEnd) {
    report(Failure::kEndOfData, "end of data in a read from " + channel_label(channel));
  } else {
    report(Failure::kFileSystem, "cannot read " + channel_label(channel) + ": " + reader.error());
  }
}

int read_a_with_status(int channel, std::string& text) {
  RecordReader* reader = reader_of(channel);
  if (reader == nullptr) return kStatusIoError;
  std::string_view record;
  const int status = reader->next_record_prefix(&record, text.size());
  if (status == kStatusOk) set_text(text, record);
  return status;
}

void read_a(std::string_view memory, std::string& text) {
  set_text(text, memory);
}

int read_record(int channel, std::string_view* record, std::size_t keep) {
  RecordReader* reader = reader_of(channel);
  return reader ? reader->next_record_prefix(record, keep) : kStatusIoError;
}

int read_record_starting(int channel, KeywordRecord* found, std::size_t keep,
                         const LineKeywords& keywords) {
  RecordReader* reader = reader_of(channel);
  return reader ? reader->next_record_starting(found, keep, keywords) : kStatusIoError;
}

ReadOutcome read_free(Source source, std::initializer_list<Target> targets) {
  return read_free_from(source, {targets.begin(), targets.size()}, false);
}

ReadOutcome read_free_with_status(Source source, std::initializer_list<Target> targets) {
  return read_free_from(source, {targets.begin(), targets.size()}, true);
}

}  // namespace textrec
