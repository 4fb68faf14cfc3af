#include "textrec/records.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "test_util.h"
#include "textrec/memory_files.h"

namespace textrec {
namespace {

constexpr std::size_t kBuffer = std::size_t{64} * 1024;  // the reader's buffer
constexpr std::size_t kWhole = std::string_view::npos;

// Bytes handed out at most `chunk` at a time, so that records and their CR LF
// fall across the reader's refills at every position. After `good_reads` reads
// the source fails.
class ChunkedSource : public ByteSource {
 public:
  ChunkedSource(std::string bytes, std::size_t chunk, int good_reads = -1)
      : bytes_(std::move(bytes)), chunk_(chunk), good_reads_(good_reads) {}
  long read_bytes(char* buf, std::size_t n) override {
    if (good_reads_ >= 0 && reads_++ >= good_reads_) return -1;
    const std::size_t count = std::min({n, chunk_, bytes_.size() - pos_});
    std::memcpy(buf, bytes_.data() + pos_, count);
    pos_ += count;
    return static_cast<long>(count);
  }
  bool seek_to_start() override {
    pos_ = 0;
    return rewind_ok;
  }
  std::string error() const override { return "Input/output error"; }
  bool rewind_ok = true;

 private:
  std::string bytes_;
  std::size_t chunk_;
  int good_reads_;
  int reads_ = 0;
  std::size_t pos_ = 0;
};

// Every record up to the end of the data; each record number is checked on the way.
std::vector<std::string> read_all(RecordReader& reader, std::size_t keep = kWhole) {
  std::vector<std::string> records;
  std::string_view record;
  int status;
  while ((status = reader.next_record_prefix(&record, keep)) == kStatusOk) {
    records.emplace_back(record);
    EXPECT_EQ(static_cast<std::int64_t>(records.size()), reader.record_number());
  }
  EXPECT_EQ(kStatusEnd, status);
  // The end stays the end.
  EXPECT_EQ(kStatusEnd, reader.next_record(&record));
  return records;
}

std::vector<std::string> read_all(std::string bytes, std::size_t chunk = kBuffer,
                                  std::size_t keep = kWhole) {
  RecordReader reader(std::make_unique<ChunkedSource>(std::move(bytes), chunk));
  return read_all(reader, keep);
}

// A record of n characters that differ along its length.
std::string pattern(std::size_t n) {
  std::string s(n, ' ');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('a' + i % 26);
  return s;
}

struct SplitCase {
  std::string bytes;
  std::vector<std::string> records;
};

const std::vector<SplitCase>& split_cases() {
  static const std::vector<SplitCase> cases = {
      {"", {}},
      {"abc", {"abc"}},
      {"abc\n", {"abc"}},
      {"abc\r\n", {"abc"}},
      {"a\r\nb\n", {"a", "b"}},
      {"a\nb\r\nc", {"a", "b", "c"}},
      {"a\rb\n", {"a\rb"}},
      {"a\r\r\n", {"a"}},  // every CR before the LF ends the line
      {"a\r\r\r\r\r\nb\r\rc\r\r\n", {"a", "b\r\rc"}},
      {"a\r", {"a\r"}},
      {"\n", {""}},
      {"\r\n", {""}},
      {"\n\n", {"", ""}},
      {"a\n\r\n\nb\n", {"a", "", "", "b"}},
      {"  x  \t\n", {"  x  \t"}},
      {"\x1A", {}},
      {"\x1A\n", {}},
      {"a\x1A", {"a"}},
      {"ab\x1A"
       "cd\nef\n",
       {"ab"}},
      {"a\n\x1A", {"a"}},
      {"a\r\n\x1A"
       "b\r\n",
       {"a"}},
      {"a\nb\x1A\nc\n", {"a", "b"}},
      {"\x7F\xFF\xE9\n", {"\x7F\xFF\xE9"}},
  };
  return cases;
}

TEST(RecordReader, SplitsAtLineFeedsWhereverTheRefillsFall) {
  for (const SplitCase& c : split_cases()) {
    for (std::size_t chunk = 1; chunk <= c.bytes.size() + 1; ++chunk) {
      SCOPED_TRACE(testing::Message()
                   << "bytes " << testing::PrintToString(c.bytes) << " chunk " << chunk);
      EXPECT_EQ(c.records, read_all(c.bytes, chunk));
    }
  }
}

TEST(RecordReader, KeepsThePrefixOfEachRecord) {
  for (const SplitCase& c : split_cases()) {
    for (const std::size_t keep :
         {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{3}}) {
      std::vector<std::string> expected;
      for (const std::string& r : c.records) expected.push_back(r.substr(0, keep));
      for (std::size_t chunk = 1; chunk <= c.bytes.size() + 1; ++chunk) {
        SCOPED_TRACE(testing::Message() << "bytes " << testing::PrintToString(c.bytes) << " keep "
                                        << keep << " chunk " << chunk);
        EXPECT_EQ(expected, read_all(c.bytes, chunk, keep));
      }
    }
  }
}

TEST(RecordReader, RecordsLongerThanTheBuffer) {
  const std::string huge = pattern(3 * kBuffer + 17);
  const std::string bytes = pattern(kBuffer + 5) + "\n" + huge + "\r\nnext\n" + "last";
  EXPECT_EQ((std::vector<std::string>{pattern(kBuffer + 5), huge, "next", "last"}),
            read_all(bytes));
  EXPECT_EQ((std::vector<std::string>{pattern(256), pattern(256), "next", "last"}),
            read_all(bytes, kBuffer, 256));
  // A record that fills the buffer exactly, its line feed in the next refill.
  EXPECT_EQ((std::vector<std::string>{pattern(kBuffer), "x"}),
            read_all(pattern(kBuffer) + "\nx\n"));
  // The last record runs over the buffer and has no line feed.
  EXPECT_EQ((std::vector<std::string>{"a", pattern(kBuffer + 3)}),
            read_all("a\n" + pattern(kBuffer + 3)));
  EXPECT_EQ((std::vector<std::string>{"a", pattern(256)}),
            read_all("a\n" + pattern(kBuffer + 3), kBuffer, 256));
}

TEST(RecordReader, EndOfFileMarkBeyondTheFirstBuffer) {
  const std::string first = pattern(kBuffer + 100);
  EXPECT_EQ((std::vector<std::string>{first}), read_all(first + "\x1A" + "after\n"));
  EXPECT_EQ((std::vector<std::string>{pattern(256)}),
            read_all(first + "\x1A" + "after\n", kBuffer, 256));
  EXPECT_EQ((std::vector<std::string>{first}), read_all(first + "\n\x1A" + "after\n"));
}

TEST(RecordReader, CarriageReturnAndLineFeedSplitByTheBufferBoundary) {
  // The CR is the last byte of the first refill, the LF the first of the next.
  const std::string record = pattern(kBuffer - 1);
  const std::string bytes = record + "\r\n" + "after\r\n";
  for (const std::size_t keep : {kWhole, std::size_t{256}, kBuffer - 1, kBuffer, kBuffer + 1}) {
    SCOPED_TRACE(testing::Message() << "keep " << keep);
    EXPECT_EQ((std::vector<std::string>{record.substr(0, keep), "after"}),
              read_all(bytes, kBuffer, keep));
  }
  // A CR that ends the buffer but has no LF after it belongs to the record.
  EXPECT_EQ((std::vector<std::string>{record + "\rx"}), read_all(record + "\rx\n"));
}

TEST(RecordReader, RewindReadsTheFirstRecordAgain) {
  RecordReader reader(
      std::make_unique<ChunkedSource>("one\r\ntwo\r\nthree\x1A"
                                      "after",
                                      4));
  std::string_view record;
  ASSERT_EQ(kStatusOk, reader.next_record(&record));
  ASSERT_EQ(kStatusOk, reader.next_record(&record));
  EXPECT_EQ("two", record);
  EXPECT_EQ(2, reader.record_number());
  ASSERT_TRUE(reader.back_to_first_record());
  EXPECT_EQ(0, reader.record_number());
  EXPECT_EQ((std::vector<std::string>{"one", "two", "three"}), read_all(reader));
  // Also after the end of the data was met.
  ASSERT_TRUE(reader.back_to_first_record());
  ASSERT_EQ(kStatusOk, reader.next_record(&record));
  EXPECT_EQ("one", record);
  EXPECT_EQ(1, reader.record_number());
}

TEST(RecordReader, RewindInTheMiddleOfALongRecord) {
  const std::string bytes = pattern(kBuffer + 10) + "\nsecond\n";
  RecordReader reader(std::make_unique<ChunkedSource>(bytes, kBuffer));
  std::string_view record;
  ASSERT_EQ(kStatusOk, reader.next_record_prefix(&record, 3));
  EXPECT_EQ("abc", record);
  ASSERT_TRUE(reader.back_to_first_record());
  EXPECT_EQ((std::vector<std::string>{pattern(kBuffer + 10), "second"}), read_all(reader));
}

// What next_record_starting must give: the records read one by one, filtered by
// the keyword their first `keep` bytes begin with after blanks, with their
// numbers and without those blanks.
struct Numbered {
  std::int64_t number;
  std::string record;
  bool operator==(const Numbered&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Numbered& n) {
  return os << n.number << ":" << testing::PrintToString(n.record);
}

std::vector<Numbered> read_starting(const std::string& bytes, std::size_t chunk, std::size_t keep,
                                    const LineKeywords& keywords) {
  RecordReader reader(std::make_unique<ChunkedSource>(bytes, chunk));
  std::vector<Numbered> records;
  KeywordRecord found;
  int status;
  while ((status = reader.next_record_starting(&found, keep, keywords)) == kStatusOk) {
    EXPECT_TRUE(found.text.starts_with(keywords.keyword(found.keyword)));
    records.push_back({reader.record_number(), std::string(found.text)});
  }
  EXPECT_EQ(kStatusEnd, status);
  return records;
}

std::vector<Numbered> filter_plain(const std::string& bytes, std::size_t keep,
                                   const std::vector<std::string>& keywords) {
  std::vector<Numbered> records;
  std::int64_t number = 0;
  for (const std::string& r : read_all(bytes, kBuffer, keep)) {
    ++number;
    const std::size_t at = std::min(r.find_first_not_of(' '), r.size());
    for (const std::string& keyword : keywords) {
      if (r.compare(at, keyword.size(), keyword) == 0) {
        records.push_back({number, r.substr(at)});
        break;
      }
    }
  }
  return records;
}

TEST(RecordReader, PassesOverRecordsThatDoNotBeginWithAKeyword) {
  const LineKeywords cv{"{", "C", "Volume"};
  // Hand-checked: indented, CR LF, blank, tab-led and CR-led (neither is a
  // blank), the bytes of the set inside lines, after blanks inside lines, and
  // records cut at 256 bytes.
  const std::string small = "Volume first\nx\n  Volume 1\r\n\n   \n\tC tab\n\rVolume\nx  V  C {\n" +
                            std::string(300, ' ') + "V far\n" + std::string(255, ' ') +
                            "V near\nConventional :\nCC\n{last";
  EXPECT_EQ(
      (std::vector<Numbered>{
          {1, "Volume first"}, {3, "Volume 1"}, {11, "Conventional :"}, {12, "CC"}, {13, "{last"}}),
      read_starting(small, kBuffer, 256, cv));
  EXPECT_EQ((std::vector<Numbered>{{11, "Conventional :"}, {12, "CC"}}),
            read_starting(small, kBuffer, 256, LineKeywords{"CC", "Co", "C"}));

  // Against the records read one by one, wherever the refills fall, with
  // records longer than the buffer, records running over its end and 0x1A.
  std::string big;
  for (int i = 0; i < 3000; ++i) {
    big += std::string(static_cast<std::size_t>(i % 7), ' ');
    big += "VCx{ "[i % 5];
    big += pattern(static_cast<std::size_t>(i % 97));
    big += i % 3 == 0 ? "\r\n" : "\n";
    if (i == 1500) big += "C" + pattern(kBuffer + 20) + "\n" + pattern(kBuffer) + "\n";
  }
  const std::string marked = big + "\x1A" + "Volume after the mark\n";
  for (const std::size_t chunk : {std::size_t{7}, std::size_t{4096}, kBuffer}) {
    for (const std::size_t keep : {std::size_t{3}, std::size_t{256}, kWhole}) {
      SCOPED_TRACE(testing::Message() << "chunk " << chunk << " keep " << keep);
      EXPECT_EQ(filter_plain(small, keep, {"{", "C", "Volume"}),
                read_starting(small, chunk, keep, cv));
      EXPECT_EQ(filter_plain(marked, keep, {"{", "C", "Volume"}),
                read_starting(marked, chunk, keep, cv));
      EXPECT_EQ(filter_plain(big, keep, {"xa", "Vab"}),
                read_starting(big, chunk, keep, LineKeywords{"xa", "Vab"}));
    }
  }
}

TEST(LineKeywords, OneToFourThatCanBeginARecord) {
  const LineKeywords keywords{"Volume", "Conventional :"};
  EXPECT_EQ(2u, keywords.size());
  EXPECT_EQ("Conventional :", keywords.keyword(1));
  const std::function<void()> bad[] = {
      [] { (void)LineKeywords{}; },
      [] {
        (void)LineKeywords{"a", "b", "c", "d", "e"};
      },
      [] { (void)LineKeywords{""}; },
      [] {
        (void)LineKeywords{"a", " b"};
      },
      [] { (void)LineKeywords{"a\n"}; },
      [] { (void)LineKeywords{"a\r"}; },
      [] { (void)LineKeywords{std::string_view("a\0", 2)}; },
  };
  for (const auto& make : bad) EXPECT_THROW(make(), std::logic_error);
}

TEST(RecordReader, SourceThatFails) {
  // Good for the first read only: the records of that read, then the failure.
  RecordReader reader(std::make_unique<ChunkedSource>("one\ntwo\nthree\n", 4, 1));
  std::string_view record;
  ASSERT_EQ(kStatusOk, reader.next_record(&record));
  EXPECT_EQ("one", record);
  EXPECT_EQ(kStatusIoError, reader.next_record(&record));
  EXPECT_EQ(kStatusIoError, reader.next_record(&record));
  EXPECT_EQ("Input/output error", reader.error());

  auto source = std::make_unique<ChunkedSource>("x\n", 8);
  source->rewind_ok = false;
  RecordReader unrewindable(std::move(source));
  ASSERT_EQ(kStatusOk, unrewindable.next_record(&record));
  EXPECT_FALSE(unrewindable.back_to_first_record());
}

// A sink that records what reached it, and can refuse writes or the close.
class TestSink : public ByteSink {
 public:
  TestSink(std::string* into, bool fail_write, bool fail_close)
      : into_(into), fail_write_(fail_write), fail_close_(fail_close) {}
  bool write_bytes(const char* data, std::size_t n) override {
    ++writes;
    if (fail_write_) return false;
    into_->append(data, n);
    return true;
  }
  bool finish() override { return !fail_close_; }
  std::string error() const override { return "No space left on device"; }
  int writes = 0;

