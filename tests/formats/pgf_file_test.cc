#include "formats/pgf_file.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "formats/pgf_read.h"
#include "textrec/textrec.h"
#include "textrec/unit_util.h"

namespace formats {
namespace {

using unittest::bar;
using unittest::file_records;
using unittest::MemoryRun;
using Records = std::vector<std::string>;

constexpr int kChannel = 14;

struct Plot {
  const PlotSeries* series = &kPlotSeries[0];
  std::string main_legend = "Heating series";
  std::int32_t points = 2;
  std::vector<std::pair<float, float>> rows;
};

// The records of a whole plot file: header, pattern block, data rows, end.
Records plot_file(const Plot& plot) {
  MemoryRun run;
  textrec::create_file(kChannel, "plot.pgf");
  formats::write_pgf_header(kChannel, *plot.series, plot.main_legend, plot.points);
  for (const auto& [x, y] : plot.rows) formats::write_pgf_point(kChannel, x, y);
  formats::write_pgf_end(kChannel);
  textrec::close_channel(kChannel);
  EXPECT_EQ("", run.out);
  return file_records(run.fs.files["plot.pgf"]);
}

const std::string kSeparator = "#" + std::string(50, '-');

TEST(PgfFile, EveryRecord) {
  Plot plot;
  plot.rows = {{295.0F, 10.1234F}, {85.5F, 1234.5F}};
  EXPECT_EQ((Records{
                "# MAIN LEGEND TEXT: Heating series",
                "# X LEGEND TEXT   : Temperature (K)",
                "# Y LEGEND TEXT   : a unit cell parameter (A)",
                "#   TK              a(A)",
                "# NUMBER OF PATTERNS: 1",
                kSeparator,
                "# >>>>>>>> PATTERN #: 1",
                "#             TITLE : a(A)=f(T)",
                "#  NUMBER OF POINTS :        2",
                "#            MARKER : 1",
                "#              SIZE : 2",
                "#   DATA: X Y",
                "295.00            10.12340",
                " 85.50          1234.50000",
                "# END OF FILE",
            }),
            plot_file(plot));
  EXPECT_EQ(51U, kSeparator.size());
}

TEST(PgfFile, MainLegend) {
  const struct {
    std::string main_legend;
    std::string record;
  } cases[] = {
      {"", "# MAIN LEGEND TEXT: "},
      {std::string(128, ' '), "# MAIN LEGEND TEXT: "},
      {"   Heated   ", "# MAIN LEGEND TEXT:    Heated"},
      {std::string(128, 'M'), "# MAIN LEGEND TEXT: " + std::string(128, 'M')},
  };
  for (const auto& c : cases) {
    Plot plot;
    plot.main_legend = c.main_legend;
    const Records records = plot_file(plot);
    ASSERT_EQ(13U, records.size());
    EXPECT_EQ(bar(c.record), bar(records[0]));
  }
}

TEST(PgfFile, LegendHeadingAndTitleOfEverySeries) {
  const struct {
    const char* file;
    const char* y_legend;
    const char* heading;
    const char* title;
  } cases[] = {
      {"TK_cell_a.pgf", "a unit cell parameter (A)", "#   TK              a(A)", "a(A)=f(T)"},
      {"TK_cell_b.pgf", "b unit cell parameter (A)", "#   TK              b(A)", "b(A)=f(T)"},
      {"TK_cell_c.pgf", "c unit cell parameter (A)", "#   TK              c(A)", "c(A)=f(T)"},
      {"TK_cell_alpha.pgf", "alpha angle (deg.)", "#   TK        alpha(deg)", "alpha(deg)=f(T)"},
      {"TK_cell_beta.pgf", "beta angle (deg.)", "#   TK         beta(deg)", "beta(deg)=f(T)"},
      {"TK_cell_gamma.pgf", "gamma angle (deg.)", "#   TK        gamma(deg)", "gamma(deg)=f(T)"},
      {"TK_volume.pgf", "Unit cell volume (A3)", "#   TK        volume(A3)", "volume(A3)=f(T)"},
  };
  ASSERT_EQ(std::size(cases), kPlotSeries.size());
  for (std::size_t i = 0; i < kPlotSeries.size(); ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(c.file);
    EXPECT_EQ(c.file, kPlotSeries[i].file);
    Plot plot;
    plot.series = &kPlotSeries[i];
    const Records records = plot_file(plot);
    ASSERT_EQ(13U, records.size());
    EXPECT_EQ("# X LEGEND TEXT   : Temperature (K)", records[1]);
    EXPECT_EQ(bar(std::string("# Y LEGEND TEXT   : ") + c.y_legend), bar(records[2]));
    EXPECT_EQ(bar(c.heading), bar(records[3]));
    EXPECT_EQ(24U, records[3].size());
    EXPECT_EQ(bar(std::string("#             TITLE : ") + c.title), bar(records[7]));
  }
}

TEST(PgfFile, DataRows) {
  const struct {
    float x, y;
    const char* row;
  } cases[] = {
      {295.0F, 10.1234F, "295.00            10.12340"},
      {85.5F, 1234.5F, " 85.50          1234.50000"},
      {100.0F, 1234.56789F, "100.00          1234.56787"},  // the nearest single-precision value
      {100.0F, 12345.678F, "100.00         12345.67770"},
      {0.0F, 0.0F, "  0.00             0.00000"},
      {-20.0F, -0.5F, "-20.00            -0.50000"},
      {1000.0F, 1.0F, "******             1.00000"},
      {-100.0F, 1.0F, "******             1.00000"},
  };
  for (const auto& c : cases) {
    Plot plot;
    plot.rows = {{c.x, c.y}};
    const Records records = plot_file(plot);
    ASSERT_EQ(14U, records.size());
    EXPECT_EQ(bar(c.row), bar(records[12]));
    EXPECT_EQ(26U, records[12].size());
  }
}

TEST(PgfFile, DeclaredPointCount) {
  const struct {
    std::int32_t points;
    int rows;
    const char* record;
  } cases[] = {
      {0, 0, "#  NUMBER OF POINTS :        0"},
      {12, 10, "#  NUMBER OF POINTS :       12"},
      {99999999, 1, "#  NUMBER OF POINTS : 99999999"},
      {100000000, 1, "#  NUMBER OF POINTS : ********"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.points);
    Plot plot;
    plot.points = c.points;
    for (int i = 0; i < c.rows; ++i) plot.rows.push_back({100.0F + static_cast<float>(i), 1.0F});
    const Records records = plot_file(plot);
    ASSERT_EQ(13U + static_cast<std::size_t>(c.rows), records.size());
    EXPECT_EQ(bar(c.record), bar(records[8]));
    EXPECT_EQ("#   DATA: X Y", records[11]);
    EXPECT_EQ("# END OF FILE", records.back());
  }
}

}  // namespace
}  // namespace formats

