#include "common/files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

// Names in a folder, "." and ".." left out.
std::vector<std::string> folder_names(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(path))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ReadWholeFile, OnlyARegularFileWithinTheBound) {
  testutil::ScopedTempDir dir;
  testutil::write_file(dir.file("ten"), "0123456789");
  ASSERT_EQ(0, mkdir(dir.file("folder").c_str(), 0755));
  // Opened without waiting: a FIFO with no writer does not hold the read.
  ASSERT_EQ(0, mkfifo(dir.file("fifo").c_str(), 0600));
  testutil::write_file(dir.file("sparse"), "");
  ASSERT_EQ(0, truncate(dir.file("sparse").c_str(), common::kMostFileBytes + 1));
  struct Case {
    std::string path;
    std::size_t most;
    std::string message;  // empty: the file is read
  };
  const std::vector<Case> cases = {
      {dir.file("ten"), 10, ""},
      {dir.file("ten"), 9, "the file is larger than 9 bytes"},
      {dir.file("gone"), 10, "cannot open the file: No such file or directory"},
      {dir.file("folder"), 10, "not a regular file"},
      {dir.file("fifo"), 10, "not a regular file"},
      {"/dev/zero", common::kMostFileBytes, "not a regular file"},
      {dir.file("sparse"), common::kMostFileBytes, "the file is larger than 256 MiB"},
  };
  for (const Case& c : cases) {
    const auto read = common::read_whole_file(c.path, c.most);
    if (c.message.empty()) {
      ASSERT_TRUE(read) << c.path << ": " << read.error().message;
      EXPECT_EQ("0123456789", *read);
    } else {
      ASSERT_FALSE(read) << c.path;
      EXPECT_EQ(0, read.error().line);
      EXPECT_EQ(c.message, read.error().message);
    }
  }
}

TEST(WriteFileReplacing, ReplacesTheFileAndLeavesNoTemporary) {
  testutil::ScopedTempDir dir;
  const std::string path = dir.file("TK_cell_a.svg");
  testutil::write_file(path, "old");
  const mode_t mask = umask(022);
  EXPECT_TRUE(common::write_file_replacing(path, "<svg/>\n"));
  umask(mask);
  EXPECT_EQ("<svg/>\n", testutil::read_file(path));
  struct stat st {};
  ASSERT_EQ(0, stat(path.c_str(), &st));
  EXPECT_EQ(0644u, st.st_mode & 0777u);  // not the temporary file's 0600

  // A folder of the target's name: the rename fails, and no temporary stays.
  const std::string in_the_way = dir.file("TK_volume.svg");
  ASSERT_EQ(0, mkdir(in_the_way.c_str(), 0755));
  const auto failure = common::write_file_replacing(in_the_way, "<svg/>\n");
  ASSERT_FALSE(failure);
  EXPECT_EQ("Is a directory", failure.error().message);
  EXPECT_EQ((std::vector<std::string>{"TK_cell_a.svg", "TK_volume.svg"}), folder_names(dir.path()));
  const auto missing = common::write_file_replacing(dir.file("no/such/folder.svg"), "x");
  ASSERT_FALSE(missing);
  EXPECT_EQ("No such file or directory", missing.error().message);
}

// A child writes a large file and is sent SIGINT once its temporary file
// shows: it ends by the signal, and leaves the whole new file and no
// temporary one. A child that finished before the signal came proves
// nothing, and the round is run again.
TEST(WriteFileReplacing, AnInterruptedWriteLeavesNoTemporaryFile) {
  const std::string bytes(std::size_t{48} << 20, 'x');
  for (int round = 0; round < 20; ++round) {
    testutil::ScopedTempDir dir;
    const std::string path = dir.file("picture.svg");
    const pid_t child = fork();
    ASSERT_LE(0, child);
    if (child == 0) _exit(common::write_file_replacing(path, bytes) ? 0 : 1);
    while (folder_names(dir.path()).empty()) {
    }
    kill(child, SIGINT);
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    if (WIFEXITED(status)) continue;
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(SIGINT, WTERMSIG(status));
    EXPECT_EQ(std::vector<std::string>{"picture.svg"}, folder_names(dir.path()));
    EXPECT_EQ(bytes.size(), std::filesystem::file_size(path));
    return;
  }
  GTEST_SKIP() << "each write ended before the signal came";
}

}  // namespace
