#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <regex>
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

std::string picture(const formats::PgfFile& pgf, std::string_view footnote = {}) {
  return chart::render_svg(chart::picture_of(pgf), footnote);
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
  const std::string svg = picture(pgf);
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
            svg.find(">Linear expansion coefficient (slope of ln(a/a_ref), a_ref at 100.00 K): "
                     "19.9203(47) MK\u207B\u00B9</text>"));
  EXPECT_EQ(0u, count(svg, "class=\"footnote\""));
  EXPECT_EQ(0u, count(svg, "=f(T)"));  // the title says what the Y legend says

  // One point: no line.
  formats::PgfFile one = pgf;
  one.points.resize(1);
  const std::string no_fit = picture(one, "conventional cell, series.lst");
  EXPECT_EQ(0u, count(no_fit, "class=\"fit\""));
  EXPECT_EQ(0u, count(no_fit, "least-squares"));
  EXPECT_EQ(0u, count(no_fit, "class=\"note\""));
  EXPECT_NE(std::string::npos, no_fit.find("\">conventional cell, series.lst</text>"));
}

// Every error bar lies inside the frame, the largest SU on the highest
// point, on the lowest, or on one between them.
TEST(Svg, ErrorBarsLieInsideTheFrame) {
  const std::array<std::array<double, 3>, 3> sus = {
      {{0.001, 0.05, 0.001}, {0.001, 0.001, 0.04}, {0.03, 0.002, 0.002}}};
  for (const auto& su : sus) {
    chart::SeriesPicture series;
    series.x_legend = "Temperature (K)";
    series.y_legend = "a (A)";
    series.quantity = {formats::Quantity::kLength, "a", "A"};
    const std::array<double, 3> values = {5.0, 5.01, 4.99};
    for (std::size_t i = 0; i < 3; ++i) series.points.add({100.0 * (i + 1), values[i]}, su[i]);
    const std::string svg = chart::render_svg(series, {});
    std::smatch frame;
    ASSERT_TRUE(std::regex_search(
        svg, frame,
        std::regex(
            R"re(<rect class="frame" x="[-\d.]+" y="([-\d.]+)" width="[-\d.]+" height="([-\d.]+)")re")));
    const double top = std::stod(frame[1]), bottom = top + std::stod(frame[2]);
    const std::regex bar(
        R"re(<line class="point su" x1="[-\d.]+" y1="([-\d.]+)" x2="[-\d.]+" y2="([-\d.]+)")re");
    std::size_t bars = 0;
    for (std::sregex_iterator i(svg.begin(), svg.end(), bar), end; i != end; ++i, ++bars) {
      for (const int end_of_bar : {1, 2}) {
        const double y = std::stod((*i)[end_of_bar]);
        EXPECT_TRUE(y >= top && y <= bottom) << y << " outside " << top << " to " << bottom;
      }
    }
    EXPECT_EQ(9U, bars);  // a stroke and two caps each
  }
}

TEST(Svg, TemperatureAxisEndsWithinATickStepOfTheData) {
  formats::PgfFile pgf = three_points("Heating");
  pgf.points.push_back({325, 5.035});
  const std::string svg = picture(pgf);
  EXPECT_NE(std::string::npos, svg.find(">300</text>"));
  EXPECT_EQ(std::string::npos, svg.find(">350</text>"));
  // The last point sits at the end of the mapped axis, 10 px inside the frame.
  EXPECT_NE(std::string::npos, svg.find("<circle class=\"point\" cx=\"760.00\""));
}

TEST(Svg, TextsAreEscapedAndCleaned) {
  const formats::PgfFile pgf = three_points("Fe<Co> & \"Ni\" 'x' \x1b[2J \xC5ngstr\xF6m");
  const std::string svg = picture(pgf);
  const std::string title =
      "Fe&lt;Co&gt; &amp; &quot;Ni&quot; &apos;x&apos; ?[2J \u00C5ngstr\u00F6m";
  EXPECT_NE(std::string::npos, svg.find("<title>" + title + "</title>")) << svg.substr(0, 400);
  EXPECT_NE(std::string::npos, svg.find(">" + title + "</text>"));
  EXPECT_EQ(std::string::npos, svg.find("<Co>"));
  EXPECT_EQ(std::string::npos, svg.find('\x1b'));
}

// The attribute's number in an element's text.
double attribute(const std::string& element, const std::string& name) {
  const auto at = element.find(" " + name + "=\"");
  return at == std::string::npos ? NAN : std::stod(element.substr(at + name.size() + 3));
}

