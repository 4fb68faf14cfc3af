// A fitted curve is drawn as a line, never as a filled shape, whatever colour
// class of a series it also carries: the style sheets' cascade worked out for
// the curves of the expansion pictures and the line of a series picture.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "chart/series_picture.h"
#include "test_util.h"

namespace {

struct Rule {
  std::string type;                  // "polyline", or empty for any element
  std::vector<std::string> classes;  // all must be on the element
  std::string fill;                  // the rule's fill, empty when it sets none
};

// The rules of every <style> element of the document, in order.
std::vector<Rule> style_rules(const std::string& svg) {
  std::vector<Rule> rules;
  for (auto at = svg.find("<style>"); at != std::string::npos; at = svg.find("<style>", at + 1)) {
    const std::string sheet = svg.substr(at + 7, svg.find("</style>", at) - at - 7);
    for (std::size_t open = sheet.find('{'); open != std::string::npos;
         open = sheet.find('{', open + 1)) {
      const std::size_t start =
          sheet.rfind('}', open) == std::string::npos ? 0 : sheet.rfind('}', open) + 1;
      const std::string body = sheet.substr(open + 1, sheet.find('}', open) - open - 1);
      std::string fill;
      if (const auto f = body.find("fill:"); f != std::string::npos && body[f - 1] != '-')
        fill = body.substr(f + 6, body.find_first_of(";}", f) - f - 6);
      std::istringstream selectors(sheet.substr(start, open - start));
      for (std::string selector; std::getline(selectors, selector, ',');) {
        selector.erase(0, selector.find_first_not_of(" \n"));
        selector.erase(selector.find_last_not_of(" \n") + 1);
        Rule rule{selector.substr(0, selector.find('.')), {}, fill};
        for (auto dot = selector.find('.'); dot != std::string::npos;
             dot = selector.find('.', dot + 1))
          rule.classes.push_back(selector.substr(dot + 1, selector.find('.', dot + 1) - dot - 1));
        rules.push_back(rule);
      }
    }
  }
  return rules;
}

// The fill the cascade gives an element: the matching rule of the highest
// specificity (classes, then type), the later one of equals.
std::string fill_of(const std::vector<Rule>& rules, const std::string& type,
                    const std::vector<std::string>& classes) {
  std::string fill = "black";  // SVG's initial value
  std::pair<std::size_t, std::size_t> best{0, 0};
  for (const Rule& rule : rules) {
    if (rule.fill.empty() || (!rule.type.empty() && rule.type != type)) continue;
    bool all = true;
    for (const std::string& c : rule.classes)
      all = all && std::find(classes.begin(), classes.end(), c) != classes.end();
    const std::pair<std::size_t, std::size_t> specificity{rule.classes.size(),
                                                          rule.type.empty() ? 0 : 1};
    if (all && specificity >= best) best = specificity, fill = rule.fill;
  }
  return fill;
}

// The class lists of the document's elements of a type whose class begins with `first`.
std::vector<std::vector<std::string>> classes_of(const std::string& svg, const std::string& type,
                                                 const std::string& first) {
  std::vector<std::vector<std::string>> found;
  const std::string start = "<" + type + " class=\"" + first;
  for (auto at = svg.find(start); at != std::string::npos; at = svg.find(start, at + 1)) {
    const std::size_t from = at + type.size() + 9;
    std::istringstream names(svg.substr(from, svg.find('"', from) - from));
    found.emplace_back();
    for (std::string name; names >> name;) found.back().push_back(name);
  }
  return found;
}

TEST(FitStyle, FittedCurvesAndLinesAreNeverFilled) {
  testutil::ScopedTempDir dir;
  testutil::write_file(dir.file("bent.txt"),
                       "100 5.000 6.000 7.000 90 100.0 90\n"
                       "150 5.004 6.001 7.002 90 100.1 90\n"
                       "200 5.010 6.003 7.003 90 100.3 90\n"
                       "250 5.018 6.004 7.006 90 100.6 90\n"
                       "300 5.030 6.006 7.008 90 101.0 90\n");
  const auto run = testutil::run_program(
      {EXPANSION_BIN, "--fit", "quadratic", "--svg", "bent", "bent.txt"}, dir.path(), "");
  ASSERT_EQ(0, run.exit_status) << run.err;
  for (const char* picture : {"bent_strain.svg", "bent_volume.svg"}) {
    const std::string svg = testutil::read_file(dir.file(picture));
    const auto curves = classes_of(svg, "polyline", "fit");
    EXPECT_EQ(std::string(picture) == "bent_strain.svg" ? 3U : 1U, curves.size()) << picture;
    for (const auto& classes : curves)
      EXPECT_EQ("none", fill_of(style_rules(svg), "polyline", classes)) << picture;
    // The points of the same class are filled.
    EXPECT_NE("none", fill_of(style_rules(svg), "circle", {"s0"}));
  }
  formats::PgfFile pgf;
  pgf.points = {{100, 5}, {200, 6}};
  const std::string svg = chart::render_svg(chart::picture_of(pgf));
  EXPECT_EQ("none", fill_of(style_rules(svg), "line", {"fit"}));
}

}  // namespace
