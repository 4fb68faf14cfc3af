// The free-form read.
//
// One read walks the records of its source once, left to right, and fills the
// targets in order. Besides the rules in freeform.h it settles these points:
// - A quoted text that runs over the end of a record goes on with the first
//   character of the next record: nothing is inserted at the boundary. A
//   delimiter that is the last character of a record closes the value.
// - Characters right after the closing delimiter, up to the next separator, are
//   added to the value: 'my file'.out is |my file.out|. A delimiter inside an
//   unquoted value is an ordinary character (O'Brien.out).
// - A repeat count is one or more digits worth at least 1; 0*5 is no repeat but
//   an ordinary value. A repeated value that fails for a number is reported once,
//   as it stands once in the record.
// - Only a slash where a value is expected ends the read; for a file name it
//   begins the value instead, as a slash is an ordinary character of an
//   unquoted file name.
// - An end of the data inside a quoted value makes the read fail as for a bad
//   value (kStatusBadValue), the record being the one where the value began:
//   only an end of the data before any character of a value is the end.
// - A quoted value that runs over records and grows past kRecordLimit fails
//   the read as a record that long does (kStatusTooLong), in the record where
//   the value began.
// - A read without targets passes over one record, as any read starts with a
//   record of its own.
// - The outcome of a read without a status tells how the read ended too:
//   kStatusEnd or kStatusIoError when it stopped (after the sink was told),
//   otherwise kStatusOk, whatever warnings and errors went to the sink on the way.
//   Its `values` count a number target whose value failed there, since the read
//   went past it; `record` of a complete read is that of the last value taken,
//   after a failing source it is the record number the source then gives.
//
// A value is a view of its record wherever it can be; only a quoted text joined
// over records, with a doubled delimiter or with characters after its closing
// delimiter is copied, into a buffer of the read. Numbers are converted on the
// stack, so the common read allocates nothing.
#include "textrec/freeform.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "textrec/number.h"
#include "textrec/text.h"

namespace textrec {

int MemoryRecordSource::next_record(std::string_view* record) {
  if (delivered_) return kStatusEnd;
  delivered_ = true;
  *record = record_;
  return kStatusOk;
}

namespace {

// Repeat counts are saturated here; a count above the targets left just fills them.
constexpr std::uint64_t kRepeatLimit = 1'000'000'000;

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
bool is_blank(char c) {
  return c == ' ' || c == '\t';
}
bool is_quote(char c) {
  return c == '\'' || c == '"';
}

// Whether c ends an unquoted value for the target.
bool ends_value(char c, const Target& target) {
  return is_blank(c) || c == ',' || (c == '/' && !target.slash_is_ordinary);
}

Problem problem_of(NumberFlaw::Kind kind) {
  switch (kind) {
    case NumberFlaw::Kind::kNoDigits:
      return Problem::kNoDigits;
    case NumberFlaw::Kind::kExponentWithoutDigits:
      return Problem::kExponentWithoutDigits;
    case NumberFlaw::Kind::kBadCharacter:
      break;
  }
  return Problem::kBadCharacter;
}

// Reads values from the records of one source into the targets.
class FreeFormReader {
 public:
  FreeFormReader(RecordSource& source, std::span<const Target> targets, ProblemSink* sink)
      : source_(source), targets_(targets), sink_(sink) {}

  ReadOutcome run();

 private:
  // The usual read of one real from a record that holds one number and
  // nothing else before a separator, taken in one pass; the outcome is that of
  // the general loop. False, with nothing taken, when the record needs that loop.
  bool take_lone_number();
  // Fetches the next record. When none comes, the outcome says why and the
  // sink (if any) has been told; returns false then.
  bool next_record();
  // Targets not yet given a value.
  std::size_t remaining() const { return targets_.size() - next_target_; }
  // Reads r of an r* or r*v at the current position, if one starts there.
  // Returns the count (1 when there is none); *empty tells r* alone.
  std::size_t take_repeat(const Target& target, bool* empty);
  // Reads the value at the current position into *value. False when the read
  // ends inside it (end of the data or a failure).
  bool take_value(const Target& target, std::string_view* value, bool* quoted);
  bool take_quoted(const Target& target, std::string_view* value);
  // Gives the value to the next `count` targets. False when the read fails there.
  bool assign(std::string_view value, bool quoted, std::size_t count);
  void take_empty(std::size_t count);
  // Passes the separator that ended a value; true when it was a comma.
  bool pass_separator();
  bool fail_bad_value();
  void note_taken();

