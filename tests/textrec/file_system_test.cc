// The file-system seam: the memory double the tests use, and the POSIX one.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "test_util.h"
#include "textrec/files.h"
#include "textrec/memory_files.h"
#include "textrec/records.h"

namespace textrec {
namespace {

std::vector<std::string> records_of(RecordReader& reader) {
  std::vector<std::string> records;
  std::string_view record;
  while (reader.next_record(&record) == kStatusOk) records.emplace_back(record);
  return records;
}

TEST(MemoryFileSystem, OpenCreateRefuseAndFailingWrites) {
  MemoryFileSystem fs;
  fs.files["list.lst"] = "title\r\nline 2\r\n";
  fs.refuse["locked.xy"] = "Permission denied";
  fs.fail_writes["full.xy"] = "No space left on device";

  EXPECT_TRUE(fs.exists("list.lst"));
  EXPECT_TRUE(fs.exists("locked.xy"));
  EXPECT_FALSE(fs.exists("other"));
  const Opened<ByteSource> other = fs.open_source("other");
  EXPECT_EQ(nullptr, other.file);
  EXPECT_EQ(std::strerror(ENOENT), other.reason);
  EXPECT_TRUE(other.missing);
  const Opened<ByteSource> locked = fs.open_source("locked.xy");
  EXPECT_EQ(nullptr, locked.file);
  EXPECT_EQ("Permission denied", locked.reason);
  EXPECT_FALSE(locked.missing);
  EXPECT_EQ(nullptr, fs.create_sink("locked.xy").file);

  RecordReader reader(fs.open_source("list.lst").file);
  EXPECT_EQ((std::vector<std::string>{"title", "line 2"}), records_of(reader));

  // Create replaces a file of that name.
  auto sink = std::move(fs.create_sink("list.lst").file);
  ASSERT_NE(nullptr, sink);
  EXPECT_EQ("", fs.files["list.lst"]);
  ASSERT_TRUE(sink->write_bytes("new", 3));
  EXPECT_TRUE(sink->finish());
  EXPECT_EQ("new", fs.files["list.lst"]);

  auto full = std::move(fs.create_sink("full.xy").file);
  ASSERT_NE(nullptr, full);
  EXPECT_TRUE(fs.exists("full.xy"));
  EXPECT_FALSE(full->write_bytes("x", 1));
  EXPECT_EQ("No space left on device", full->error());
}

TEST(PosixFileSystem, FilesAndFolders) {
  testutil::ScopedTempDir dir;
  FileSystem& fs = posix_file_system();
  const std::string name = dir.file("out.xy");

  Opened<ByteSink> created = fs.create_sink(name);
  ASSERT_NE(nullptr, created.file) << created.reason;
  {
    RecordWriter writer(std::move(created.file));
    ASSERT_TRUE(writer.write_record("one"));
    ASSERT_TRUE(writer.finish());
  }
  EXPECT_EQ("one\r\n", testutil::read_file(name));
  EXPECT_TRUE(fs.exists(name));
  RecordReader reader(fs.open_source(name).file);
  EXPECT_EQ((std::vector<std::string>{"one"}), records_of(reader));

  // Why an open failed, and whether it found no file at all.
  const struct {
    std::string name;
    std::string reason;
    bool missing;
  } failures[] = {
      {dir.file("missing"), std::strerror(ENOENT), true},
      {dir.file("out.xy/below"), std::strerror(ENOTDIR), true},
      {dir.path(), std::strerror(EISDIR), false},
      {std::string(name + '\0' + "x"), std::strerror(ENOENT), true},
  };
  for (const auto& f : failures) {
    const Opened<ByteSource> opened = fs.open_source(f.name);
    EXPECT_EQ(nullptr, opened.file) << f.name;
    EXPECT_EQ(f.reason, opened.reason) << f.name;
    EXPECT_EQ(f.missing, opened.missing) << f.name;
  }
  EXPECT_EQ(nullptr, fs.create_sink(dir.path()).file);
  EXPECT_FALSE(fs.exists(""));
  EXPECT_FALSE(fs.exists(std::string(name + '\0' + "x")));
}

// A device that never ends or a FIFO nobody writes to would hold the run for ever.
TEST(PosixFileSystem, OnlyRegularFilesAreRead) {
  testutil::ScopedTempDir dir;
  FileSystem& fs = posix_file_system();
  EXPECT_EQ("not a regular file", fs.open_source("/dev/zero").reason);
  const std::string fifo = dir.file("fifo");
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  EXPECT_EQ("not a regular file", fs.open_source(fifo).reason);
}

}  // namespace
}  // namespace textrec
