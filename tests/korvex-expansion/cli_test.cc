// The built korvex-expansion on files in a temporary folder: the report of a
// series worked by hand, the bundled example in both of korvex's cell choices,
// JSON read back by Python's parser, CSV, SVG pictures that parse as XML, and
// faults with their exact messages and exit statuses.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

using testutil::run_program;
using testutil::ScopedTempDir;

// a shrinks 5e-6/K, b stays, c grows 1e-5/K from 100 K: the Lagrangian
// infinitesimal strains are exactly -5, 0 and 10 MK^-1 times (T - 100).
// V / V0 = 1 + 5e-6 d - 5e-11 d^2 (d = T - 100 = 0..200): the line through it
// has slope 5e-6 - 5e-11 * 200, residuals -5e-11 * (5000, -2500, -5000,
// -2500, 5000), HC0 su sqrt(sum (d - 100)^2 e^2) / 25000 = 1.46e-9.
const std::string kShrinkingA =
    "# T a b c alpha beta gamma\n"
    "100 5.0 6 7.0 90 90 90\n150 4.99875 6 7.0035 90 90 90\n200 4.9975 6 7.007 90 90 90\n"
    "250 4.99625 6 7.0105 90 90 90\n300 4.995 6 7.014 90 90 90\n";

std::string with_file(const ScopedTempDir& dir, const std::string& name, const std::string& text) {
  testutil::write_file(dir.file(name), text);
  return name;
}

TEST(ExpansionCli, ReportOfASeriesWorkedByHand) {
  ScopedTempDir dir;
  const auto r = run_program(
      {EXPANSION_BIN, "--lagrangian", "--infinitesimal", with_file(dir, "shrink.txt", kShrinkingA)},
      dir.path(), "");
  EXPECT_EQ(0, r.exit_status);
  EXPECT_EQ("", r.err);
  EXPECT_EQ(
      " Principal thermal expansion of shrink.txt\n"
      " Points     : 5, 100.00 K to 300.00 K, reference point 100.00 K (row 1)\n"
      " Strain     : Lagrangian infinitesimal\n"
      " Coefficient: alpha = d(principal strain)/dT; alpha_V = (dV/dT) / V measured at the "
      "reference\n"
      " Fit        : linear in T, least squares; standard errors HC0 "
      "(heteroscedasticity-consistent)\n"
      " Uncertainty: su: the larger of the fit's standard error and the cells' SU\n"
      " Directions : at 200.00 K (row 3), the median point of those away from the reference "
      "temperature\n"
      "\n"
      " Axis   alpha(su) MK^-1   su_fit  su_cells     u       v       w     angle to a     b      "
      "c     su_dir(deg)\n"
      " X1             -5.000    0.000         -    1.0000  0.0000  0.0000       0.00   90.00   "
      "90.00            -\n"
      " X2              0.000    0.000         -    0.0000  1.0000  0.0000      90.00    0.00   "
      "90.00            -\n"
      " X3             10.000    0.000         -    0.0000  0.0000  1.0000      90.00   90.00    "
      "0.00            -\n"
      " V          4.9900(15)    0.001         -\n"
      "\n"
      " Greatest expansion along X3 [0.0000 0.0000 1.0000]; least (negative) along X1 [1.0000 "
      "0.0000 0.0000].\n"
      " X1: NEGATIVE THERMAL EXPANSION, alpha = -5.000 MK^-1.\n",
      r.out);
}

// A cubic cell, and a tetragonal one whose a and b are one axis: the
// directions the symmetry leaves open are said to be a choice. An
// orthorhombic cell whose b and c expand alike has no such plane.
TEST(ExpansionCli, AxesThatExpandAlikeAreToldAsSuch) {
  ScopedTempDir dir;
  const std::string isotropic =
      "100 5 5 5 90 90 90\n200 5.01 5.01 5.01 90 90 90\n"
      "300 5.02 5.02 5.02 90 90 90\n";
  const std::string tetragonal =
      "100 5 5 7 90 90 90\n200 5.01 5.01 7 90 90 90\n"
      "300 5.02 5.02 7 90 90 90\n";
  const auto cubic =
      run_program({EXPANSION_BIN, with_file(dir, "c.txt", isotropic)}, dir.path(), "");
  EXPECT_NE(std::string::npos, cubic.out.find("\n X1, X2 and X3 expand alike, as the cubic "
                                              "symmetry makes them: every direction\n"))
      << cubic.out;
  const auto tetra =
      run_program({EXPANSION_BIN, with_file(dir, "t.txt", tetragonal)}, dir.path(), "");
  EXPECT_NE(std::string::npos, tetra.out.find("\n X2 and X3 expand alike, as the tetragonal"))
      << tetra.out;
  const auto ortho = run_program({EXPANSION_BIN, with_file(dir, "o.txt",
                                                           "100 5 6 7 90 90 90\n"
                                                           "200 5 6.006 7.007 90 90 90\n"
                                                           "300 5 6.012 7.014 90 90 90\n")},
                                 dir.path(), "");
  EXPECT_NE(std::string::npos,
            ortho.out.find("\n X2 and X3 are not distinguishable within their SUs.\n"))
      << ortho.out;
  EXPECT_EQ(std::string::npos, ortho.out.find("plane")) << ortho.out;
  EXPECT_EQ(std::string::npos, ortho.out.find("principal one")) << ortho.out;
}

