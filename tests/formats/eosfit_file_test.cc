// EosFit data files: control lines are never rows, whatever their number of
// fields; the scale lines' units converted or refused, wherever they stand.
#include "formats/eosfit_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

TEST(EosFitFile, ControlLinesAreNeverRows) {
  const std::string head = "TITLE t\nFORMAT 1 P SIGP V T\n";
  const struct {
    const char* what;
    std::string lines;  // after the head, one row first
    double p;
    std::optional<double> sigma_p;
    double t;
    std::string error;  // "line N: ..." when refused
  } cases[] = {
      {"GPa, as many fields as columns", "5 0.5 110 300\nPSCALE GPa 1 2\n", 5, 0.5, 300,
       "line 4: PSCALE names |GPA 1 2|, not a unit read here (GPA, KBAR, MPA)"},
      {"GPa", "5 0.5 110 300\nPSCALE GPa\n", 5, 0.5, 300, ""},
      {"kbar after the rows", "5 0.5 110 300\n! PSCALE MPa\npscale kbar\n", 0.5, 0.05, 300, ""},
      {"MPa and Celsius", "PSCALE MPa\nTSCALE C\n200 10 110 25\n", 0.2, 0.01, 298.15, ""},
      {"volume units", "VSCALE A3 # cubic angstroms\nLSCALE A\nDATATYPE Volume\n5 0 110 300\n", 5,
       0.0, 300, ""},
      {"volumes per mole",
       "VSCALE cm3/mol\n5 0.5 110 300\n",
       0,
       {},
       0,
       "line 3: VSCALE names |CM3/MOL|, not a unit read here (A3, A^3, ANG3)"},
      {"moduli",
       "DATATYPE MODULI ISOTHERMAL\n5 0.5 110 300\n",
       0,
       {},
       0,
       "line 3: DATATYPE |MODULI ISOTHERMAL|: only volumes or cells (DATATYPE VOLUME) are read "
       "here"},
      {"another word",
       "5 0.5 110 300\nSYMM 1 2 3\n",
       0,
       {},
       0,
       "line 4: SYMM is not a line read here"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto read = formats::read_eosfit_file(head + c.lines, "x");
    if (!c.error.empty()) {
      ASSERT_FALSE(read);
      EXPECT_EQ(c.error, "line " + std::to_string(read.error().line) + ": " + read.error().message);
      continue;
    }
    ASSERT_TRUE(read) << read.error().message;
    ASSERT_EQ(1U, read->entries.size());
    const crystal::CellEntry& e = read->entries[0];
    EXPECT_EQ(c.p, e.pressure.value_or(-1));
    EXPECT_EQ(c.sigma_p, e.pressure_su);
    EXPECT_DOUBLE_EQ(c.t, e.temperature.value_or(-1));
    EXPECT_EQ(110, e.volume.value_or(-1));
    EXPECT_EQ("t", read->title);
  }
  // A scale line of two fields under a FORMAT of two columns, in a file
  // told as EosFit's by its start.
  const std::string two_columns = "TITLE t\nPSCALE kbar\nFORMAT P V\n5 110\n";
  EXPECT_TRUE(formats::is_eosfit_file(two_columns));
  EXPECT_FALSE(formats::is_eosfit_file("TITLE t\nP V\nFORMAT P V\n5 110\n"));
  const auto two = formats::read_eosfit_file(two_columns, "x");
  ASSERT_TRUE(two) << two.error().message;
  ASSERT_EQ(1U, two->entries.size());
  EXPECT_EQ(0.5, two->entries[0].pressure.value_or(-1));
}

}  // namespace
