// Fuzz target: the free-form read.
//
// Input: a byte choosing the number of targets (1 to 6) and whether the source
// fails after its last record instead of ending, one byte per target choosing
// its kind (real, text of 1 to 64 characters, file name), then the record bytes.
//
// The same records are read three ways, and the reads must agree:
// - with a status: no problem is told, the status says how the read ended;
// - without a status, into a sink: the read that met no problem with a status
//   is the read that tells the sink nothing, and both leave the same values;
// - from the console of the run's layer (records split by the record reader):
//   the same outcome and values as the records split by the plain rules.
// Every number token that follows the strict number grammar is also converted
// and checked against strtof.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "textrec/freeform.h"
#include "textrec/memory_files.h"
#include "textrec/number.h"
#include "textrec/textrec.h"

namespace {

using fuzzsupport::check;
using textrec::Target;

class VectorSource : public textrec::RecordSource {
 public:
  VectorSource(std::vector<std::string> records, bool fails)
      : records_(std::move(records)), fails_(fails) {}
  int next_record(std::string_view* record) override {
    if (next_ == records_.size()) return fails_ ? textrec::kStatusIoError : textrec::kStatusEnd;
    // A copy per record, so that a view kept past the next record is caught.
    buffer_ = std::make_unique<std::string>(records_[next_++]);
    *record = *buffer_;
    return textrec::kStatusOk;
  }
  std::int64_t record_number() const override { return static_cast<std::int64_t>(next_); }

 private:
  std::vector<std::string> records_;
  std::unique_ptr<std::string> buffer_;
  std::size_t next_ = 0;
  bool fails_;
};

struct Recorded {
  textrec::Problem problem;
  std::string detail;
};

class RecordingSink : public textrec::ProblemSink {
 public:
  void problem(textrec::Problem problem, std::string_view detail, float /*read_as*/) override {
    calls.push_back({problem, std::string(detail)});
  }
  std::vector<Recorded> calls;
};

// The targets of one read, each starting from a value that shows when kept.
struct Targets {
  std::vector<Target> list;
  std::vector<std::string> texts;
  std::vector<float> reals;
  std::vector<std::size_t> lengths;  // fixed length of a text target, 0 otherwise

  explicit Targets(const std::vector<std::uint8_t>& kinds)
      : texts(kinds.size()), reals(kinds.size(), -7.5f), lengths(kinds.size(), 0) {
    for (std::size_t i = 0; i < kinds.size(); ++i) {
      switch (kinds[i] % 3) {
        case 0:
          list.push_back(Target::Real(&reals[i]));
          break;
        case 1:
          lengths[i] = 1 + (kinds[i] / 3) % 64;
          texts[i] = std::string(lengths[i], '#');
          list.push_back(Target::Text(&texts[i]));
          break;
        default:
          texts[i] = "before";
          list.push_back(Target::FileName(&texts[i]));
          break;
      }
    }
  }
  Targets(const Targets&) = delete;

  bool same_values(const Targets& other) const {
    return texts == other.texts &&
           std::memcmp(reals.data(), other.reals.data(), reals.size() * sizeof(float)) == 0;
  }
  void check_lengths() const {
    for (std::size_t i = 0; i < texts.size(); ++i)
      if (lengths[i] != 0) check(texts[i].size() == lengths[i], "a text target changed length");
  }
};

bool digit(char c) {
  return c >= '0' && c <= '9';
}

// The number in the strict grammar rewritten for strtof ("2.5+3" as "2.5e+3",
// D and Q as e); empty when the token does not follow that grammar.
std::string strict_number(std::string_view t) {
  std::size_t i = 0;
  std::string out;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) out += t[i++];
  std::size_t digits = 0;
  while (i < t.size() && digit(t[i])) out += t[i++], ++digits;
  if (i < t.size() && t[i] == '.') {
    out += t[i++];
    while (i < t.size() && digit(t[i])) out += t[i++], ++digits;
  }
  if (digits == 0) return {};
  if (i == t.size()) return out;
  if (std::strchr("EeDdQq", t[i]) != nullptr) {
    ++i;
    out += 'e';
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) out += t[i++];
  } else if (t[i] == '+' || t[i] == '-') {
    out += 'e';
    out += t[i++];
  } else {
    return {};
  }
  std::size_t exponent_digits = 0;
  while (i < t.size() && digit(t[i])) out += t[i++], ++exponent_digits;
  if (exponent_digits == 0 || i != t.size()) return {};
  return out;
}

void check_conversions(std::string_view bytes) {
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = start;
    while (end < bytes.size() && std::strchr(" \t,/\n\r", bytes[end]) == nullptr && bytes[end] != 0)
      ++end;
    const std::string_view token = bytes.substr(start, end - start);
    start = end + 1;
    if (token.empty()) continue;
    float x = 12345.0f;
    std::vector<textrec::NumberFlaw> flaws;
    const bool in_range = textrec::convert_number(token, &x, flaws);
    const std::string plain = strict_number(token);
    if (plain.empty()) continue;
    check(flaws.empty(), "bad characters counted in the number " + std::string(token));
    errno = 0;
    const float expected = std::strtof(plain.c_str(), nullptr);
    if (std::isinf(expected)) {
      check(!in_range, "a number beyond the range was converted: " + std::string(token));
      continue;
    }
    check(in_range, "a number within the range was refused: " + std::string(token));
    check(std::memcmp(&x, &expected, sizeof x) == 0,
          "number converted wrongly: " + std::string(token));
  }
}

