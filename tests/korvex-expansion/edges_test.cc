// The built korvex-expansion at the edges of its analysis: one expansion
// coefficient with vistrel, the median of a series that heats and cools,
// negative expansion over two stretches, a fit without a spare point, and the
// labels of the indicatrix.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

using testutil::run_program;
using testutil::ScopedTempDir;

// The word after `label`, blanks passed over.
std::string word_after(const std::string& out, const std::string& label) {
  const std::size_t at = out.find(label);
  if (at == std::string::npos) return "none in:\n" + out;
  const std::size_t start = out.find_first_not_of(' ', at + label.size());
  return out.substr(start, out.find(' ', start) - start);
}

// The bundled example: vistrel on the volume column, korvex-expansion on the
// six rounded parameters; one definition, so they agree to the rounding of
// the table.
TEST(ExpansionEdges, VistrelAndKorvexExpansionGiveOneCoefficient) {
  ScopedTempDir dir;
  testutil::copy_examples(dir);
  ASSERT_EQ(0,
            run_program({KORVEX_BIN, "-c", "2", "-q", "series.lst"}, dir.path(), "").exit_status);
  const std::string viewer =
      word_after(run_program({VISTREL_BIN, "TK_volume.pgf"}, dir.path(), "\n").out, "1/K = ");
  const std::string report =
      word_after(run_program({EXPANSION_BIN, "series_parameters.xy"}, dir.path(), "").out, "\n V ");
  EXPECT_EQ("35.293", viewer);
  EXPECT_EQ("35.30(36)", report);
  EXPECT_NEAR(std::stod(viewer), std::stod(report), 0.01);  // the report's two decimals
}

std::string rows(const std::vector<std::pair<double, double>>& t_and_a) {
  std::string table;
  for (const auto& [t, a] : t_and_a) {
    char row[96];
    std::snprintf(row, sizeof row, "%.2f %.10f 6 7 90 90 90\n", t, a);
    table += row;
  }
  return table;
}

TEST(ExpansionEdges, ReportsTellTheSeriesAsItIs) {
  std::vector<std::pair<double, double>> cycle, dips;
  for (const double t : {100, 200, 300, 200, 100}) cycle.emplace_back(t, 5 * (1 + 1e-5 * t));
  // The a axis's strain rate -1e-9 ((T - 200)^2 - 2500): negative below 150 K
  // and above 250 K.
  for (double t = 100; t <= 300; t += 25) {
    const double d = t - 200;
    dips.emplace_back(t, 5 * (1 - 1e-9 * (d * d * d / 3 - 2500 * d + 1e6 / 3 - 250000)));
  }
  const std::string three = rows({{100, 5}, {200, 5.01}, {300, 5.015}});
  const std::string no_su =
      "korvex-expansion: t.txt: warning: a quadratic fit through 3 points has no spare point, so "
      "the fit gives no standard errors\n";
  const struct {
    std::string table;
    std::vector<std::string> options;
    std::string part;  // of standard output
    std::string err;
  } cases[] = {
      {rows(cycle),
       {},
       "\n Directions : at 200.00 K (row 4), the median point of those away from the reference "
       "temperature\n",
       ""},
      {rows(dips),
       {"--lagrangian", "--infinitesimal", "--fit", "cubic"},
       "\n NEGATIVE THERMAL EXPANSION along X3 between 100.00 K and 150.00 K, and between 250.00 K "
       "and 300.00 K.\n NEGATIVE VOLUME EXPANSION between 100.00 K and 150.00 K, and between "
       "250.00 K and 300.00 K.\n",
       ""},
      {three, {"--fit", "quadratic"}, "\n V              14.978      n/a         -\n", no_su},
      {three, {"--fit", "quadratic", "--format", "json"}, "\"su_T\":[null,null,null]", no_su},
  };
  ScopedTempDir dir;
  for (const auto& c : cases) {
    testutil::write_file(dir.file("t.txt"), c.table);
    std::vector<std::string> argv = {EXPANSION_BIN};
    argv.insert(argv.end(), c.options.begin(), c.options.end());
    argv.push_back("t.txt");
    const auto r = run_program(argv, dir.path(), "");
    EXPECT_EQ(c.err.empty() ? 0 : 4, r.exit_status) << c.part;
    EXPECT_NE(std::string::npos, r.out.find(c.part)) << r.out;
    EXPECT_EQ(c.err, r.err);
  }
}

