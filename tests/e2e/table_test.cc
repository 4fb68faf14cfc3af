// Runs over series of DIRAX-like files: the table TK_parameters.xy and the plot
// files byte for byte in both cell choices with entries without a cell (the
// golden test of the dialogue's files); file names with folders or longer
// than 64 characters, and the bundled example series.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
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

// One table row cut into its fields by the row layout.
struct Row {
  float temperature, a, b, c, alpha, beta, gamma, volume;
  std::string system, lattice;
};

Row parse_row(const std::string& line) {
  auto real = [&](std::size_t from, std::size_t width) {
    return std::stof(line.substr(from, width));
  };
  return {real(0, 6),   real(6, 12),  real(18, 12), real(30, 12),        real(42, 12),
          real(54, 12), real(66, 12), real(78, 13), line.substr(93, 12), line.substr(105, 4)};
}

double cell_volume(const Row& r) {
  const double to_rad = std::acos(-1.0) / 180.0;
  const double ca = std::cos(r.alpha * to_rad), cb = std::cos(r.beta * to_rad),
               cg = std::cos(r.gamma * to_rad);
  return r.a * r.b * r.c * std::sqrt(1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg);
}

// The example series shipped with the program: ten temperatures of one made-up
// crystal whose values change smoothly (korvex's table of it in cell choice 2
// is examples/series_parameters.xy, compared in tests/korvex-expansion).
TEST(TableFile, BundledExampleSeriesGivesAPlausibleTable) {
  for (const std::string choice : {"1", "2"}) {
    SCOPED_TRACE("cell choice " + choice);
    ScopedTempDir dir;
    testutil::copy_examples(dir);
    ASSERT_EQ(0, e2e::run_korvex(dir, answers("series.lst", choice)).exit_status);
    std::vector<Row> rows;
    for (const std::string& record : e2e::records_in(dir, "TK_parameters.xy"))
      rows.push_back(parse_row(record));
    ASSERT_EQ(10U, rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const Row& r = rows[i];
      SCOPED_TRACE("row " + std::to_string(i + 1));
      EXPECT_FLOAT_EQ(100.0F + 25.0F * static_cast<float>(i), r.temperature);
      for (const float length : {r.a, r.b, r.c}) EXPECT_TRUE(length > 2 && length < 50) << length;
      for (const float angle : {r.alpha, r.beta, r.gamma})
        EXPECT_TRUE(angle > 30 && angle < 150) << angle;
      EXPECT_TRUE(r.volume > 50 && r.volume < 5000) << r.volume;
      EXPECT_NE(std::string(12, ' '), r.system);
      EXPECT_EQ("   ", r.lattice.substr(0, 3));
      EXPECT_NE(' ', r.lattice[3]);
      // The volume belongs to the conventional cell.
      if (choice == "2") {
        EXPECT_NEAR(1.0, cell_volume(r) / r.volume, 0.005);
      }
      if (i == 0) continue;
      const Row& before = rows[i - 1];
      EXPECT_GT(r.volume, before.volume);  // expands on heating
      for (const auto field :
           {&Row::a, &Row::b, &Row::c, &Row::alpha, &Row::beta, &Row::gamma, &Row::volume})
        EXPECT_NEAR(1.0, r.*field / before.*field, 0.01);
    }
  }
}

}  // namespace