namespace formats {
namespace {

// What the writer writes the reader reads, series by series; a temperature
// the row cannot hold is skipped by the reader and kept by the values as read.
TEST(PgfFile, ReadBackByTheReader) {
  const std::vector<std::pair<float, float>> rows = {
      {100.45F, 10.2134F}, {-99.99F, 0.000004F}, {999.99F, 1234.56789F}, {1000.0F, 7.0F}};
  for (const PlotSeries& series : kPlotSeries) {
    SCOPED_TRACE(series.file);
    Plot plot;
    plot.series = &series;
    plot.rows = rows;
    std::string text;
    for (const std::string& record : plot_file(plot)) text += record + "\r\n";
    const auto pgf = parse_pgf(text);
    ASSERT_TRUE(pgf) << pgf.error().message;
    EXPECT_EQ("Heating series", pgf->main_legend);
    EXPECT_EQ(kTemperatureLegend, pgf->x_legend);
    EXPECT_EQ(series.y_legend, pgf->y_legend);
    EXPECT_EQ(&series, plot_series_of(*pgf));
    EXPECT_EQ(2, pgf->declared_points);
    EXPECT_TRUE(pgf->has_end_record);
    EXPECT_EQ(1, pgf->skipped_x_overflow);
    ASSERT_EQ(3U, pgf->points.size());
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(pgf_x_as_read(rows[i].first), pgf->points[i].x);
      EXPECT_EQ(pgf_y_as_read(rows[i].second), pgf->points[i].y);
    }
  }
  EXPECT_EQ(100.45, pgf_x_as_read(100.45F));
  EXPECT_EQ(10.2134, pgf_y_as_read(10.2134F));
  EXPECT_EQ(1000.0, pgf_x_as_read(1000.0F));
}

}  // namespace
}  // namespace formats
