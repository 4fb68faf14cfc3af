// Cell files of other programs: each format told by its first lines, and each
// reader on the real files whose licence lets them be copied here
// (tests/data/SOURCES.md), the values checked against the files by hand.
#include "formats/cell_file.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "test_util.h"

namespace {

using formats::CellFormat;

TEST(CellFile, FormatToldByTheFirstLines) {
  const struct {
    std::string start;
    CellFormat format;
  } cases[] = {
      {"#\\#CIF_2.0\n# made by hand\n", CellFormat::kCif},
      {"\xEF\xBB\xBF\r\n# comment\n\n  DATA_block\n_cell_length_a 5\n", CellFormat::kCif},
      {"{\n  \"__id__\": \"ExperimentList\",\n", CellFormat::kDials},
      {"\n ***** CORRECT ***** (VERSION Jan 31, 2020  BUILT=20200131)   3-Jul-2020\n",
       CellFormat::kXdsCorrect},
      {" XPARM.XDS    VERSION May 1, 2016  BUILT=20160617\n     1  0.0000\n",
       CellFormat::kXdsXparm},
      {"FILEID SAINT        V8.38A\nCELL 1 2 3 90 90 90\n", CellFormat::kP4p},
      {"titl cu in P2(1)/n\r\nCELL 0.71073 10 4 11 90 92 90\r\n", CellFormat::kShelx},
      {"! Made-up crystal\n! Cell parameters extracted from input cell.\n", CellFormat::kTkTable},
      {"T_K,a_A,b_A,c_A,alpha_deg,beta_deg,gamma_deg\r\n", CellFormat::kKorvexCsv},
      {"# T sigma a b c al be ga \xC3\xA9\n95\t5\t6.62\t11.35\t6.623\t90\t78.5\t90\n",
       CellFormat::kPascalTable},
      {"100 5.4321(12) 6 7 90 90 90\n", CellFormat::kPascalTable},
      // DIRAX output, and anything else.
      {"DIRAX-like indexing log\n\nConventional : a=  10.21340  b= ...\n", CellFormat::kDirax},
      {"   {Input cell  a=   5.94488  b=   5.94488 }\n", CellFormat::kDirax},
      {"100 5.4321 6 7 90 90\n", CellFormat::kDirax},  // six numbers
      {"# data_x in a comment only\n", CellFormat::kDirax},
      {"some text\ndata_x\n", CellFormat::kDirax},
      {"", CellFormat::kDirax},
      {"\n\n   \n", CellFormat::kDirax},
      {"{ \"not\": \"an experiment list\" }\n", CellFormat::kDirax},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.start);
    EXPECT_EQ(c.format, formats::recognise(c.start));
  }
}

// What a file gives, the SUs 0 where it gives none, the temperature NaN.
struct Expected {
  std::size_t entries;
  std::size_t index;  // the entry checked
  std::string source;
  std::array<double, 6> cell;
  std::array<double, 6> su;
  double temperature;
  double temperature_su;
  std::string system;
  std::string lattice;
};

void expect_entry(const formats::CellRead& read, const Expected& e) {
  ASSERT_EQ(e.entries, read.entries.size());
  const formats::CellEntry& entry = read.entries[e.index];
  EXPECT_EQ(e.source, entry.source);
  const auto cell = formats::parameters(entry.cell);
  const auto su = formats::parameters(entry.su);
  for (std::size_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(formats::kCellParameterNames[i]);
    EXPECT_NEAR(e.cell[i], cell[i], 1e-9 * e.cell[i]);
    if (e.su[i] == 0) {
      EXPECT_FALSE(su[i]);
    } else {
      ASSERT_TRUE(su[i]);
      EXPECT_NEAR(e.su[i], *su[i], 1e-9 * e.su[i]);
    }
  }
  EXPECT_EQ(std::isnan(e.temperature), !entry.temperature);
  if (entry.temperature) {
    EXPECT_NEAR(e.temperature, *entry.temperature, 1e-9);
  }
  EXPECT_EQ(e.temperature_su == 0, !entry.temperature_su);
  if (entry.temperature_su) {
    EXPECT_EQ(e.temperature_su, *entry.temperature_su);
  }
  EXPECT_EQ(e.system, entry.system);
  EXPECT_EQ(e.lattice, entry.lattice);
}

constexpr double kNone = NAN;