// read_free takes its targets as an initializer list.
textrec::ReadOutcome read_targets(textrec::Source source, const std::vector<Target>& t,
                                  bool with_status) {
  const auto read = with_status ? &textrec::read_free_with_status : &textrec::read_free;
  switch (t.size()) {
    case 1:
      return read(source, {t[0]});
    case 2:
      return read(source, {t[0], t[1]});
    case 3:
      return read(source, {t[0], t[1], t[2]});
    case 4:
      return read(source, {t[0], t[1], t[2], t[3]});
    case 5:
      return read(source, {t[0], t[1], t[2], t[3], t[4]});
    default:
      return read(source, {t[0], t[1], t[2], t[3], t[4], t[5]});
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t target_count = 1 + (data[0] & 7) % 6;
  const bool source_fails = (data[0] & 8) != 0;
  if (size < 1 + target_count) return 0;
  const std::vector<std::uint8_t> kinds(data + 1, data + 1 + target_count);
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1 + target_count,
                               size - 1 - target_count);
  const std::vector<std::string> records = fuzzsupport::split(bytes, "\n");

  // With a status.
  Targets with_status(kinds);
  VectorSource status_source(records, source_fails);
  const textrec::ReadOutcome s = textrec::read_free_form(status_source, with_status.list, nullptr);
  with_status.check_lengths();
  check(s.status == textrec::kStatusOk || s.status == textrec::kStatusEnd ||
            s.status == textrec::kStatusBadValue ||
            (s.status == textrec::kStatusIoError && source_fails),
        "status out of its set");
  check(s.values >= 0 && s.values <= static_cast<int>(target_count), "value count out of range");
  check(s.record >= 0 && s.record <= static_cast<std::int64_t>(records.size()),
        "record number out of range");

  // Without a status.
  Targets told(kinds);
  VectorSource told_source(records, source_fails);
  RecordingSink sink;
  const textrec::ReadOutcome u = textrec::read_free_form(told_source, told.list, &sink);
  told.check_lengths();
  // A read without a status ends as kStatusBadValue only where the data end
  // inside a quoted value, after the sink was told of that end.
  const bool ended_in_quote = u.status == textrec::kStatusBadValue && !sink.calls.empty() &&
                              sink.calls.back().problem == textrec::Problem::kEndOfData;
  check(u.status == textrec::kStatusOk || u.status == textrec::kStatusEnd || ended_in_quote ||
            (u.status == textrec::kStatusIoError && source_fails),
        "outcome of a read without a status out of its set");
  check(u.values >= 0 && u.values <= static_cast<int>(target_count), "value count out of range");
  for (std::size_t i = 0; i < sink.calls.size(); ++i) {
    const bool stopping = sink.calls[i].problem == textrec::Problem::kEndOfData ||
                          sink.calls[i].problem == textrec::Problem::kIoError;
    check(stopping == (i + 1 == sink.calls.size() && u.status != textrec::kStatusOk),
          "the sink was told of an end that is not the read's last word");
  }
  check((s.status == textrec::kStatusOk) == sink.calls.empty(),
        "a read with a status and one without disagree on whether there was a problem");
  if (s.status == textrec::kStatusOk) {
    check(u.status == textrec::kStatusOk, "clean read without a status did not end clean");
    check(with_status.same_values(told), "the two reads of the same records gave other values");
    check(s.values == u.values && s.record == u.record, "the two reads disagree on their outcome");
  }

  // Through the run's console, split by the record reader.
  if (!source_fails) {
    textrec::MemoryFileSystem fs;
    std::string console;
    textrec::install(textrec::memory_source(std::string(bytes)), textrec::memory_sink(&console),
                     fs);
    Targets from_console(kinds);
    const textrec::ReadOutcome c =
        read_targets(textrec::Source::Console(), from_console.list, true);
    check(console.empty(), "a read with a status wrote to the console");
    Targets reference(kinds);
    VectorSource split_plainly(fuzzsupport::file_records(bytes), false);
    const textrec::ReadOutcome r = textrec::read_free_form(split_plainly, reference.list, nullptr);
    check(c.status == r.status && c.values == r.values && c.record == r.record,
          "console read and plainly split records disagree on the outcome");
    check(from_console.same_values(reference),
          "console read and plainly split records give other values");

    // Without a status, from the console and from a memory record: reported, never ended.
    Targets reported(kinds);
    try {
      textrec::install(textrec::memory_source(std::string(bytes)), textrec::memory_sink(&console),
                       fs);
      (void)read_targets(textrec::Source::Console(), reported.list, false);
      const std::string first = records.empty() ? std::string() : records.front();
      (void)read_targets(textrec::Source::Memory(first), reported.list, false);
    } catch (const textrec::RunEnded&) {
      fuzzsupport::fail("two reads ended the run");
    }
    reported.check_lengths();
    fuzzsupport::check_console(console);
  }

  check_conversions(bytes);
  return 0;
}
