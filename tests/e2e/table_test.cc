// Runs over series of DIRAX-like files: the table TK_parameters.xy and the plot
// files byte for byte in both cell choices with entries without a cell (the
// golden test of the dialogue's files), and file names with folders or longer
// than 64 characters. (korvex's table of the bundled example series is
// examples/series_parameters.xy, compared in tests/korvex-expansion.)

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/e2e_util.h"
#include "test_util.h"

namespace {

using e2e::answers;
using e2e::Cell;
using e2e::Lines;
using testutil::ScopedTempDir;

// Five entries: a cell in both modes, no cell at all, a cell in both modes, a
// cell in input-cell mode only, a cell in both modes. Rest of a line ignored,
// a comma as separator, temperatures written in several ways.
const std::string kSeriesTitle = "Test series: made-up crystal, both cells";
const std::map<std::string, std::string> kSeriesFiles = {
    {"series.lst",
     e2e::lf({kSeriesTitle, "file              T(K)", "100K.out  100.0   first point of the series",
              "nocell.out  150", "200K.out  200.", "inputonly.out   250", "300K.out,295.15"})},
    {"100K.out", e2e::kDirax100K},
    {"nocell.out", e2e::kDiraxNoCell},
    {"200K.out", e2e::kDirax200K},
    {"inputonly.out", e2e::kDiraxInputOnly},
    {"300K.out", e2e::kDirax300K},
};

TEST(TableFile, BothCellChoicesOverASeries) {
  struct Case {
    std::string choice;
    Cell cell;
    std::vector<const e2e::Expected*> entries;
  };
  const Case cases[] = {
      {"1",
       Cell::kInput,
       {&e2e::k100KInput, &e2e::k200KInput, &e2e::kInputOnlyInput, &e2e::k300KInput}},
      {"2",
       Cell::kConventional,
       {&e2e::k100KConventional, &e2e::k200KConventional, &e2e::k300KConventional}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("cell choice " + c.choice);
    ScopedTempDir dir;
    e2e::make_files(dir, kSeriesFiles);
    const auto run = e2e::run_korvex(dir, answers("series.lst", c.choice));
    e2e::expect_console(e2e::join({e2e::dialogue(), e2e::final_message(), e2e::offers()}), run.out);
    EXPECT_EQ(0, run.exit_status);
    e2e::expect_table(
        dir, e2e::join({e2e::table_header(kSeriesTitle, c.cell), e2e::table_rows(c.entries)}));
    // Every list line after the second counts as a point, with a cell or not.
    e2e::expect_plots(dir, kSeriesTitle, 5, c.entries, e2e::kEnded);
  }
}

// Names are used whole: a folder in the name, an absolute path, and names
// longer than 64 characters, at the question and in the list.
TEST(TableFile, FileNamesWithFoldersAndLongNames) {
  ScopedTempDir dir;
  const std::string buffer_file =
      "lists/buffer_file_named_with_more_than_sixty_four_characters_to_be_used_whole.lst";
  const std::string long_dirax =
      "dirax_output_file_with_a_name_longer_than_sixty_four_characters_300K.out";
  const std::string absolute = dir.file("elsewhere/200K.out");
  e2e::make_files(dir, {{buffer_file, e2e::lf({"Names", "file  T(K)", "data/100K.out  100.0",
                                               absolute + "  200", long_dirax + "  295.15"})},
                        {"data/100K.out", e2e::kDirax100K},
                        {"elsewhere/200K.out", e2e::kDirax200K},
                        {long_dirax, e2e::kDirax300K}});
  const auto run = e2e::run_korvex(dir, answers(buffer_file, "1"));
  EXPECT_EQ(e2e::told_to_the_end(), e2e::told(run.out));
  EXPECT_EQ(0, run.exit_status);
  e2e::expect_outputs(dir, {"100.00", "200.00", "295.15"}, e2e::kEnded);
}

}  // namespace
