// The readers of other programs' cell files on small files written here in
// each program's layout (for the programs whose own files may not be copied
// into the project), the SU notation, and every fault told with its line.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "formats/cell_file.h"
#include "formats/cell_record.h"
#include "formats/cell_want.h"
#include "formats/csv_table.h"
#include "formats/reader_parts.h"
#include "formats/value_su.h"
#include "test_util.h"

namespace {

using formats::CellFormat;

TEST(ValueWithSu, TheSuCountsInUnitsOfTheLastDigit) {
  const struct {
    std::string text;
    double value;
    double su;  // 0: none
  } numbers[] = {
      {"7.9492(7)", 7.9492, 0.0007},
      {"31.4527(16)", 31.4527, 0.0016},
      {"100(2)", 100, 2},
      {"99.99(10)", 99.99, 0.1},
      {"-173.150", -173.15, 0},
      {"+5", 5, 0},
      {"1.25E-3(4)", 0.00125, 4e-5},
      {"12e+2(3)", 1200, 300},
      {".5(1)", 0.5, 0.1},
      {"2.(1)", 2, 1},
      {"90.000(0)", 90, 0},
  };
  for (const auto& n : numbers) {
    SCOPED_TRACE(n.text);
    const auto read = formats::parse_value_with_su(n.text);
    ASSERT_TRUE(read);
    EXPECT_EQ(n.value, read->value);
    EXPECT_EQ(n.su, read->su.value_or(0));
  }
  for (const std::string text : {"",
                                 "?",
                                 ".",
                                 "-",
                                 "1.2(",
                                 "1.2()",
                                 "1.2(3",
                                 "(3)",
                                 "12a",
                                 "1.2(3)4",
                                 "1.2(-3)",
                                 "1e",
                                 "inf",
                                 "nan",
                                 "0x10",
                                 "1e400",
                                 "1 2",
                                 "1.2(3.4)",
                                 "++1",
                                 "1e99999999999999999999(1)",
                                 "0.00e-9223372036854775807(1)",
                                 "1e9223372036854775807(1)"}) {
    EXPECT_FALSE(formats::parse_value_with_su(text)) << text;
  }
}

const std::string kCifOd =
    "data_xcalibur\n"
    "_cell_oxdiff_length_a 9.61(3)\n_cell_oxdiff_angle_beta 115.2(2)\n"
    "_cell_length_a 9.543(2)\n_cell_length_b 2.9127(12)\n_cell_length_c 11.194(5)\n"
    "_cell_angle_alpha 90.0\n_cell_angle_beta 115.83(4)\n_cell_angle_gamma 90.0\n"
    "_cell_measurement_temperature ?\n";

// A powder CIF: a block of the whole without a cell, a text field holding a
// line that looks like a block, values on the line after their tag, CR LF.
const std::string kPowderCif =
    "data_overall\r\n_pd_block_id overall\r\n_publ_section_title\r\n;\r\n"
    "data_not_a_block\r\n;\r\n"
    "data_phase_300K\r\n_cell_length_a\r\n  8.8658(7)\r\n_cell_length_b 8.8658(7)\r\n"
    "_cell_length_c 12.65821(14)\r\n_cell_angle_alpha 90\r\n_cell_angle_beta 90\r\n"
    "_cell_angle_gamma 90\r\n_cell_measurement_temperature 300\r\n"
    "_diffrn_ambient_temperature 300.0(5)\r\n_symmetry_space_group_name_Hall '-I 4 2'\r\n";

// Two crystals; the second with the covariance of its B matrix, a monoclinic
// cell a 5, b 8, c 12, beta 100 turned 40 degrees about [111]. The SUs
// expected were propagated apart from the program.
const std::string kDials = R"({
  "__id__": "ExperimentList",
  "crystal": [
    {"__id__": "crystal", "real_space_a": [3, 0, 0], "real_space_b": [0, 4, 0],
     "real_space_c": [0, 0, 5], "space_group_hall_symbol": " P 2 2"},
    {"__id__": "crystal",
     "real_space_a": [4.22014814373, 2.245493925556, -1.465642069286],
     "real_space_b": [-2.345027310858, 6.752237029968, 3.59279028089],
     "real_space_c": [3.548541102208, -4.399923842662, 10.585297644597],
     "B_covariance": [1e-8, 0, 0, 0, 0, 0, -5e-10, 0, 0,  0, 0, 0, 0, 0, 0, 0, 0, 0,
                      0, 0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0, 0, 0, 0, 0, 0,
                      0, 0, 0, 0, 4e-10, 0, 0, 0, 0,  0, 0, 0, 0, 0, 0, 0, 0, 0,
                      -5e-10, 0, 0, 0, 0, 0, 9e-10, 0, 0,  0, 0, 0, 0, 0, 0, 0, 0, 0,
                      0, 0, 0, 0, 0, 0, 0, 0, 2.5e-9]}
  ]
})";

