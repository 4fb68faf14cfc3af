// The built korvex-expansion at the edges of its analysis: one expansion
// coefficient with vistrel, the median of a series that heats and cools,
// negative expansion over two stretches, and a fit without a spare point.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

using testutil::run_program;
using testutil::ScopedTempDir;

// The number in "... = 35.436 x 10^-6/K" of vistrel's summary.
std::string vistrel_coefficient(const std::string& out) {
  const std::size_t label = out.find(" Expansion (volume): ");
  const std::size_t end = out.find(" x 10^-6/K", label);
  if (label == std::string::npos || end == std::string::npos) return "none in:\n" + out;
  const std::size_t start = out.rfind(' ', end - 1) + 1;
  return out.substr(start, end - start);
}

// The number of the V row of korvex-expansion's report.
std::string report_coefficient(const std::string& out) {
  const std::size_t row = out.find("\n V ");
  if (row == std::string::npos) return "none in:\n" + out;
  double v = 0;
  std::sscanf(out.c_str() + row + 4, "%lf", &v);
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", v);
  return text;
}

std::string rounded(const std::string& number, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, std::stod(number));
  return text;
}

const std::vector<std::string> kVolumeHeader = {"# MAIN LEGEND TEXT: Made-up crystal",
                                                "# X LEGEND TEXT   : Temperature (K)",
                                                "# Y LEGEND TEXT   : Unit cell volume (A3)",
                                                "#   TK        volume(A3)",
                                                "#             TITLE : volume(A3)=f(T)",
                                                "#  NUMBER OF POINTS :        3",
                                                "#   DATA: X Y"};

// One series seen by both programs: vistrel on a plot file of the volumes,
// korvex-expansion on the cells; on the bundled example, the volume column
// that vistrel reads and the volume korvex-expansion computes from the six
// rounded parameters agree to the table's rounding.
TEST(ExpansionEdges, VistrelAndKorvexExpansionGiveOneCoefficient) {
  ScopedTempDir dir;
  std::vector<std::string> pgf = kVolumeHeader;
  pgf.insert(pgf.end(), {"100.00           210.00000", "200.00           210.84000",
                         "300.00           211.26000", "# END OF FILE"});
  testutil::write_file(dir.file("TK_volume.pgf"), testutil::crlf(pgf));
  testutil::write_file(dir.file("cells.txt"),
                       "100 5 6 7 90 90 90\n200 5.02 6 7 90 90 90\n300 5.03 6 7 90 90 90\n");
  const auto viewer = run_program({VISTREL_BIN, "TK_volume.pgf"}, dir.path(), "\n");
  const auto report = run_program({EXPANSION_BIN, "cells.txt"}, dir.path(), "");
  EXPECT_EQ("29.990", vistrel_coefficient(viewer.out));
  EXPECT_EQ("29.990", report_coefficient(report.out));
  EXPECT_NE(std::string::npos,
            testutil::read_file(dir.file("TK_volume.svg"))
                .find(">Volume expansion coefficient (slope / fitted value at 100.00 K): 29.990 "));

  testutil::copy_examples(dir);
  const auto korvex = run_program({KORVEX_BIN, "-c", "2", "-q", "series.lst"}, dir.path(), "");
  ASSERT_EQ(0, korvex.exit_status) << korvex.err;
  const std::string example_viewer =
      vistrel_coefficient(run_program({VISTREL_BIN, "TK_volume.pgf"}, dir.path(), "\n").out);
  const std::string example_report =
      report_coefficient(run_program({EXPANSION_BIN, "series_parameters.xy"}, dir.path(), "").out);
  EXPECT_EQ("35.436", example_viewer);
  EXPECT_EQ("35.439", example_report);
  EXPECT_EQ(rounded(example_viewer, 2), rounded(example_report, 2));
}

std::string cell_row(double t, double a) {
  char row[96];
  std::snprintf(row, sizeof row, "%.2f %.10f 6 7 90 90 90\n", t, a);
  return row;
}

