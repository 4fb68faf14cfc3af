// Runs that meet hostile names, a folder another run is writing, and other
// faults seen from outside: the user is told, and nothing is lost or invented.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

#include "e2e/e2e_util.h"
#include "test_util.h"

namespace {

using e2e::Lines;
using testutil::ScopedTempDir;

// Escape sequences in a name reach the console as "?": no retitled or cleared
// terminal. The files keep their bytes.
TEST(Hostile, ControlCharactersInEchoedNamesAreShownAsQuestionMarks) {
  const struct {
    std::string name;
    std::string shown;
  } cases[] = {
      {"\x1b]0;owned\x07.out", "?]0;owned?.out"},
      {"\x1b[2J.out", "?[2J.out"},
      {"caf\xc3\xa9\x7f.out", "caf\xc3\xa9?.out"},  // UTF-8 kept, DEL shown as ?
      {"\x9b"
       "31m\xe9.out",
       "?31m\xe9.out"},  // not UTF-8: C1 shown as ?
      {"\xc2\x9b"
       "2J.out",
       "?2J.out"},  // UTF-8 C1 code point
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    ScopedTempDir dir;
    e2e::make_files(dir, {{"s.lst", "T\nh\n'" + c.name + "' 100\n"}});
    const auto run = e2e::run_korvex(dir, e2e::answers("s.lst"));
    EXPECT_EQ(8, run.exit_status);
    const Lines lines = testutil::split_lines(run.out);
    EXPECT_NE(lines.end(),
              std::find(lines.begin(), lines.end(), "  !! " + c.shown + " does not exist !!"))
        << run.out;
    EXPECT_EQ(std::string::npos, run.out.find('\x1b'));
  }
  // At the buffer-file question too.
  ScopedTempDir dir;
  const auto run = e2e::run_korvex(dir, "'\x1b[2Jgone.lst'\n");
  EXPECT_NE(std::string::npos, run.out.find("   !! ?[2Jgone.lst does not exist !!"));
  EXPECT_EQ(std::string::npos, run.out.find('\x1b'));
}

// A second run in a folder whose outputs another run holds changes nothing.
TEST(Hostile, SecondRunInTheSameFolderIsRefused) {
  ScopedTempDir dir;
  e2e::make_files(dir, {{"s.lst", "T\nh\n100K.out 100\n"},
                        {"100K.out", e2e::kDirax100K},
                        {"TK_parameters.xy", "another run's table\r\n"}});
  const int fd = ::open(dir.file("TK_parameters.xy").c_str(), O_RDWR);
  ASSERT_LE(0, fd);
  ASSERT_EQ(0, ::flock(fd, LOCK_EX | LOCK_NB));
  const auto asked = e2e::run_korvex(dir, e2e::answers("s.lst"));
  const auto unasked = testutil::run_program({KORVEX_BIN, "-c", "1", "s.lst"}, dir.path(), "");
  ::close(fd);
  const std::string refused =
      " !! Severe error: another korvex run is writing TK_parameters.xy in this folder";
  EXPECT_EQ(16, asked.exit_status);
  EXPECT_NE(std::string::npos, asked.out.find(refused + "\n !! Execution ended.\n"));
  EXPECT_EQ(16, unasked.exit_status);
  EXPECT_EQ(refused, testutil::split_lines(unasked.err).at(0));
  EXPECT_EQ("another run's table\r\n", testutil::read_file(dir.file("TK_parameters.xy")));
  EXPECT_FALSE(testutil::file_exists(dir.file("TK_cell_a.pgf")));
  // Once the lock is gone the run goes through.
  EXPECT_EQ(0, e2e::run_korvex(dir, e2e::answers("s.lst")).exit_status);
}

}  // namespace

namespace {

// A buffer file that is one of the outputs, by any name, would be emptied as
// the table is created: it is refused like a missing one, and asked for again.
TEST(Hostile, BufferFileThatIsAnOutputIsRefused) {
  const std::string list = "T\nh\n100K.out 100\n";
  for (const std::string name : {"TK_parameters.xy", "./TK_volume.pgf", "link.lst"}) {
    SCOPED_TRACE(name);
    ScopedTempDir dir;
    e2e::make_files(dir, {{"TK_parameters.xy", list},
                          {"TK_volume.pgf", list},
                          {"s.lst", list},
                          {"100K.out", e2e::kDirax100K}});
    ASSERT_EQ(0, ::symlink("TK_parameters.xy", dir.file("link.lst").c_str()));
    const auto run = e2e::run_korvex(dir, e2e::answers(name + "\ns.lst"));
    EXPECT_EQ(0, run.exit_status);
    const Lines expected = e2e::join({e2e::banner(),
                                      e2e::buffer_question(),
                                      {"   !! " + name + " is an output file of this program !!",
                                       "    press Enter key to continue "},
                                      e2e::buffer_question()});
    const Lines lines = testutil::split_lines(run.out);
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(expected, Lines(lines.begin(), lines.begin() + static_cast<long>(expected.size())));
  }
  ScopedTempDir dir;
  e2e::make_files(dir, {{"out/TK_parameters.xy", list}, {"100K.out", e2e::kDirax100K}});
  const auto run = testutil::run_program({KORVEX_BIN, "-c1", "-o", "out", "out/TK_parameters.xy"},
                                         dir.path(), "");
  EXPECT_EQ(16, run.exit_status);
  EXPECT_EQ(
      " !! Severe error: the buffer file out/TK_parameters.xy is an output file of this program",
      testutil::split_lines(run.err).at(0));
  EXPECT_EQ(list, testutil::read_file(dir.file("out/TK_parameters.xy")));
}

}  // namespace