const std::string kXparm =
    " XPARM.XDS    VERSION May 1, 2016  BUILT=20160617\n"
    "     1        0.0000    0.1500  1.000000  0.000000  0.000000\n"
    "       0.976250       0.001331       0.000727       1.024327\n"
    "   197     57.9046     57.8227     57.8227  90.000  90.000  90.000\n"
    "     -15.079662     -53.735268     -15.429407\n";

// CORRECT.LP refines twice, first in P1 and then in the space group chosen;
// the cell of the last refinement stands, with its own SUs.
const std::string kXdsCorrectTwice =
    " ***** CORRECT *****\n"
    " REFINED VALUES OF DIFFRACTION PARAMETERS DERIVED FROM     10021 INDEXED SPOTS\n"
    " SPACE GROUP NUMBER      1\n"
    " UNIT CELL PARAMETERS     88.512    82.107    93.540  90.103 108.701  89.912\n"
    " E.S.D. OF CELL PARAMETERS  4.0E-01 3.0E-01 3.5E-01 4.0E-02 3.0E-02 5.0E-02\n"
    " REFINED VALUES OF DIFFRACTION PARAMETERS DERIVED FROM    139868 INDEXED SPOTS\n"
    " SPACE GROUP NUMBER      5\n"
    " UNIT CELL PARAMETERS     88.684    82.265    93.702  90.000 108.650  90.000\n"
    " E.S.D. OF CELL PARAMETERS  1.9E-01 1.5E-01 1.8E-01 0.0E+00 1.0E-02 0.0E+00\n"
    " REC. CELL PARAMETERS   0.011901  0.012156  0.011264  90.000  71.350  90.000\n";

const std::string kShelx =
    "TITL made up in C2/c\nrem CELL 1 1 1 90 90 90\ncell 1.54184 10.5 6.25 =\n"
    "   14.75 90 101.25 90 ! continued\nZERR 4 0.0011 0.0007 0.0016 0 0.0009 0\n"
    "LATT -7\nTEMP -173(2)\nCELL 0.7 1 1 1 90 90 90\nHKLF 4\nEND\n";

const std::string kPascal =
    "# X\tsigmaX\ta\tb\tc\talpha\tbeta\tgamma \xE2\x80\x94 \xC3\x85\n"
    "100\t0.5\t5.4321(12)\t6.5\t7.25\t90\t95.5(3)\t90\n"
    "  150 0.5   5.4333(12) 6.5 7.25 90 95.6(3) 90\n";

