#include "textrec/freeform.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "textrec/number.h"

namespace textrec {
namespace {

// A record that the source fails to deliver.
const std::string kIoFailure = "<io-failure>";

// The records of a file, delivered one at a time through one buffer like a
// channel's, so that a view kept past the next record shows the wrong text.
class VectorSource : public RecordSource {
 public:
  explicit VectorSource(std::vector<std::string> records) : records_(std::move(records)) {}
  int next_record(std::string_view* record) override {
    if (next_ == records_.size()) return kStatusEnd;
    if (records_[next_] == kIoFailure) return kStatusIoError;
    buffer_ = records_[next_++];
    *record = buffer_;
    return kStatusOk;
  }
  std::int64_t record_number() const override { return static_cast<std::int64_t>(next_); }

 private:
  std::vector<std::string> records_;
  std::string buffer_;
  std::size_t next_ = 0;
};

class RecordingSink : public ProblemSink {
 public:
  void problem(Problem problem, std::string_view detail, float /*read_as*/) override {
    static constexpr const char* kNames[] = {"EndOfData",  "BadCharacter", "NoDigits", "NoExponent",
                                             "OutOfRange", "QuotedNumber", "IoError"};
    if (!calls.empty()) calls += ' ';
    calls += kNames[static_cast<int>(problem)];
    calls += '(';
    calls += detail;
    calls += ')';
  }
  std::string calls;
};

// Targets described as "T3 R F": a 3-character text, a real, a file name. Each
// starts with a value that no case reads, so that a kept value shows.
constexpr float kRealBefore = -99.0f;
const std::string kFileNameBefore = "old";

struct Targets {
  std::vector<Target> list;
  std::vector<std::string> texts;  // one per target, also for reals (unused there)
  std::vector<float> reals;

  explicit Targets(std::string_view kinds) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < kinds.size(); ++i) n += kinds[i] != ' ';
    texts.resize(n);
    reals.resize(n, kRealBefore);
    for (std::size_t i = 0, k = 0; i < kinds.size(); ++i) {
      switch (kinds[i]) {
        case 'R':
          list.push_back(Target::Real(&reals[k++]));
          break;
        case 'F':
          texts[k] = kFileNameBefore;
          list.push_back(Target::FileName(&texts[k++]));
          break;
        case 'T': {
          std::size_t length = 0;
          while (i + 1 < kinds.size() && kinds[i + 1] >= '0' && kinds[i + 1] <= '9') {
            length = length * 10 + static_cast<std::size_t>(kinds[++i] - '0');
          }
          texts[k] = std::string(length, '#');
          list.push_back(Target::Text(&texts[k++]));
          break;
        }
        default:
          break;
      }
    }
  }
};

std::string show_real(float x) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(x));
  return buf;
}

// The targets as "|text|real|", reals with nine digits.
std::string show(const Targets& t) {
  std::string out = "|";
  for (std::size_t k = 0; k < t.list.size(); ++k) {
    out += t.list[k].kind == Target::Kind::kReal ? show_real(t.reals[k]) : t.texts[k];
    out += '|';
  }
  return out;
}

// The expected targets in the same form: texts as they stand, reals as decimal
// texts turned into the nearest float, "kept" for the value held before.
std::string show_wanted(const Targets& t, const std::vector<std::string>& want) {
  std::string out = "|";
  for (std::size_t k = 0; k < t.list.size() && k < want.size(); ++k) {
    const std::string& w = want[k];
    if (t.list[k].kind == Target::Kind::kReal) {
      float x = kRealBefore;
      if (w != "kept") std::from_chars(w.data(), w.data() + w.size(), x);
      out += show_real(x);
    } else {
      out += w == "kept" ? t.texts[k] : w;
    }
    out += '|';
  }
  return out;
}

struct ReadCase {
  std::vector<std::string> records;
  const char* targets;
  std::vector<std::string> want;
  const char* problems;  // the sink's calls, in order
  int status;
  int values;
  std::int64_t record;
};