TEST(ExpansionEdges, MedianOfASeriesThatHeatsAndCools) {
  ScopedTempDir dir;
  std::string table;
  for (const double t : {100, 200, 300, 200, 100}) table += cell_row(t, 5 * (1 + 1e-5 * t));
  testutil::write_file(dir.file("cycle.txt"), table);
  const auto r = run_program({EXPANSION_BIN, "cycle.txt"}, dir.path(), "");
  EXPECT_NE(std::string::npos,
            r.out.find("\n Directions : at the median point, 200.00 K (row 2)\n"))
      << r.out;
}

// The a axis's strain rate -1e-9 ((T - 200)^2 - 2500) is negative below
// 150 K and above 250 K; b and c stay.
TEST(ExpansionEdges, NegativeExpansionIsToldOverEachStretch) {
  ScopedTempDir dir;
  std::string table;
  for (double t = 100; t <= 300; t += 25) {
    const double d = t - 200;
    table += cell_row(t, 5 * (1 - 1e-9 * (d * d * d / 3 - 2500 * d + 1e6 / 3 - 250000)));
  }
  testutil::write_file(dir.file("dips.txt"), table);
  const auto r =
      run_program({EXPANSION_BIN, "--lagrangian", "--infinitesimal", "--fit", "cubic", "dips.txt"},
                  dir.path(), "");
  EXPECT_EQ(0, r.exit_status) << r.err;
  EXPECT_NE(std::string::npos,
            r.out.find(" NEGATIVE THERMAL EXPANSION along X3 between 100.00 K and 150.00 K, and "
                       "between 250.00 K and 300.00 K.\n NEGATIVE VOLUME EXPANSION between "
                       "100.00 K and 150.00 K, and between 250.00 K and 300.00 K.\n\n"))
      << r.out;
}

TEST(ExpansionEdges, AFitWithoutSparePointHasNoStandardErrors) {
  ScopedTempDir dir;
  testutil::write_file(
      dir.file("three.txt"),
      "100 5 6 7 90 90 90\n200 5.01 6 7.001 90 90 90\n300 5.015 6 7.003 90 90 90\n");
  const std::string warning =
      "korvex-expansion: three.txt: warning: a quadratic fit through 3 points has no spare "
      "point, so no standard errors\n";
  const auto text = run_program({EXPANSION_BIN, "--fit", "quadratic", "three.txt"}, dir.path(), "");
  EXPECT_EQ(0, text.exit_status);
  EXPECT_EQ(warning, text.err);
  EXPECT_NE(std::string::npos, text.out.find("\n V            17.113        n/a\n")) << text.out;
  EXPECT_NE(std::string::npos, text.out.find("\n  100.00      0.000 (   n/a)")) << text.out;
  const auto csv = run_program(
      {EXPANSION_BIN, "--fit", "quadratic", "--format", "csv", "three.txt"}, dir.path(), "");
  const std::vector<std::string> rows = testutil::split_lines(csv.out);
  ASSERT_EQ(13U, rows.size()) << csv.out;
  for (std::size_t i = 1; i < rows.size(); ++i) {
    const std::size_t su = rows[i].find(',', rows[i].find(',', rows[i].find(',') + 1) + 1);
    EXPECT_EQ(",null,", rows[i].substr(su, 6)) << rows[i];  // alpha, then no su
  }
#ifdef PYTHON3_BIN
  const auto json = run_program(
      {EXPANSION_BIN, "--fit", "quadratic", "--format", "json", "three.txt"}, dir.path(), "");
  EXPECT_EQ(warning, json.err);
  const auto py =
      run_program({PYTHON3_BIN, "-c",
                   "import json, sys\nd = json.load(sys.stdin)\n"
                   "print([a['su'] for a in d['axes']], d['volume']['su'], d['volume']['su_T'])"},
                  dir.path(), json.out);
  EXPECT_EQ("[None, None, None] None [None, None, None]\n", py.out) << py.err;
#endif
}

struct Text {
  std::string cls;
  double x = 0, y = 0, left = 0, right = 0, top = 0, bottom = 0;
  std::string text;
};

// Attribute `name` of the element that starts at `at`.
double attribute(const std::string& svg, std::size_t at, const std::string& name) {
  const std::size_t value = svg.find(" " + name + "=\"", at) + name.size() + 3;
  return std::stod(svg.substr(value));
}