TEST(CellReaders, FilesInEachProgramsLayout) {
  const struct {
    std::string name;
    std::string bytes;
    CellFormat format;
    std::size_t index;  // the entry checked
    cellwant::CellWant want;
  } cases[] = {
      {"x.cif_od",
       kCifOd,
       CellFormat::kCif,
       0,
       {"x.cif_od:xcalibur", "9.543(2) 2.9127(12) 11.194(5) 90 115.83(4) 90", "", "", ""}},
      {"pd.cif",
       kPowderCif,
       CellFormat::kCif,
       0,
       {"pd.cif:phase_300K", "8.8658(7) 8.8658(7) 12.65821(14) 90 90 90", "300", "", "I"}},
      {"two.expt",
       kDials,
       CellFormat::kDials,
       0,
       {"two.expt:crystal 0", "3 4 5 90 90 90", "", "orthorhombic", "P"}},
      // The SUs to ten digits: c 0.007100907073, beta 0.01034835224.
      {"two.expt",
       kDials,
       CellFormat::kDials,
       1,
       {"two.expt:crystal 1",
        "5.0000(25) 8.00000(128) 12.000000000000(7100907073) 90 100.00000000000(1034835224) 90", "",
        "", ""}},
      {"XPARM.XDS",
       kXparm,
       CellFormat::kXdsXparm,
       0,
       {"XPARM.XDS", "57.9046 57.8227 57.8227 90 90 90", "", "cubic", "I"}},
      {"CORRECT.LP",
       kXdsCorrectTwice,
       CellFormat::kXdsCorrect,
       0,
       {"CORRECT.LP", "88.684(190) 82.265(150) 93.702(180) 90 108.650(10) 90", "", "monoclinic",
        "C"}},
      {"x.res",
       kShelx,
       CellFormat::kShelx,
       0,
       {"x.res", "10.5000(11) 6.2500(7) 14.7500(16) 90 101.2500(9) 90", "100.15(200)", "", "C"}},
      {"input.tsv",
       kPascal,
       CellFormat::kPascalTable,
       1,
       {"input.tsv:line 3", "5.4333(12) 6.5 7.25 90 95.6(3) 90", "150.0(5)", "", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.want.source);
    ASSERT_EQ(c.format, formats::recognise(c.bytes));
    const auto read = formats::read_cells(c.format, c.bytes, c.name);
    ASSERT_TRUE(read) << read.error().line << ": " << read.error().message;
    ASSERT_LT(c.index, read->entries.size());
    cellwant::expect_entry(read->entries[c.index], c.want);
  }
}

// korvex's CSV read back gives the cells it was written from, in the table's
// single precision, with the SUs in full.
TEST(CellReaders, KorvexCsvReadsBackWhatKorvexWrites) {
  formats::CellRecord record;
  record.temperature = 125.5F;
  record.a = 10.2134F, record.b = 6.0871F, record.c = 8.3452F;
  record.alpha = 90, record.beta = 105.312F, record.gamma = 90, record.volume = 500.4F;
  textrec::set_text(record.system, "monoclinic");
  textrec::set_text(record.lattice, "C");
  const crystal::CellSu su{0.0007, 0.0008, {}, {}, 0.0015, {}};
  const std::string csv = formats::csv_header() + "\r\n" +
                          formats::csv_row(record, {su, 2.0, "a,b.cif:blk"}) + "\r\n\r\n";
  ASSERT_EQ(CellFormat::kKorvexCsv, formats::recognise(csv));
  const auto read = formats::read_cells(CellFormat::kKorvexCsv, csv, "TK_parameters.csv");
  ASSERT_TRUE(read) << read.error().message;
  ASSERT_EQ(1U, read->entries.size());
  const crystal::CellEntry& e = read->entries[0];
  EXPECT_EQ("TK_parameters.csv:line 2", e.source);
  EXPECT_EQ(125.5, e.temperature);
  EXPECT_EQ(2, e.temperature_su);
  EXPECT_EQ(10.2134F, static_cast<float>(e.cell.a));
  EXPECT_EQ(105.312F, static_cast<float>(e.cell.beta));
  EXPECT_EQ(0.0007, e.su.a);
  EXPECT_EQ(0.0015, e.su.beta);
  EXPECT_FALSE(e.su.c);
  EXPECT_EQ("monoclinic", e.system);
  EXPECT_EQ("C", e.lattice);
}

// Numbers that stand for words or units: each space-group range's ends, each
// LATT number, and a CIF's ambient pressure, in kPa, as GPa.
TEST(CellReaders, NumbersThatNameASystemALatticeOrAPressure) {
  const struct {
    int number;
    const char* system;
  } groups[] = {{0, ""},
                {1, "triclinic"},
                {2, "triclinic"},
                {3, "monoclinic"},
                {15, "monoclinic"},
                {16, "orthorhombic"},
                {74, "orthorhombic"},
                {75, "tetragonal"},
                {142, "tetragonal"},
                {143, "trigonal"},
                {167, "trigonal"},
                {168, "hexagonal"},
                {194, "hexagonal"},
                {195, "cubic"},
                {230, "cubic"},
                {231, ""}};
  for (const auto& g : groups)
    EXPECT_EQ(g.system, formats::system_of_space_group(g.number)) << g.number;
  for (const auto& [number, letter] : std::vector<std::pair<int, std::string>>{
           {1, "P"}, {146, "R"}, {22, "F"}, {23, "I"}, {38, "A"}, {5, "C"}, {0, ""}, {231, ""}})
    EXPECT_EQ(letter, formats::lattice_of_space_group(number)) << number;

  const std::string shelx = "TITL x\nCELL 0.71073 5 6 7 90 90 90\nLATT ";
  const std::vector<std::pair<std::string, std::string>> latt = {
      {"1", "P"},  {"2", "I"},  {"3", "R"},  {"4", "F"},  {"5", "A"},  {"6", "B"},
      {"7", "C"},  {"-1", "P"}, {"-2", "I"}, {"-3", "R"}, {"-4", "F"}, {"-5", "A"},
      {"-6", "B"}, {"-7", "C"}, {"0", ""},   {"8", ""},   {"2.5", ""}};
  for (const auto& [n, letter] : latt) {
    const auto read = formats::read_cells(CellFormat::kShelx, shelx + n + "\n", "x.ins");
    ASSERT_TRUE(read) << read.error().message;
    EXPECT_EQ(letter, read->entries.at(0).lattice) << "LATT " << n;
  }

  const std::string cif =
      "data_x\n_cell_length_a 5\n_cell_length_b 6\n_cell_length_c 7\n_cell_angle_alpha 90\n"
      "_cell_angle_beta 90\n_cell_angle_gamma 90\n_diffrn_ambient_pressure ";
  for (const auto& [kpa, gpa] : std::vector<std::pair<std::string, double>>{
           {"101.325", 1.01325e-4}, {"2.5E6", 2.5}, {"750000(5000)", 0.75}}) {
    const auto read = formats::read_cells(CellFormat::kCif, cif + kpa + "\n", "x.cif");
    ASSERT_TRUE(read) << read.error().message;
    EXPECT_NEAR(gpa, read->entries.at(0).pressure.value_or(-1), 1e-12 * gpa) << kpa << " kPa";
  }
}

TEST(CellReaders, EachFaultIsToldWithItsLine) {
  const std::string cell =
      "_cell_length_a 5\n_cell_length_b 6\n_cell_length_c 7\n"
      "_cell_angle_alpha 90\n_cell_angle_beta 90\n";
  const struct {
    CellFormat format;
    std::string bytes;
    int line;
    std::string message;
  } cases[] = {
      {CellFormat::kCif, "data_x\n" + cell, 2, "data_x: _cell_angle_gamma is not given"},
      {CellFormat::kCif, "data_x\n" + cell + "_cell_angle_gamma 9O\n", 7,
       "data_x: _cell_angle_gamma is not a number: 9O"},
      {CellFormat::kCif, "data_x\n_cell_volume 500\n", 0,
       "no data block gives a cell (_cell_length_a ...)"},
      {CellFormat::kCif, "data_x\n_title 'open\n", 2, "unterminated 'string'"},
      // Never closed: the file's last line, not the one after it.
      {CellFormat::kCif, "data_x\n_title\n;\nopen text\r\rmore\n", 6, "unterminated text field"},
      {CellFormat::kDials, "{\"crystal\": [\n", 1,
       "not JSON: syntax error while parsing value - unexpected end of input; expected '[', '{', "
       "or a literal"},
      {CellFormat::kP4p, "FILEID\nCELLSD 1 1 1 0 0 0\n", 0, "no CELL record"},
      {CellFormat::kP4p, "FILEID\nCELL 5 6 7 90 90\n", 2,
       "CELL holds 5 numbers where 6 are needed"},
      {CellFormat::kP4p, "CELL 5 6 7 90 90 90\nCELLSD 0.1 -0.1 0 0 0 0\n", 2,
       "CELLSD: a negative SU"},
      {CellFormat::kShelx, "TITL\nCELL 0.7 5 6 x 90 90 90\n", 2, "CELL: not a number: x"},
      {CellFormat::kXdsCorrect, " ***** CORRECT *****\n", 0, "no line UNIT CELL PARAMETERS"},
      {CellFormat::kXdsXparm, " XPARM.XDS\n1\n2\n", 0,
       "the file ends before its fourth line, the cell's"},
      {CellFormat::kDials, "{\"crystal\": [\n{\"real_space_a\": [1, 2, 3],,}]}", 2,
       "not JSON: syntax error while parsing object key - unexpected ','; expected string "
       "literal"},
      {CellFormat::kDials, R"({"crystal": [{"real_space_a": [1, 0, 0], "real_space_b": [0, 1]}]})",
       0, "real_space_b is not three numbers"},
      {CellFormat::kDials,
       R"({"crystal": [{"real_space_a": [1,0,0], "real_space_b": [0,1,0], "real_space_c": [0,0,1],
          "B_covariance": [1, 2]}]})",
       0, "B_covariance is not 81 numbers"},
      {CellFormat::kDials, R"({"experiment": []})", 0, "no crystal model (\"crystal\": [...])"},
      {CellFormat::kDials, R"({"crystal": [{"real_space_a": [1e999, 0, 0]}]})", 0,
       "not JSON: number overflow parsing '1e999'"},
      {CellFormat::kCif, "data_x\n" + cell + "_cell_angle_gamma\n?\n", 7,
       "data_x: _cell_angle_gamma is unknown (?)"},
      {CellFormat::kCif, "data_x\n" + cell + "loop_\n_cell_angle_gamma 90 91\n", 7,
       "data_x: _cell_angle_gamma is in a loop of 2 rows"},
      {CellFormat::kCif,
       "data_x\n_cell_length_a 7.9(99999999999999999999)\n" + cell.substr(17) +
           "_cell_angle_gamma 90\n",
       2, "data_x: _cell_length_a 7.9(99999999999999999999): an SU larger than its value"},
      {CellFormat::kCif,
       "#\\#CIF_2.0\ndata_x\n_cell_length_a [1 2]\n" + cell.substr(17) + "_cell_angle_gamma 90\n",
       3, "data_x: _cell_length_a is not a number: (a CIF 2.0 list)"},
      {CellFormat::kCif, "data_x\n_a 1\n_b 2\ndata_y\n_b 1\n_B 2\n", 6, "data_y: duplicate tag _B"},
      {CellFormat::kCif, "data_x\n_a 1\ndata_y\n_a 1\ndata_X\n_a 1\n", 0,
       "duplicate block name: X"},
      {CellFormat::kCif, "data_x\nloop_\n_a\n_b\n1 2\n_A 1\n", 6, "data_x: duplicate tag _A"},
      {CellFormat::kP4p, "CELL 5 6 7 90 90 90\nCELLSD 9 0 0 0 0 0\n", 1,
       "the SU of a, 9, is larger than its value"},
      {CellFormat::kXdsXparm, " XPARM.XDS\n1\n2\n57.8 57.8 57.8 90 90 90 12\n", 4,
       "the fourth line does not begin with a space-group number (1 to 230): not the cell line "
       "of an XPARM.XDS file"},
      {CellFormat::kDials, R"({"crystal": [1]})", 0, "a crystal model is not a JSON object"},
      {CellFormat::kDials, std::string(300, '[') + std::string(300, ']'), 0,
       "nested deeper than 256 levels"},
      {CellFormat::kKorvexCsv, "T_K,a_A,b_A,c_A,alpha_deg,beta_deg\n", 1,
       "the header row names no column gamma_deg"},
      {CellFormat::kKorvexCsv, "T_K,a_A,b_A,c_A,alpha_deg,beta_deg,gamma_deg\n1,2,3,,90,90,90\n", 2,
       "column 4 is empty"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    const auto read = formats::read_cells(c.format, c.bytes, "f");
    ASSERT_FALSE(read);
    EXPECT_EQ(c.line, read.error().line);
    EXPECT_EQ(c.message, read.error().message);
  }
}

