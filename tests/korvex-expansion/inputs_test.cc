// The built korvex-expansion on a series given as korvex's list of DIRAX
// files: the coefficients of the table korvex writes from the same list,
// whatever the order of the list; a table whose values carry SUs, weighted
// and not, drawn twice from one start and once from another; cell files named
// in any order, or listed at another temperature than their own; the drawn
// SUs of the CSV rows, and their spread against its definition; and the
// faults of the new inputs, each with its exact message.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

using testutil::run_program;
using testutil::ScopedTempDir;

// The JSON without what names the inputs: the title, the sources, the
// warnings that name them and the points' sources (the table's lines or the
// DIRAX files).
std::string results(const std::string& json) {
  auto j = nlohmann::json::parse(json);
  for (const char* key : {"title", "source", "warnings", "cells"}) j.erase(key);
  return j.dump();
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
      EXPECT_NE(std::string::npos, listed.out.find("\"title\":\"" + lines[0] + "\""));
    }
  }
  // The list's title heads the report, the list named after it.
  const auto text =
      run_program({EXPANSION_BIN, "--cell", "input", "--list", "series.lst"}, dir.path(), "");
  EXPECT_TRUE(
      text.out.starts_with(" Principal thermal expansion of " + lines[0] + " (series.lst)\n"))
      << text.out;
}

// Each file's conventional line lacks its beta, and the first file's input c
// holds a stray letter: the input cells are those korvex reads, the letter
// told as a warning (status 4), and no number of such files ends the run.
TEST(ExpansionInputs, DiraxValuesThatAreNoPlainNumberAreReadAsKorvexReadsThem) {
  ScopedTempDir dir;
  testutil::copy_examples(dir);
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if (!name.ends_with("_dirax_cell.out")) continue;
    std::string text = testutil::read_file(entry.path().string());
    const std::size_t conventional = text.find("Conventional :");
    const std::size_t beta = text.find("beta=", conventional);
    text.erase(beta + 5, text.find("gamma=", beta) - beta - 5);
    if (name == "ex_100K_dirax_cell.out") text.replace(text.find("8.34520"), 7, "8.31x20");
    testutil::write_file(entry.path().string(), text);
  }
  const auto k = run_program({KORVEX_BIN, "--cell", "input", "series.lst"}, dir.path(), "");
  ASSERT_EQ(4, k.exit_status) << k.err;
  const auto table =
      run_program({EXPANSION_BIN, "--format", "json", "TK_parameters.xy"}, dir.path(), "");
  ASSERT_EQ(0, table.exit_status) << table.err;
  const auto listed =
      run_program({EXPANSION_BIN, "--format", "json", "--cell", "input", "--list", "series.lst"},
                  dir.path(), "");
  ASSERT_EQ(4, listed.exit_status) << listed.err;
  EXPECT_EQ(results(table.out), results(listed.out));
  EXPECT_EQ(
      "korvex-expansion: the character \"x\" cannot belong to a number, read as 0, in "
      "\"8.31x20\" on line 12 of ex_100K_dirax_cell.out\n",
      listed.err);
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

// A cell whose lengths carry SUs of 0.0002 A.
std::string cif(double a, double c, const std::string& temperature) {
  const auto length = [](double x) { return std::to_string(x).substr(0, 6) + "(2)"; };
  return "data_x\n_cell_length_a " + length(a) + "\n_cell_length_b 6.5000(2)\n" +
         "_cell_length_c " + length(c) + "\n_cell_angle_alpha 90\n" +
         "_cell_angle_beta 90\n_cell_angle_gamma 90\n_cell_measurement_temperature " + temperature +
         "\n";
}