TEST(CellFile, FilesOfOtherPrograms) {
  const struct {
    std::string file;
    CellFormat format;
    Expected expected;
  } cases[] = {
      {"ntd106c-P-1-final.cif",
       CellFormat::kCif,
       {1,
        0,
        "ntd106c-P-1-final.cif:p-1",
        {7.9492, 8.9757, 11.3745, 106.974, 91.963, 103.456},
        {0.0007, 0.0008, 0.0010, 0.0010, 0.0010, 0.0010},
        100,
        2,
        "triclinic",
        "P"}},
      {"multi_3blocks.cif",
       CellFormat::kCif,
       {3,
        0,
        "multi_3blocks.cif:1000006",
        {10.93, 12.7162, 15.7085, 90, 90, 90},
        {0.0009, 0.0011, 0.0013, 0, 0, 0},
        150,
        2,
        "orthorhombic",
        "P"}},
      {"multi_3blocks.cif",
       CellFormat::kCif,
       {3,
        1,
        "multi_3blocks.cif:1000007",
        {9.7397, 8.9174, 5.2503, 90, 105.866, 90},
        {},
        kNone,
        0,
        "",
        "C"}},
      {"multi_3blocks.cif",
       CellFormat::kCif,
       {3,
        2,
        "multi_3blocks.cif:p21c",
        {10.5086, 20.9035, 20.5072, 90, 94.13, 90},
        {0.0003, 0.0005, 0.0005, 0, 0.001, 0},
        100,
        2,
        "monoclinic",
        "P"}},
      {"1542256_cubic.cif",
       CellFormat::kCif,
       {1,
        0,
        "1542256_cubic.cif:1542256",
        {31.4527, 31.4527, 31.4527, 90, 90, 90},
        {0.0016, 0.0016, 0.0016, 0, 0, 0},
        100,
        0,
        "cubic",
        "I"}},
      {"9002543_2K.cif",
       CellFormat::kCif,
       {1, 0, "9002543_2K.cif:9002543", {5.86465, 8.7652, 13.1002, 90, 90, 90}, {}, 2, 0, "", "P"}},
      {"Esser_JW255_test1.p4p",
       CellFormat::kP4p,
       {1,
        0,
        "Esser_JW255_test1.p4p",
        {9.2063, 12.5548, 9.5319, 90, 99.0051, 90},
        {0.0036, 0.0046, 0.0030, 0, 0.0292, 0},
        kNone,
        0,
        "monoclinic",
        "P"}},
      {"200K.ins",
       CellFormat::kShelx,
       {1,
        0,
        "200K.ins",
        {10.272757, 4.67377, 11.30969, 90, 92.1849, 90},
        {0.000643, 0.00036, 0.000816, 0, 0.0068, 0},
        kNone,
        0,
        "",
        "P"}},
      {"xdsapp_CORRECT.LP",
       CellFormat::kXdsCorrect,
       {1,
        0,
        "xdsapp_CORRECT.LP",
        {88.684, 82.265, 93.702, 90, 108.65, 90},
        {0.19, 0.15, 0.18, 0, 0.01, 0},
        kNone,
        0,
        "monoclinic",
        ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file + " entry " + std::to_string(c.expected.index));
    const std::string bytes = testutil::read_file(std::string(TEST_DATA_DIR) + "/" + c.file);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(c.format, formats::recognise(bytes.substr(0, 4096)));
    const auto read = formats::read_cells(c.format, bytes, c.file);
    ASSERT_TRUE(read) << read.error().message;
    expect_entry(*read, c.expected);
  }
}

TEST(CellFile, TwoTemperaturesThatDifferAreToldAndTheFirstTaken) {
  const auto read = formats::read_cell_file(std::string(TEST_DATA_DIR) + "/p-1_a.cif");
  ASSERT_TRUE(read) << read.error().message;
  ASSERT_EQ(1U, read->entries.size());
  EXPECT_EQ(100, read->entries[0].temperature);
  EXPECT_EQ(2, read->entries[0].temperature_su);
  EXPECT_EQ(4.5742, read->entries[0].cell.a);
  EXPECT_EQ(0.0011, read->entries[0].su.a);
  EXPECT_EQ(86.222, read->entries[0].cell.gamma);
  EXPECT_EQ(0.008, read->entries[0].su.gamma);
  ASSERT_EQ(1U, read->warnings.size());
  EXPECT_EQ(std::string(TEST_DATA_DIR) +
                "/p-1_a.cif:p-1_a: _cell_measurement_temperature 100(2) and "
                "_diffrn_ambient_temperature 100.13 differ; 100(2) K taken",
            read->warnings[0].message);
  EXPECT_TRUE(read->warnings[0].temperature);
}

TEST(CellFile, FilesThatCannotBeReadAreToldWithTheirLine) {
  const std::string broken =
      std::string(TEST_DATA_DIR) + "/breit_tb13_85_BROKEN_cell_volume_no_value.cif";
  const struct {
    std::string path;
    int line;
    std::string message;
  } cases[] = {
      {broken, 55, "data_Breit_TB13_85: _cell_volume has no value"},
      {std::string(TEST_DATA_DIR) + "/SOURCES.md", 0, "none of the cell-file formats read here"},
      {std::string(TEST_DATA_DIR), 0, "not a regular file"},
      {"/dev/null", 0, "not a regular file"},
      {std::string(TEST_DATA_DIR) + "/nosuch.cif", 0,
       "cannot open the file: No such file or directory"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const auto read = formats::read_cell_file(c.path);
    ASSERT_FALSE(read);
    EXPECT_EQ(c.line, read.error().line);
    EXPECT_EQ(c.message, read.error().message);
  }
}

}  // namespace