void check_read(const ReadCase& c, bool with_status) {
  std::string records;
  for (const auto& r : c.records) records += r + "|";
  SCOPED_TRACE("records |" + records + " targets " + c.targets);
  Targets t(c.targets);
  const std::string wanted = show_wanted(t, c.want);
  VectorSource source(c.records);
  RecordingSink sink;
  const ReadOutcome outcome = read_free_form(source, t.list, with_status ? nullptr : &sink);
  EXPECT_EQ(wanted, show(t));
  EXPECT_EQ(c.problems, sink.calls);
  EXPECT_EQ(c.status, outcome.status);
  EXPECT_EQ(c.values, outcome.values);
  EXPECT_EQ(c.record, outcome.record);
}

const std::string kLongName = "/data/crystals/series-2024/run-17/" + std::string(40, 'n') + ".out";
const std::string kLongPlain = "series-2024-run-17-" + std::string(60, 'n') + ".out";

TEST(FreeFormRead, WithoutStatus) {
  const ReadCase cases[] = {
      // Blanks and tabs before values; values ended by blank, tab, comma.
      {{"  5.4321  "}, "R", {"5.4321"}, "", 0, 1, 1},
      {{"5.4321,7"}, "R", {"5.4321"}, "", 0, 1, 1},
      {{"\t5\t 6 "}, "R R", {"5", "6"}, "", 0, 2, 1},
      {{"5\t6"}, "R R", {"5", "6"}, "", 0, 2, 1},
      {{"1 , 2"}, "R R", {"1", "2"}, "", 0, 2, 1},
      {{"1\t,\t2"}, "R R", {"1", "2"}, "", 0, 2, 1},
      {{"ab cd,ef"}, "T4 T4 T1", {"ab  ", "cd  ", "e"}, "", 0, 3, 1},
      // Empty values: a comma after a comma or at the start of the input.
      {{",5"}, "R R", {"kept", "5"}, "", 0, 2, 1},
      {{"1,,3"}, "R R R", {"1", "kept", "3"}, "", 0, 3, 1},
      {{"1, ,3"}, "R R R", {"1", "kept", "3"}, "", 0, 3, 1},
      {{"1 , , 3"}, "R R R", {"1", "kept", "3"}, "", 0, 3, 1},
      {{"1,", ",3"}, "R R R", {"1", "kept", "3"}, "", 0, 3, 2},
      {{"1", ",3"}, "R R", {"1", "3"}, "", 0, 2, 2},
      {{"", "  ,"}, "T1", {"kept"}, "", 0, 1, 2},
      {{"P"}, "T1", {"P"}, "", 0, 1, 1},
      // A slash ends the read.
      {{"1/2"}, "R R", {"1", "kept"}, "", 0, 1, 1},
      {{"1 / 2"}, "R R", {"1", "kept"}, "", 0, 1, 1},
      {{"/"}, "R", {"kept"}, "", 0, 0, 0},
      {{"ab/cd 5"}, "T4 R", {"ab  ", "kept"}, "", 0, 1, 1},
      // r*v and r*.
      {{"3*2.5"}, "R R R", {"2.5", "2.5", "2.5"}, "", 0, 3, 1},
      {{"2*1 3"}, "R R R", {"1", "1", "3"}, "", 0, 3, 1},
      {{"2*"}, "R R", {"kept", "kept"}, "", 0, 2, 1},
      {{"2*,7"}, "R R R", {"kept", "kept", "7"}, "", 0, 3, 1},
      {{"2* ,7"}, "R R R", {"kept", "kept", "7"}, "", 0, 3, 1},
      {{"2* 7"}, "R R R", {"kept", "kept", "7"}, "", 0, 3, 1},
      {{"2*/7"}, "R R R", {"kept", "kept", "kept"}, "", 0, 2, 1},
      {{"5*1 9"}, "R R", {"1", "1"}, "", 0, 2, 1},
      {{"99999999999999999999*4"}, "R R", {"4", "4"}, "", 0, 2, 1},
      {{"2*'a b'"}, "T3 T3", {"a b", "a b"}, "", 0, 2, 1},
      {{"2*x"}, "T2 R", {"x ", "0"}, "BadCharacter(x)", 0, 2, 1},
      {{"2*7x"}, "R R", {"70", "70"}, "BadCharacter(x)", 0, 2, 1},
      {{"0*5"}, "R", {"5"}, "BadCharacter(*)", 0, 1, 1},
      {{"0*5"}, "T3", {"0*5"}, "", 0, 1, 1},
      // Texts: cut or padded; quoted with blanks, commas, slashes, doubled delimiters.
      {{"  1"}, "T3", {"1  "}, "", 0, 1, 1},
      {{"12345"}, "T3", {"123"}, "", 0, 1, 1},
      {{"'a b,c/d'"}, "T9", {"a b,c/d  "}, "", 0, 1, 1},
      {{"\"it's\" x"}, "T5 T1", {"it's ", "x"}, "", 0, 2, 1},
      {{"'it''s'"}, "T5", {"it's "}, "", 0, 1, 1},
      {{"''"}, "T2", {"  "}, "", 0, 1, 1},
      {{"''''"}, "T1", {"'"}, "", 0, 1, 1},
      {{"O'Brien"}, "T7", {"O'Brien"}, "", 0, 1, 1},
      {{"'my file'.out 5"}, "F R", {"my file.out", "5"}, "", 0, 2, 1},
      // Quoted texts over records: the next record's characters follow directly.
      {{"'ab", "cd'"}, "T5", {"abcd "}, "", 0, 1, 2},
      {{"'ab", "", "c''d' 5"}, "T5 R", {"abc'd", "5"}, "", 0, 2, 3},
      {{"'ab'", "'cd'"}, "T4 T4", {"ab  ", "cd  "}, "", 0, 2, 2},
      // The data end inside a quoted value: the value failed, where it began.
      {{"'ab"}, "T3", {"kept"}, "EndOfData()", 1, 0, 1},
      {{"a", "'bc", "d"}, "T1 T3", {"a", "kept"}, "EndOfData()", 1, 1, 2},
      // Numbers.
      {{"300 300. 2.5E3 2.5+3 -0.25 .5 1q2 2.5d-2"},
       "R R R R R R R R",
       {"300", "300", "2500", "2500", "-0.25", "0.5", "100", "0.025"},
       "",
       0,
       8,
       1},
      {{"5.4x21"}, "R", {"5.4021"}, "BadCharacter(x)", 0, 1, 1},
      {{"5.4x2y"}, "R", {"5.402"}, "BadCharacter(x) BadCharacter(y)", 0, 1, 1},
      {{"1e39 2"}, "R R", {"kept", "2"}, "OutOfRange(1e39)", 0, 2, 1},
      {{"-1e39"}, "R", {"kept"}, "OutOfRange(-1e39)", 0, 1, 1},
      {{"1e-50 -1e-50 1e-40"}, "R R R", {"0", "-0", "1e-40"}, "", 0, 3, 1},
      {{"'5' 6"}, "R R", {"kept", "6"}, "QuotedNumber(5)", 0, 2, 1},
      {{"2*'5'"}, "R R", {"kept", "kept"}, "QuotedNumber(5)", 0, 2, 1},
      {{"'5", "' 6"}, "R R", {"kept", "6"}, "QuotedNumber(5)", 0, 2, 2},
      // Records that hold no value are passed over.
      {{"", "   ", "\t", "5"}, "R", {"5"}, "", 0, 1, 4},
      {{"name.out", "", "100.0"}, "F R", {"name.out", "100"}, "", 0, 2, 3},
      // File names: taken whole, a slash is part of an unquoted name.
      {{"100K_dirax_cell.out  100.0"}, "F R", {"100K_dirax_cell.out", "100"}, "", 0, 2, 1},
      {{"data/100K.out 100"}, "F R", {"data/100K.out", "100"}, "", 0, 2, 1},
      {{"/home/x/y.out,5"}, "F R", {"/home/x/y.out", "5"}, "", 0, 2, 1},
      {{"x.out / 5"}, "F R", {"x.out", "kept"}, "", 0, 1, 1},
      {{"'a b/c.out' 5"}, "F R", {"a b/c.out", "5"}, "", 0, 2, 1},
      {{kLongName + " 5"}, "F R", {kLongName, "5"}, "", 0, 2, 1},
      {{kLongPlain}, "T64", {kLongPlain.substr(0, 64)}, "", 0, 1, 1},
      {{kLongName}, "T64", {"kept"}, "", 0, 0, 0},
      {{"data/100K.out 100"}, "T4 R", {"data", "kept"}, "", 0, 1, 1},
      // End of the data and failing sources.
      {{"1"}, "R R", {"1", "kept"}, "EndOfData()", -1, 1, 1},
      {{"", "7", "  "}, "R R", {"7", "kept"}, "EndOfData()", -1, 1, 2},
      {{}, "R", {"kept"}, "EndOfData()", -1, 0, 0},
      {{"", ""}, "R", {"kept"}, "EndOfData()", -1, 0, 0},
      {{"1", kIoFailure}, "R R", {"1", "kept"}, "IoError()", 2, 1, 1},
      {{"'a", kIoFailure}, "T2", {"kept"}, "IoError()", 2, 0, 1},
  };
  for (const ReadCase& c : cases) check_read(c, false);
}