// Cell files named hottest first are taken in order of temperature, each at
// its own temperature with its SU; listed at another temperature, a file's
// own SU is not kept, and the contradiction is told.
TEST(ExpansionInputs, CellFilesInOrderOfTemperature) {
  ScopedTempDir dir;
  testutil::write_file(dir.file("c350.cif"), cif(5.025, 7.075, "350(2)"));
  testutil::write_file(dir.file("c100.cif"), cif(5.0, 7.0, "100(1)"));
  testutil::write_file(dir.file("c200.cif"), cif(5.01, 7.03, "200(1)"));
  testutil::write_file(dir.file("warm.lst"),
                       "title\nnames\nc350.cif 340\nc100.cif 100\n"
                       "c200.cif 200\n");
  const auto json = [&](std::vector<std::string> files, const std::string& warning = "") {
    files.insert(files.begin(), {EXPANSION_BIN, "--lagrangian", "--format", "json"});
    const auto r = run_program(files, dir.path(), "");
    EXPECT_EQ(warning.empty() ? 0 : 4, r.exit_status) << r.err;
    EXPECT_EQ(warning, r.err);
    return r.out;
  };
  const std::string hottest_first = json({"c350.cif", "c100.cif", "c200.cif"});
  auto named = nlohmann::json::parse(hottest_first);
  auto in_order = nlohmann::json::parse(json({"c100.cif", "c200.cif", "c350.cif"}));
  EXPECT_EQ("c350.cif, c100.cif, c200.cif", named["source"]);  // as named
  named.erase("source");
  in_order.erase("source");
  EXPECT_EQ(in_order, named);
  EXPECT_EQ(100, named["reference_temperature"].get<double>());
  EXPECT_EQ(2.0, named["cells"][2]["T_su"].get<double>());
  const auto listed =
      nlohmann::json::parse(json({"--list", "warm.lst"},
                                 "korvex-expansion: c350.cif states 350.0(20) K but warm.lst, "
                                 "line 3 gives 340 K; the list's temperature is used\n"));
  EXPECT_EQ(340, listed["cells"][2]["T"].get<double>());
  EXPECT_TRUE(listed["cells"][2]["T_su"].is_null());
}

// A table whose a, b and c carry SUs, growing unevenly.
const std::string kSuTable =
    "# T a b c alpha beta gamma\n"
    "100 5.0000(10) 6.0000(8) 7.0000(12) 90 90 90\n"
    "150 5.0021(12) 6.0018(9) 7.0049(10) 90 90 90\n"
    "200 5.0050(10) 6.0032(8) 7.0102(15) 90 90 90\n"
    "250 5.0091(14) 6.0041(10) 7.0160(12) 90 90 90\n"
    "300 5.0140(11) 6.0047(9) 7.0221(13) 90 90 90\n";

// The CSV's drawn SU of each row is the one of its coefficient: at the
// reference for a line, at the row's temperature for a polynomial (whose
// headline coefficient is at the median point).
TEST(ExpansionInputs, CsvRowsCarryTheDrawnSuOfTheirCoefficient) {
  ScopedTempDir dir;
  testutil::write_file(dir.file("su.txt"), kSuTable);
  const auto run = [&](const std::string& fit, const std::string& format) {
    const auto r = run_program({EXPANSION_BIN, "--lagrangian", "--draws", "200", "--reference",
                                "200", "--fit", fit, "--format", format, "su.txt"},
                               dir.path(), "");
    EXPECT_EQ(0, r.exit_status) << r.err;
    return r.out;
  };
  const auto su_cells = [](const std::string& row) {  // the column su_cells_MK-1
    std::size_t at = 0;
    for (int comma = 0; comma < 11; ++comma) at = row.find(',', at) + 1;
    return std::stod(row.substr(at));
  };
  for (const std::string fit : {"linear", "quadratic"}) {
    SCOPED_TRACE(fit);
    const auto json = nlohmann::json::parse(run(fit, "json"));
    const auto csv = testutil::split_lines(testutil::first_table(run(fit, "csv")));
    const std::size_t n = fit == "linear" ? 1 : 5;
    ASSERT_EQ(1 + 4 * n, csv.size());
    std::vector<nlohmann::json> rows(json["axes"].begin(), json["axes"].end());
    rows.push_back(json["volume"]);
    for (std::size_t k = 0; k < 4; ++k) {
      const nlohmann::json& x = rows[k];
      if (n == 1) {
        EXPECT_NEAR(x["su_cells"].get<double>(), su_cells(csv[1 + k]), 1e-9) << csv[1 + k];
        continue;
      }
      const double median = x["su_cells_T"][2];
      EXPECT_NEAR(median, x["su_cells"].get<double>(), 1e-12 * median);
      EXPECT_NE(x["su_cells_T"][0], x["su_cells_T"][4]);
      for (std::size_t i = 0; i < n; ++i) {
        const std::string& row = csv[1 + 4 * i + k];
        EXPECT_NEAR(x["su_cells_T"][i].get<double>(), su_cells(row), 1e-9) << row;
      }
    }
  }
}

