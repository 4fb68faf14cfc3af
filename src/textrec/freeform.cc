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
#include <array>
#include <cfloat>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <system_error>

#include "textrec/text.h"

namespace textrec {

int MemoryRecordSource::next_record(std::string_view* record) {
  if (delivered_) return kStatusEnd;
  delivered_ = true;
  *record = record_;
  return kStatusOk;
}

namespace {

// Significant digits kept when a number is converted. A rounding boundary
// between two floats (the overflow boundary included) has at most 113
// significant digits, so a value cut after more digits than that, with one
// non-zero digit standing in for non-zero digits dropped, rounds exactly like
// the whole value.
constexpr int kKeptDigits = 120;

// Exponents are saturated here: any number this far out is beyond the float
// range or rounds to zero, however many digits stand in front of it.
constexpr std::int64_t kExponentLimit = 1'000'000'000;

// Decimal orders of magnitude outside which no conversion is needed: a value
// 0.d1d2... x 10^e with d1 non-zero lies in [10^(e-1), 10^e). Above order 39
// it is at least 10^39, beyond the float range; below order -45 it is under
// 10^-46, less than half the least float, and rounds to zero.
constexpr std::int64_t kOverflowOrder = 39;
constexpr std::int64_t kUnderflowOrder = -45;

// Repeat counts are saturated here; a count above the targets left just fills them.
constexpr std::uint64_t kRepeatLimit = 1'000'000'000;

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
bool is_sign(char c) {
  return c == '+' || c == '-';
}
bool is_blank(char c) {
  return c == ' ' || c == '\t';
}
bool is_quote(char c) {
  return c == '\'' || c == '"';
}

bool is_exponent_letter(char c) {
  switch (c) {
    case 'E':
    case 'e':
    case 'D':
    case 'd':
    case 'Q':
    case 'q':
      return true;
    default:
      return false;
  }
}

// Characters of a well-formed number: none of them starts a repeat count's
// '*', a quoted text or a separator.
bool is_number_character(char c) {
  return is_digit(c) || c == '.' || is_sign(c) || is_exponent_letter(c);
}

// Whether c ends an unquoted value for the target.
bool ends_value(char c, const Target& target) {
  return is_blank(c) || c == ',' || (c == '/' && !target.slash_is_ordinary);
}

// The mantissa of a number as the significant digits and their order of
// magnitude: the value is 0.DIGITS x 10^order.
struct Mantissa {
  char digits[kKeptDigits];
  int kept = 0;
  bool dropped_non_zero = false;
  bool any_digit = false;
  bool after_point = false;
  std::int64_t order = 0;

