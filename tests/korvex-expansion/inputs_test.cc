// The built korvex-expansion on a series given as korvex's list of DIRAX
// files: the coefficients of the table korvex writes from the same list,
// whatever the order of the list; a table whose values carry SUs, weighted
// and not, drawn twice from one start and once from another; and the faults
// of the new inputs, each with its exact message.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

using testutil::run_program;
using testutil::ScopedTempDir;

// The JSON up to the points' sources, which name the table's lines or the
// DIRAX files.
std::string results(const std::string& json) {
  return json.substr(0, json.find("\"skipped_lines\""));
}

TEST(ExpansionInputs, ListOfDiraxFilesGivesTheCoefficientsOfKorvexsTable) {
  ScopedTempDir dir;
  testutil::copy_examples(dir);
  // The same entries, hottest first.
  const auto lines = testutil::split_lines(testutil::read_file(dir.file("series.lst")));
  std::string reversed = lines[0] + "\n" + lines[1] + "\n";
  for (std::size_t i = lines.size(); i-- > 2;) reversed += lines[i] + "\n";
  testutil::write_file(dir.file("reversed.lst"), reversed);
  for (const char* choice : {"conventional", "input"}) {
    SCOPED_TRACE(choice);
    const auto k = run_program({KORVEX_BIN, "--cell", choice, "series.lst"}, dir.path(), "");
    ASSERT_EQ(0, k.exit_status) << k.err;
    const auto table =
        run_program({EXPANSION_BIN, "--format", "json", "TK_parameters.xy"}, dir.path(), "");
    ASSERT_EQ(0, table.exit_status) << table.err;
    for (const char* list : {"series.lst", "reversed.lst"}) {
      const auto listed = run_program(
          {EXPANSION_BIN, "--format", "json", "--cell", choice, "--list", list}, dir.path(), "");
      ASSERT_EQ(0, listed.exit_status) << listed.err;
      EXPECT_EQ(results(table.out), results(listed.out)) << list;
      EXPECT_NE(std::string::npos, listed.out.find("{\"source\":\"ex_325K_dirax_cell.out\","
                                                   "\"T\":325.0,\"T_su\":null,\"a\":"));
    }
  }
}

// Lengths exactly linear in T, each with the SU 0.0010: weights that are all
// alike leave the line where ordinary least squares puts it.
TEST(ExpansionInputs, WeightedFitOfEqualSusAndRepeatableDraws) {
  ScopedTempDir dir;
  testutil::write_file(dir.file("su.txt"),
                       "# T a b c alpha beta gamma\n"
                       "100 5.0000(10) 6.0000(10) 7.0000(10) 90 90 90\n"
                       "150 4.9988(10) 6.0030(10) 7.0035(10) 90 90 90\n"
                       "200 4.9976(10) 6.0060(10) 7.0070(10) 90 90 90\n"
                       "250 4.9964(10) 6.0090(10) 7.0105(10) 90 90 90\n"
                       "300 4.9952(10) 6.0120(10) 7.0140(10) 90 90 90\n");
  const auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {EXPANSION_BIN, "--lagrangian", "--infinitesimal"});
    args.push_back("su.txt");
    const auto r = run_program(args, dir.path(), "");
    EXPECT_EQ(0, r.exit_status) << r.err;
    return r.out;
  };
  const auto plain = nlohmann::json::parse(run({"--format", "json", "--draws", "300"}));
  const auto weighted =
      nlohmann::json::parse(run({"--format", "json", "--draws", "300", "--weighted"}));
  EXPECT_FALSE(plain["weighted"].get<bool>());
  EXPECT_TRUE(weighted["weighted"].get<bool>());
  for (std::size_t k = 0; k < 3; ++k) {
    const double alpha = plain["axes"][k]["alpha"].get<double>();
    EXPECT_NEAR(alpha, weighted["axes"][k]["alpha"].get<double>(), 1e-9 * std::fabs(alpha) + 1e-12);
    EXPECT_GT(weighted["axes"][k]["su_cells"].get<double>(), 0);
  }
  EXPECT_EQ(0.001, plain["cells"][2]["b_su"].get<double>());
  EXPECT_EQ(run({"--draws", "300", "--seed", "5"}), run({"--draws", "300", "--seed", "5"}));
  EXPECT_NE(run({"--draws", "300", "--seed", "5"}), run({"--draws", "300", "--seed", "6"}));
  run({"--draws", "50", "--svg", "p"});
  EXPECT_NE(std::string::npos,
            testutil::read_file(dir.file("p_strain.svg")).find("class=\"s2 su\""));
  EXPECT_NE(std::string::npos,
            testutil::read_file(dir.file("p_volume.svg")).find("class=\"s0 su\""));
}