// Reads the program's JSON with Python and prints what the test compares:
// the four coefficients, after checking the object's layout and its keys' order.
const char* kJsonCheck = R"(
import json, sys
d = json.load(sys.stdin)
assert list(d) == ["mode", "title", "source", "strain", "symmetry", "symmetry_from",
                   "skipped_lines", "warnings", "points", "draws", "fit", "weighted",
                   "reference_temperature", "median_temperature", "direction_temperature",
                   "temperatures", "axes", "volume", "cells"], list(d)
assert list(d["axes"][0]) == ["alpha", "su", "su_fit", "su_cells", "direction_su_deg", "uvw",
                              "angles", "strains", "strains_su", "strains_fit",
                              "strains_residual"], list(d["axes"][0])
assert list(d["volume"]) == ["alpha", "su", "su_fit", "su_cells", "reference", "values",
                             "values_su"], list(d["volume"])
n = d["points"]
assert len(d["temperatures"]) == n and len(d["volume"]["values"]) == n
axes = d["axes"]
assert len(axes) == 3 and [a["alpha"] for a in axes] == sorted(a["alpha"] for a in axes)
for a in axes:
    assert len(a["strains"]) == n and a["strains"][0] == 0 and len(a["uvw"]) == 3
print(d["strain"], n, " ".join("%.2f" % a["alpha"] for a in axes), "%.2f" % d["volume"]["alpha"])
)";

// The same crystal in both of korvex's tables (the input cell is the
// primitive cell of the conventional C-centred one): one expansion, to the
// rounding of the tables' decimals.
TEST(ExpansionCli, BothCellChoicesOfTheBundledSeriesGiveOneExpansion) {
#ifndef PYTHON3_BIN
  GTEST_SKIP() << "no python3 to read the JSON";
#else
  ScopedTempDir dir;
  testutil::copy_examples(dir);
  std::vector<std::string> summaries;
  for (const char* choice : {"2", "1"}) {
    const auto k = run_program({KORVEX_BIN}, dir.path(),
                               std::string("series.lst\n") + choice + "\nn\nn\nn\nn\nn\nn\nn\n");
    ASSERT_EQ(0, k.exit_status);
    if (*choice == '2') {  // the bundled table is korvex's own
      EXPECT_EQ(testutil::read_file(dir.file("series_parameters.xy")),
                testutil::read_file(dir.file("TK_parameters.xy")));
    }
    const auto r =
        run_program({EXPANSION_BIN, "--format", "json", "TK_parameters.xy"}, dir.path(), "");
    ASSERT_EQ(0, r.exit_status) << r.err;
    const auto py = run_program({PYTHON3_BIN, "-c", kJsonCheck}, dir.path(), r.out);
    ASSERT_EQ(0, py.exit_status) << py.err;
    summaries.push_back(py.out);
  }
  EXPECT_EQ("natural 10 4.00 9.78 21.52 35.30\n", summaries[0]);
  EXPECT_EQ("natural 10 4.02 9.77 21.52 35.30\n", summaries[1]);
#endif
}

