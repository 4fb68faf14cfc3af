// The built korvex-expansion on series that should not be fitted unchecked:
// changes of phase or setting (warned of, status 4, the report still
// written), cells of no one crystal and temperatures that are none or cannot
// be told apart (status 1), points scattered far beyond their SUs or curving
// beyond a straight line, the same changes in a pressure series, and an
// eight-column table whose last column is the volume.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

using testutil::run_program;
using testutil::ScopedTempDir;

std::string shelx(double celsius, double a) {
  return "TITL made-up\nCELL 0.71073 " + std::to_string(a) + " 6 7 90 90 90\nLATT 1\nTEMP " +
         std::to_string(celsius) + "\nEND\n";
}

TEST(ExpansionChecks, EachFindingWithItsStatus) {
  ScopedTempDir dir;
  for (const char* cif : {"9002543_2K.cif", "9002545_100K.cif", "9002546_130K.cif"})
    std::filesystem::copy_file(std::string(TEST_DATA_DIR) + "/" + cif, dir.file(cif));
  const std::string rows = "100 5 6 7 90 90 90\n200 5.005 6.006 7.007 90 90 90\n";
  const struct {
    const char* name;
    std::string table;  // t.txt, where the case has one
    std::vector<std::string> files;
    int status;
    std::string err;  // a part of standard error
  } cases[] = {
      {"space group",
       "",
       {"9002543_2K.cif", "9002545_100K.cif", "9002546_130K.cif"},
       4,
       "korvex-expansion: 9002543_2K.cif, 9002545_100K.cif, 9002546_130K.cif: warning: "
       "between 100 K and 130 K: the space group changes from P 21 c n to P m c n\n"},
      {"scatter",
       "100 5.0000(1) 6 7 90 90 90\n150 5.0200(1) 6 7 90 90 90\n200 5.0000(1) 6 7 90 90 90\n"
       "250 5.0200(1) 6 7 90 90 90\n300 5.0000(1) 6 7 90 90 90\n",
       {"t.txt"},
       4,
       "the scatter is far larger than the cells' SUs: a phase change, a misread "
       "file or wrong SUs?\n"},
      {"curvature",
       "100 5.00400(1) 6 7 90 90 90\n150 5.00900(1) 6 7 90 90 90\n200 5.01600(1) 6 7 90 90 90\n"
       "250 5.02500(1) 6 7 90 90 90\n300 5.03600(1) 6 7 90 90 90\n",
       {"t.txt"},
       4,
       "a quadratic's is not: the points curve; run with --fit quadratic\n"},
      {"pressure: exchanged axes",
       "0.5 5.40 5.00 7 90 90 90\n1.0 5.37 4.97 6.96 90 90 90\n1.5 5.34 4.95 6.93 90 90 90\n"
       "2.0 5.31 4.92 6.90 90 90 90\n2.5 4.90 5.29 6.87 90 90 90\n",
       {"--pressure", "t.txt"},
       4,
       "korvex-expansion: t.txt: warning: between 2 GPa and 2.5 GPa: the axes exchange (a is the "
       "previous b, b is the previous a)\n"},
      {"volume column",
       "100 3.6149 3.6149 3.6149 90 90 90 47.24\n200 3.6190 3.6190 3.6190 90 90 90 47.40\n"
       "300 3.6231 3.6231 3.6231 90 90 90 47.56\n",
       {"t.txt"},
       0,
       "korvex-expansion: t.txt: 8 columns read as T a b c alpha beta gamma V: the 8th is the "
       "volume of columns 2-7 on every row\n"},
      {"subcell",
       rows + "300 2.5 3 3.5 90 90 90\n",
       {"t.txt"},
       1,
       "korvex-expansion: t.txt: between 200 K and 300 K: the cells cannot be matched (the volume "
       "changes by -87.54 %): not one crystal's cell, or another setting of it\n"},
      {"below 0 K",
       rows + "-20 5 6 7 90 90 90\n",
       {"t.txt"},
       1,
       "korvex-expansion: t.txt:line 3: a temperature of -20 K is below 0 K\n"},
      {"all at one",
       "150 5 6 7 90 90 90\n150 5.1 6 7 90 90 90\n",
       {"t.txt"},
       1,
       "korvex-expansion: the temperatures span 0 K, from 150 K (t.txt:line 1) to 150 K"},
      {"1e-9 K apart",
       "100 5 6 7 90 90 90\n100.000000001 5.1 6 7 90 90 90\n",
       {"t.txt"},
       1,
       "korvex-expansion: the temperatures span 1e-09 K, from 100 K"},
      {"SHELX TEMP",
       "",
       {"a.ins", "b.ins"},
       1,
       "korvex-expansion: b.ins, line 4: TEMP -400.000000 is in °C: -126.85 K, below 0 K\n"
       "korvex-expansion: b.ins: a temperature of -126.85 K is below 0 K\n"},
  };
  testutil::write_file(dir.file("a.ins"), shelx(-173, 5));
  testutil::write_file(dir.file("b.ins"), shelx(-400, 5.01));
  for (const auto& c : cases) {
    testutil::write_file(dir.file("t.txt"), c.table);
    std::vector<std::string> argv = {EXPANSION_BIN};
    argv.insert(argv.end(), c.files.begin(), c.files.end());
    const auto r = run_program(argv, dir.path(), "");
    EXPECT_EQ(c.status, r.exit_status) << c.name << ": " << r.err;
    EXPECT_NE(std::string::npos, r.err.find(c.err)) << c.name << ": " << r.err;
    // A warning leaves the report; a failure leaves none.
    EXPECT_EQ(c.status != 1, r.out.find("Principal") != std::string::npos) << c.name;
  }
}

}  // namespace