// The first normal deviates of the draws: the 64-bit Mersenne Twister from
// `start`, each uniform number (top 53 bits + 1/2) / 2^53, and the
// Box-Muller pair r cos(theta), r sin(theta), r = sqrt(-2 ln u1),
// theta = 2 pi u2.
std::vector<double> normal_deviates(std::uint64_t start, std::size_t count) {
  std::mt19937_64 bits(start);
  const auto uniform = [&] { return (static_cast<double>(bits() >> 11) + 0.5) * 0x1.0p-53; };
  std::vector<double> z;
  while (z.size() < count) {
    const double r = std::sqrt(-2 * std::log(uniform()));
    const double theta = 2 * std::numbers::pi * uniform();
    z.push_back(r * std::cos(theta));
    z.push_back(r * std::sin(theta));
  }
  z.resize(count);
  return z;
}

// One length with an SU at one point: that point's volume spreads as the
// draws do; its SU is the sample standard deviation of the drawn volumes,
// sqrt(sum (V - mean)^2 / (n - 1)), which a few draws tell from any other
// spread.
TEST(ExpansionInputs, DrawnSuIsTheSampleStandardDeviation) {
  ScopedTempDir dir;
  testutil::write_file(dir.file("one.txt"),
                       "100 5.0000 6 7 90 90 90\n"
                       "200 5.0050(20) 6 7.01 90 90 90\n"
                       "300 5.0100 6 7.02 90 90 90\n");
  // a = b, one parameter drawn with the SU of a: V = a^2 c.
  testutil::write_file(dir.file("tied.txt"),
                       "100 5.0000 5.0000 7 90 90 90\n"
                       "200 5.0050(20) 5.0050 7.01 90 90 90\n"
                       "300 5.0100 5.0100 7.02 90 90 90\n");
  for (const std::size_t draws : {2U, 3U, 5U, 12U}) {
    const bool tied = draws == 12;
    const auto r = run_program({EXPANSION_BIN, "--format", "json", "--seed", "7", "--draws",
                                std::to_string(draws), tied ? "tied.txt" : "one.txt"},
                               dir.path(), "");
    ASSERT_EQ(0, r.exit_status) << r.err;
    const std::vector<double> z = normal_deviates(7, draws);
    std::vector<double> volumes;  // as drawn
    for (const double x : z)
      volumes.push_back((5.005 + 0.002 * x) * (tied ? 5.005 + 0.002 * x : 6) * 7.01);
    double mean = 0, squares = 0;
    for (const double v : volumes) mean += v / static_cast<double>(draws);
    for (const double v : volumes) squares += (v - mean) * (v - mean);
    const double want = std::sqrt(squares / (draws - 1.0));
    const auto json = nlohmann::json::parse(r.out);
    EXPECT_NEAR(want, json["volume"]["values_su"][1].get<double>(), 1e-9 * want) << draws;
    EXPECT_EQ(0, json["volume"]["values_su"][0].get<double>());
  }
}

// Tables named hottest first are taken in order of temperature too; the
// report names up to three inputs in full, more by the first and last.
TEST(ExpansionInputs, TablesInOrderOfTemperatureAndTheirNames) {
  ScopedTempDir dir;
  const std::vector<std::string> rows = {"300 5.2 6 7.1 90 90 90\n", "100 5.0 6 7.0 90 90 90\n",
                                         "200 5.1 6 7.05 90 90 90\n", "250 5.15 6 7.07 90 90 90\n"};
  std::vector<std::string> argv = {EXPANSION_BIN, "--lagrangian"};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    testutil::write_file(dir.file("t" + std::to_string(i) + ".txt"), rows[i]);
    argv.push_back("t" + std::to_string(i) + ".txt");
  }
  const auto four = run_program(argv, dir.path(), "");
  EXPECT_EQ(0, four.exit_status) << four.err;
  EXPECT_TRUE(
      four.out.starts_with(" Principal thermal expansion of t0.txt ... t3.txt (4 files)\n"
                           " Points     : 4, 100.00 K to 300.00 K, reference point "
                           "100.00 K (row 1)\n"))
      << four.out;
  argv.pop_back();
  const auto three = run_program(argv, dir.path(), "");
  EXPECT_TRUE(three.out.starts_with(" Principal thermal expansion of t0.txt, t1.txt, t2.txt\n"))
      << three.out;
}