// The elements that begin with `start`, in document order.
std::vector<std::string> elements(const std::string& svg, const std::string& start) {
  std::vector<std::string> found;
  for (auto at = svg.find(start); at != std::string::npos; at = svg.find(start, at + 1))
    found.push_back(svg.substr(at, svg.find('>', at) - at));
  return found;
}

TEST(Svg, LargerValuesHigherLaterTemperaturesFurtherRightLineThroughThePoints) {
  formats::PgfFile pgf = three_points("Geometry");
  pgf.points = {{100, 5.0}, {250, 5.3}, {175, 5.1}, {325, 5.2}, {130, 5.25}};
  const std::string svg = picture(pgf);
  std::vector<std::string> circles = elements(svg, "<circle class=\"point\"");
  ASSERT_EQ(pgf.points.size() + 1, circles.size());
  circles.erase(circles.begin());  // the key's marker
  for (std::size_t i = 0; i < circles.size(); ++i) {
    for (std::size_t j = 0; j < circles.size(); ++j) {
      const common::Point& p = pgf.points[i];
      const common::Point& q = pgf.points[j];
      EXPECT_EQ(p.y > q.y, attribute(circles[i], "cy") < attribute(circles[j], "cy")) << i << j;
      EXPECT_EQ(p.x > q.x, attribute(circles[i], "cx") > attribute(circles[j], "cx")) << i << j;
    }
  }
  // The line passes through the centroid of the points, as a least-squares
  // line does, and the mapping to pixels is linear.
  const std::vector<std::string> lines = elements(svg, "<line class=\"fit\"");
  ASSERT_EQ(2U, lines.size());  // the key's stroke, and the line
  const std::string& line = lines[1];
  double cx = 0, cy = 0;
  for (const std::string& c : circles) cx += attribute(c, "cx"), cy += attribute(c, "cy");
  cx /= static_cast<double>(circles.size());
  cy /= static_cast<double>(circles.size());
  const double x1 = attribute(line, "x1"), y1 = attribute(line, "y1");
  const double x2 = attribute(line, "x2"), y2 = attribute(line, "y2");
  EXPECT_NEAR(y1 + (y2 - y1) * (cx - x1) / (x2 - x1), cy, 0.02);
  // It spans the temperatures of the points, and on a series that lies on a
  // line it meets each point.
  EXPECT_NEAR(attribute(circles[0], "cx"), x1, 0.005);
  EXPECT_NEAR(attribute(circles[3], "cx"), x2, 0.005);
  pgf.points = {{100, 5.0}, {200, 5.5}, {300, 6.0}};
  const std::string straight = picture(pgf);
  const std::string on_line = elements(straight, "<line class=\"fit\"")[1];
  const std::vector<std::string> dots = elements(straight, "<circle class=\"point\"");
  EXPECT_NEAR(attribute(dots[1], "cy"), attribute(on_line, "y1"), 0.005);
  EXPECT_NEAR(attribute(dots[3], "cy"), attribute(on_line, "y2"), 0.005);
}

TEST(Svg, AFlatSeriesGivesTheConstantAlone) {
  formats::PgfFile pgf = three_points("Flat");
  for (common::Point& p : pgf.points) p.y = 90.0;
  pgf.y_legend = "alpha angle (deg.)";
  pgf.title = "alpha(deg)=f(T)";
  const std::string svg = picture(pgf);
  EXPECT_NE(std::string::npos, svg.find(">Least-squares line: \u03B1 = 90.00000  (\u00B0)</text>"))
      << svg;
  EXPECT_EQ(std::string::npos, svg.find("10\u2070"));
}

TEST(Svg, ALongTitleIsShrunkToTheWidthNeverClipped) {
  const std::string short_title = picture(three_points("Heating series"));
  const std::string title_element = elements(short_title, "<text class=\"title\"").at(0);
  EXPECT_EQ(std::string::npos, title_element.find("textLength")) << title_element;
  for (const std::string& title : {std::string(128, 'W'), std::string(70, 'a') + " series"}) {
    const std::string svg = picture(three_points(title));
    const std::string element = elements(svg, "<text class=\"title\"").at(0);
    EXPECT_LE(attribute(element, "textLength"), 760.0) << element;
    EXPECT_EQ(400.0, attribute(element, "x"));  // centred: within 20 px of either side
    const auto size = element.find("font-size: ");
    ASSERT_NE(std::string::npos, size) << element;
    EXPECT_LT(std::stod(element.substr(size + 11)), 17.0);
  }
}

}  // namespace