TEST(FreeFormRead, WithStatus) {
  const ReadCase cases[] = {
      {{"x.out", "250.5"}, "F R", {"x.out", "250.5"}, "", 0, 2, 2},
      {{"12x5"}, "R", {"kept"}, "", 1, 0, 1},
      {{"1", "", "12x5 3"}, "R R R", {"1", "kept", "kept"}, "", 1, 1, 3},
      {{"+"}, "R", {"kept"}, "", 1, 0, 1},
      {{"1e39"}, "R", {"kept"}, "", 1, 0, 1},
      {{"1e-50"}, "R", {"0"}, "", 0, 1, 1},
      {{"'5' 6"}, "R R", {"kept", "kept"}, "", 1, 0, 1},
      {{"'5", "'"}, "R", {"kept"}, "", 1, 0, 1},
      {{"2*'x'"}, "T1 R", {"x", "kept"}, "", 1, 1, 1},
      {{"x.out"}, "F R", {"x.out", "kept"}, "", -1, 1, 1},
      {{}, "F R", {"kept", "kept"}, "", -1, 0, 0},
      {{"1/"}, "R R", {"1", "kept"}, "", 0, 1, 1},
      {{kIoFailure}, "R", {"kept"}, "", 2, 0, 0},
  };
  for (const ReadCase& c : cases) check_read(c, true);
}

