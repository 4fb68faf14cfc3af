#include "formats/pgf_file.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "textrec/textrec.h"
#include "textrec/unit_util.h"

namespace formats {
namespace {

using unittest::bar;
using unittest::file_records;
using unittest::MemoryRun;
using Records = std::vector<std::string>;

constexpr int kChannel = 14;

std::string legend(std::string_view text) {
  std::string t = textrec::blank_text(128);
  textrec::set_text(t, text);
  return t;
}

struct Plot {
  std::string series = "cell_a";
  std::string main_legend = legend("Heating series");
  std::string x_legend = legend("Temperature (K)");
  std::string y_legend = legend("a unit cell parameter (A)");
  std::int32_t points = 2;
  std::vector<std::pair<float, float>> rows;
};

// The records of a whole plot file: header, pattern block, data rows, end.
Records plot_file(const Plot& plot) {
  MemoryRun run;
  textrec::create_file(kChannel, "plot.pgf");
  formats::write_pgf_header(kChannel, plot.series, plot.main_legend, plot.x_legend, plot.y_legend,
                            plot.points);
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

TEST(PgfFile, Legends) {
  const struct {
    std::string main_legend;
    std::string record;
  } cases[] = {
      {"", "# MAIN LEGEND TEXT: "},
      {std::string(128, ' '), "# MAIN LEGEND TEXT: "},
      {"   Heated", "# MAIN LEGEND TEXT:    Heated"},
      {std::string(128, 'M'), "# MAIN LEGEND TEXT: " + std::string(128, 'M')},
  };
  for (const auto& c : cases) {
    Plot plot;
    plot.main_legend = legend(c.main_legend);
    const Records records = plot_file(plot);
    ASSERT_EQ(13U, records.size());
    EXPECT_EQ(bar(c.record), bar(records[0]));
  }
  Plot blank;
  blank.x_legend = legend("");
  blank.y_legend = legend("  indented Y  ");
  const Records records = plot_file(blank);
  ASSERT_EQ(13U, records.size());
  EXPECT_EQ(bar("# X LEGEND TEXT   : "), bar(records[1]));
  EXPECT_EQ(bar("# Y LEGEND TEXT   :   indented Y"), bar(records[2]));
}

TEST(PgfFile, HeadingAndTitleOfEverySeries) {
  const struct {
    const char* series;
    const char* heading;
    const char* title;
  } cases[] = {
      {"cell_a", "#   TK              a(A)", "a(A)=f(T)"},
      {"cell_b", "#   TK              b(A)", "b(A)=f(T)"},
      {"cell_c", "#   TK              c(A)", "c(A)=f(T)"},
      {"cell_alpha", "#   TK        alpha(deg)", "alpha(deg)=f(T)"},
      {"cell_beta", "#   TK         beta(deg)", "beta(deg)=f(T)"},
      {"cell_gamma", "#   TK        gamma(deg)", "gamma(deg)=f(T)"},
      {"volume", "#   TK        volume(A3)", "volume(A3)=f(T)"},
      {"volume    ", "#   TK        volume(A3)", "volume(A3)=f(T)"},  // as if padded
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(bar(c.series));
    Plot plot;
    plot.series = c.series;
    const Records records = plot_file(plot);
    ASSERT_EQ(13U, records.size());
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

TEST(PgfFile, PatternBlockAlone) {
  MemoryRun run;
  textrec::create_file(kChannel, "plot.pgf");
  std::string title = textrec::blank_text(64);
  textrec::set_text(title, "  b(A)=f(T)");
  formats::write_pgf_pattern(kChannel, title, 7, 1);
  textrec::close_channel(kChannel);
  EXPECT_EQ((Records{"# >>>>>>>> PATTERN #: 1", "#             TITLE :   b(A)=f(T)",
                     "#  NUMBER OF POINTS :        7", "#            MARKER : 1",
                     "#              SIZE : 2", "#   DATA: X Y"}),
            file_records(run.fs.files["plot.pgf"]));
}

}  // namespace
}  // namespace formats
