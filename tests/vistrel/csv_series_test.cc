// A CSV shown as series with their SUs: korvex's cells and korvex-expansion's
// coefficients of a polynomial, and the error bars on the terminal.
#include "csv_series.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "chart/term_plot.h"
#include "expansion/line_fit.h"
#include "test_util.h"

namespace {

TEST(CsvSeries, KorvexCellsAndExpansionCoefficientsWithTheirSus) {
  testutil::ScopedTempDir dir;
  testutil::write_file(dir.file("TK_parameters.csv"),
                       "T_K,a_A,b_A,c_A,alpha_deg,beta_deg,gamma_deg,a_su_A,beta_su_deg\r\n"
                       "100.0,10.0,6.0,8.0,90.0,105.0,90.0,0.002,0.05\r\n"
                       "200.0,10.1,6.0,8.0,90.0,105.5,90.0,,\r\n");
  const auto cells = vistrel::read_csv_series(dir.file("TK_parameters.csv"));
  ASSERT_TRUE(cells) << cells.error().message;
  ASSERT_EQ(7u, cells->size());
  EXPECT_EQ((std::vector<double>{0.002, 0}), (*cells)[0].sus);  // a
  EXPECT_EQ((std::vector<double>{0.05, 0}), (*cells)[4].sus);   // beta
  EXPECT_GT((*cells)[6].sus[0], 0);                             // the volume's, propagated
  EXPECT_EQ(dir.file("TK_parameters_volume.svg"),
            vistrel::csv_picture_path(dir.file("TK_parameters.csv"), (*cells)[6]));

  const std::string head =
      "axis,T_K,alpha_MK-1,su_MK-1,u,v,w,angle_a_deg,angle_b_deg,angle_c_deg\n";
  testutil::write_file(dir.file("poly.csv"), head +
                                                 "X1,100,4.5,0.2,1,0,0,0,90,90\n"
                                                 "V,100,20.5,0.4,,,,,,\n"
                                                 "X1,200,5.5,0.3,1,0,0,0,90,90\n");
  testutil::write_file(dir.file("line.csv"), head + "X1,,4.5,0.2,1,0,0,0,90,90\n");
  const auto poly = vistrel::read_csv_series(dir.file("poly.csv"));
  ASSERT_TRUE(poly) << poly.error().message;
  ASSERT_EQ(2u, poly->size());
  EXPECT_EQ("X1", (*poly)[0].suffix);
  EXPECT_EQ((std::vector<double>{0.2, 0.3}), (*poly)[0].sus);
  EXPECT_EQ(2u, (*poly)[0].pgf.points.size());
  const auto line = vistrel::read_csv_series(dir.file("line.csv"));
  ASSERT_FALSE(line);
  EXPECT_NE(std::string::npos, line.error().message.find("no series to show"));
}

// The bar stands above and below its point, in the point's column; the
// range holds it.
TEST(CsvSeries, ErrorBarsOnTheTerminal) {
  formats::PgfFile pgf;
  pgf.y_legend = "a (A)";
  pgf.points = {{100, 5.0}, {200, 5.5}, {300, 6.0}};
  const std::vector<double> sus = {0, 1.0, 0};
  const auto lines =
      chart::render_terminal_plot(pgf, expansion::fit_line(pgf.points), 60, 24, false, false, sus);
  std::size_t bars = 0, column = std::string::npos;
  for (std::size_t i = 2; i < lines.size(); ++i) {  // the plot area, below the key
    const std::string& line = lines[i];
    const std::size_t at = line.find('|', 6);  // after the Y axis
    if (at == std::string::npos) continue;
    ++bars;
    EXPECT_TRUE(column == std::string::npos || column == at) << line;
    column = at;
  }
  EXPECT_GE(bars, 6u);
  EXPECT_NE(std::string::npos, lines[1].find("| SU")) << lines[1];
}

}  // namespace