// A table whose first row names its columns reads alike named on the command
// line and in a list.
TEST(ExpansionInputs, AHeaderTableReadsAlikeNamedOrListed) {
  ScopedTempDir dir;
  testutil::write_file(dir.file("h.tsv"),
                       "T a b c alpha beta gamma\n100 5.0 6 7.0 90 90 90\n"
                       "200 5.1 6 7.05 90 90 90\n300 5.2 6 7.1 90 90 90\n");
  testutil::write_file(dir.file("h.lst"), "T\nh\nh.tsv 200\n");
  const auto named = run_program({EXPANSION_BIN, "--format", "json", "h.tsv"}, dir.path(), "");
  const auto listed =
      run_program({EXPANSION_BIN, "--format", "json", "--list", "h.lst"}, dir.path(), "");
  EXPECT_EQ(0, named.exit_status) << named.err;
  EXPECT_EQ(0, listed.exit_status) << listed.err;
  const auto axes = [](const std::string& json) { return nlohmann::json::parse(json)["axes"]; };
  EXPECT_EQ(axes(named.out), axes(listed.out));
}

// A row korvex wrote in overflow form is skipped, and told: as a warning, in
// the report's head and the JSON's skipped_lines.
TEST(ExpansionInputs, RowsInOverflowFormAreToldSkipped) {
  ScopedTempDir dir;
  const std::string tail =
      "     6.00000     7.00000      90.000      90.000      90.000      210.000\n";
  testutil::write_file(dir.file("s.xy"), "!   TK\n******     5.00000" + tail +
                                             "100.00     5.00000" + tail + "200.00     5.01000" +
                                             tail + "300.00     5.02000" + tail);
  const auto text = run_program({EXPANSION_BIN, "s.xy"}, dir.path(), "");
  EXPECT_EQ(4, text.exit_status);
  EXPECT_EQ(
      "korvex-expansion: s.xy, line 2: row skipped: temperature in overflow form (asterisks)\n",
      text.err);
  EXPECT_NE(std::string::npos, text.out.find(" Skipped    : 1 row in overflow form (line 2)\n"));
  const auto json = run_program({EXPANSION_BIN, "--format", "json", "s.xy"}, dir.path(), "");
  EXPECT_EQ("[2]", nlohmann::json::parse(json.out)["skipped_lines"].dump());
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
  write("cold.cif",
        "data_x\n_cell_length_a 5\n_cell_length_b 6\n_cell_length_c 7\n"
        "_cell_angle_alpha 90\n_cell_angle_beta 90\n_cell_angle_gamma 90\n");
  const std::string head = "a title\nignored\n";
  write("missing.lst", head + "ex.out 100\nnone.out 150\n");
  write("notes.lst", head + "notes.txt 100\n");
  write("dirax.lst", head + "ex.out 100\n");
  write("half.lst", head + "half.out 100\n");
  write("bad.lst", head + "ex.out 100\nex.out warm\n");
  write("short.lst", head + "ex.out 100\nex.out\nex.out 200\n");
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
      // A name without its temperature: told at its own line, not the next.
      {{"--list", "short.lst"},
       "short.lst, line 4: cannot be read as a file name and a temperature"},
      {{"ex.out"},
       "ex.out: DIRAX output gives no temperature; name it with its temperature in a --list "
       "file"},
      {{"/dev/zero"}, "/dev/zero: not a regular file"},
      {{"cold.cif", "t.txt"},
       "cold.cif:x: the file gives no temperature; name it with its temperature in a --list file"},
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

// Under --pressure the list's pressures against the files' own, by the same
// rule; the files' temperatures, all at 293 K here, are not compared.
TEST(ExpansionInputs, ListPressuresAgainstTheFiles) {
  ScopedTempDir dir;
  const char* kpa[] = {"100(50000)", "1000000(20000)", "2000000(20000)", "3000000"};
  for (int i = 0; i < 4; ++i) {
    testutil::write_file(
        dir.file(std::string(1, static_cast<char>('a' + i)) + ".cif"),
        cif_at(5.0 - 0.02 * i, "293(2)") + "_diffrn_ambient_pressure " + kpa[i] + "\n");
  }
  testutil::write_file(dir.file("p.lst"), "P\nh\na.cif 0\nb.cif 1\nc.cif 2.5\nd.cif 3.1\n");
  const auto r = run_program({EXPANSION_BIN, "--pressure", "--format", "json", "--list", "p.lst"},
                             dir.path(), "");
  EXPECT_EQ(4, r.exit_status);
  EXPECT_EQ(
      "korvex-expansion: c.cif states 2.000(20) GPa but p.lst, line 5 gives 2.5 GPa; the list's "
      "pressure is used\n"
      "korvex-expansion: d.cif states 3 GPa but p.lst, line 6 gives 3.1 GPa; the list's pressure "
      "is used\n",
      r.err);
  EXPECT_NE(std::string::npos, r.out.find(R"("source":"b.cif:x","p":1.0,"p_su":0.02,)")) << r.out;
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