// Every <text> with the box its glyphs take at most: as wide as 0.6 of the
// font size each, from the baseline up by the font size.
std::vector<Text> texts_of(const std::string& svg) {
  std::vector<Text> texts;
  for (std::size_t at = svg.find("<text class=\""); at != std::string::npos;
       at = svg.find("<text class=\"", at + 1)) {
    Text t;
    t.cls = svg.substr(at + 13, svg.find('"', at + 13) - at - 13);
    t.x = attribute(svg, at, "x");
    t.y = attribute(svg, at, "y");
    const std::size_t open = svg.find('>', at) + 1;
    t.text = svg.substr(open, svg.find("</text>", open) - open);
    const double size = t.cls == "axis-label"  ? 14
                        : t.cls == "title"     ? 17
                        : t.cls == "footnote"  ? 11
                        : t.cls == "axis-name" ? 13
                                               : 12;
    std::size_t glyphs = 0;  // of UTF-8 text, an entity such as &lt; one
    for (std::size_t i = 0; i < t.text.size(); ++i) {
      if (t.text[i] == '&') i = t.text.find(';', i);
      glyphs += (static_cast<unsigned char>(t.text[i]) & 0xC0) != 0x80;
    }
    const double width = 0.6 * size * static_cast<double>(glyphs);
    const std::string anchor = svg.substr(svg.find("text-anchor=\"", at) + 13, 3);
    t.left = anchor == "sta" ? t.x : anchor == "end" ? t.x - width : t.x - width / 2;
    t.right = t.left + width;
    t.top = t.y - size;
    t.bottom = t.y;
    texts.push_back(t);
  }
  return texts;
}

// Orthorhombic (every crystal axis along a principal one) and the bundled
// monoclinic series: no two texts of the indicatrix meet, and each principal
// axis is named at its positive end (right, up).
TEST(ExpansionEdges, IndicatrixLabelsSitApartAtThePositiveEnds) {
  ScopedTempDir dir;
  testutil::copy_examples(dir);
  testutil::write_file(dir.file("ortho.txt"),
                       "100 7 9 11 90 90 90\n150 7.0087 8.9982 11.005 90 90 90\n"
                       "200 7.0175 8.9964 11.0099 90 90 90\n250 7.0262 8.9946 11.0149 90 90 90\n");
  for (const std::string file : {"ortho.txt", "series_parameters.xy"}) {
    SCOPED_TRACE(file);
    const auto r = run_program({EXPANSION_BIN, "--svg", "p", file}, dir.path(), "");
    ASSERT_EQ(0, r.exit_status) << r.err;
    const std::string svg = testutil::read_file(dir.file("p_indicatrix.svg"));
    const std::vector<Text> texts = texts_of(svg);
    for (std::size_t i = 0; i < texts.size(); ++i) {
      for (std::size_t j = i + 1; j < texts.size(); ++j) {
        const Text &p = texts[i], &q = texts[j];
        EXPECT_FALSE(p.left < q.right && q.left < p.right && p.top < q.bottom && q.top < p.bottom)
            << p.text << " meets " << q.text;
      }
    }
    std::vector<const Text*> names;
    for (const Text& t : texts)
      if (t.cls == "axis-label") names.push_back(&t);
    ASSERT_EQ(6U, names.size());
    std::size_t line = svg.find("<line class=\"principal\"");
    for (std::size_t k = 0; k < 6; k += 2, line = svg.find("<line class=\"principal\"", line + 1)) {
      // The section's horizontal line, then its vertical one.
      const double cy = attribute(svg, line, "y1"), right = attribute(svg, line, "x2");
      line = svg.find("<line class=\"principal\"", line + 1);
      const double cx = attribute(svg, line, "x1"), top = attribute(svg, line, "y1");
      EXPECT_GT(names[k]->left, right) << names[k]->text;
      EXPECT_NEAR(cy, (names[k]->top + names[k]->bottom) / 2, 8) << names[k]->text;
      EXPECT_LT(names[k + 1]->bottom, top) << names[k + 1]->text;
      EXPECT_NEAR(cx, (names[k + 1]->left + names[k + 1]->right) / 2, 8) << names[k + 1]->text;
    }
  }
}

}  // namespace
