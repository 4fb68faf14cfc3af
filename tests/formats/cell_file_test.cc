// Cell files of other programs: each format told by its first lines, and each
// reader on the real files whose licence lets them be copied here
// (tests/data/SOURCES.md), the values checked against the files by hand.
#include "formats/cell_file.h"

#include <gtest/gtest.h>

#include <string>

#include "formats/cell_want.h"
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
      {"TITL cu in P2(1)/n\r\nCELL 0.71073 10 4 11 90 92 90\r\nZERR 4 0.001 0.001 0.001 0 0.01 "
       "0\r\n",
       CellFormat::kShelx},
      {"! Made-up crystal\n! Cell parameters extracted from input cell.\n", CellFormat::kTkTable},
      {"T_K,a_A,b_A,c_A,alpha_deg,beta_deg,gamma_deg\r\n", CellFormat::kKorvexCsv},
      {"# T sigma a b c al be ga \xC3\xA9\n95\t5\t6.62\t11.35\t6.623\t90\t78.5\t90\n",
       CellFormat::kPascalTable},
      {"100 5.4321(12) 6 7 90 90 90\n", CellFormat::kPascalTable},
      // A header row names the columns as a table's reader takes them.
      {"T a b c alpha beta gamma\n100 5 6 7 90 90 90\n", CellFormat::kPascalTable},
      {"T(K),a,b,c,alpha,beta,gamma,V\n", CellFormat::kPascalTable},
      {"100,5,6,7,90,90,90\n", CellFormat::kPascalTable},
      {"100 ***** 6 7 90 90 90\n", CellFormat::kPascalTable},
      {"T a b c alpha beta delta\n", CellFormat::kDirax},
      {"100 5 6 7 90 90 90 210 1\n", CellFormat::kDirax},  // nine numbers
      {"T a b c alpha beta\n", CellFormat::kDirax},
      // DIRAX output, and anything else.
      {"DIRAX-like indexing log\n\nConventional : a=  10.21340  b= ...\n", CellFormat::kDirax},
      {"   {Input cell  a=   5.94488  b=   5.94488 }\n", CellFormat::kDirax},
      {"100 5.4321 6 7 90 90\n", CellFormat::kDirax},  // six numbers
      {"# data_x in a comment only\n", CellFormat::kDirax},
      {"some text\ndata_x\n", CellFormat::kDirax},
      {"", CellFormat::kDirax},
      {"\n\n   \n", CellFormat::kDirax},
      {"{ \"not\": \"an experiment list\" }\n", CellFormat::kDirax},
      // Evidence past a comment header of any length, or after REM lines.
      {std::string(100000, '#') + "\n# more\ndata_x\n", CellFormat::kCif},
      {"\nREM made by hand\n\nrem\nCELL 0.71 5 6 7 90 90 90\nLATT 1\n", CellFormat::kShelx},
      {"ZERR 4 0.1 0.1 0.1 0 0 0\nTITL x\n", CellFormat::kShelx},
      // SHELX's evidence is its instructions as it writes them: capitals at a
      // line's start, the name a word of its own.
      {"sfac C\nlatt 1\ncell 0.71 5 6 7 90 90 90\n", CellFormat::kDirax},
      {" Cell transformation ( 1 0 0 / 0 1 0 / 0 0 1 )\nLattice symmetry search\n",
       CellFormat::kDirax},
      {" Cell volume 500.4\nZERR 4 0.1 0.1 0.1 0 0 0\n", CellFormat::kDirax},
      {" CELL 0.71 5 6 7 90 90 90\n LATT 1\n", CellFormat::kDirax},
      {"CELL 0.71 5 6 7 90 90 90\n LATT 1\n", CellFormat::kDirax},
      {"CELLS 5 6 7\nLATTICE P\n", CellFormat::kDirax},
      {"Title of a DIRAX run\nConventional : a= 5 b= 6 c= 7\n", CellFormat::kDirax},
      {"TITL x\nnothing else a SHELX file holds\n", CellFormat::kDirax},
      {"source,a_A,T_K,b_A\n", CellFormat::kKorvexCsv},
      {"T_K\n100\n", CellFormat::kDirax},
      {"\rdata_x\r_cell_length_a 5\r", CellFormat::kCif},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.start);
    EXPECT_EQ(c.format, formats::recognise(c.start));
  }
}