  RecordSource& source_;
  std::span<const Target> targets_;
  ProblemSink* sink_;
  std::string_view record_;
  std::size_t pos_ = 0;
  std::size_t next_target_ = 0;
  std::int64_t last_value_record_ = 0;
  ReadOutcome outcome_;
  std::string joined_;             // a quoted text that could not stay a view of its record
  std::vector<NumberFlaw> flaws_;  // of the number being read
};

bool FreeFormReader::next_record() {
  const int status = source_.next_record(&record_);
  pos_ = 0;
  if (status == kStatusOk) return true;
  record_ = {};
  if (status == kStatusEnd) {
    outcome_.status = kStatusEnd;
    outcome_.record = last_value_record_;
    if (sink_ != nullptr) sink_->problem(Problem::kEndOfData, {}, 0.0f);
  } else {
    outcome_.status = status;
    // A record too long is one not delivered: the next one.
    outcome_.record = source_.record_number() + (status == kStatusTooLong ? 1 : 0);
    if (sink_ != nullptr) sink_->problem(Problem::kIoError, {}, 0.0f);
  }
  return false;
}

ReadOutcome FreeFormReader::run() {
  if (!next_record()) return outcome_;
  if (take_lone_number()) return outcome_;
  // Whether a comma found now stands for an empty value: at the start of the
  // input and after a comma that already separated.
  bool after_comma = true;
  while (next_target_ < targets_.size()) {
    while (pos_ < record_.size() && is_blank(record_[pos_])) ++pos_;
    if (pos_ == record_.size()) {
      if (!next_record()) return outcome_;
      continue;
    }
    if (outcome_.began == 0) outcome_.began = source_.record_number();
    const Target& target = targets_[next_target_];
    const char c = record_[pos_];
    if (c == ',') {
      ++pos_;
      if (after_comma) take_empty(1);
      after_comma = true;
      continue;
    }
    if (c == '/' && !target.slash_is_ordinary) break;
    bool empty = false;
    const std::size_t count = take_repeat(target, &empty);
    if (empty) {
      take_empty(count);
    } else {
      std::string_view value;
      bool quoted = false;
      if (!take_value(target, &value, &quoted)) return outcome_;
      if (!assign(value, quoted, count)) return outcome_;
    }
    after_comma = pass_separator();
  }
  outcome_.record = last_value_record_;
  return outcome_;
}

bool FreeFormReader::take_lone_number() {
  if (targets_.size() != 1 || targets_[0].kind != Target::Kind::kReal) return false;
  std::size_t start = pos_;
  while (start < record_.size() && is_blank(record_[start])) ++start;
  std::size_t end = start;
  while (end < record_.size() && is_number_character(record_[end])) ++end;
  if (end == start) return false;  // a blank record, a separator, a quote...
  if (end < record_.size() && !ends_value(record_[end], targets_[0])) return false;
  pos_ = end;
  outcome_.began = source_.record_number();
  if (assign(record_.substr(start, end - start), false, 1)) outcome_.record = last_value_record_;
  return true;
}

std::size_t FreeFormReader::take_repeat(const Target& target, bool* empty) {
  std::size_t end = pos_;
  std::uint64_t count = 0;
  while (end < record_.size() && is_digit(record_[end])) {
    count = std::min(count * 10 + static_cast<std::uint64_t>(record_[end] - '0'), kRepeatLimit);
    ++end;
  }
  if (end == pos_ || end == record_.size() || record_[end] != '*' || count == 0) return 1;
  pos_ = end + 1;
  *empty = pos_ == record_.size() || ends_value(record_[pos_], target);
  return static_cast<std::size_t>(count);
}

bool FreeFormReader::take_value(const Target& target, std::string_view* value, bool* quoted) {
  if (is_quote(record_[pos_])) {
    // A read with a status fails here at once: a text cannot be a number.
    if (target.kind == Target::Kind::kReal && sink_ == nullptr) return fail_bad_value();
    *quoted = true;
    return take_quoted(target, value);
  }
  const std::size_t start = pos_;
  while (pos_ < record_.size() && !ends_value(record_[pos_], target)) ++pos_;
  *value = record_.substr(start, pos_ - start);
  return true;
}

bool FreeFormReader::take_quoted(const Target& target, std::string_view* value) {
  const char delimiter = record_[pos_++];
  // Where the value began: an end of the data inside it makes the value, not
  // the data, what failed.
  const std::int64_t opened_in = source_.record_number();
  joined_.clear();
  bool in_joined = false;  // earlier parts of the value are in joined_
  std::size_t start = pos_;
  for (;;) {
    const std::size_t close = record_.find(delimiter, pos_);
    if (close == std::string_view::npos) {
      // The value goes on with the next record's first character.
      if (joined_.size() + (record_.size() - start) > kRecordLimit) {
        // Held as one record would be, and refused as one.
        outcome_.status = kStatusTooLong;
        outcome_.record = opened_in;
        return false;
      }
      joined_.append(record_.substr(start));
      in_joined = true;
      if (!next_record()) {
        if (outcome_.status == kStatusEnd) {
          outcome_.status = kStatusBadValue;
          outcome_.record = opened_in;
        }
        return false;
      }
      start = 0;
      continue;
    }
    if (close + 1 < record_.size() && record_[close + 1] == delimiter) {
      joined_.append(record_.substr(start, close + 1 - start));  // one delimiter kept
      in_joined = true;
      start = pos_ = close + 2;
      continue;
    }
    const std::string_view last_part = record_.substr(start, close - start);
    pos_ = close + 1;
    const std::size_t tail = pos_;
    while (pos_ < record_.size() && !ends_value(record_[pos_], target)) ++pos_;
    if (!in_joined && tail == pos_) {
      *value = last_part;
    } else {
      joined_.append(last_part);
      joined_.append(record_.substr(tail, pos_ - tail));
      *value = joined_;
    }
    return true;
  }
}

bool FreeFormReader::assign(std::string_view value, bool quoted, std::size_t count) {
  const std::size_t n = std::min(count, remaining());
  bool converted = false;
  bool in_range = false;
  float x = 0.0f;
  for (std::size_t i = 0; i < n; ++i) {
    const Target& target = targets_[next_target_];
    if (target.kind == Target::Kind::kText) {
      if (target.whole) {
        target.text->assign(value);
      } else {
        set_text(*target.text, value);
      }
    } else if (quoted) {
      if (sink_ == nullptr) return fail_bad_value();
      if (!converted) sink_->problem(Problem::kQuotedNumber, value, 0.0f);
      converted = true;
    } else {
      if (!converted) {
        in_range = convert_number(value, &x, flaws_);
        converted = true;
        if (sink_ == nullptr) {
          if (!flaws_.empty() || !in_range) return fail_bad_value();
        } else {
          for (const NumberFlaw& flaw : flaws_) sink_->problem(problem_of(flaw.kind), flaw.text, x);
          if (!in_range) sink_->problem(Problem::kOutOfRange, value, 0.0f);
        }
      }
      if (in_range) *target.real = x;
    }
    ++next_target_;
    note_taken();
  }
  return true;
}

void FreeFormReader::take_empty(std::size_t count) {
  const std::size_t n = std::min(count, remaining());
  next_target_ += n;
  outcome_.values += static_cast<int>(n);
  last_value_record_ = source_.record_number();
}

void FreeFormReader::note_taken() {
  ++outcome_.values;
  last_value_record_ = source_.record_number();
}

bool FreeFormReader::pass_separator() {
  if (pos_ < record_.size() && record_[pos_] == ',') {
    ++pos_;
    return true;
  }
  return false;
}

bool FreeFormReader::fail_bad_value() {
  outcome_.status = kStatusBadValue;
  outcome_.record = source_.record_number();
  return false;
}

}  // namespace

ReadOutcome read_free_form(RecordSource& source, std::span<const Target> targets,
                           ProblemSink* sink) {
  return FreeFormReader(source, targets, sink).run();
}

}  // namespace textrec
