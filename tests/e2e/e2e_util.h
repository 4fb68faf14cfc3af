// Helpers of the end-to-end tests: a run folder built from {name -> content},
// a run of the built korvex in it, the console lines and output records that a
// run is expected to show, and the DIRAX-like files of the test series with the
// table rows and plot points each of them gives.
//
// Every expected text here is written out from the record layouts (F6.2, 3F12.5,
// 3F12.3, F13.3, 2X, A12, A4 for a table row; F6.2, F20.5 for a plot point), not
// taken from a run of the program.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "test_util.h"

namespace e2e {

using Lines = std::vector<std::string>;

// --- Running the program --------------------------------------------------

// Writes every file of the run folder, making the folders its name holds.
inline void make_files(const testutil::ScopedTempDir& dir,
                       const std::map<std::string, std::string>& files) {
  for (const auto& [name, content] : files) {
    const std::filesystem::path path = dir.file(name);
    std::filesystem::create_directories(path.parent_path());
    testutil::write_file(path.string(), content);
  }
}

// Runs korvex in the folder with the typed answers on standard input. COMSPEC is
// unset unless env sets it, so that the viewer command goes through /bin/sh.
inline testutil::RunResult run_korvex(const testutil::ScopedTempDir& dir, const std::string& input,
                                      std::map<std::string, std::string> env = {}) {
  env.try_emplace("COMSPEC", "");
  return testutil::run_program({KORVEX_BIN}, dir.path(), input, env);
}

// Lines joined with LF: typed answers, or the lines of a list or DIRAX file.
inline std::string lf(const Lines& lines) {
  std::string out;
  for (const auto& line : lines) out += line + "\n";
  return out;
}

inline Lines join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// The seven plot offers all refused.
inline const Lines kRefuseAll(7, "n");

// Typed answers: the buffer file, the cell choice, then "n" to every offer.
inline std::string answers(const std::string& buffer_file, const std::string& choice = "1") {
  return lf(join({{buffer_file, choice}, kRefuseAll}));
}

// --- Console lines (each begins with the blank of the free-form write) ------

inline Lines banner() {
  return {
      "  --------------------------------------------------------------",
      "                                                                ",
      "      . Read TK_dirax_cell.out files (created by DIRAX)         ",
      "      . Extract: . input cell parameters                        ",
      "                 . conventionnal cell:                          ",
      "                    . volume                                    ",
      "                    . symmetry                                  ",
      "                    . Bravais lattice                           ",
      "                                                                ",
      "      Unit-cell parameters against temperature, for plotting    ",
      "  --------------------------------------------------------------",
  };
}

inline Lines buffer_question() {
  return {"  ", "   > Enter buffer file (output list)   : "};
}

inline Lines buffer_file_missing(const std::string& name) {
  return {"   !! " + name + " does not exist !!", "    press Enter key to continue "};
}

inline Lines cell_question() {
  return {
      "  ",
      "   > Extract unit cell parameters from : 1. Input cell",
      "                                         2. Conventionnal cell",
      "  ",
      "                     Enter your choice : ",
  };
}

// Banner and both questions, each answered at once.
inline Lines dialogue() {
  return join({banner(), buffer_question(), cell_question()});
}

inline Lines final_message() {
  return {"  ", "    >>> The TK_parameters.xy file has been created ", "  "};
}

inline std::string offer(const std::string& file) {
  return "    . " + file + " file has been created: plot it (y/n) ?  ";
}

// The plot files in the order of their channels 14 to 20.
inline const std::array<std::string, 7> kPlotFiles = {
    "TK_cell_a.pgf",    "TK_cell_b.pgf",     "TK_cell_c.pgf", "TK_cell_alpha.pgf",
    "TK_cell_beta.pgf", "TK_cell_gamma.pgf", "TK_volume.pgf",
};

inline Lines offers() {
  Lines lines;
  for (const auto& file : kPlotFiles) lines.push_back(offer(file));
  return lines;
}

inline const std::string kContinuation =
    "TAKEN TO (STANDARD) CORRECTIVE ACTION, EXECUTION CONTINUING.";
inline const std::string kConsoleEnd = " !! Error: end of data in a read from the console";
inline const std::string kMemoryEnd = " !! Error: end of data in a read from a memory record";
inline const std::string kTenthEnd = " !! Execution ended: 10 ends of data in this run.";

// A failure shown by the error report while the run goes on.
inline Lines shown(const std::string& diagnostic) {
  return {diagnostic, kContinuation};
}

inline Lines repeat(const Lines& lines, int times) {
  Lines all;
  for (int i = 0; i < times; ++i) all.insert(all.end(), lines.begin(), lines.end());
  return all;
}

// Compares the console line by line; a bar after each line shows trailing blanks.
inline void expect_console(const Lines& expected, const std::string& out) {
  const Lines actual = testutil::split_lines(out);
  const std::size_t n = std::max(expected.size(), actual.size());
  for (std::size_t i = 0; i < n; ++i) {
    const std::string want = i < expected.size() ? expected[i] + "|" : "(no line)";
    const std::string got = i < actual.size() ? actual[i] + "|" : "(no line)";
    EXPECT_EQ(want, got) << "console line " << i + 1;
  }
  EXPECT_TRUE(out.empty() || out.back() == '\n') << "the last console line is not ended";
}

// What a run told, whatever the dialogue's layout: "buffer file?" and "cell?"
// for the questions, "created" for the final message, "offer NAME" for each
// plot offer, and every diagnostic line (holding "!!", or the continuation
// line) and line of a stand-in viewer as it stands.
inline Lines told(const std::string& out) {
  Lines events;
  for (const std::string& line : testutil::split_lines(out)) {
    const auto holds = [&line](const char* text) { return line.find(text) != std::string::npos; };
    if (holds("> Enter buffer file")) {
      events.push_back("buffer file?");
    } else if (holds("Enter your choice")) {
      events.push_back("cell?");
    } else if (holds(">>> The TK_parameters.xy file has been created")) {
      events.push_back("created");
    } else if (holds(" file has been created: plot it")) {
      const std::size_t from = line.find(". ") + 2;
      events.push_back("offer " + line.substr(from, line.find(' ', from) - from));
    } else if (holds("!!") || line == kContinuation || holds("stand-in viewer")) {
      events.push_back(line);
    }
  }
  return events;
}

// The events of a run that asks both questions at once, then `diagnostics`,
// then the final message and the seven offers.
inline Lines told_to_the_end(const Lines& diagnostics = {}) {
  Lines events = {"buffer file?", "cell?"};
  events.insert(events.end(), diagnostics.begin(), diagnostics.end());
  events.push_back("created");
  for (const std::string& file : kPlotFiles) events.push_back("offer " + file);
  return events;
}

inline void expect_file(const testutil::ScopedTempDir& dir, const std::string& name,
                        const std::string& expected) {
  ASSERT_TRUE(testutil::file_exists(dir.file(name))) << name;
  EXPECT_EQ(expected, testutil::read_file(dir.file(name))) << name;
}

// --- TK_parameters.xy -------------------------------------------------------

enum class Cell { kInput, kConventional };

// Header records; the title record is "! " and the buffer file's first line.
// Where a table's rows came from: DIRAX output, other programs' files, or both.
enum class Rows { kDirax, kOtherFiles, kBoth };

inline Lines table_header(const std::string& title, Cell cell, Rows rows = Rows::kDirax) {
  Lines lines = {"! " + title};
  if (rows == Rows::kOtherFiles) {
  } else if (cell == Cell::kInput) {
    lines.push_back("! Cell parameters extracted from input cell.");
    lines.push_back("! Bravais lattice and volume are related to conventionnal unit cell.");
  } else {
    lines.push_back("! Cell parameters extracted from conventionnal cell.");
  }
  if (rows != Rows::kDirax) {
    lines.push_back(
        "! Rows of cell files other than DIRAX output: the cell each file gives (CIF, DIALS, XDS, "
        "SHELX, p4p, tables).");
  }
  lines.push_back(
      "!   TK        a(A)        b(A)        c(A)"
      "  alpha(deg)   beta(deg)   gamma(deg)"
      "  volume(A3)  symmetry       Bravais  ");
  lines.push_back("!" + std::string(200, '-'));
  return lines;
}

inline void expect_table(const testutil::ScopedTempDir& dir, const Lines& records) {
  expect_file(dir, "TK_parameters.xy", testutil::crlf(records));
}

// --- PGF plot files ---------------------------------------------------------

struct PlotLabels {
  std::string y_legend;
  std::string heading;  // 24 characters
  std::string title;
};

inline const std::array<PlotLabels, 7> kPlotLabels = {{
    {"a unit cell parameter (A)", "#   TK              a(A)", "a(A)=f(T)"},
    {"b unit cell parameter (A)", "#   TK              b(A)", "b(A)=f(T)"},
    {"c unit cell parameter (A)", "#   TK              c(A)", "c(A)=f(T)"},
    {"alpha angle (deg.)", "#   TK        alpha(deg)", "alpha(deg)=f(T)"},
    {"beta angle (deg.)", "#   TK         beta(deg)", "beta(deg)=f(T)"},
    {"gamma angle (deg.)", "#   TK        gamma(deg)", "gamma(deg)=f(T)"},
    {"Unit cell volume (A3)", "#   TK        volume(A3)", "volume(A3)=f(T)"},
}};

// The declared point count in I8.
inline std::string i8(int count) {
  const std::string digits = std::to_string(count);
  return std::string(8 - digits.size(), ' ') + digits;
}

inline std::string pgf_text(const PlotLabels& labels, const std::string& legend, int count,
                            const Lines& points, bool ended) {
  Lines lines = {
      "# MAIN LEGEND TEXT: " + legend,
      "# X LEGEND TEXT   : Temperature (K)",
      "# Y LEGEND TEXT   : " + labels.y_legend,
      labels.heading,
      "# NUMBER OF PATTERNS: 1",
      "#--------------------------------------------------",
      "# >>>>>>>> PATTERN #: 1",
      "#             TITLE : " + labels.title,
      "#  NUMBER OF POINTS : " + i8(count),
      "#            MARKER : 1",
      "#              SIZE : 2",
      "#   DATA: X Y",
  };
  lines.insert(lines.end(), points.begin(), points.end());
  if (ended) lines.push_back("# END OF FILE");
  return testutil::crlf(lines);
}

inline constexpr bool kEnded = true;
inline constexpr bool kNotEnded = false;

// What one DIRAX-like file gives at its list temperature: its table row and its
// point in each plot file, in the order of kPlotFiles.
struct Expected {
  std::string row;
  std::array<std::string, 7> points;
};

// Checks the seven plot files, whose points are those of `entries` in order.
inline void expect_plots(const testutil::ScopedTempDir& dir, const std::string& legend, int count,
                         const std::vector<const Expected*>& entries, bool ended) {
  for (std::size_t i = 0; i < kPlotFiles.size(); ++i) {
    Lines points;
    for (const Expected* entry : entries) {
      EXPECT_EQ(26U, entry->points[i].size()) << "expected point |" << entry->points[i] << "|";
      points.push_back(entry->points[i]);
    }
    expect_file(dir, kPlotFiles[i], pgf_text(kPlotLabels[i], legend, count, points, ended));
  }
}

inline Lines table_rows(const std::vector<const Expected*>& entries) {
  Lines rows;
  for (const Expected* entry : entries) {
    EXPECT_EQ(109U, entry->row.size()) << "expected row |" << entry->row << "|";
    rows.push_back(entry->row);
  }
  return rows;
}

// --- What the output files hold, apart from their layout ---------------------

// The data records of an output file, in order, without their line ends: the
// table's rows, a plot file's points. Header records begin with "!" in the
// table, "#" in a plot file.
inline Lines records_in(const testutil::ScopedTempDir& dir, const std::string& name) {
  Lines records;
  for (std::string& record : testutil::split_lines(testutil::read_file(dir.file(name)))) {
    if (record.ends_with('\r')) record.pop_back();
    if (!record.starts_with('!') && !record.starts_with('#')) records.push_back(std::move(record));
  }
  return records;
}

// The temperature field (columns 1-6) of each data record.
inline Lines temperatures_in(const testutil::ScopedTempDir& dir, const std::string& name) {
  Lines temperatures = records_in(dir, name);
  for (std::string& record : temperatures) record.resize(std::min<std::size_t>(record.size(), 6));
  return temperatures;
}

// The point count a plot file declares (its I8 field), or -1 without one.
inline int declared_points(const testutil::ScopedTempDir& dir, const std::string& name) {
  const std::string text = testutil::read_file(dir.file(name));
  const std::string key = "#  NUMBER OF POINTS : ";
  const std::size_t at = text.find(key);
  return at == std::string::npos ? -1 : std::stoi(text.substr(at + key.size(), 8));
}

// The table and the seven plot files each hold a record at every temperature
// given, in order; the plot files are ended by their end record or not.
inline void expect_outputs(const testutil::ScopedTempDir& dir, const Lines& temperatures,
                           bool ended) {
  for (const std::string& name :
       join({{"TK_parameters.xy"}, {kPlotFiles.begin(), kPlotFiles.end()}})) {
    ASSERT_TRUE(testutil::file_exists(dir.file(name))) << name;
    EXPECT_EQ(temperatures, temperatures_in(dir, name)) << name;
    if (name.ends_with(".pgf")) {
      EXPECT_EQ(ended, testutil::read_file(dir.file(name)).ends_with("\r\n# END OF FILE\r\n"))
          << name;
    }
  }
}

}  // namespace e2e

#include "e2e/e2e_series.h"  // IWYU pragma: export