TEST(CellFile, StartRecognisedWhenItHoldsTheSignificantLine) {
  EXPECT_TRUE(formats::recognise_look("# comment\nDIRAX output\n").seen);
  EXPECT_FALSE(formats::recognise_look("# a comment header cut at the buffer's end\n# and").seen);
  EXPECT_FALSE(formats::recognise_look("\n\n#\n\ndata_x").seen);
  EXPECT_EQ("a.cif: not a cell file korvex reads (" + std::string(formats::kFormatsRead) + ")",
            formats::not_a_cell_file("a.cif"));
}

TEST(CellFile, FilesOfOtherPrograms) {
  const struct {
    std::string file;
    CellFormat format;
    std::size_t entries, index;  // the entry checked
    cellwant::CellWant want;
  } cases[] = {
      {"ntd106c-P-1-final.cif",
       CellFormat::kCif,
       1,
       0,
       {"ntd106c-P-1-final.cif:p-1",
        "7.9492(7) 8.9757(8) 11.3745(10) 106.9740(10) 91.9630(10) 103.4560(10)", "100(2)",
        "triclinic", "P"}},
      {"multi_3blocks.cif",
       CellFormat::kCif,
       3,
       0,
       {"multi_3blocks.cif:1000006", "10.9300(9) 12.7162(11) 15.7085(13) 90 90 90", "150(2)",
        "orthorhombic", "P"}},
      {"multi_3blocks.cif",
       CellFormat::kCif,
       3,
       1,
       {"multi_3blocks.cif:1000007", "9.7397 8.9174 5.2503 90 105.866 90", "", "", "C"}},
      {"multi_3blocks.cif",
       CellFormat::kCif,
       3,
       2,
       {"multi_3blocks.cif:p21c", "10.5086(3) 20.9035(5) 20.5072(5) 90 94.1300(10) 90", "100(2)",
        "monoclinic", "P"}},
      {"1542256_cubic.cif",
       CellFormat::kCif,
       1,
       0,
       {"1542256_cubic.cif:1542256", "31.4527(16) 31.4527(16) 31.4527(16) 90 90 90", "100", "cubic",
        "I"}},
      {"9002543_2K.cif",
       CellFormat::kCif,
       1,
       0,
       {"9002543_2K.cif:9002543", "5.86465 8.7652 13.1002 90 90 90", "2", "", "P"}},
      // _cell_measurement_temperature 100(2) beside _diffrn_ambient_temperature 100.13.
      {"p-1_a.cif",
       CellFormat::kCif,
       1,
       0,
       {"p-1_a.cif:p-1_a", "4.5742(11) 6.0059(14) 8.0746(19) 86.912(8) 85.485(8) 86.222(8)",
        "100(2)", "triclinic", "P"}},
      {"Esser_JW255_test1.p4p",
       CellFormat::kP4p,
       1,
       0,
       {"Esser_JW255_test1.p4p", "9.2063(36) 12.5548(46) 9.5319(30) 90 99.0051(292) 90", "",
        "monoclinic", "P"}},
      {"200K.ins",
       CellFormat::kShelx,
       1,
       0,
       {"200K.ins", "10.272757(643) 4.673770(360) 11.309690(816) 90 92.1849(68) 90", "", "", "P"}},
      {"xdsapp_CORRECT.LP",
       CellFormat::kXdsCorrect,
       1,
       0,
       {"xdsapp_CORRECT.LP", "88.684(190) 82.265(150) 93.702(180) 90 108.650(10) 90", "",
        "monoclinic", "C"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.want.source);
    const std::string bytes = testutil::read_file(std::string(TEST_DATA_DIR) + "/" + c.file);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(c.format, formats::recognise(bytes.substr(0, 4096)));
    const auto read = formats::read_cells(c.format, bytes, c.file);
    ASSERT_TRUE(read) << read.error().message;
    ASSERT_EQ(c.entries, read->entries.size());
    cellwant::expect_entry(read->entries[c.index], c.want);
    // Only p-1_a.cif gives two temperatures that differ: the first is taken.
    ASSERT_EQ(c.file == "p-1_a.cif" ? 1U : 0U, read->warnings.size());
    if (!read->warnings.empty()) {
      EXPECT_EQ(
          "p-1_a.cif:p-1_a: _cell_measurement_temperature 100(2) and "
          "_diffrn_ambient_temperature 100.13 differ; 100(2) K taken",
          read->warnings[0].message);
      EXPECT_TRUE(read->warnings[0].temperature);
    }
  }
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