TEST(FreeFormRead, EachReadStartsWithTheNextRecord) {
  VectorSource source({"1 2 3", "4 5", "'a", "b' 6", "", "7"});
  float x = 0.0f;
  std::string text(2, ' ');
  const Target real[] = {Target::Real(&x)};
  const Target name[] = {Target::Text(&text)};
  EXPECT_EQ(kStatusOk, read_free_form(source, real, nullptr).status);
  EXPECT_EQ(1.0f, x);
  EXPECT_EQ(kStatusOk, read_free_form(source, real, nullptr).status);
  EXPECT_EQ(4.0f, x);
  EXPECT_EQ(kStatusOk, read_free_form(source, name, nullptr).status);
  EXPECT_EQ("ab", text);
  // A read without targets passes over one record, blank or not.
  EXPECT_EQ(kStatusOk, read_free_form(source, {}, nullptr).status);
  EXPECT_EQ(kStatusOk, read_free_form(source, real, nullptr).status);
  EXPECT_EQ(7.0f, x);
  EXPECT_EQ(kStatusEnd, read_free_form(source, real, nullptr).status);
}

TEST(FreeFormRead, MemoryRecord) {
  float x = 3.0f;
  const Target one[] = {Target::Real(&x)};
  RecordingSink sink;
  MemoryRecordSource empty("");
  const ReadOutcome none = read_free_form(empty, one, &sink);
  EXPECT_EQ(3.0f, x);
  EXPECT_EQ("EndOfData()", sink.calls);
  EXPECT_EQ(kStatusEnd, none.status);
  EXPECT_EQ(0, none.record);

  // The memory record is the whole data: the second value is not found.
  float y = 3.0f;
  const Target two[] = {Target::Real(&x), Target::Real(&y)};
  MemoryRecordSource range(" 1.5  ");
  const ReadOutcome partial = read_free_form(range, two, nullptr);
  EXPECT_EQ(1.5f, x);
  EXPECT_EQ(3.0f, y);
  EXPECT_EQ(kStatusEnd, partial.status);
  EXPECT_EQ(1, partial.values);
  EXPECT_EQ(1, partial.record);
}