TEST(ExpansionCli, CsvRowsForALineAndForAPolynomial) {
  ScopedTempDir dir;
  const std::string file = with_file(dir, "shrink.txt", kShrinkingA);
  for (const char* fit : {"linear", "cubic"}) {
    const auto r = run_program(
        {EXPANSION_BIN, "--lagrangian", "--infinitesimal", "--format", "csv", "--fit", fit, file},
        dir.path(), "");
    ASSERT_EQ(0, r.exit_status) << r.err;
    const auto lines = testutil::split_lines(testutil::first_table(r.out));
    const bool line = *fit == 'l';
    ASSERT_EQ(line ? 5U : 21U, lines.size()) << r.out;  // a header, then X1 X2 X3 V (per T)
    EXPECT_EQ(
        "axis,T_K,alpha_MK-1,su_MK-1,u,v,w,angle_a_deg,angle_b_deg,angle_c_deg,su_fit_MK-1,"
        "su_cells_MK-1,direction_su_deg,alpha(su)_MK-1",
        lines[0]);
    const std::string head = line ? "X1,," : "X1,100,";
    ASSERT_TRUE(lines[1].starts_with(head)) << lines[1];
    EXPECT_NEAR(-5, std::stod(lines[1].substr(head.size())), 1e-6);
    EXPECT_NE(std::string::npos, lines[1].find(",1,0,0,0,90,90,")) << lines[1];
    EXPECT_TRUE(lines[1].ends_with(",,,-5.000")) << lines[1];
    EXPECT_TRUE(lines[line ? 4 : 20].starts_with(line ? "V,," : "V,300,"));
    EXPECT_NE(std::string::npos, lines[line ? 4 : 20].find(",,,,,,")) << lines[line ? 4 : 20];
  }
}

TEST(ExpansionCli, SvgPicturesAreWellFormedAndTellNegativeLobes) {
  ScopedTempDir dir;
  std::filesystem::create_directory(dir.file("pictures"));
  const auto r = run_program(
      {EXPANSION_BIN, "--svg", "pictures/shrink", with_file(dir, "shrink.txt", kShrinkingA)},
      dir.path(), "");
  ASSERT_EQ(0, r.exit_status) << r.err;
  EXPECT_NE(std::string::npos,
            r.out.find("\n SVG pictures written: pictures/shrink_strain.svg, "
                       "pictures/shrink_volume.svg, pictures/shrink_lattice.svg, "
                       "pictures/shrink_indicatrix.svg\n"));
  for (const char* name : {"strain", "volume", "lattice", "indicatrix"}) {
    const std::string path = dir.file(std::string("pictures/shrink_") + name + ".svg");
    ASSERT_TRUE(testutil::file_exists(path)) << path;
#ifdef PYTHON3_BIN
    const auto py =
        run_program({PYTHON3_BIN, "-c",
                     "import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])", path},
                    dir.path(), "");
    EXPECT_EQ(0, py.exit_status) << name << ": " << py.err;
#endif
  }
  const std::string indicatrix = testutil::read_file(dir.file("pictures/shrink_indicatrix.svg"));
  EXPECT_NE(std::string::npos, indicatrix.find("<polyline class=\"negative\""));
  EXPECT_NE(std::string::npos, indicatrix.find("<polyline class=\"positive\""));
}

TEST(ExpansionCli, FaultsGiveAMessageAndExit1) {
  ScopedTempDir dir;
  with_file(dir, "bad.txt", "100 5 6 7 90 90 90\n200 5.1 x 7 90 90 90\n");
  with_file(dir, "overflow.txt", "100 5 6 7 90 90 90\n****** 5 6 7 90 90 90\n");
  with_file(dir, "shrink.txt", kShrinkingA);
  with_file(dir, "nm.txt", "100 0.5 0.6 0.7 90 90 90\n200 0.51 0.6 0.07 90 90 90\n");
  // Read whole, and refused at once when no regular file: nothing to wait on.
  ASSERT_EQ(0, mkfifo(dir.file("fifo.xy").c_str(), 0600));
  std::filesystem::create_directory(dir.file("folder.xy"));
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {{"missing.xy"},
       "korvex-expansion: missing.xy: cannot open the file: No such file or directory\n"},
      {{"/dev/zero"}, "korvex-expansion: /dev/zero: not a regular file\n"},
      {{"fifo.xy"}, "korvex-expansion: fifo.xy: not a regular file\n"},
      {{"folder.xy"}, "korvex-expansion: folder.xy: not a regular file\n"},
      {{"bad.txt"}, "korvex-expansion: bad.txt, line 2: column 3 is not a number: |x|\n"},
      {{"overflow.txt"},
       "korvex-expansion: overflow.txt, line 2: row skipped: column 1 in overflow form "
       "(asterisks)\nkorvex-expansion: overflow.txt: at least 2 points are needed; the series "
       "holds 1\n"},
      {{"nm.txt"},
       "korvex-expansion: nm.txt, line 2: a cell length of 0.07 is not between 0.1 and 10000 "
       "A\n"},
      {{"--reference", "120", "shrink.txt"},
       "korvex-expansion: shrink.txt: no point at 120.00 K for the reference (the series runs "
       "from 100.00 K to 300.00 K)\n"},
      {{"--svg", "nowhere/p", "shrink.txt"},
       "korvex-expansion: cannot write nowhere/p_strain.svg: No such file or directory\n"
       "korvex-expansion: cannot write nowhere/p_volume.svg: No such file or directory\n"
       "korvex-expansion: cannot write nowhere/p_lattice.svg: No such file or directory\n"
       "korvex-expansion: cannot write nowhere/p_indicatrix.svg: No such file or directory\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> argv = {EXPANSION_BIN};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const auto r = run_program(argv, dir.path(), "");
    EXPECT_EQ(1, r.exit_status) << c.err;
    EXPECT_EQ(c.err, r.err);
  }
}