TEST(ExpansionInputs, FilesThatGiveNoPointAreToldByName) {
  ScopedTempDir dir;
  const std::string dirax = std::string(EXAMPLES_DIR) + "/ex_100K_dirax_cell.out";
  std::filesystem::copy(dirax, dir.file("ex.out"));
  const auto write = [&](const std::string& name, const std::string& text) {
    testutil::write_file(dir.file(name), text);
  };
  write("notes.txt", "nothing here\n");
  write("half.out", "Conventional : a= 5 b= 6 c= 7 alpha= 90 beta= 90 gamma= 0 P\n");
  write("t.txt", "100 5 6 7 90 90 90\n200 5.1 6 7 90 90 90\n300 5.2 6 7 90 90 90\n");
  const std::string head = "a title\nignored\n";
  write("missing.lst", head + "ex.out 100\nnone.out 150\n");
  write("notes.lst", head + "notes.txt 100\n");
  write("dirax.lst", head + "ex.out 100\n");
  write("half.lst", head + "half.out 100\n");
  write("bad.lst", head + "ex.out 100\nex.out warm\n");
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {{"--list", "nowhere.lst"}, "nowhere.lst: cannot open the file: No such file or directory"},
      {{"--list", "missing.lst", "--cell", "input"},
       "none.out: cannot open the file: No such file or directory"},
      {{"--list", "notes.lst"},
       "notes.txt: no cell: not a cell file korvex-expansion reads, nor DIRAX output with a cell "
       "line"},
      {{"--list", "dirax.lst"},
       "ex.out is DIRAX output: choose its cell with --cell input|conventional"},
      {{"--list", "half.lst", "--cell", "conventional"},
       "half.out: the DIRAX conventional cell is incomplete: a cell angle of 0 is not between 0 "
       "and 180 degrees"},
      {{"--list", "bad.lst"}, "bad.lst, line 4: cannot be read as a file name and a temperature"},
      {{"ex.out"},
       "ex.out: DIRAX output gives no temperature; name it with its temperature in a --list "
       "file"},
      {{"/dev/zero"}, "/dev/zero: not a regular file"},
      {{"--weighted", "t.txt"},
       "t.txt: --weighted needs cells with standard uncertainties; these give none"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> argv = {EXPANSION_BIN};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const auto r = run_program(argv, dir.path(), "");
    EXPECT_EQ(1, r.exit_status) << c.err;
    EXPECT_EQ("korvex-expansion: " + c.err + "\n", r.err);
  }
}

}  // namespace

