// A fitted curve is drawn as a line, never as a filled shape, whatever colour
// class of a series it also carries: the style sheets' cascade worked out for
// the curves of the expansion pictures and the line of a series picture.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "chart/series_picture.h"
#include "test_util.h"

namespace {

// The fill the cascade of the document's style sheets gives an element of
// that type and classes: of the matching selectors ("type", ".a", "type.a.b")
// whose rule sets a fill, the most specific, the later one of equals.
std::string fill_of(const std::string& svg, const std::string& type,
                    const std::vector<std::string>& classes) {
  std::string fill = "black";  // SVG's initial value
  std::pair<std::size_t, int> best{0, 0};
  std::string sheets;
  for (auto at = svg.find("<style>"); at != std::string::npos; at = svg.find("<style>", at + 1))
    sheets += svg.substr(at + 7, svg.find("</style>", at) - at - 7);
  const std::regex rule(R"(([^{}]+)\{([^}]*[^-]fill: *([^;}]+)[^}]*)\})");
  for (auto m = std::sregex_iterator(sheets.begin(), sheets.end(), rule);
       m != std::sregex_iterator(); ++m) {
    std::istringstream selectors((*m)[1].str());
    for (std::string selector; std::getline(selectors, selector, ',');) {
      std::istringstream parts(std::regex_replace(selector, std::regex(R"(\.)"), " ."));
      std::string part;
      int type_match = 0;
      std::size_t class_count = 0;
      bool matches = true;
      while (parts >> part) {
        if (part.front() != '.') {
          type_match = 1;
          matches = matches && part == type;
        } else {
          ++class_count;
          matches =
              matches && std::find(classes.begin(), classes.end(), part.substr(1)) != classes.end();
        }
      }
      if (matches && std::pair{class_count, type_match} >= best) {
        best = {class_count, type_match};
        fill = (*m)[3].str();
      }
    }
  }
  return fill;
}

TEST(FitStyle, FittedCurvesAndLinesAreNeverFilled) {
  testutil::ScopedTempDir dir;
  testutil::write_file(dir.file("bent.txt"),
                       "100 5.000 6.000 7.000 90 100.0 90\n150 5.004 6.001 7.002 90 100.1 90\n"
                       "200 5.010 6.003 7.003 90 100.3 90\n250 5.018 6.004 7.006 90 100.6 90\n"
                       "300 5.030 6.006 7.008 90 101.0 90\n");
  const auto run = testutil::run_program(
      {EXPANSION_BIN, "--fit", "quadratic", "--svg", "bent", "bent.txt"}, dir.path(), "");
  ASSERT_EQ(0, run.exit_status) << run.err;
  const std::string strain = testutil::read_file(dir.file("bent_strain.svg"));
  for (const char* cls : {"s0", "s1", "s2"}) {
    ASSERT_NE(std::string::npos, strain.find(std::string("<polyline class=\"fit ") + cls + "\""));
    EXPECT_EQ("none", fill_of(strain, "polyline", {"fit", cls})) << cls;
    EXPECT_NE("none", fill_of(strain, "circle", {cls})) << cls;  // the points are filled
  }
  formats::PgfFile pgf;
  pgf.points = {{100, 5}, {200, 6}};
  EXPECT_EQ("none", fill_of(chart::render_svg(chart::picture_of(pgf)), "line", {"fit"}));
}

}  // namespace