TEST(ExpansionCli, UsageFaultsExit2AndHelpAndVersion0) {
  struct Case {
    std::vector<std::string> args;
    std::string first_err_line;  // where to look for help follows
  };
  const Case cases[] = {
      {{}, "korvex-expansion: no file named"},
      {{"--draws", "1", "a.xy"},
       "korvex-expansion: --draws takes a whole number from 2 to 1000000, not '1'"},
      {{"--seed", "-3", "a.xy"},
       "korvex-expansion: --seed takes a whole number from 0 to 2^64-1, not '-3'"},
      {{"--cell", "primitive", "--list", "a.lst"},
       "korvex-expansion: --cell takes input or conventional (or 1 or 2), not 'primitive'"},
      {{"--fit", "quartic", "a.xy"},
       "korvex-expansion: --fit is linear, quadratic or cubic, not 'quartic'"},
      {{"--format", "xml", "a.xy"}, "korvex-expansion: --format is text, json or csv, not 'xml'"},
      {{"--reference", "hot", "a.xy"},
       "korvex-expansion: --reference needs a temperature in kelvin (GPa under --pressure), not "
       "'hot'"},
      {{"--reference", "0x96", "a.xy"},
       "korvex-expansion: --reference needs a temperature in kelvin (GPa under --pressure), not "
       "'0x96'"},
      {{"--reference", "nan", "a.xy"},
       "korvex-expansion: --reference needs a temperature in kelvin (GPa under --pressure), not "
       "'nan'"},
      {{"--svg"}, "korvex-expansion: option '--svg' requires an argument"},
      {{"-x", "a.xy"}, "korvex-expansion: invalid option -- 'x'"},
      {{"--colour", "a.xy"}, "korvex-expansion: unrecognized option '--colour'"},
      {{"--f", "json", "a.xy"},
       "korvex-expansion: option '--f' is ambiguous; possibilities: '--fit' '--format' '--fix'"},
      // Options that mean nothing together are refused, never ignored.
      {{"--pc", "1.5", "a.xy"}, "korvex-expansion: --pc is for a series under --pressure"},
      {{"--pressure", "--weighted", "a.xy"},
       "korvex-expansion: --weighted is for a temperature series, not under --pressure"},
      {{"--infinitesimal", "--strain", "natural", "a.xy"},
       "korvex-expansion: --infinitesimal takes --strain eulerian, lagrangian or pascal"},
  };
  ScopedTempDir dir;
  for (const Case& c : cases) {
    std::vector<std::string> argv = {EXPANSION_BIN};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const auto r = run_program(argv, dir.path(), "");
    EXPECT_EQ(2, r.exit_status) << c.first_err_line;
    EXPECT_EQ(c.first_err_line + "\nTry 'korvex-expansion --help'.\n", r.err);
  }
  const auto help = run_program({EXPANSION_BIN, "--help"}, dir.path(), "");
  EXPECT_EQ(0, help.exit_status);
  EXPECT_TRUE(help.out.starts_with("usage: korvex-expansion [options] FILE...\n"));
  for (const char* flag : {"--version", "-V"}) {
    const auto version = run_program({EXPANSION_BIN, flag}, dir.path(), "");
    EXPECT_EQ(0, version.exit_status);
    EXPECT_TRUE(version.out.starts_with("korvex-expansion ")) << version.out;
  }
}

}  // namespace
