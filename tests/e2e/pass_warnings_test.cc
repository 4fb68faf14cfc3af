// What the pass reads but cannot write as read: each is told, and the run does
// not end clean.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/e2e_util.h"
#include "test_util.h"

namespace {

using e2e::Lines;
using testutil::ScopedTempDir;

testutil::RunResult batch(const ScopedTempDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), KORVEX_BIN);
  return testutil::run_program(args, dir.path(), "");
}

std::string warning(int line, const std::string& value) {
  return "  !! Line " + std::to_string(line) + " of the buffer file: the temperature " + value +
         " K does not fit the F6.2 field of the table and plot files: written as ******";
}

// 1000 K and -100 K overflow F6.2; 999.99 K and -99.99 K still fit.
TEST(PassWarnings, TemperatureTooWideForItsFieldIsTold) {
  ScopedTempDir dir;
  e2e::make_files(
      dir,
      {{"s.lst", e2e::lf({"T", "h", "a.out 1000", "a.out 999.99", "a.out -99.99", "a.out -100"})},
       {"a.out", e2e::kDirax100K}});
  const auto run = batch(dir, {"-q", "-c1", "s.lst"});
  EXPECT_EQ(4, run.exit_status);
  EXPECT_EQ((Lines{warning(3, "1000"), warning(6, "-100")}), testutil::split_lines(run.err));
  const Lines table = testutil::split_lines(testutil::read_file(dir.file("TK_parameters.xy")));
  ASSERT_EQ(9U, table.size());
  EXPECT_EQ("******", table[5].substr(0, 6));
  EXPECT_EQ("999.99", table[6].substr(0, 6));
  EXPECT_EQ("******", table[8].substr(0, 6));
  // The dialogue says so too, after the files are complete.
  const auto asked = e2e::run_korvex(dir, e2e::answers("s.lst"));
  EXPECT_EQ(4, asked.exit_status);
  EXPECT_NE(std::string::npos, asked.out.find(warning(6, "-100") + "\n")) << asked.out;
}

// The batch mode names a DIRAX file that gives no cell of the choice and counts
// it; the dialogue passes over it without a word, as ever.
TEST(PassWarnings, DiraxFileWithoutACellIsNamedInTheBatchMode) {
  ScopedTempDir dir;
  e2e::make_files(dir, {{"s.lst", e2e::lf({"T", "h", "100K.out 100", "none.out 150"})},
                        {"100K.out", e2e::kDirax100K},
                        {"none.out", e2e::kDiraxNoCell}});
  for (const auto& [choice, cell] : {std::pair{"1", "input cell"}, {"2", "conventional cell"}}) {
    const auto run = batch(dir, {"-c", choice, "s.lst"});
    EXPECT_EQ(4, run.exit_status);
    EXPECT_EQ((Lines{"  !! none.out gives no " + std::string(cell),
                     "korvex: 2 entries, 1 rows, 1 without a cell, 0 skipped; 8 files in . (" +
                         std::string(cell) + ")"}),
              testutil::split_lines(run.err));
  }
  const auto asked = e2e::run_korvex(dir, e2e::answers("s.lst"));
  EXPECT_EQ(0, asked.exit_status);
  EXPECT_EQ(std::string::npos, asked.out.find("none.out"));
}

}  // namespace
