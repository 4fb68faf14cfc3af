// What the batch mode tells of entries it skips and of the folders it is given.

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "e2e/e2e_util.h"
#include "test_util.h"

namespace {

using e2e::Cell;
using e2e::Lines;
using testutil::ScopedTempDir;

testutil::RunResult batch(const ScopedTempDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), KORVEX_BIN);
  return testutil::run_program(args, dir.path(), "");
}

// A name without its temperature is told at its own line; the next line's
// entry is not taken for the temperature and is read as an entry.
TEST(BatchMessages, KeepGoingTellsAnEntryWithoutItsTemperatureAtItsLine) {
  ScopedTempDir dir;
  e2e::make_files(dir,
                  {{"s.lst", e2e::lf({"T", "h", "100K.out 100", "200K.out", "300K.out 295.15"})},
                   {"100K.out", e2e::kDirax100K},
                   {"200K.out", e2e::kDirax200K},
                   {"300K.out", e2e::kDirax300K}});
  const auto run = batch(dir, {"-q", "-k", "-c1", "s.lst"});
  EXPECT_EQ(8, run.exit_status);
  EXPECT_EQ((Lines{"  !! Line 4 of the buffer file cannot be read: skipped"}),
            testutil::split_lines(run.err));
  e2e::expect_table(dir, e2e::join({e2e::table_header("T", Cell::kInput),
                                    e2e::table_rows({&e2e::k100KInput, &e2e::k300KInput})}));
}

TEST(BatchMessages, OutputFolderThatIsADanglingLinkIsToldAsSuch) {
  ScopedTempDir dir;
  e2e::make_files(dir, {{"s.lst", e2e::lf({"T", "h", "100K.out 100"})}});
  ASSERT_EQ(0, ::symlink("nowhere", dir.file("out").c_str()));
  const auto run = batch(dir, {"-c1", "-o", "out", "s.lst"});
  EXPECT_EQ(16, run.exit_status);
  EXPECT_EQ((Lines{" !! Severe error: cannot make the output folder out: a dangling symbolic link",
                   " !! Execution ended."}),
            testutil::split_lines(run.err));
}

TEST(BatchMessages, NoOutputFolderIsMadeForABufferFileThatCannotBeOpened) {
  ScopedTempDir dir;
  const auto run = batch(dir, {"-c1", "-o", "out", "gone.lst"});
  EXPECT_EQ(16, run.exit_status);
  EXPECT_EQ(" !! Severe error: cannot open gone.lst on channel 1: No such file or directory",
            testutil::split_lines(run.err).at(0));
  EXPECT_FALSE(testutil::file_exists(dir.file("out")));
}

// The folder is echoed with its control characters shown as "?", in the
// closing line and in a diagnostic.
TEST(BatchMessages, ControlCharactersInTheOutputFolderAreShownAsQuestionMarks) {
  ScopedTempDir dir;
  e2e::make_files(dir, {{"s.lst", e2e::lf({"T", "h", "100K.out 100"})},
                        {"100K.out", e2e::kDirax100K},
                        {"f\x1b]0;T\a", "a file in the way"}});
  const auto made = batch(dir, {"-c1", "-o", "o\x1b[2J", "s.lst"});
  EXPECT_EQ(0, made.exit_status);
  EXPECT_EQ("korvex: 1 entries, 1 rows, 0 skipped; 8 files in o?[2J/ (input cell)\n", made.err);
  const auto refused = batch(dir, {"-c1", "-o", "f\x1b]0;T\a", "s.lst"});
  EXPECT_EQ(16, refused.exit_status);
  EXPECT_EQ(" !! Severe error: cannot make the output folder f?]0;T?: Not a directory",
            testutil::split_lines(refused.err).at(0));
}

}  // namespace
