// Faults at the edges of the batch mode: each case one fault, told on standard
// error with an exact status, and what must stay untouched checked after.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/e2e_util.h"
#include "test_util.h"

namespace {

using testutil::ScopedTempDir;
using Check = std::function<void(const ScopedTempDir&)>;

const std::string kList = e2e::lf({"T", "h", "100K.out 100"});

struct Case {
  std::string name;
  std::map<std::string, std::string> files;
  std::string args;  // split at blanks
  int status;
  std::optional<std::string> err;  // none: not the case's concern
  Check before = {};
  Check after = {};
};

std::string severe(const std::string& message) {
  return " !! Severe error: " + message + "\n !! Execution ended.\n";
}

Check unchanged(const std::string& name, const std::string& bytes) {
  return [=](const ScopedTempDir& dir) { EXPECT_EQ(bytes, testutil::read_file(dir.file(name))); };
}

std::string too_wide(int line, const std::string& value) {
  return "  !! Line " + std::to_string(line) + " of the buffer file: the temperature " + value +
         " K does not fit the F6.2 field of the table and plot files: written as ******\n";
}

TEST(Edges, EachFaultIsToldWithItsStatus) {
  const std::map<std::string, std::string> dirax = {{"100K.out", e2e::kDirax100K},
                                                    {"200K.out", e2e::kDirax200K},
                                                    {"none.out", e2e::kDiraxNoCell}};
  const Case cases[] = {
      {"a buffer file named like a picture",
       {{"TK_volume.svg", kList}},
       "--svg -c1 TK_volume.svg",
       16,
       severe("the buffer file TK_volume.svg is an output file of this program"),
       {},
       unchanged("TK_volume.svg", kList)},
      {"a picture's temporary name",
       {{"TK_cell_a.svg.Ab12Cd", kList}},
       "-c1 TK_cell_a.svg.Ab12Cd",
       16,
       severe("the buffer file TK_cell_a.svg.Ab12Cd is an output file of this program")},
      {"an entry that is an output",
       {{"s.lst", e2e::lf({"T", "h", "100K.out 1", "TK_parameters.csv 2"})},
        {"TK_parameters.csv", kList}},
       "-k -c1 s.lst",
       16,
       severe("the cell file TK_parameters.csv on line 4 of the buffer file is an output file of "
              "this program"),
       {},
       unchanged("TK_parameters.csv", kList)},
      // Told from the entry's open where no output has another name; looked up
      // ahead of the pass where creating the outputs would empty the entry.
      {"an entry linked to an output yet to be made",
       {{"s.lst", e2e::lf({"T", "h", "100K.out 1", "link.out 2"})}, {"100K.out", e2e::kDirax100K}},
       "-k -c1 s.lst",
       16,
       severe("the cell file link.out on line 4 of the buffer file is an output file of this "
              "program"),
       [](const ScopedTempDir& dir) {
         ASSERT_EQ(0, ::symlink("TK_cell_a.pgf", dir.file("link.out").c_str()));
       }},
      {"an entry linked to an output there",
       {{"s.lst", e2e::lf({"T", "h", "link.out 2"})}, {"TK_cell_a.pgf", kList}},
       "-k -c1 s.lst",
       16,
       severe("the cell file link.out on line 3 of the buffer file is an output file of this "
              "program"),
       [](const ScopedTempDir& dir) {
         ASSERT_EQ(0, ::symlink("TK_cell_a.pgf", dir.file("link.out").c_str()));
       }},
      {"an entry that is another name of an output",
       {{"s.lst", e2e::lf({"T", "h", "100K.out 1", "hard.out 2"})},
        {"100K.out", e2e::kDirax100K},
        {"TK_cell_b.pgf", kList}},
       "-k -c1 s.lst",
       16,
       severe("the cell file hard.out on line 4 of the buffer file is an output file of this "
              "program"),
       [](const ScopedTempDir& dir) {
         ASSERT_EQ(0, ::link(dir.file("TK_cell_b.pgf").c_str(), dir.file("hard.out").c_str()));
       },
       unchanged("hard.out", kList)},
      {"a folder at a picture's name: refused before any output is made",
       {{"s.lst", e2e::lf({"T", "h", "none.out 1"})}},
       "-q --svg -c1 s.lst",
       16,
       severe("cannot write TK_cell_a.svg: Is a directory"),
       [](const ScopedTempDir& dir) {
         std::filesystem::create_directory(dir.file("TK_cell_a.svg"));
       },
       [](const ScopedTempDir& dir) {
         EXPECT_TRUE(std::filesystem::is_directory(dir.file("TK_cell_a.svg")));
         EXPECT_FALSE(testutil::file_exists(dir.file("TK_parameters.xy")));
       }},
      {"temperatures the F6.2 field cannot hold",
       {{"s.lst", e2e::lf({"T", "h", "100K.out 1000", "100K.out 999.99", "100K.out -99.99",
                           "100K.out -100"})}},
       "-q -c1 s.lst",
       4,
       too_wide(3, "1000") + too_wide(6, "-100"),
       {},
       [](const ScopedTempDir& dir) {
         e2e::expect_outputs(dir, {"******", "999.99", "-99.99", "******"}, e2e::kEnded);
       }},
      {"a volume the F13.3 field cannot hold",
       {{"s.lst", e2e::lf({"T", "h", "big.tsv 100"})},
        {"big.tsv", "100 1100 1000 1000 90 90 90\n"}},
       "-q -c1 s.lst",
       4,
       "  !! big.tsv:line 1: the volume 1.1e+09 A^3 does not fit the F13.3 field of the table: "
       "written as *************\n"},
      {"a DIRAX file without a cell",
       {{"s.lst", e2e::lf({"T", "h", "100K.out 1", "none.out 2"})}},
       "-c2 s.lst",
       4,
       "  !! none.out gives no conventional cell\nkorvex: 2 entries, 1 row, 1 without a cell, 0 "
       "skipped; 8 files in . (conventional cell)\n"},
      {"-k over a name without its temperature",
       {{"s.lst", e2e::lf({"T", "h", "100K.out 100", "none.out", "200K.out 200"})}},
       "-q -k -c1 s.lst",
       8,
       "  !! Line 4 of the buffer file cannot be read: skipped\n",
       {},
       [](const ScopedTempDir& dir) {
         e2e::expect_outputs(dir, {"100.00", "200.00"}, e2e::kEnded);
       }},
      {"-o naming a dangling link",
       {{"s.lst", kList}},
       "-c1 -o out s.lst",
       16,
       severe("cannot make the output folder out: a dangling symbolic link"),
       [](const ScopedTempDir& dir) {
         ASSERT_EQ(0, ::symlink("nowhere", dir.file("out").c_str()));
       }},
      {"-o with a buffer file that cannot be opened",
       {},
       "-c1 -o out gone.lst",
       16,
       severe("cannot open gone.lst on channel 1: No such file or directory"),
       {},
       [](const ScopedTempDir& dir) { EXPECT_FALSE(testutil::file_exists(dir.file("out"))); }},
      {"-o holding control characters",
       {{"s.lst", kList}},
       "-c1 -o o\x1b[2J s.lst",
       0,
       "korvex: 1 entry, 1 row, 0 skipped; 8 files in o?[2J/ (input cell)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir dir;
    e2e::make_files(dir, dirax);
    e2e::make_files(dir, c.files);
    if (c.before) c.before(dir);
    std::vector<std::string> args = {KORVEX_BIN};
    std::istringstream words(c.args);
    for (std::string word; words >> word;) args.push_back(word);
    const auto run = testutil::run_program(args, dir.path(), "");
    EXPECT_EQ(c.status, run.exit_status) << run.err;
    if (c.err) {
      EXPECT_EQ(*c.err, run.err);
    }
    if (c.after) c.after(dir);
  }
}

// korvex fed by `feed` through a pipe, sent the signal after 0.5 s by timeout(1),
// which then signals its process group too, as a terminal's ^C does.
testutil::RunResult interrupted(const ScopedTempDir& dir, const std::string& feed,
                                const std::string& signal) {
  const char* path = std::getenv("PATH");
  return testutil::run_program(
      {"/bin/sh", "-c",
       feed + " | exec timeout --preserve-status -s " + signal + " 0.5 " KORVEX_BIN},
      dir.path(), "", {{"COMSPEC", ""}, {"PATH", dir.file("bin") + ":" + (path ? path : "/bin")}});
}

TEST(Edges, SigintWhileTheViewerRunsEndsTheRun) {
  ScopedTempDir dir;
  e2e::make_files(dir, {{"s.lst", kList},
                        {"100K.out", e2e::kDirax100K},
                        {"bin/vistrel", "#!/bin/sh\nexec sleep 30\n"}});
  ASSERT_EQ(0, ::chmod(dir.file("bin/vistrel").c_str(), 0755));
  const auto run = interrupted(dir, "{ printf 's.lst\\n1\\ny\\nn\\n'; sleep 1.5; }", "INT");
  EXPECT_EQ(128 + SIGINT, run.exit_status);
  EXPECT_TRUE(
      run.out.ends_with("?  \n !! Execution interrupted by SIGINT: the output files are "
                        "incomplete\n"))
      << run.out;
}

TEST(Edges, InterruptBeforeAnyOutputSaysNoFileWasWritten) {
  ScopedTempDir dir;
  const auto run = interrupted(dir, "sleep 1", "TERM");
  EXPECT_EQ(128 + SIGTERM, run.exit_status);
  EXPECT_TRUE(run.out.ends_with(": \n !! Execution interrupted by SIGTERM: no file was written\n"))
      << run.out;
}

}  // namespace
