// The readers keep each value as the file writes it, for the page to show
// it so: a CIF's number with its SU in parentheses, a table's value and its
// SU column apart.
#include <gtest/gtest.h>

#include <string>

#include "formats/cell_tables.h"
#include "formats/cif_cells.h"

namespace {

TEST(GivenText, ReadersKeepTheDigitsAsWritten) {
  const auto cif = formats::read_cif_cells(
      "data_c60\n_cell_length_a 16.119(2)\n_cell_length_b 16.119(2)\n_cell_length_c 16.1190\n"
      "_cell_angle_alpha 90\n_cell_angle_beta 90.00\n_cell_angle_gamma 90\n"
      "_cell_measurement_temperature '293.0(5) K'\n",
      "c60.cif");
  ASSERT_TRUE(cif) << cif.error().message;
  const auto table = formats::read_series_cells(
      "# p sigma a b c alpha beta gamma\n0.190\t1\t6.6985\t11.5782\t6.5554\t90\t78.522\t90.0000\n"
      "0.226\t1\t6.6934(4)\t11.5391\t6.5661\t90\t78.521\t90.0000\n",
      "p.tsv");
  ASSERT_TRUE(table) << table.error().message;
  struct Case {
    const crystal::CellEntry& entry;
    const char* abscissa;
    const char* abscissa_su;
    const char* a;
    const char* c;
    const char* beta;
  };
  const Case cases[] = {
      {cif->entries.at(0), "293.0(5)", "", "16.119(2)", "16.1190", "90.00"},
      {table->entries.at(0), "0.190", "1", "6.6985", "6.5554", "78.522"},
      {table->entries.at(1), "0.226", "1", "6.6934(4)", "6.5661", "78.521"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a);
    EXPECT_EQ(c.abscissa, c.entry.given[crystal::GivenTexts::kTemperature].value);
    EXPECT_EQ(c.abscissa_su, c.entry.given[crystal::GivenTexts::kTemperature].su);
    EXPECT_EQ(c.a, c.entry.given[0].value);
    EXPECT_EQ(c.c, c.entry.given[2].value);
    EXPECT_EQ(c.beta, c.entry.given[4].value);
    EXPECT_EQ("", c.entry.given[4].su);
  }
}

}  // namespace