namespace {

std::string cif_at(double a, const std::string& temperature, const std::string& block = "x") {
  return "data_" + block + "\n_cell_length_a " + std::to_string(a) +
         "\n_cell_length_b 6\n_cell_length_c 7\n_cell_angle_alpha 90\n_cell_angle_beta 90\n"
         "_cell_angle_gamma 90\n_cell_measurement_temperature " +
         temperature + "\n";
}

// A list's temperatures against the files' own: told with the list's line and
// status 4, the list's taken; the temperature's SU kept where the two agree.
TEST(ExpansionInputs, ListTemperaturesAgainstTheFiles) {
  ScopedTempDir dir;
  testutil::write_file(dir.file("a.cif"), cif_at(5.0, "100(2)"));
  testutil::write_file(dir.file("b.cif"), cif_at(5.01, "200(2)"));
  testutil::write_file(dir.file("c.cif"), cif_at(5.02, "300(2)"));
  testutil::write_file(dir.file("ok.lst"), "T\nh\na.cif 100.0\nb.cif 200\nc.cif 300\n");
  testutil::write_file(dir.file("swap.lst"), "T\nh\na.cif 100\nb.cif 300\nc.cif 200\n");
  testutil::write_file(dir.file("comma.lst"), "T\nh\na.cif 100\nb.cif 200,4\nc.cif 300\n");
  const auto ok =
      run_program({EXPANSION_BIN, "--format", "json", "--list", "ok.lst"}, dir.path(), "");
  EXPECT_EQ(0, ok.exit_status) << ok.err;
  EXPECT_NE(std::string::npos, ok.out.find("\"source\":\"a.cif:x\",\"T\":100.0,\"T_su\":2.0"));
  const struct {
    const char* list;
    std::string err;
  } cases[] = {
      {"swap.lst",
       "korvex-expansion: b.cif states 200.0(20) K but swap.lst, line 4 gives 300 K; the list's "
       "temperature is used\n"
       "korvex-expansion: c.cif states 300.0(20) K but swap.lst, line 5 gives 200 K; the list's "
       "temperature is used\n"},
      {"comma.lst",
       "korvex-expansion: comma.lst, line 4: 200 is followed by a comma and digits, a decimal "
       "comma?; read as 200 K\n"},
  };
  for (const auto& c : cases) {
    const auto r = run_program({EXPANSION_BIN, "--list", c.list}, dir.path(), "");
    EXPECT_EQ(4, r.exit_status) << c.list;
    EXPECT_EQ(c.err, r.err);
  }
}

// An output that is one of the inputs, by another name: refused, the input
// left as it was.
TEST(ExpansionInputs, AnOutputThatIsAnInputIsRefused) {
  ScopedTempDir dir;
  const std::string table = "100 5 6 7 90 90 90\n200 5.1 6 7 90 90 90\n300 5.2 6 7 90 90 90\n";
  testutil::write_file(dir.file("t.txt"), table);
  ASSERT_EQ(0, ::link(dir.file("t.txt").c_str(), dir.file("p_volume.svg").c_str()));
  const auto r = run_program({EXPANSION_BIN, "--svg", "p", "p_volume.svg"}, dir.path(), "");
  EXPECT_EQ(1, r.exit_status);
  EXPECT_EQ("korvex-expansion: p_volume.svg is one of the inputs: nothing written\n", r.err);
  EXPECT_EQ("", r.out);
  EXPECT_EQ(table, testutil::read_file(dir.file("t.txt")));
  EXPECT_FALSE(testutil::file_exists(dir.file("p_strain.svg")));
}

// Two blocks at one temperature (a sample and a standard) are never two
// points: the block every file gives is taken and said, else the run stops
// and names a way to choose, FILE:BLOCK.
TEST(ExpansionInputs, BlocksAtOneTemperatureAreChosen) {
  ScopedTempDir dir;
  const auto two = [](double a, const std::string& t) {
    return cif_at(a, t, "I") + cif_at(9.0, t, "std");
  };
  testutil::write_file(dir.file("a.cif"), two(5.0, "100"));
  testutil::write_file(dir.file("b.cif"), cif_at(5.01, "200", "I"));
  testutil::write_file(dir.file("c.cif"), two(5.02, "300"));
  testutil::write_file(dir.file("d.cif"), two(5.01, "200"));
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;
  } cases[] = {
      {{"a.cif", "b.cif", "c.cif"},
       4,
       "korvex-expansion: a.cif gives 2 cells, 100.00 K shared (I, std): I taken, the one every "
       "file of the series gives\n"
       "korvex-expansion: c.cif gives 2 cells, 300.00 K shared (I, std): I taken, the one every "
       "file of the series gives\n"},
      {{"a.cif", "d.cif", "c.cif"},
       1,
       "korvex-expansion: a.cif gives 2 cells, 100.00 K shared (I, std): choose one as "
       "a.cif:BLOCK, "
       "on the command line or in the list\n"},
      {{"a.cif:I", "d.cif:I", "c.cif:I"}, 0, ""},
      {{"a.cif:II", "d.cif", "c.cif"},
       1,
       "korvex-expansion: a.cif has no block II; its blocks: I, std\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv = {EXPANSION_BIN, "--format", "csv"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const auto r = run_program(argv, dir.path(), "");
    EXPECT_EQ(c.status, r.exit_status) << c.args[0];
    EXPECT_EQ(c.err, r.err) << c.args[0];
  }
}

}  // namespace
