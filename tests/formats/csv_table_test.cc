#include "formats/csv_table.h"

#include <gtest/gtest.h>

#include <string>

#include "textrec/text.h"

namespace formats {
namespace {

CellRecord cell(std::string_view system, std::string_view lattice) {
  CellRecord c;
  c.temperature = 100;
  c.a = 10.2134F;
  c.b = 6.0871F;
  c.c = 8.3452F;
  c.alpha = 90;
  c.beta = 105.312F;
  c.gamma = 90;
  c.volume = 500.404F;
  textrec::set_text(c.system, system);
  textrec::set_text(c.lattice, lattice);
  return c;
}

TEST(CsvTable, HeaderAndTheExactTextOfARow) {
  EXPECT_EQ(
      "T_K,a_A,b_A,c_A,alpha_deg,beta_deg,gamma_deg,volume_A3,system,bravais,"
      "a_su_A,b_su_A,c_su_A,alpha_su_deg,beta_su_deg,gamma_su_deg,T_su_K,source",
      csv_header());
  EXPECT_EQ("100.0,10.2134,6.0871,8.3452,90.0,105.312,90.0,500.404,monoclinic,C,,,,,,,,x.out",
            csv_row(cell("monoclinic", "C"), {{}, std::nullopt, "x.out"}));
  const crystal::CellSu su{0.0007, 1.0, {}, {}, 0.015, 2e-5};
  EXPECT_EQ(
      "100.0,10.2134,6.0871,8.3452,90.0,105.312,90.0,500.404,monoclinic,C,"
      "0.0007,1.0,,,0.015,0.00002,2.0,\"a,b.cif:blk\"",
      csv_row(cell("monoclinic", "C"), {su, 2.0, "a,b.cif:blk"}));
}

// Every number reads as a real: the shortest text of the float, with a
// decimal point or an exponent.
TEST(CsvTable, NumbersAreTheShortestTextOfTheFloatAndReadAsReals) {
  const struct {
    float value;
    const char* text;
  } cases[] = {
      {100.0F, "100.0"},           {0.0F, "0.0"},       {-0.0F, "-0.0"},
      {-20.5F, "-20.5"},           {1234.5F, "1234.5"}, {1234.56789F, "1234.5679"},
      {100.45F, "100.45"},         {1e20F, "1e+20"},    {3e-5F, "3e-05"},
      {16777216.0F, "16777216.0"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.text, csv_number(c.value)) << c.value;
}

// The crystal system as the table shows it, its first 12 characters; a text
// that holds a comma or a quote is quoted.
TEST(CsvTable, TextsAsTheTableShowsThem) {
  const struct {
    const char* system;
    const char* lattice;
    const char* columns;
  } cases[] = {
      {"orthorhombic", "P", "orthorhombic,P"},
      {"orthorhombic-X", "F", "orthorhombic,F"},
      {"  triclinic", " ", "triclinic,"},
      {"mono,clinic", "C", "\"mono,clinic\",C"},
      {"say \"hex\"", "R", "\"say \"\"hex\"\"\",R"},
      {"\xE9t\xE9 mono", "C", "\uFFFDt\uFFFD mono,C"},      // bytes of no UTF-8 character
      {"triclinic-X\xC3\xA9", "P", "triclinic-X\uFFFD,P"},  // a character cut at 12 bytes
      {"ortho\xC3\xA9", "P", "ortho\u00E9,P"},              // valid UTF-8 stays
  };
  for (const auto& c : cases) {
    const std::string row = csv_row(cell(c.system, c.lattice), {{}, std::nullopt, "x"});
    EXPECT_EQ(std::string(c.columns) + ",,,,,,,,x", row.substr(row.find("500.404,") + 8))
        << c.system;
  }
}

}  // namespace
}  // namespace formats
