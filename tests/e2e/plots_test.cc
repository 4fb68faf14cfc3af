// Runs whose buffer file is short, holds blank or unreadable lines, or names a
// DIRAX file that does not exist, and a run that cannot create a plot file:
// what the run tells, its exit status, and which records every output file
// holds afterwards (the files' layout is the golden tests' concern).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/e2e_util.h"
#include "test_util.h"

namespace {

using e2e::answers;
using e2e::Lines;
using testutil::ScopedTempDir;

const std::map<std::string, std::string> kDiraxFiles = {
    {"100K.out", e2e::kDirax100K},
    {"200K.out", e2e::kDirax200K},
    {"300K.out", e2e::kDirax300K},
};

// Every line after the second counts as a point, blank ones too, although the
// pass passes them over.
TEST(PlotFiles, BlankLinesInTheListRaiseThePointCount) {
  ScopedTempDir dir;
  e2e::make_files(dir, kDiraxFiles);
  e2e::make_files(dir, {{"blank.lst", e2e::lf({"With blank lines", "file  T(K)", "100K.out  100.0",
                                               "", "200K.out  200", "", "   "})}});
  const auto run = e2e::run_korvex(dir, answers("blank.lst", "1"));
  EXPECT_EQ(0, run.exit_status);
  e2e::expect_outputs(dir, {"100.00", "200.00"}, e2e::kEnded);
  for (const auto& plot : e2e::kPlotFiles) EXPECT_EQ(5, e2e::declared_points(dir, plot)) << plot;
}

// Each missing line is an end of data, read once by the main program and once
// more when the output files are prepared; the title and the legends stay
// blank, and the run goes on as after an empty list, ending with status 8.
TEST(PlotFiles, BufferFileOfFewerThanTwoLines) {
  struct Case {
    std::string content;
    int ends_of_data;
    std::string title;
  };
  const Case cases[] = {
      {"", 4, ""},
      {"Only a title\n", 2, "Only a title"},
      {"Only a title", 2, "Only a title"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("buffer file |" + c.content + "|");
    ScopedTempDir dir;
    e2e::make_files(dir, {{"short.lst", c.content}});
    const auto run = e2e::run_korvex(dir, answers("short.lst", "1"));
    EXPECT_EQ(e2e::told_to_the_end(e2e::repeat(
                  e2e::shown(" !! Error: end of data in a read from channel 1 (short.lst)"),
                  c.ends_of_data)),
              e2e::told(run.out));
    EXPECT_EQ(8, run.exit_status);
    e2e::expect_outputs(dir, {}, e2e::kEnded);
    EXPECT_TRUE(
        testutil::read_file(dir.file("TK_parameters.xy")).starts_with("! " + c.title + "\r\n"));
    EXPECT_TRUE(testutil::read_file(dir.file("TK_volume.pgf"))
                    .starts_with("# MAIN LEGEND TEXT: " + c.title + "\r\n"));
  }
}

// The run stops at the missing file: the rows and points of the entries before
// it stay, the plot files get no end record, nothing is offered.
TEST(PlotFiles, MissingDiraxFileInMidListStopsTheRun) {
  ScopedTempDir dir;
  e2e::make_files(dir, kDiraxFiles);
  e2e::make_files(dir,
                  {{"gap.lst", e2e::lf({"Gap", "file  T(K)", "100K.out  100.0", "200K.out  200",
                                        "data/missing.out  250", "300K.out  295.15"})}});
  const auto run = e2e::run_korvex(dir, answers("gap.lst", "1"));
  EXPECT_EQ((Lines{"buffer file?", "cell?", "  !! data/missing.out does not exist !!"}),
            e2e::told(run.out));
  EXPECT_EQ(8, run.exit_status);
  e2e::expect_outputs(dir, {"100.00", "200.00"}, e2e::kNotEnded);
}

// An entry that cannot be read ends the pass with a message naming its line;
// the rest of the run is that of a complete list, with status 8.
TEST(PlotFiles, UnreadableEntryEndsThePass) {
  struct Case {
    Lines entries;
    int bad_line;
    Lines written;
  };
  const Case cases[] = {
      {{"100K.out  100.0", "200K.out  12x5", "300K.out  295.15"}, 4, {"100.00"}},
      // A name without a temperature at the end of the file.
      {{"100K.out  100.0", "200K.out  200", "300K.out"}, 5, {"100.00", "200.00"}},
      // The temperature is looked for on the next line, which holds none.
      {{"100K.out  100.0", "200K.out", "oops"}, 5, {"100.00"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("entries |" + e2e::lf(c.entries) + "|");
    ScopedTempDir dir;
    e2e::make_files(dir, kDiraxFiles);
    e2e::make_files(dir, {{"bad.lst", e2e::lf(e2e::join({{"Bad", "file  T(K)"}, c.entries}))}});
    const auto run = e2e::run_korvex(dir, answers("bad.lst", "1"));
    EXPECT_EQ(e2e::told_to_the_end({"  !! Line " + std::to_string(c.bad_line) +
                                    " of the buffer file cannot be read as a file name and a "
                                    "temperature !!"}),
              e2e::told(run.out));
    EXPECT_EQ(8, run.exit_status);
    e2e::expect_outputs(dir, c.written, e2e::kEnded);
  }
}

// A folder in the way of the third plot file: the run ends at once with 16,
// before any output is created.
TEST(PlotFiles, FailureToCreateAPlotFileEndsTheRun) {
  ScopedTempDir dir;
  e2e::make_files(dir, kDiraxFiles);
  e2e::make_files(dir, {{"one.lst", e2e::lf({"Blocked", "file  T(K)", "100K.out  100.0"})}});
  std::filesystem::create_directory(dir.file("TK_cell_c.pgf"));
  const auto run = e2e::run_korvex(dir, answers("one.lst", "1"));
  EXPECT_EQ((Lines{"buffer file?", "cell?",
                   " !! Severe error: cannot create TK_cell_c.pgf on channel 16: Is a directory",
                   " !! Execution ended."}),
            e2e::told(run.out));
  EXPECT_EQ(16, run.exit_status);
  for (const std::string name : {"TK_parameters.xy", "TK_cell_a.pgf", "TK_cell_b.pgf"})
    EXPECT_FALSE(testutil::file_exists(dir.file(name))) << name;
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("TK_cell_c.pgf")));
  for (std::size_t i = 3; i < e2e::kPlotFiles.size(); ++i)
    EXPECT_FALSE(testutil::file_exists(dir.file(e2e::kPlotFiles[i]))) << e2e::kPlotFiles[i];
}

}  // namespace
