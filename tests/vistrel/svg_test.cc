#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/series_picture.h"
#include "test_util.h"

namespace {

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

formats::PgfFile three_points(const std::string& main_legend) {
  formats::PgfFile pgf;
  pgf.main_legend = main_legend;
  pgf.x_legend = "Temperature (K)";
  pgf.y_legend = "a unit cell parameter (A)";
  pgf.title = "a(A)=f(T)";
  pgf.points = {{100, 5.01}, {200, 5.02}, {300, 5.03}};
  return pgf;
}

TEST(Svg, PathBesideThePlotFile) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"TK_cell_a.pgf", "TK_cell_a.svg"},   {"out/TK_volume.PGF", "out/TK_volume.svg"},
      {"plot.dat", "plot.dat.svg"},         {"old.pgf.bak", "old.pgf.bak.svg"},
      {"dir.pgf/file", "dir.pgf/file.svg"}, {"dir/.pgf", "dir/.pgf.svg"},
  };
  for (const auto& [pgf, svg] : cases) EXPECT_EQ(svg, chart::svg_path_for(pgf)) << pgf;
}

TEST(Svg, OneMarkerPerPointAndTheFittedLine) {
  const formats::PgfFile pgf = three_points("Cooling series");
  const std::string svg = chart::render_svg(pgf, expansion::fit_line(pgf.points));
  // One more point marker and fit stroke are drawn in the key.
  EXPECT_EQ(4u, count(svg, "<circle class=\"point\""));
  EXPECT_EQ(2u, count(svg, "<line class=\"fit\""));
  EXPECT_EQ(0u, svg.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg "));
  EXPECT_NE(std::string::npos, svg.find(">Temperature (K)</text>"));
  EXPECT_NE(std::string::npos, svg.find(">a unit cell parameter (\u00C5)</text>"));
  EXPECT_NE(std::string::npos, svg.find(">5.030</text>"));  // a Y tick label
  EXPECT_EQ(std::string::npos, svg.find("nan"));
  EXPECT_EQ("</svg>\n", svg.substr(svg.size() - 7));

  // The line and the expansion coefficient under the plot.
  EXPECT_NE(std::string::npos,
            svg.find(">Least-squares line: a = 5.00000 + 1.00000\u00D710\u207B\u2074 \u00B7 T  "
                     "(\u00C5, T in K)</text>"));
  EXPECT_NE(std::string::npos,
            svg.find(">Mean linear expansion coefficient (slope / mean): 19.920 \u00D7 "
                     "10\u207B\u2076 K\u207B\u00B9</text>"));
  EXPECT_EQ(0u, count(svg, "class=\"footnote\""));

  const std::string no_fit = chart::render_svg(pgf, std::nullopt, "conventional cell, series.lst");
  EXPECT_EQ(0u, count(no_fit, "class=\"fit\""));
  EXPECT_EQ(0u, count(no_fit, "least-squares"));
  EXPECT_EQ(0u, count(no_fit, "class=\"note\""));
  EXPECT_NE(std::string::npos, no_fit.find("\">conventional cell, series.lst</text>"));
}

TEST(Svg, TemperatureAxisEndsWithinATickStepOfTheData) {
  formats::PgfFile pgf = three_points("Heating");
  pgf.points.push_back({325, 5.035});
  const std::string svg = chart::render_svg(pgf, std::nullopt);
  EXPECT_NE(std::string::npos, svg.find(">300</text>"));
  EXPECT_EQ(std::string::npos, svg.find(">350</text>"));
  // The last point sits at the end of the mapped axis, 10 px inside the frame.
  EXPECT_NE(std::string::npos, svg.find("<circle class=\"point\" cx=\"760.00\""));
}

TEST(Svg, TextsAreEscapedAndCleaned) {
  const formats::PgfFile pgf = three_points("Fe<Co> & \"Ni\" 'x' \x1b[2J \xC5ngstr\xF6m");
  const std::string svg = chart::render_svg(pgf, std::nullopt);
  const std::string title =
      "Fe&lt;Co&gt; &amp; &quot;Ni&quot; &apos;x&apos; ?[2J \u00C5ngstr\u00F6m";
  EXPECT_NE(std::string::npos, svg.find("<title>" + title + "</title>")) << svg.substr(0, 400);
  EXPECT_NE(std::string::npos, svg.find(">" + title + "</text>"));
  EXPECT_EQ(std::string::npos, svg.find("<Co>"));
  EXPECT_EQ(std::string::npos, svg.find('\x1b'));
}

}  // namespace
