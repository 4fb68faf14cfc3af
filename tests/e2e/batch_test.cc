// The batch mode: korvex with a buffer file and options, run as a script runs it.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "e2e/e2e_util.h"
#include "test_util.h"

namespace {

using e2e::Cell;
using e2e::Lines;
using testutil::ScopedTempDir;

const std::string kList =
    e2e::lf({"Batch series", "file T", "100K.out 100.0", "200K.out 200", "300K.out 300"});
const std::map<std::string, std::string> kSeries = {{"series.lst", kList},
                                                    {"100K.out", e2e::kDirax100K},
                                                    {"200K.out", e2e::kDirax200K},
                                                    {"300K.out", e2e::kDirax300K}};

const std::vector<std::string> kOutputs = {
    "TK_parameters.xy",  "TK_cell_a.pgf",    "TK_cell_b.pgf",     "TK_cell_c.pgf",
    "TK_cell_alpha.pgf", "TK_cell_beta.pgf", "TK_cell_gamma.pgf", "TK_volume.pgf"};

testutil::RunResult batch(const ScopedTempDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), KORVEX_BIN);
  return testutil::run_program(args, dir.path(), "");
}

TEST(Batch, FilesAreTheDialoguesByteForByte) {
  for (const auto& [choice, word] : {std::pair{"1", "input"}, std::pair{"2", "conventional"}}) {
    SCOPED_TRACE(word);
    ScopedTempDir asked;
    ScopedTempDir unasked;
    e2e::make_files(asked, kSeries);
    e2e::make_files(unasked, kSeries);
    ASSERT_EQ(0, e2e::run_korvex(asked, e2e::answers("series.lst", choice)).exit_status);
    const auto run = batch(unasked, {"--cell", word, "series.lst"});
    EXPECT_EQ(0, run.exit_status) << run.err;
    EXPECT_EQ("", run.out);
    EXPECT_EQ(
        "korvex: 3 entries, 3 rows, 0 skipped; 8 files in . (" + std::string(word) + " cell)\n",
        run.err);
    for (const std::string& name : kOutputs)
      EXPECT_EQ(testutil::read_file(asked.file(name)), testutil::read_file(unasked.file(name)))
          << name;
  }
}