  void add(char d) {
    any_digit = true;
    if (kept == 0 && d == '0') {
      if (after_point) --order;  // a leading zero after the point
      return;
    }
    if (!after_point) ++order;
    if (kept < kKeptDigits) {
      digits[kept++] = d;
    } else if (d != '0') {
      dropped_non_zero = true;
    }
  }
};

// Powers of ten that are exact floats: 10^k = 2^k * 5^k, and 5^10 < 2^24.
constexpr std::array<float, 11> kExactPow10{1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                            1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// The short path of the conversion, for the numbers DIRAX writes: at most 7
// significant digits (an integer below 2^24, so an exact float) scaled by at
// most 10^10 (an exact float too). One multiply or divide of two exact floats
// is correctly rounded, nearest-even, as the exact path rounds. False, with *x
// untouched, when the value needs the exact path. m holds at least one digit.
bool fast_conversion(const Mantissa& m, std::int64_t order, float* x) {
  // Only where float arithmetic is done in float: wider intermediates would
  // round twice.
  if constexpr (FLT_EVAL_METHOD != 0) return false;
  if (m.dropped_non_zero) return false;
  int kept = m.kept;
  while (kept > 0 && m.digits[kept - 1] == '0') --kept;  // trailing zeros scale only
  if (kept > 7) return false;
  std::uint32_t digits = 0;
  for (int i = 0; i < kept; ++i)
    digits = digits * 10 + static_cast<std::uint32_t>(m.digits[i] - '0');
  // The value is digits x 10^scale.
  const std::int64_t scale = order - kept;
  if (scale < -10 || scale > 10) return false;
  const auto d = static_cast<float>(digits);
  *x = scale >= 0 ? d * kExactPow10[static_cast<std::size_t>(scale)]
                  : d / kExactPow10[static_cast<std::size_t>(-scale)];
  return true;
}

// Reads values from the records of one source into the targets.
class FreeFormReader {
 public:
  FreeFormReader(RecordSource& source, std::span<const Target> targets, ProblemSink* sink)
      : source_(source), targets_(targets), sink_(sink) {}

  ReadOutcome run();

 private:
  // The read of one number from a record that holds it as number characters
  // alone, in one pass: the outcome is that of the general loop. False, with
  // nothing taken, when the record needs the general loop.
  bool take_plain_number();
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
  std::string joined_;  // a quoted text that could not stay a view of its record
  std::vector<std::string_view> bad_places_;  // bad characters of the number being read
};

bool FreeFormReader::next_record() {
  const int status = source_.next_record(&record_);
  pos_ = 0;
  if (status == kStatusOk) return true;
  record_ = {};
  if (status == kStatusEnd) {
    outcome_.status = kStatusEnd;
    outcome_.record = last_value_record_;
    if (sink_ != nullptr) sink_->problem(Problem::kEndOfData, {});
  } else {
    outcome_.status = kStatusIoError;
    outcome_.record = source_.record_number();
    if (sink_ != nullptr) sink_->problem(Problem::kIoError, {});
  }
  return false;
}

ReadOutcome FreeFormReader::run() {
  if (!next_record()) return outcome_;
  if (take_plain_number()) return outcome_;
  // Whether a comma found now stands for an empty value: at the start of the
  // input and after a comma that already separated.
  bool after_comma = true;
  while (next_target_ < targets_.size()) {
    while (pos_ < record_.size() && is_blank(record_[pos_])) ++pos_;
    if (pos_ == record_.size()) {
      if (!next_record()) return outcome_;
      continue;
    }
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

bool FreeFormReader::take_plain_number() {
  if (targets_.size() != 1 || targets_[0].kind != Target::Kind::kReal) return false;
  std::size_t start = pos_;
  while (start < record_.size() && is_blank(record_[start])) ++start;
  std::size_t end = start;
  while (end < record_.size() && is_number_character(record_[end])) ++end;
  if (end == start) return false;  // a blank record, a separator, a quote...
  if (end < record_.size() && !ends_value(record_[end], targets_[0])) return false;
  pos_ = end;
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
  joined_.clear();
  bool in_joined = false;  // earlier parts of the value are in joined_
  std::size_t start = pos_;
  for (;;) {
    const std::size_t close = record_.find(delimiter, pos_);
    if (close == std::string_view::npos) {
      // The value goes on with the next record's first character.
      joined_.append(record_.substr(start));
      in_joined = true;
      if (!next_record()) return false;
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
      if (!converted) sink_->problem(Problem::kQuotedNumber, value);
      converted = true;
    } else {
      if (!converted && read_plain_real(value, &x)) {
        converted = in_range = true;  // a plain number has nothing to report
      } else if (!converted) {
        int bad_characters = 0;
        bad_places_.clear();
        in_range = convert_number(value, &x, &bad_characters, sink_ ? &bad_places_ : nullptr);
        converted = true;
        if (sink_ == nullptr) {
          if (bad_characters > 0 || !in_range) return fail_bad_value();
        } else {
          for (const std::string_view place : bad_places_)
            sink_->problem(Problem::kBadCharacter, place);
          if (!in_range) sink_->problem(Problem::kOutOfRange, value);
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

bool read_plain_real(std::string_view record, float* x) {
  if constexpr (FLT_EVAL_METHOD != 0) return false;  // see fast_conversion
  const char* p = record.data();
  const char* const end = p + record.size();
  while (p != end && is_blank(*p)) ++p;
  const bool negative = p != end && *p == '-';
  if (p != end && is_sign(*p)) ++p;
  // The digits before the point and those after it, found first, then read.
  const char* const whole = p;
  while (p != end && is_digit(*p)) ++p;
  const char* const whole_end = p;
  const char* fraction = p;
  if (p != end && *p == '.') {
    fraction = ++p;
    while (p != end && is_digit(*p)) ++p;
  }
  const char* const fraction_end = p;
  if (whole == whole_end && fraction == fraction_end) return false;  // no digit
  if (p != end && !is_blank(*p) && *p != ',' && *p != '/') return false;
  const auto decimals = fraction_end - fraction;
  if (decimals > 10) return false;
  std::uint32_t digits = 0;  // at most 7 significant digits: below 2^24, an exact float
  int significant = 0;
  const auto add = [&](const char* from, const char* to) {
    for (; from != to; ++from) {
      if (digits == 0 && *from == '0') continue;  // a leading zero
      digits = digits * 10 + static_cast<std::uint32_t>(*from - '0');
      ++significant;
    }
  };
  add(whole, whole_end);
  add(fraction, fraction_end);
  if (significant > 7) return false;
  // One divide of two exact floats: correctly rounded, as the free-form read
  // rounds the same decimal value.
  const auto d = static_cast<float>(digits);
  const float value = decimals == 0 ? d : d / kExactPow10[static_cast<std::size_t>(decimals)];
  *x = negative ? -value : value;
  return true;
}

// The grammar: [sign] mantissa [exponent], the mantissa digits with at most one
// point, the exponent a letter E, D or Q (either case) with an optional sign, or
// a sign alone right after the mantissa, then digits. Any other character, a
// second point among them, stands for the digit 0 of the part it is in and
// counts as one bad character. A missing part counts once as well and reads as
// the digit 0: "+", "-", "." and "E5" are zero, "1e" and "1+" are one, each with
// one bad character.
bool convert_number(std::string_view value, float* x, int* bad_characters,
                    std::vector<std::string_view>* bad_places) {
  int bad = 0;
  // Each bad character is told by itself; a missing part by the whole value.
  auto note = [&](std::string_view place) {
    ++bad;
    if (bad_places) bad_places->push_back(place);
  };
  std::size_t i = 0;
  const bool negative = !value.empty() && value[0] == '-';
  if (!value.empty() && is_sign(value[0])) ++i;

  Mantissa m;
  bool has_exponent = false;
  for (; i < value.size(); ++i) {
    const char c = value[i];
    if (is_digit(c)) {
      m.add(c);
    } else if (c == '.' && !m.after_point) {
      m.after_point = true;
    } else if (is_exponent_letter(c)) {
      has_exponent = true;
      ++i;
      break;
    } else if (is_sign(c) && m.any_digit) {
      has_exponent = true;  // the sign is the exponent's own
      break;
    } else {
      note(value.substr(i, 1));
      m.add('0');
    }
  }
  if (!m.any_digit) note(value);

  std::int64_t exponent = 0;
  if (has_exponent) {
    const bool exponent_negative = i < value.size() && value[i] == '-';
    if (i < value.size() && is_sign(value[i])) ++i;
    bool any_digit = false;
    for (; i < value.size(); ++i) {
      int d = 0;
      if (is_digit(value[i])) {
        d = value[i] - '0';
      } else {
        note(value.substr(i, 1));
      }
      any_digit = true;
      exponent = std::min(exponent * 10 + d, kExponentLimit);
    }
    if (!any_digit) note(value);
    if (exponent_negative) exponent = -exponent;
  }
  *bad_characters = bad;

  const float zero = negative ? -0.0f : 0.0f;
  if (m.kept == 0) {
    *x = zero;
    return true;
  }
  const std::int64_t order = m.order + exponent;
  if (order > kOverflowOrder) return false;
  if (order < kUnderflowOrder) {
    *x = zero;
    return true;
  }
  float result_fast = 0.0f;

  if (fast_conversion(m, order, &result_fast)) {
    *x = negative ? -result_fast : result_fast;
    return true;
  }

  // Normalised text "0.DIGITS[1]eORDER" for the exact conversion.
  char text[kKeptDigits + 32];
  char* p = text;
  *p++ = '0';
  *p++ = '.';
  p = std::copy(m.digits, m.digits + m.kept, p);
  if (m.dropped_non_zero) *p++ = '1';
  *p++ = 'e';
  p = std::to_chars(p, text + sizeof text, order).ptr;

  float result = 0.0f;
  const std::from_chars_result r = std::from_chars(text, p, result);
  if (r.ec == std::errc::result_out_of_range) {
    if (order > 0) return false;
    result = 0.0f;  // rounds to zero
  }
  *x = negative ? -result : result;
  return true;
}

}  // namespace textrec
