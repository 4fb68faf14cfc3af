// Files of other programs listed beside DIRAX files: each read by its content,
// one row for each cell it holds, at the temperature it is taken at.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/e2e_util.h"
#include "test_util.h"

namespace {

using e2e::Lines;
using testutil::ScopedTempDir;

std::string dated_cif(const std::string& temperature) {
  return "data_x\n_cell_length_a 5\n_cell_length_b 6\n_cell_length_c 7\n_cell_angle_alpha 90\n"
         "_cell_angle_beta 90\n_cell_angle_gamma 90\n_cell_measurement_temperature " +
         temperature + "\n";
}

std::string data(const std::string& name) {
  return testutil::read_file(std::string(TEST_DATA_DIR) + "/" + name);
}

// A CIF, a p4p and a DIRAX file; the CIF listed at its own temperature, the
// p4p (which gives none) at 200 K, and two blocks of a CIF at 300 K.
void make_series(const ScopedTempDir& dir) {
  e2e::make_files(dir, {{"series.lst", e2e::lf({"Mixed series", "file T", "cif/ntd106c.cif 100",
                                                "JW255.p4p 200.0", "100K.out 100", "two.cif 300"})},
                        {"cif/ntd106c.cif", data("ntd106c-P-1-final.cif")},
                        {"JW255.p4p", data("Esser_JW255_test1.p4p")},
                        {"100K.out", e2e::kDirax100K},
                        {"two.cif",
                         "data_a\n_cell_length_a 5\n_cell_length_b 6\n"
                         "_cell_length_c 7\n_cell_angle_alpha 90\n_cell_angle_beta 90\n"
                         "_cell_angle_gamma 90\n"
                         "data_b\n_cell_length_a 5.5(1)\n_cell_length_b 6\n"
                         "_cell_length_c 7\n_cell_angle_alpha 90\n_cell_angle_beta 90\n"
                         "_cell_angle_gamma 90\n_cell_measurement_temperature 300(1)\n"}});
}

// The rows written out from the layout F6.2, 3F12.5, 3F12.3, F13.3, 2X, A12,
// A4; the volumes computed from the cells apart from the program.
const Lines kRows = {
    "100.00     7.94920     8.97570    11.37450     106.974      91.963     103.456      750.335"
    "  triclinic      P",
    "200.00     9.20630    12.55480     9.53190      90.000      99.005      90.000     1088.149"
    "  monoclinic     P",
    e2e::k100KInput.row,
    "300.00     5.00000     6.00000     7.00000      90.000      90.000      90.000      210.000"
    "                  ",
    "300.00     5.50000     6.00000     7.00000      90.000      90.000      90.000      231.000"
    "                  ",
};

TEST(CellFiles, EachFileGivesARowForEachCell) {
  const ScopedTempDir dir;
  make_series(dir);
  const auto run =
      testutil::run_program({KORVEX_BIN, "-c", "1", "--csv", "series.lst"}, dir.path(), "");
  EXPECT_EQ(4, run.exit_status) << run.err;
  EXPECT_EQ(
      "  !! Warning: two.cif gives 2 cells; all written at 300.00 K\n"
      "korvex: 4 entries, 5 rows, 0 skipped; 9 files in . (input cell)\n",
      run.err);
  e2e::expect_table(
      dir,
      e2e::join({e2e::table_header("Mixed series", e2e::Cell::kInput, e2e::Rows::kBoth), kRows}));
  EXPECT_EQ(testutil::crlf({
                "T_K,a_A,b_A,c_A,alpha_deg,beta_deg,gamma_deg,volume_A3,system,bravais,"
                "a_su_A,b_su_A,c_su_A,alpha_su_deg,beta_su_deg,gamma_su_deg,T_su_K,source",
                "100.0,7.9492,8.9757,11.3745,106.974,91.963,103.456,750.3353,triclinic,P,"
                "0.0007,0.0008,0.001,0.001,0.001,0.001,2.0,cif/ntd106c.cif:p-1",
                "200.0,9.2063,12.5548,9.5319,90.0,99.0051,90.0,1088.1486,monoclinic,P,"
                "0.0036,0.0046,0.003,,0.0292,,,JW255.p4p",
                "100.0,5.4321,5.4321,12.3456,90.0,90.0,120.0,315.4321,hexagonal,P,,,,,,,,100K.out",
                "300.0,5.0,6.0,7.0,90.0,90.0,90.0,210.0,,,,,,,,,,two.cif:a",
                "300.0,5.5,6.0,7.0,90.0,90.0,90.0,231.0,,,0.1,,,,,,1.0,two.cif:b",
            }),
            testutil::read_file(dir.file("TK_parameters.csv")));
}

// The dialogue reads the same files and writes the same table.
TEST(CellFiles, TheDialogueReadsThemAlike) {
  const ScopedTempDir dir;
  make_series(dir);
  const auto run = e2e::run_korvex(dir, e2e::answers("series.lst", "1"));
  EXPECT_EQ(4, run.exit_status) << run.out;
  e2e::expect_table(
      dir,
      e2e::join({e2e::table_header("Mixed series", e2e::Cell::kInput, e2e::Rows::kBoth), kRows}));
}

// A CIF's temperature and its SU stand where the buffer file gives the same
// temperature; at another, the buffer file's stands alone, with no SU, and
// the contradiction is told. The CIF's two temperature items disagreeing is
// no warning of its own when the buffer file's temperature is used.
TEST(CellFiles, TheBufferFilesTemperatureStandsAlone) {
  const ScopedTempDir dir;
  const std::string cell =
      "data_t\n_cell_length_a 5\n_cell_length_b 6\n_cell_length_c 7\n"
      "_cell_angle_alpha 90\n_cell_angle_beta 90\n_cell_angle_gamma 90\n";
  e2e::make_files(
      dir,
      {{"t.lst", e2e::lf({"Temperatures", "file T", "own.cif 150", "own.cif 200", "two.cif 250"})},
       {"own.cif", cell + "_cell_measurement_temperature 150(2)\n"},
       {"two.cif", cell + "_cell_measurement_temperature 100(2)\n"
                          "_diffrn_ambient_temperature 293(2)\n"}});
  const auto run = testutil::run_program({KORVEX_BIN, "-c", "1", "--csv", "t.lst"}, dir.path(), "");
  EXPECT_EQ(4, run.exit_status) << run.out << run.err;
  Lines warnings;
  for (const std::string& line : testutil::split_lines(run.out + run.err)) {
    if (line.find("!!") != std::string::npos) warnings.push_back(line);
  }
  EXPECT_EQ((Lines{"  !! Warning: own.cif states 150.0(20) K but the buffer file, line 4 gives "
                   "200 K; the list's temperature is used",
                   "  !! Warning: two.cif states 100.0(20) K but the buffer file, line 5 gives "
                   "250 K; the list's temperature is used"}),
            warnings);
  const Lines csv = testutil::split_lines(testutil::read_file(dir.file("TK_parameters.csv")));
  ASSERT_EQ(4U, csv.size());
  const std::string tail = ",5.0,6.0,7.0,90.0,90.0,90.0,210.0,,,,,,,,,";
  EXPECT_EQ("150.0" + tail + "2.0,own.cif:t\r", csv[1]);
  EXPECT_EQ("200.0" + tail + ",own.cif:t\r", csv[2]);
  EXPECT_EQ("250.0" + tail + ",two.cif:t\r", csv[3]);
}

TEST(CellFiles, AFileThatCannotBeReadStopsThePassOrIsSkipped) {
  const std::string told =
      "  !! broken.cif cannot be read as CIF: line 55: "
      "data_Breit_TB13_85: _cell_volume has no value";
  for (const bool keep_going : {false, true}) {
    SCOPED_TRACE(keep_going);
    ScopedTempDir dir;
    e2e::make_files(
        dir,
        {{"bad.lst", e2e::lf({"Bad", "file T", "100K.out 100", "broken.cif 150", "100K.out 200"})},
         {"100K.out", e2e::kDirax100K},
         {"broken.cif", data("breit_tb13_85_BROKEN_cell_volume_no_value.cif")}});
    std::vector<std::string> args = {KORVEX_BIN, "-q", "-c", "1", "bad.lst"};
    if (keep_going) args.insert(args.begin() + 1, "-k");
    const auto run = testutil::run_program(args, dir.path(), "");
    EXPECT_EQ(8, run.exit_status);
    const Lines err = testutil::split_lines(run.err);
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(keep_going ? told + ": skipped" : told + " !!", err[0]);
    // Without -k the pass stops there, as at a missing file.
    EXPECT_EQ(keep_going ? 5U + 2U : 5U + 1U,
              testutil::split_lines(testutil::read_file(dir.file("TK_parameters.xy"))).size());
  }
}

// Each file listed at 100 K alone, through the dialogue: DIRAX output whose
// first line looks like another format's is read as DIRAX output; a CIF
// behind a comment header longer than the first look is read; a picture is
// told as no cell file (status 4), never passed over.
TEST(CellFiles, ListedFilesAreReadForWhatTheyAre) {
  const std::string rest_of_dirax = e2e::kDirax100K.substr(e2e::kDirax100K.find('\n'));
  const std::string cif_row =
      "100.00     5.00000     6.00000     7.00000      90.000      90.000      90.000      210.000"
      "                  ";
  std::string long_header;
  while (long_header.size() < 100 * 1024) long_header += "# a comment header of the laboratory's\n";
  const std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
  struct Case {
    std::string name;
    std::string bytes;
    Lines rows;
    Lines warnings;
    e2e::Rows from = e2e::Rows::kDirax;
  } const cases[] = {
      {"a CIF's first line", "data_set ex_100K" + rest_of_dirax, {e2e::k100KInput.row}, {}},
      {"a SHELX title", "TITL DIRAX run" + rest_of_dirax, {e2e::k100KInput.row}, {}},
      {"a table row", "1 2 3 4 5 6 7" + rest_of_dirax, {e2e::k100KInput.row}, {}},
      {"a cell transformation",
       " Cell transformation ( 1 0 0 / 0 1 0 / 0 0 1 )" + rest_of_dirax,
       {e2e::k100KInput.row},
       {}},
      {"no cell line",
       " Cell volume 500.404\n Lattice symmetry search\nSFAC\nVolume : 500.404 ; System: cubic ;\n",
       {},
       {}},
      {"a table's header row",
       "T a b c alpha beta gamma\n100 5 6 7 90 90 90\n",
       {cif_row},
       {},
       e2e::Rows::kOtherFiles},
      {"a long header", long_header + dated_cif("100"), {cif_row}, {}, e2e::Rows::kOtherFiles},
      {"a picture",
       png,
       {},
       {"  !! f: not a cell file korvex reads (DIRAX, CIF, .cif_od, DIALS .expt, XDS CORRECT.LP "
        "and "
        "XPARM.XDS, SAINT .p4p, SHELX .ins and .res, PASCal tables, korvex's TK_parameters.xy and "
        ".csv)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ScopedTempDir dir;
    e2e::make_files(dir, {{"s.lst", e2e::lf({"Kinds", "h", "f 100"})}, {"f", c.bytes}});
    const auto run = e2e::run_korvex(dir, e2e::answers("s.lst", "1"));
    EXPECT_EQ(e2e::told_to_the_end(c.warnings), e2e::told(run.out));
    EXPECT_EQ(c.warnings.empty() ? 0 : 4, run.exit_status);
    e2e::expect_table(dir,
                      e2e::join({e2e::table_header("Kinds", e2e::Cell::kInput, c.from), c.rows}));
  }
}

}  // namespace

namespace {

// Two CIFs listed with their temperatures swapped, and a table of three rows
// at their own temperatures: every cell written, each contradiction told, and
// the plot files declare every row they hold.
TEST(CellFiles, OwnTemperaturesAgainstTheList) {
  const ScopedTempDir dir;
  e2e::make_files(
      dir, {{"s.lst", e2e::lf({"Swapped", "h", "cold.cif 293", "warm.cif 100", "rows.txt 100"})},
            {"cold.cif", dated_cif("100(2)")},
            {"warm.cif", dated_cif("293(2)")},
            {"rows.txt", e2e::lf({"# T a b c al be ga", "95 5 6 7 90 90 90", "200 5 6 7 90 90 90",
                                  "300 5 6 7 90 90 90"})}});
  const auto run = testutil::run_program({KORVEX_BIN, "-q", "-c", "1", "s.lst"}, dir.path(), "");
  EXPECT_EQ(4, run.exit_status);
  EXPECT_EQ(
      (Lines{"  !! Warning: cold.cif states 100.0(20) K but the buffer file, line 3 gives 293 K; "
             "the list's temperature is used",
             "  !! Warning: warm.cif states 293.0(20) K but the buffer file, line 4 gives 100 K; "
             "the list's temperature is used"}),
      testutil::split_lines(run.err));
  Lines table = testutil::split_lines(testutil::read_file(dir.file("TK_parameters.xy")));
  for (std::string& line : table) line.pop_back();  // the CR of CR LF
  ASSERT_EQ(4U + 5U, table.size());
  EXPECT_EQ(e2e::table_header("Swapped", e2e::Cell::kInput, e2e::Rows::kOtherFiles),
            Lines(table.begin(), table.begin() + 4));
  for (std::size_t i = 0; i < 5; ++i)
    EXPECT_EQ((std::vector<std::string>{"293.00", "100.00", " 95.00", "200.00", "300.00"})[i],
              table[4 + i].substr(0, 6));
  const std::string plot = testutil::read_file(dir.file("TK_volume.pgf"));
  EXPECT_NE(std::string::npos, plot.find("#  NUMBER OF POINTS :        5\r\n")) << plot;
}

}  // namespace
