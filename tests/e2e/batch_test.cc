// The batch mode: korvex with a buffer file and options, run as a script runs it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
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

TEST(Batch, KeepGoingSkipsWhatCannotBeReadAndSaysSo) {
  ScopedTempDir dir;
  e2e::make_files(dir, kSeries);
  e2e::make_files(dir, {{"gaps.lst", e2e::lf({"Gaps", "file T", "100K.out 100", "gone.out 150",
                                              "300K.out x/", "200K.out 200"})}});
  const auto kept = batch(dir, {"-k", "-c", "2", "gaps.lst"});
  EXPECT_EQ(8, kept.exit_status);
  const std::string relative =
      "  !! the buffer file's names are taken relative to the current folder, " + dir.path();
  EXPECT_EQ((Lines{"  !! gone.out does not exist: skipped", relative,
                   "  !! Line 5 of the buffer file cannot be read: skipped",
                   "korvex: 4 entries, 2 rows, 2 skipped; 8 files in . (conventional cell)"}),
            testutil::split_lines(kept.err));
  e2e::expect_table(
      dir, e2e::join({e2e::table_header("Gaps", Cell::kConventional),
                      e2e::table_rows({&e2e::k100KConventional, &e2e::k200KConventional})}));
  EXPECT_TRUE(testutil::read_file(dir.file("TK_volume.pgf")).ends_with("# END OF FILE\r\n"));

  // Without -k the run stops at the missing file as the dialogue does, and
  // closes with what it took.
  const auto stopped = batch(dir, {"-c", "2", "gaps.lst"});
  EXPECT_EQ(8, stopped.exit_status);
  EXPECT_EQ((Lines{"  !! gone.out does not exist !!", relative, "  ",
                   "korvex: 2 entries, 1 rows, 0 skipped; 8 files in . (conventional cell)"}),
            testutil::split_lines(stopped.err));
  EXPECT_FALSE(testutil::read_file(dir.file("TK_volume.pgf")).ends_with("# END OF FILE\r\n"));
}

TEST(Batch, KeepGoingOverAnEntryThatCannotBeRead) {
  ScopedTempDir dir;
  e2e::make_files(dir, kSeries);
  e2e::make_files(dir, {{"bad.lst", e2e::lf({"Bad", "file T", "100K.out '100'", "200K.out 200"})}});
  const auto run = batch(dir, {"-q", "-k", "-c", "1", "bad.lst"});
  EXPECT_EQ(8, run.exit_status);
  EXPECT_EQ("  !! Line 3 of the buffer file cannot be read: skipped",
            testutil::split_lines(run.err).at(0));
  e2e::expect_table(dir, e2e::join({e2e::table_header("Bad", Cell::kInput),
                                    e2e::table_rows({&e2e::k200KInput})}));
}

// Every CSV number reads back to the float of the table: printed with the
// table's decimals it gives the table's text, and a value the table can only
// show as asterisks stands in full.
TEST(Batch, CsvValuesAreTheTablesFloats) {
  ScopedTempDir dir;
  e2e::make_files(dir, kSeries);
  e2e::make_files(
      dir,
      {{"hot.lst", e2e::lf({"Hot", "file T", "100K.out 100", "200K.out 1234.5", "300K.out 300"})}});
  ASSERT_EQ(4, batch(dir, {"-q", "--csv", "-c", "2", "hot.lst"}).exit_status);
  const std::string csv = testutil::read_file(dir.file("TK_parameters.csv"));
  const Lines table = testutil::split_lines(testutil::read_file(dir.file("TK_parameters.xy")));
  std::istringstream rows(csv);
  std::string row;
  std::getline(rows, row);
  EXPECT_EQ(
      "T_K,a_A,b_A,c_A,alpha_deg,beta_deg,gamma_deg,volume_A3,system,bravais,"
      "a_su_A,b_su_A,c_su_A,alpha_su_deg,beta_su_deg,gamma_su_deg,T_su_K,source\r",
      row);
  const int widths[] = {6, 12, 12, 12, 12, 12, 12, 13};
  const int decimals[] = {2, 5, 5, 5, 3, 3, 3, 3};
  for (std::size_t line = 4; std::getline(rows, row); ++line) {
    ASSERT_TRUE(row.ends_with('\r')) << row;
    const std::string& fixed = table.at(line);
    std::istringstream fields(row.substr(0, row.size() - 1));
    std::string field;
    std::size_t column = 0;
    for (int i = 0; i < 8; ++i) {
      ASSERT_TRUE(std::getline(fields, field, ','));
      const std::string shown = fixed.substr(column, static_cast<std::size_t>(widths[i]));
      column += static_cast<std::size_t>(widths[i]);
      if (shown.find('*') != std::string::npos) {
        EXPECT_EQ("1234.5", field);
        continue;
      }
      char text[64];
      std::snprintf(text, sizeof text, "%*.*f", widths[i], decimals[i],
                    static_cast<double>(std::strtof(field.c_str(), nullptr)));
      EXPECT_EQ(shown, text) << "line " << line << " field " << i;
    }
    // The system as the table shows it.
    std::getline(fields, field, ',');
    std::string system = fixed.substr(93, 12);
    system.erase(system.find_last_not_of(' ') + 1);
    EXPECT_EQ(system, field) << row;
  }
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