TEST(Batch, CommandLinesThatCannotRun) {
  const struct {
    std::vector<std::string> args;
    std::string reason;
  } cases[] = {
      {{"series.lst"}, "korvex: --cell input|conventional is required with a buffer file"},
      {{"-c", "3", "series.lst"},
       "korvex: --cell takes input or conventional (or 1 or 2), not '3'"},
      {{"-x", "series.lst"}, "korvex: invalid option -- 'x'"},
      {{"--colour", "series.lst"}, "korvex: unrecognized option '--colour'"},
      {{"series.lst", "-c"}, "korvex: option requires an argument -- 'c'"},
      {{"-c1", "a.lst", "b.lst"}, "korvex: more than one buffer file given"},
      {{"--csv=yes", "-c1", "a.lst"}, "korvex: option '--csv' doesn't allow an argument"},
      {{"-kq", "--cell=2"}, "korvex: no buffer file given"},
      {{"--c", "2", "series.lst"},
       "korvex: option '--c' is ambiguous; possibilities: '--cell' '--csv'"},
      {{"-c", "\x1b]0;T\x07", "series.lst"},
       "korvex: --cell takes input or conventional (or 1 or 2), not '?]0;T?'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    ScopedTempDir dir;
    e2e::make_files(dir, kSeries);
    const auto run = batch(dir, c.args);
    EXPECT_EQ(2, run.exit_status);
    EXPECT_EQ((Lines{c.reason, "Try 'korvex --help'."}), testutil::split_lines(run.err));
    EXPECT_FALSE(testutil::file_exists(dir.file("TK_parameters.xy")));
  }
  ScopedTempDir dir;
  for (const std::string flag : {"-h", "--help", "-V", "--version"}) {
    const auto run = batch(dir, {flag});
    EXPECT_EQ(0, run.exit_status) << flag;
    EXPECT_NE(std::string::npos, run.out.find("korvex")) << flag;
  }
}

TEST(Batch, OutputFolderIsMadeOrTheRunEnds) {
  ScopedTempDir dir;
  e2e::make_files(dir, kSeries);
  e2e::make_files(dir, {{"plain", "a file, not a folder\n"}});
  const auto made = batch(dir, {"-q", "-c", "input", "-o", "out", "series.lst"});
  EXPECT_EQ(0, made.exit_status);
  EXPECT_EQ("", made.err);
  for (const std::string& name : kOutputs)
    EXPECT_TRUE(testutil::file_exists(dir.file("out/" + name))) << name;
  EXPECT_FALSE(testutil::file_exists(dir.file("TK_parameters.xy")));

  const struct {
    std::string folder;
    std::string diagnostic;
  } refused[] = {
      {"plain", " !! Severe error: cannot make the output folder plain: Not a directory"},
      {"no/such/parent",
       " !! Severe error: cannot make the output folder no/such/parent: No such file or directory"},
  };
  for (const auto& c : refused) {
    const auto run = batch(dir, {"-c", "input", "-o", c.folder, "series.lst"});
    EXPECT_EQ(16, run.exit_status);
    EXPECT_EQ(c.diagnostic, testutil::split_lines(run.err).at(0));
  }
}

TEST(Batch, KeepGoingSkipsAMissingFileAndSaysSo) {
  ScopedTempDir dir;
  e2e::make_files(dir, kSeries);
  e2e::make_files(dir, {{"gap.lst", e2e::lf({"Gap", "file T", "100K.out 100", "gone.out 150",
                                             "lost.out 175", "200K.out 200"})}});
  const auto kept = batch(dir, {"-k", "-c", "2", "gap.lst"});
  EXPECT_EQ(8, kept.exit_status);
  const std::string relative =
      "  !! the buffer file's names are taken relative to the current folder, " + dir.path();
  // The folder is told once, after the first missing file.
  EXPECT_EQ((Lines{"  !! gone.out does not exist: skipped", relative,
                   "  !! lost.out does not exist: skipped",
                   "korvex: 4 entries, 2 rows, 2 skipped; 8 files in . (conventional cell)"}),
            testutil::split_lines(kept.err));
  e2e::expect_outputs(dir, {"100.00", "200.00"}, e2e::kEnded);

  // Without -k the run stops at the missing file as the dialogue does, and
  // closes with what it took.
  const auto stopped = batch(dir, {"-c", "2", "gap.lst"});
  EXPECT_EQ(8, stopped.exit_status);
  EXPECT_EQ((Lines{"  !! gone.out does not exist !!", relative, "  ",
                   "korvex: 2 entries, 1 row, 0 skipped; 8 files in . (conventional cell)"}),
            testutil::split_lines(stopped.err));
  e2e::expect_outputs(dir, {"100.00"}, e2e::kNotEnded);
}

// The golden test of the CSV: each number the shortest text of the table's
// single-precision value, in full where the table shows asterisks; the
// crystal system as the table shows it; the DIRAX file as the source.
TEST(Batch, CsvOfASeries) {
  ScopedTempDir dir;
  e2e::make_files(dir, kSeries);
  e2e::make_files(
      dir,
      {{"hot.lst", e2e::lf({"Hot", "file T", "100K.out 100", "200K.out 1234.5", "300K.out 300"})}});
  ASSERT_EQ(4, batch(dir, {"-q", "--csv", "-c", "2", "hot.lst"}).exit_status);
  e2e::expect_file(
      dir, "TK_parameters.csv",
      testutil::crlf({"T_K,a_A,b_A,c_A,alpha_deg,beta_deg,gamma_deg,volume_A3,system,bravais,"
                      "a_su_A,b_su_A,c_su_A,alpha_su_deg,beta_su_deg,gamma_su_deg,T_su_K,source",
                      "100.0,5.4321,9.40868,12.3456,90.0,90.0,90.0,315.4321,hexagonal,P,,,,,,,,"
                      "100K.out",
                      "1234.5,9.87654,7.2,7.12346,90.0,104.235,90.0,1234.5679,monoclinic,C,,,,,,,,"
                      "200K.out",
                      "300.0,5.45,9.43968,12.4,90.0,90.0,90.0,318.987,hexagonal ax,R,,,,,,,,"
                      "300K.out"}));
}

TEST(Batch, SvgPicturesForAllSevenPlots) {
  ScopedTempDir dir;
  e2e::make_files(dir, kSeries);
  ASSERT_EQ(0, batch(dir, {"-q", "--svg", "-c", "2", "-o", "pictures", "series.lst"}).exit_status);
  for (const auto& pgf : e2e::kPlotFiles) {
    const std::string svg = pgf.substr(0, pgf.size() - 4) + ".svg";
    const std::string text = testutil::read_file(dir.file("pictures/" + svg));
    EXPECT_NE(std::string::npos, text.find("<svg")) << svg;
    EXPECT_NE(std::string::npos, text.find("conventional cell, buffer file series.lst")) << svg;
  }
}

}  // namespace