struct NumberCase {
  std::string text;
  float want;
  int bad_characters;
  bool in_range;
};

TEST(ConvertNumber, Values) {
  constexpr float kMax = std::numeric_limits<float>::max();
  const NumberCase cases[] = {
      {"300", 300.0f, 0, true},
      {"300.", 300.0f, 0, true},
      {"+.5", 0.5f, 0, true},
      {"-0.25", -0.25f, 0, true},
      {"0.1", 0.1f, 0, true},
      {"2.5E3", 2500.0f, 0, true},
      {"2.5e+3", 2500.0f, 0, true},
      {"2.5+3", 2500.0f, 0, true},
      {"2.5d-2", 0.025f, 0, true},
      {"2.5D-2", 0.025f, 0, true},
      {"1q2", 100.0f, 0, true},
      {"1Q-2", 0.01f, 0, true},
      {"5.+3", 5000.0f, 0, true},
      {"12345678901234567890123456789012345678e1", 12345678901234567890123456789012345678e1f, 0,
       true},
      // Characters that cannot belong to a number count as the digit 0.
      {"5.4x21", 5.4021f, 1, true},
      {"12x5", 1205.0f, 1, true},
      {"1.2.3", 1.203f, 1, true},
      {"1e2x", 1e20f, 1, true},
      {"+-5", 5.0f, 1, true},
      {"x", 0.0f, 1, true},
      // Missing digits count once and read as the digit 0.
      {"+", 0.0f, 1, true},
      {"-", -0.0f, 1, true},
      {".", 0.0f, 1, true},
      {"", 0.0f, 1, true},
      {"E5", 0.0f, 1, true},
      {"1e", 1.0f, 1, true},
      {"1e-", 1.0f, 1, true},
      {"1+", 1.0f, 1, true},
      // The ends of the single-precision range.
      {"3.4028235e38", kMax, 0, true},
      {"-3.40282356779733661637539395458142568447e38", -kMax, 0, true},
      {"3.40282356779733661637539395458142568448e38", 0.0f, 0, false},
      {"1e39", 0.0f, 0, false},
      {"-1e39", 0.0f, 0, false},
      {"1e99999999999999999999", 0.0f, 0, false},
      {"0e99999999999999999999", 0.0f, 0, true},
      {"1.17549435e-38", std::numeric_limits<float>::min(), 0, true},
      {"1e-40", 1e-40f, 0, true},
      {"7.1e-46", std::numeric_limits<float>::denorm_min(), 0, true},
      {"7e-46", 0.0f, 0, true},
      {"-1e-50", -0.0f, 0, true},
      {"1e-99999999999999999999", 0.0f, 0, true},
      // Long values: leading zeros, and digits far beyond those that decide.
      {"1" + std::string(5000, '0') + "e-5000", 1.0f, 0, true},
      {"0." + std::string(5000, '0') + "1e5001", 1.0f, 0, true},
      {"1.000000059604644775390625", 1.0f, 0, true},  // half-way: to even
      {"1.000000059604644775390625" + std::string(3000, '0') + "1", std::nextafter(1.0f, 2.0f), 0,
       true},
      {"0." + std::string(1'000'000, '1'), 1.0f / 9.0f, 0, true},
  };
  for (const NumberCase& c : cases) {
    SCOPED_TRACE("|" + c.text.substr(0, 60) + "|");
    constexpr float kBefore = 42.0f;
    float x = kBefore;
    std::vector<NumberFlaw> flaws;
    EXPECT_EQ(c.in_range, convert_number(c.text, &x, flaws));
    EXPECT_EQ(c.bad_characters, static_cast<int>(flaws.size()));
    // Bits, so that the sign of a zero counts; a value out of range is not stored.
    EXPECT_EQ(std::bit_cast<std::uint32_t>(c.in_range ? c.want : kBefore),
              std::bit_cast<std::uint32_t>(x));
  }
}

}  // namespace
}  // namespace textrec
