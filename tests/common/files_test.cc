#include "common/files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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

// An output replaces a regular file or nothing; a link is followed to a
// regular file only; what is no regular file is refused and left as it was.
TEST(WriteFileReplacing, OnlyOverARegularFile) {
  testutil::ScopedTempDir dir;
  const auto at = [&](const char* name) { return dir.file(name); };
  testutil::write_file(at("old.svg"), "old");
  ASSERT_EQ(0, symlink("old.svg", at("link.svg").c_str()));
  ASSERT_EQ(0, symlink("nowhere.svg", at("dangling.svg").c_str()));
  ASSERT_EQ(0, symlink("folder", at("to_folder.svg").c_str()));
  ASSERT_EQ(0, mkdir(at("folder").c_str(), 0755));
  ASSERT_EQ(0, mkfifo(at("fifo.svg").c_str(), 0600));
  // The numbers of /dev/null, made here: a device node nothing may replace.
  const bool root = mknod(at("device.svg").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
  ASSERT_EQ(0, mknod(at("socket.svg").c_str(), S_IFSOCK | 0600, 0));
  struct Case {
    const char* name;
    std::string refusal;  // empty: written, to the file named last
    const char* written_to;
  };
  const std::vector<Case> cases = {
      {"new.svg", "", "new.svg"},
      {"old.svg", "", "old.svg"},
      {"link.svg", "", "old.svg"},
      {"fifo.svg", "not a regular file", ""},
      {"device.svg", "not a regular file", ""},
      {"socket.svg", "not a regular file", ""},
      {"folder", "Is a directory", ""},
      {"to_folder.svg", "Is a directory", ""},
      {"dangling.svg", "a symbolic link that leads to no file", ""},
  };
  for (const Case& c : cases) {
    if (!root && std::string(c.name) == "device.svg") continue;
    const auto written = common::write_file_replacing(at(c.name), c.name);
    if (c.refusal.empty()) {
      ASSERT_TRUE(written) << c.name << ": " << written.error().message;
      EXPECT_EQ(c.name, testutil::read_file(at(c.written_to)));
    } else {
      ASSERT_FALSE(written) << c.name;
      EXPECT_EQ(c.refusal, written.error().message) << c.name;
    }
  }
  struct stat st {};
  ASSERT_EQ(0, lstat(at("link.svg").c_str(), &st));
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(0, lstat(at("fifo.svg").c_str(), &st));
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_FALSE(testutil::file_exists(at("nowhere.svg")));
  EXPECT_EQ(8u + (root ? 1 : 0), folder_names(dir.path()).size());  // no temporary left
}

// The outputs of a run, checked together before any is written.
TEST(CheckOutputs, NoTwoOutputsAreOneFileNorAnInput) {
  testutil::ScopedTempDir dir;
  const auto at = [&](const char* name) { return dir.file(name); };
  testutil::write_file(at("series.xy"), "100 5 6 7 90 90 90\n");
  ASSERT_EQ(0, link(at("series.xy").c_str(), at("hard.svg").c_str()));
  testutil::write_file(at("page.html"), "");
  ASSERT_EQ(0, symlink("page.html", at("page_link.svg").c_str()));
  ASSERT_EQ(0, mkfifo(at("fifo.svg").c_str(), 0600));
  struct Case {
    std::vector<std::string> outputs;
    std::string fault;  // empty: none
  };
  const std::string in = at("series.xy");
  const std::vector<Case> cases = {
      {{at("fig_strain.svg"), at("page.html")}, ""},
      {{at("fig_strain.svg"), at("fig_strain.svg")}, at("fig_strain.svg") + " names two outputs"},
      {{at("fig.svg"), dir.path() + "/./fig.svg"},
       at("fig.svg") + " and " + dir.path() + "/./fig.svg are one file"},
      {{at("page.html"), at("page_link.svg")},
       at("page.html") + " and " + at("page_link.svg") + " are one file"},
      {{at("fig.svg"), at("hard.svg")}, at("hard.svg") + " is one of the inputs"},
      {{at("fig.svg"), in}, in + " is one of the inputs"},
      {{at("fifo.svg"), in}, "cannot write " + at("fifo.svg") + ": not a regular file"},
  };
  for (const Case& c : cases) {
    const auto checked = common::check_outputs(c.outputs, {in});
    EXPECT_EQ(c.fault, checked ? std::string() : checked.error().message);
  }
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
