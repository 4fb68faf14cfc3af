// The pictures of `korvex --svg`, drawn from the cells of the pass: those
// vistrel draws from the plot files of the same run, and more where the plot
// files cannot hold a point.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "chart/series_picture.h"
#include "formats/pgf_read.h"
#include "formats/plot_series.h"
#include "test_util.h"

namespace {

using testutil::ScopedTempDir;

// The example's DIRAX files, listed with temperatures that do not end in 0.
void make_series(const ScopedTempDir& dir, const std::vector<std::string>& temperatures) {
  std::string list = "Made-up series\nfile T\n";
  for (std::size_t i = 0; i < temperatures.size(); ++i) {
    const std::string name = "ex_" + std::to_string(100 + 25 * i) + "K_dirax_cell.out";
    testutil::write_file(dir.file(name),
                         testutil::read_file(std::string(EXAMPLES_DIR) + "/" + name));
    list += name + "  " + temperatures[i] + "\n";
  }
  testutil::write_file(dir.file("series.lst"), list);
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(SvgPictures, AreThePicturesOfThePlotFilesOfTheRun) {
  ScopedTempDir dir;
  make_series(dir, {"100.45", "125.37", "150.0", "174.99", "-20.5", "225.01", "250.5"});
  const auto run = testutil::run_program(
      {KORVEX_BIN, "-q", "--svg", "-c", "conventional", "-o", "out", "series.lst"}, dir.path(), "");
  ASSERT_EQ(0, run.exit_status) << run.err;
  EXPECT_EQ("", run.err);
  for (const formats::PlotSeries& series : formats::kPlotSeries) {
    SCOPED_TRACE(series.file);
    const std::string pgf_path = dir.file("out/" + std::string(series.file));
    const auto pgf = formats::read_pgf_file(pgf_path);
    ASSERT_TRUE(pgf);
    EXPECT_EQ(7U, pgf->points.size());
    EXPECT_EQ(
        chart::render_svg(chart::picture_of(*pgf), "conventional cell, buffer file series.lst"),
        testutil::read_file(chart::svg_path_for(pgf_path)));
  }
}

TEST(SvgPictures, KeepThePointsThePlotFilesCannotHold) {
  ScopedTempDir dir;
  make_series(dir, {"100.0", "1234.5", "150.0"});
  const auto run =
      testutil::run_program({KORVEX_BIN, "-q", "--svg", "-c", "1", "series.lst"}, dir.path(), "");
  const std::string svg = testutil::read_file(dir.file("TK_volume.svg"));
  EXPECT_EQ(3U + 1, count(svg, "<circle class=\"point\"")) << run.err;  // and the key's
  EXPECT_NE(std::string::npos, svg.find(">1200</text>"));               // a tick of the X axis
  const auto pgf = formats::read_pgf_file(dir.file("TK_volume.pgf"));
  ASSERT_TRUE(pgf);
  EXPECT_EQ(2U, pgf->points.size());
}

TEST(SvgPictures, APictureWithoutAPointIsToldAndNotCounted) {
  ScopedTempDir dir;
  make_series(dir, {});
  testutil::write_file(dir.file("TK_cell_a.svg"), "an earlier run's picture");
  ASSERT_EQ(0, symlink("elsewhere.svg", dir.file("TK_cell_b.svg").c_str()));
  testutil::write_file(dir.file("elsewhere.svg"), "a picture of its own");
  const auto run =
      testutil::run_program({KORVEX_BIN, "--svg", "-c", "2", "series.lst"}, dir.path(), "");
  EXPECT_EQ(4, run.exit_status);
  std::vector<std::string> expected;
  for (const formats::PlotSeries& series : formats::kPlotSeries) {
    expected.push_back("  !! " + chart::svg_path_for(series.file) +
                       " not written: no point to plot");
  }
  expected.push_back("korvex: 0 entries, 0 rows, 0 skipped; 8 files in . (conventional cell)");
  EXPECT_EQ(expected, testutil::split_lines(run.err));
  EXPECT_FALSE(testutil::file_exists(dir.file("TK_cell_a.svg")));
  struct stat info {};
  EXPECT_EQ(0, lstat(dir.file("TK_cell_b.svg").c_str(), &info));  // not removed: korvex's it is not
  EXPECT_EQ("a picture of its own", testutil::read_file(dir.file("elsewhere.svg")));
}

}  // namespace
