// Files that are not the run's to replace: a buffer file or a DIRAX file named
// like an output, and what stands at a picture's name without being one.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "e2e/e2e_util.h"
#include "test_util.h"

namespace {

using e2e::Lines;
using testutil::ScopedTempDir;

const std::string kList = e2e::lf({"T", "h", "100K.out 100"});

testutil::RunResult batch(const ScopedTempDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), KORVEX_BIN);
  return testutil::run_program(args, dir.path(), "");
}

// Any output's name, a picture's temporary name included, is refused as the
// buffer file, whatever the options: --svg would replace it, or remove it.
TEST(OutputsKept, BufferFileNamedLikeAnyOutputIsRefused) {
  for (const std::string name : {"TK_volume.svg", "./TK_parameters.csv", "TK_cell_a.svg.Ab12Cd"}) {
    SCOPED_TRACE(name);
    ScopedTempDir dir;
    e2e::make_files(dir, {{name, kList}, {"100K.out", e2e::kDirax100K}});
    const auto run = batch(dir, {"--svg", "-c1", name});
    EXPECT_EQ(16, run.exit_status);
    EXPECT_EQ(
        (Lines{" !! Severe error: the buffer file " + name + " is an output file of this program",
               " !! Execution ended."}),
        testutil::split_lines(run.err));
    EXPECT_EQ(kList, testutil::read_file(dir.file(name)));
  }
  // In the dialogue too, where the viewer would rename its picture over it.
  ScopedTempDir dir;
  e2e::make_files(dir, {{"TK_volume.svg", kList}});
  const auto run = e2e::run_korvex(dir, "TK_volume.svg\n");
  const Lines lines = testutil::split_lines(run.out);
  ASSERT_GT(lines.size(), 13U);
  EXPECT_EQ("   !! TK_volume.svg is an output file of this program !!", lines[13]);
}

// A DIRAX entry that is an output would be emptied as the outputs are created:
// the run ends before any is, and says which line names it.
TEST(OutputsKept, DiraxEntryThatIsAnOutputEndsTheRunBeforeAnyOutput) {
  ScopedTempDir dir;
  const std::string cell = e2e::kDirax100K;
  e2e::make_files(dir, {{"s.lst", e2e::lf({"T", "h", "100K.out 100", "TK_parameters.csv 150"})},
                        {"100K.out", cell},
                        {"TK_parameters.csv", cell}});
  const auto run = batch(dir, {"-k", "--csv", "-c1", "s.lst"});
  EXPECT_EQ(16, run.exit_status);
  EXPECT_EQ(
      (Lines{" !! Severe error: the DIRAX file TK_parameters.csv on line 4 of the buffer file "
             "is an output file of this program",
             " !! Execution ended."}),
      testutil::split_lines(run.err));
  EXPECT_EQ(cell, testutil::read_file(dir.file("TK_parameters.csv")));
  EXPECT_FALSE(testutil::file_exists(dir.file("TK_cell_a.pgf")));
}

// A plot without a point removes the picture an earlier run left, but nothing
// at that name that is not a regular file.
TEST(OutputsKept, OnlyARegularFileIsRemovedAsAStalePicture) {
  ScopedTempDir dir;
  e2e::make_files(dir, {{"s.lst", e2e::lf({"T", "h", "none.out 100"})},
                        {"none.out", e2e::kDiraxNoCell},
                        {"TK_cell_b.svg", "<svg/>"}});
  ASSERT_EQ(0, ::mkdir(dir.file("TK_cell_a.svg").c_str(), 0755));
  (void)batch(dir, {"-q", "--svg", "-c1", "s.lst"});
  struct stat info {};
  EXPECT_EQ(0, ::stat(dir.file("TK_cell_a.svg").c_str(), &info));
  EXPECT_FALSE(testutil::file_exists(dir.file("TK_cell_b.svg")));
}

}  // namespace