 private:
  std::string* into_;
  bool fail_write_;
  bool fail_close_;
};

TEST(RecordWriter, EndsEveryRecordWithCarriageReturnAndLineFeed) {
  std::string file;
  RecordWriter writer(std::make_unique<TestSink>(&file, false, false));
  ASSERT_TRUE(writer.write_record("a"));
  ASSERT_TRUE(writer.write_record(""));
  ASSERT_TRUE(writer.write_record("  b c  "));
  ASSERT_TRUE(writer.flush());
  EXPECT_EQ("a\r\n\r\n  b c  \r\n", file);
  ASSERT_TRUE(writer.write_record(std::string_view("n\0l", 3)));
  ASSERT_TRUE(writer.finish());
  EXPECT_EQ(std::string("a\r\n\r\n  b c  \r\nn\0l\r\n", 19), file);
}

TEST(RecordWriter, ManyRecordsArriveInOrder) {
  std::string file, expected;
  RecordWriter writer(std::make_unique<TestSink>(&file, false, false));
  for (int i = 0; i < 20000; ++i) {
    const std::string record = std::to_string(i) + pattern(static_cast<std::size_t>(i % 70));
    ASSERT_TRUE(writer.write_record(record));
    expected += record + "\r\n";
  }
  ASSERT_TRUE(writer.finish());
  EXPECT_EQ(expected, file);
}

TEST(RecordWriter, FailingSink) {
  std::string file;
  {
    RecordWriter writer(std::make_unique<TestSink>(&file, true, false));
    ASSERT_TRUE(writer.write_record("buffered"));
    EXPECT_FALSE(writer.flush());
    EXPECT_EQ("No space left on device", writer.error());
  }
  {
    // Records beyond the buffer meet the failure while they are written.
    RecordWriter writer(std::make_unique<TestSink>(&file, true, false));
    bool all_ok = true;
    for (int i = 0; i < 2000 && all_ok; ++i) all_ok = writer.write_record(pattern(100));
    EXPECT_FALSE(all_ok);
  }
  {
    RecordWriter writer(std::make_unique<TestSink>(&file, true, false));
    ASSERT_TRUE(writer.write_record("buffered"));
    EXPECT_FALSE(writer.finish());
  }
  {
    // The bytes are written, but the close fails.
    RecordWriter writer(std::make_unique<TestSink>(&file, false, true));
    ASSERT_TRUE(writer.write_record("x"));
    EXPECT_FALSE(writer.finish());
    EXPECT_EQ("x\r\n", file);
  }
}

}  // namespace
}  // namespace textrec
