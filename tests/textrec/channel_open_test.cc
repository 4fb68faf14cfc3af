// The one-open path of a listed file: the existence check folded into the open,
// the positioning at the first record of a file that has not been read yet, and
// the end of a regular file found without a read that gives nothing.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "test_util.h"
#include "textrec/memory_files.h"
#include "textrec/textrec.h"
#include "textrec/unit_util.h"

namespace textrec {
namespace {

using unittest::MemoryRun;
using Lines = std::vector<std::string>;

constexpr int kOpen = 1, kMissing = 0, kEnded = -1;

TEST(OpenForReadingIfExists, MissingPresentOrRefused) {
  const struct {
    std::string name;
    int expected;
    std::string first_record;  // when open
    Lines console;
  } cases[] = {
      {"cell.out", kOpen, "first", {}},
      {"cell.out   ", kOpen, "first", {}},  // trailing blanks removed
      {"missing.out", kMissing, "", {}},
      {"   ", kMissing, "", {}},        // an all-blank name names nothing
      {" cell.out", kMissing, "", {}},  // leading blanks stay in the name
      {"locked.out",
       kEnded,
       "",
       {" !! Severe error: cannot open locked.out on channel 2: Permission denied",
        " !! Execution ended."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("|" + c.name + "|");
    MemoryRun run;
    run.fs.files["cell.out"] = "first\r\nsecond\r\n";
    run.fs.files["other.out"] = "other\n";
    run.fs.refuse["locked.out"] = "Permission denied";
    // The channel holds another file first: it is closed whatever the outcome.
    open_for_reading(2, "other.out");
    int got = kEnded;
    try {
      got = open_for_reading_if_exists(2, c.name) ? kOpen : kMissing;
    } catch (const RunEnded& ended) {
      EXPECT_EQ(kExitEnded, ended.exit_status);
    }
    EXPECT_EQ(c.expected, got);
    EXPECT_EQ(c.console, run.console_lines());
    std::string_view record;
    if (c.expected == kOpen) {
      ASSERT_EQ(kStatusOk, read_record(2, &record, 256));
      EXPECT_EQ(c.first_record, record);
    } else {
      EXPECT_EQ(kStatusIoError, read_record(2, &record, 256)) << "the channel is not free";
    }
  }
}

// Bytes held in memory behind a source that counts its rewinds and, like a
// pipe, cannot go back.
class CountingSource : public ByteSource {
 public:
  CountingSource(std::string bytes, int* rewinds)
      : bytes_(memory_source(std::move(bytes))), rewinds_(rewinds) {}
  long read_bytes(char* buf, std::size_t n) override { return bytes_->read_bytes(buf, n); }
  bool seek_to_start() override {
    ++*rewinds_;
    return false;
  }
  std::string error() const override { return "Illegal seek"; }

 private:
  std::unique_ptr<ByteSource> bytes_;
  int* rewinds_;
};

TEST(RecordReader, RewindBeforeAnyReadLeavesTheSourceAlone) {
  const struct {
    std::string bytes;
    int records_read_first;  // before the rewind
    bool rewound;            // the rewind went to the source
  } cases[] = {
      {"one\ntwo\n", 0, false},
      {"one\ntwo\n", 1, true},
      {"", 1, true},           // the end of the data was met
      {"\x1Aone\n", 1, true},  // the data end at once: the mark was read
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes) + " after " +
                 std::to_string(c.records_read_first));
    int rewinds = 0;
    RecordReader reader(std::make_unique<CountingSource>(c.bytes, &rewinds));
    std::string_view record;
    for (int i = 0; i < c.records_read_first; ++i) (void)reader.next_record(&record);
    EXPECT_EQ(!c.rewound, reader.back_to_first_record());
    EXPECT_EQ(c.rewound ? 1 : 0, rewinds);
    if (!c.rewound) {
      ASSERT_EQ(kStatusOk, reader.next_record(&record));
      EXPECT_EQ("one", record);
    }
  }
}

// A look at the first bytes is the first fill of the buffer: the records are
// then read from it with no rewind of the source; the whole source, a 0x1A and
// what follows included, is read again from its start.
TEST(RecordReader, FirstBytesAndWholeSource) {
  for (const std::string bytes : {"one\ntwo\n", "one\x1A\ntwo\n"}) {
    SCOPED_TRACE(testing::PrintToString(bytes));
    int rewinds = 0;
    RecordReader reader(std::make_unique<CountingSource>(bytes, &rewinds));
    std::string_view start;
    ASSERT_EQ(kStatusOk, reader.peek_start(&start));
    EXPECT_EQ(bytes.substr(0, bytes.find('\x1A')), start);
    EXPECT_TRUE(reader.back_to_first_record());
    std::string_view record;
    ASSERT_EQ(kStatusOk, reader.next_record(&record));
    EXPECT_EQ("one", record);
    EXPECT_EQ(0, rewinds);
  }
  std::string whole;
  RecordReader reader(memory_source("one\x1A\ntwo\n"));
  EXPECT_EQ(kStatusTooLong, reader.read_whole(8, &whole));
  EXPECT_EQ(kStatusOk, reader.read_whole(9, &whole));
  EXPECT_EQ("one\x1A\ntwo\n", whole);
}

// The size a file had when opened ends its reading only when a read stops short
// exactly there: bytes added after the open and before the read are read too.
TEST(PosixFileSystem, FileThatChangesAfterItsOpen) {
  const struct {
    const char* what;
    std::string at_open, before_read;
    std::vector<std::string> records;
  } cases[] = {
      {"unchanged", "one\ntwo\n", "", {"one", "two"}},
      {"grown", "one\ntwo\n", "three\nfour", {"one", "two", "three", "four"}},
      {"empty, then grown", "", "one\n", {"one"}},
      {"grown past the buffer",
       "one\n",
       std::string(70000, 'x') + "\nlast\n",
       {"one", std::string(70000, 'x'), "last"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    testutil::ScopedTempDir dir;
    const std::string name = dir.file("cell.out");
    testutil::write_file(name, c.at_open);
    Opened<ByteSource> opened = posix_file_system().open_source(name);
    ASSERT_TRUE(opened.file) << opened.reason;
    testutil::write_file(name, c.at_open + c.before_read);
    RecordReader reader(std::move(opened.file));
    std::vector<std::string> records;
    std::string_view record;
    while (reader.next_record(&record) == kStatusOk) records.emplace_back(record);
    EXPECT_EQ(c.records, records);
    // Read again from the start, now that the file's size is past the one it had.
    ASSERT_TRUE(reader.back_to_first_record());
    records.clear();
    while (reader.next_record(&record) == kStatusOk) records.emplace_back(record);
    EXPECT_EQ(c.records, records);
  }
}

}  // namespace
}  // namespace textrec