// A <text> of the indicatrix with its box: glyphs 0.6 of the font size wide
// (an entity one glyph), from the baseline up by the font size.
struct Text {
  std::string cls, text;
  double left = 0, right = 0, top = 0, bottom = 0;
};

double attribute(const std::string& svg, std::size_t at, const std::string& name) {
  return std::stod(svg.substr(svg.find(" " + name + "=\"", at) + name.size() + 3));
}

std::vector<Text> texts_of(const std::string& svg) {
  std::vector<Text> texts;
  for (std::size_t at = svg.find("<text "); at != std::string::npos;
       at = svg.find("<text ", at + 1)) {
    Text t;
    t.cls = svg.substr(at + 13, svg.find('"', at + 13) - at - 13);
    const std::size_t open = svg.find('>', at) + 1;
    // The text as shown: a subscript's markup is no text.
    t.text = std::regex_replace(svg.substr(open, svg.find("</text>", open) - open),
                                std::regex("<[^>]*>"), "");
    const double size = t.cls == "axis-label" ? 14 : t.cls == "title" ? 17 : 11;
    double glyphs = 0;
    for (std::size_t i = 0; i < t.text.size(); ++i) {
      if (t.text[i] == '&') i = t.text.find(';', i);
      glyphs += (static_cast<unsigned char>(t.text[i]) & 0xC0) != 0x80;
    }
    const double x = attribute(svg, at, "x"), width = 0.6 * size * glyphs;
    const char anchor = svg[svg.find("text-anchor=\"", at) + 13];
    t.left = anchor == 's' ? x : anchor == 'e' ? x - width : x - width / 2;
    t.right = t.left + width;
    t.bottom = attribute(svg, at, "y");
    t.top = t.bottom - size;
    texts.push_back(t);
  }
  return texts;
}

// Orthorhombic (each crystal axis along a principal one) and the bundled
// monoclinic series: no two texts of the indicatrix meet, and each principal
// axis is named at its positive end, beyond the right or the top end of its
// line.
TEST(ExpansionEdges, IndicatrixLabelsSitApartAtThePositiveEnds) {
  ScopedTempDir dir;
  testutil::copy_examples(dir);
  testutil::write_file(dir.file("ortho.txt"),
                       "100 7 9 11 90 90 90\n150 7.0087 8.9982 11.005 90 90 90\n"
                       "200 7.0175 8.9964 11.0099 90 90 90\n");
  for (const std::string file : {"ortho.txt", "series_parameters.xy"}) {
    ASSERT_EQ(0, run_program({EXPANSION_BIN, "--svg", "p", file}, dir.path(), "").exit_status);
    const std::string svg = testutil::read_file(dir.file("p_indicatrix.svg"));
    const std::vector<Text> texts = texts_of(svg);
    std::vector<const Text*> names;
    for (const Text& p : texts) {
      if (p.cls == "axis-label") names.push_back(&p);
      for (const Text& q : texts) {
        EXPECT_TRUE(&p == &q || p.right <= q.left || q.right <= p.left || p.bottom <= q.top ||
                    q.bottom <= p.top)
            << file << ": " << p.text << " meets " << q.text;
      }
    }
    ASSERT_EQ(6U, names.size());
    std::size_t line = 0;
    for (std::size_t k = 0; k < 6; k += 2) {
      line = svg.find("<line class=\"principal\"", line + 1);  // across the section
      EXPECT_GT(names[k]->left, attribute(svg, line, "x2")) << file << " " << names[k]->text;
      line = svg.find("<line class=\"principal\"", line + 1);  // up and down
      EXPECT_LT(names[k + 1]->bottom, attribute(svg, line, "y1")) << file << names[k + 1]->text;
    }
  }
}

}  // namespace