// What editors and other programs do to files: a byte-order mark, a DOS end of
// file, CR-only line ends, CIF 2.0 values in items not read, units after a
// temperature, SUs of a refinement that failed written run together.
TEST(CellReaders, FilesAsEditorsAndProgramsLeaveThem) {
  const std::string cif =
      "data_x\n_cell_length_a 5.0(1)\n_cell_length_b 6\n_cell_length_c 7\n"
      "_cell_angle_alpha 90\n_cell_angle_beta 95\n_cell_angle_gamma 90\n";
  const std::string esd = " UNIT CELL PARAMETERS 5 6 7 90 95 90\n E.S.D. OF CELL PARAMETERS ";
  const struct {
    CellFormat format;
    std::string bytes;
    std::string cell;         // the first entry's, as cellwant writes it
    std::string temperature;  // empty for none
    std::string warning;      // the start of the one warning, empty for none
  } cases[] = {
      {CellFormat::kCif, "\xEF\xBB\xBF" + cif + "\x1A\x1A", "5.0(1) 6 7 90 95 90", "", ""},
      {CellFormat::kCif, cif + "_diffrn_ambient_temperature 293K\n", "5.0(1) 6 7 90 95 90", "293",
       ""},
      {CellFormat::kCif, cif + "_cell_measurement_temperature '100(2) K'\n", "5.0(1) 6 7 90 95 90",
       "100(2)", ""},
      {CellFormat::kCif, cif + "_diffrn_ambient_temperature room\n", "5.0(1) 6 7 90 95 90", "",
       "f:x, line 8: _diffrn_ambient_temperature room is no temperature"},
      {CellFormat::kCif, cif + "_cell_measurement_temperature\n;\n150.0\n;\n",
       "5.0(1) 6 7 90 95 90", "150", ""},
      {CellFormat::kCif,
       "#\\#CIF_2.0\r\n" + cif +
           "_x.list [1 'a]' {\"k\":[2\n3]}]\n_x.text '''two\nlines'''\n"
           "_cell_measurement_temperature 120\n",
       "5.0(1) 6 7 90 95 90", "120", ""},
      {CellFormat::kP4p, "FILEID\rCELL 5 6 7 90 95 90\rCELLSD 0.1 0 0 0 0 0\r",
       "5.0(1) 6 7 90 95 90", "", ""},
      {CellFormat::kXdsCorrect, esd + " 1.0E-01 0.0E+00 0.0E+00 0.0E+00 0.0E+00 0.0E+00\n",
       "5.0(1) 6 7 90 95 90", "", ""},
      {CellFormat::kXdsCorrect, esd + "-1.0E+00-1.0E+00-1.0E+00-1.0E+00-1.0E+00-1.0E+00\n",
       "5 6 7 90 95 90", "", "f, line 2: E.S.D. OF CELL PARAMETERS are negative"},
      {CellFormat::kXdsCorrect, esd + " 1.0E-01-0.0E+00 0.0E+00 0.0E+00 0.0E+00 0.0E+00\n",
       "5.0(1) 6 7 90 95 90", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    const auto read = formats::read_cells(c.format, c.bytes, "f");
    ASSERT_TRUE(read) << read.error().line << ": " << read.error().message;
    cellwant::expect_entry(read->entries.at(0),
                           {read->entries[0].source, c.cell, c.temperature, "", ""});
    ASSERT_EQ(c.warning.empty() ? 0U : 1U, read->warnings.size());
    if (!c.warning.empty()) {
      EXPECT_TRUE(read->warnings[0].message.starts_with(c.warning)) << read->warnings[0].message;
    }
  }
}

// The crystal models alone are kept, and the read asks the interrupt.
TEST(CellReaders, DialsReadIsBoundedAndInterrupted) {
  std::string other = "{\"__id__\": \"ExperimentList\", \"imageset\": [";
  for (int i = 0; i < 20000; ++i) other += "{}, [], ";
  other +=
      "{}], \"crystal\": [{\"real_space_a\": [3, 0, 0], \"real_space_b\": [0, 4, 0], "
      "\"real_space_c\": [0, 0, 5, 6]}]}";
  const auto read = formats::read_cells(CellFormat::kDials, other, "f");
  ASSERT_FALSE(read);
  EXPECT_EQ("real_space_c is not three numbers", read.error().message);
  int asked = 0;
  const auto interrupted =
      formats::read_cells(CellFormat::kDials, other, "f", [&] { return ++asked == 2; });
  ASSERT_FALSE(interrupted);
  EXPECT_EQ("interrupted", interrupted.error().message);
}

// A long read asks the interrupt as it goes, not only once it has parsed the
// whole file: one that asked only between a CIF's blocks, or after a table,
// would read each of these to its end.
TEST(CellReaders, LongReadsAskTheInterruptAsTheyGo) {
  std::string loop = "data_one\n_cell_length_a 5\nloop_\n_x\n";
  std::string blocks;
  std::string table = "! title\n";
  std::string free_table;
  std::string csv = "T_K,a_A,b_A,c_A,alpha_deg,beta_deg,gamma_deg\n";
  std::string correct = " UNIT CELL PARAMETERS 5 6 7 90 90 90\n";
  std::string p4p = "CELL 5 6 7 90 90 90\n";
  std::string shelx = "TITL t\nCELL 0.7 5 6 7 90 90 90\n";
  std::string eosfit = "TITLE t\nFORMAT 1 P V\n";
  std::string pv = "p V\n";
  for (int i = 0; i < 10000; ++i) {
    correct += " a line of CORRECT's report\n";
    p4p += "REF05 1 2 3\n";
    shelx += "REM a comment\n";
    eosfit += "1.0 100.0\n";
    pv += "1.0 100.0\n";
    loop += std::to_string(i) + "\n";
    blocks += "data_b" + std::to_string(i) + "\n_x 1\n";
    table += "100.00     5.00000     6.00000     7.00000      90.000      90.000      90.000\n";
    free_table += "100 5 6 7 90 90 90\n";
    csv += "100.0,5.0,6.0,7.0,90.0,90.0,90.0\n";
  }
  const struct {
    CellFormat format;
    const std::string& bytes;
  } cases[] = {
      {CellFormat::kCif, loop},      {CellFormat::kCif, blocks},
      {CellFormat::kTkTable, table}, {CellFormat::kPascalTable, free_table},
      {CellFormat::kKorvexCsv, csv}, {CellFormat::kXdsCorrect, correct},
      {CellFormat::kP4p, p4p},       {CellFormat::kShelx, shelx},
      {CellFormat::kEosFit, eosfit}, {CellFormat::kPvTable, pv},
  };
  for (const auto& c : cases) {
    int asked = 0;
    const auto read = formats::read_cells(c.format, c.bytes, "f", [&] { return ++asked > 1; });
    ASSERT_FALSE(read) << c.bytes.substr(0, 20);
    EXPECT_EQ("interrupted", read.error().message);
  }
}

TEST(CellReaders, RowsATableSkipsAreWarnings) {
  const std::string table =
      "! Made-up crystal\n! Cell parameters extracted from input cell.\n"
      "100.00     5.94488     5.94488     8.34520     103.111     103.111      61.589      "
      "500.404  monoclinic  C   \n"
      "******     5.94767     5.94767     8.35332     103.130     103.130      61.571      "
      "501.223  monoclinic  C   \n";
  const auto read = formats::read_cells(formats::recognise(table), table, "TK_parameters.xy");
  ASSERT_TRUE(read) << read.error().message;
  ASSERT_EQ(1U, read->entries.size());
  EXPECT_EQ("TK_parameters.xy:line 3", read->entries[0].source);
  ASSERT_EQ(1U, read->warnings.size());
  EXPECT_EQ("TK_parameters.xy, line 4: row skipped: temperature in overflow form (asterisks)",
            read->warnings[0].message);
  EXPECT_FALSE(read->warnings[0].temperature);
}

}  // namespace
