// The free-form read.
//
// Values are taken from the records of a source (the console, a channel, a
// memory record) into targets, one after another: blanks and tabs skipped,
// values ended by blank, tab, comma, slash or the end of the record, empty
// values between commas, r*v and r*, quoted texts that may run over records,
// numbers with E/D/Q or sign exponents, reading on over records that hold no
// value, and the rest of the last record ignored. A memory record has one
// record only: reaching its end early is the end of the data.
//
// The parser itself reports nothing: what the error report must hear of goes to
// a ProblemSink, and only in a read without a status. A read with a status never
// calls the sink; its outcome is in ReadOutcome::status.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "textrec/status.h"

namespace textrec {

// A memory record as a source: one record, then the end of the data.
class MemoryRecordSource : public RecordSource {
 public:
  explicit MemoryRecordSource(std::string_view record) : record_(record) {}
  int next_record(std::string_view* record) override;
  std::int64_t record_number() const override { return delivered_ ? 1 : 0; }

 private:
  std::string_view record_;
  bool delivered_ = false;
};

// One target of a free-form read.
struct Target {
  enum class Kind { kText, kReal };
  Kind kind = Kind::kText;
  std::string* text = nullptr;  // kText: fixed-length, blank-padded (see `whole`)
  float* real = nullptr;        // kReal
  // kText only: take the whole value, neither cut nor padded (file names).
  bool whole = false;
  // kText only: a slash is an ordinary character of an unquoted value.
  bool slash_is_ordinary = false;

  static Target Text(std::string* t) { return {Kind::kText, t, nullptr, false, false}; }
  static Target FileName(std::string* t) { return {Kind::kText, t, nullptr, true, true}; }
  static Target Real(float* x) { return {Kind::kReal, nullptr, x, false, false}; }
};

// What a read without a status tells the error report.
enum class Problem {
  kEndOfData,              // the data ended before every target had a value; the read stops
  kBadCharacter,           // a character that cannot belong to a number, counted as the digit 0
  kNoDigits,               // a number without a digit before any exponent: read as 0
  kExponentWithoutDigits,  // an exponent letter or sign with no digit after it
  kOutOfRange,    // a number outside the single-precision range; the target keeps its value
  kQuotedNumber,  // a quoted text given for a number; the target keeps its value
  kIoError,       // the source failed to deliver a record (the outcome tells how); the read stops
};

class ProblemSink {
 public:
  virtual ~ProblemSink() = default;
  // detail is a short text naming the offending value or character; read_as the
  // value the target receives, for the problems of a number.
  virtual void problem(Problem problem, std::string_view detail, float read_as) = 0;
};

struct ReadOutcome {
  int status = kStatusOk;
  // Number of targets that received a value or an empty value (a slash counts
  // for none of those it skips).
  int values = 0;
  // Record number (RecordSource::record_number) of the record in which the read
  // failed; when it met the end of the data, that of the record holding the
  // last value taken (0 when none was taken).
  std::int64_t record = 0;
  // Record number of the record in which the first value (or empty value) of
  // the read began; 0 when none began.
  std::int64_t began = 0;
};

// Reads values from source into targets. sink is null for a read with a status.
ReadOutcome read_free_form(RecordSource& source, std::span<const Target> targets,
                           ProblemSink* sink);

}  // namespace textrec
