#include "output_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/buffer_file.h"
#include "formats/cell_record.h"
#include "formats/plot_series.h"
#include "formats/table_file.h"
#include "textrec/textrec.h"
#include "textrec/unit_util.h"

namespace korvex {
namespace {

using unittest::bar;
using unittest::file_records;
using unittest::MemoryRun;
using Lines = std::vector<std::string>;
using Records = std::vector<std::string>;

// As the main program prepares a run: the buffer file open on its channel, its
// head read, the output files created. Returns the head.
formats::BufferFileHead prepare(MemoryRun& run, const std::string& list,
                                formats::CellChoice choice) {
  run.fs.files["series.lst"] = list;
  textrec::open_for_reading(formats::kBufferChannel, "series.lst");
  formats::BufferFileHead head = formats::read_buffer_file_head();
  create_output_files("", head.title, choice, head.entry_count, false);
  return head;
}

TEST(OutputFiles, CountsEveryLineAfterTheSecond) {
  const std::string long_line(300, 'x');
  const struct {
    const char* what;
    std::string list;
    int count;
  } cases[] = {
      {"two lines", "title\r\nheading\r\n", 0},
      {"two lines, the last unended", "title\r\nheading", 0},
      {"three entries", "t\r\nh\r\na.out 100\r\nb.out 125\r\nc.out 150\r\n", 3},
      {"LF only, last unended", "t\nh\na.out 100\nb.out 125", 2},
      {"blank lines count", "t\r\nh\r\na.out 100\r\n\r\n   \r\n", 3},
      {"unreadable lines count", "t\r\nh\r\n12x5 abc\r\n,,,\r\n", 2},
      {"a long line counts once", "t\r\nh\r\n" + long_line + "\r\nb.out 1\r\n", 2},
      {"nothing after the end-of-file mark",
       "t\r\nh\r\na.out 1\r\n\x1A"
       "b.out 2\r\n",
       1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryRun run;
    EXPECT_EQ(c.count, prepare(run, c.list, formats::CellChoice::kInput).entry_count);
    EXPECT_EQ("", run.out);
    ASSERT_EQ(0, textrec::end_run(textrec::RunEnded{0}));
    const Records records = file_records(run.fs.files["TK_volume.pgf"]);
    ASSERT_EQ(12U, records.size());
    EXPECT_EQ(std::string("#  NUMBER OF POINTS : ") + (c.count < 10 ? "       " : "      ") +
                  std::to_string(c.count),
              records[8]);
  }
}

// The first line cut to 128 characters, trailing blanks removed, leading ones
// kept: the table's title record and every plot's main legend.
TEST(OutputFiles, TitleIsTheFirstLine) {
  const std::string long_title = std::string(100, 'A') + std::string(50, 'B');
  const struct {
    std::string first_line;
    std::string title;
  } cases[] = {
      {"My series", "My series"},
      {"  indented  ", "  indented"},
      {long_title, long_title.substr(0, 128)},
      {"Title" + std::string(123, ' ') + "tail", "Title"},
      {"   ", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    MemoryRun run;
    const formats::BufferFileHead head =
        prepare(run, c.first_line + "\r\nline 2\r\n", formats::CellChoice::kInput);
    EXPECT_EQ(bar(c.title), bar(textrec::trim_right(head.title)));
    EXPECT_EQ(128U, head.title.size());
    ASSERT_EQ(0, textrec::end_run(textrec::RunEnded{0}));
    EXPECT_EQ(bar("! " + c.title), bar(file_records(run.fs.files[formats::kTableFileName])[0]));
    for (const formats::PlotSeries& plot : formats::kPlotSeries) {
      EXPECT_EQ(bar("# MAIN LEGEND TEXT: " + c.title),
                bar(file_records(run.fs.files[std::string(plot.file)])[0]));
    }
  }
}

TEST(OutputFiles, CreatesTheEightFilesWithTheirHeaders) {
  for (const formats::CellChoice choice :
       {formats::CellChoice::kInput, formats::CellChoice::kConventional}) {
    SCOPED_TRACE(static_cast<int>(choice));
    MemoryRun run;
    // Files of an earlier run are replaced.
    run.fs.files["TK_cell_a.pgf"] = "old plot\r\n";
    run.fs.files[formats::kTableFileName] = "old table\r\n";
    (void)prepare(run, "Heating\r\nfile T\r\na.out 100\r\nb.out 125\r\n\r\n", choice);
    ASSERT_EQ(0, textrec::end_run(textrec::RunEnded{0}));
    EXPECT_EQ("", run.out);

    // The header of the choice (its layout is the formats library's).
    const Records table = file_records(run.fs.files[formats::kTableFileName]);
    const bool input = choice == formats::CellChoice::kInput;
    ASSERT_EQ(input ? 5U : 4U, table.size());
    EXPECT_EQ("! Heating", table[0]);
    EXPECT_EQ(input ? "! Cell parameters extracted from input cell."
                    : "! Cell parameters extracted from conventionnal cell.",
              table[1]);
    // The plot files are the same for both choices: the series each one is
    // for, three points declared (their layout is the formats library's).
    const struct {
      const char* file;
      const char* y_legend;
    } plots[] = {
        {"TK_cell_a.pgf", "a unit cell parameter (A)"},
        {"TK_cell_b.pgf", "b unit cell parameter (A)"},
        {"TK_cell_c.pgf", "c unit cell parameter (A)"},
        {"TK_cell_alpha.pgf", "alpha angle (deg.)"},
        {"TK_cell_beta.pgf", "beta angle (deg.)"},
        {"TK_cell_gamma.pgf", "gamma angle (deg.)"},
        {"TK_volume.pgf", "Unit cell volume (A3)"},
    };
    for (const auto& p : plots) {
      SCOPED_TRACE(p.file);
      const Records records = file_records(run.fs.files[p.file]);
      ASSERT_EQ(12U, records.size());
      EXPECT_EQ("# MAIN LEGEND TEXT: Heating", records[0]);
      EXPECT_EQ(std::string("# Y LEGEND TEXT   : ") + p.y_legend, records[2]);
      EXPECT_EQ("#  NUMBER OF POINTS :        3", records[8]);
    }
    EXPECT_EQ(9U, run.fs.files.size());  // the list, the table, seven plots, and no other
  }
}

TEST(OutputFiles, RefusedTableFileEndsTheRunBeforeAnyPlotFile) {
  MemoryRun run;
  run.fs.refuse[formats::kTableFileName] = "Read-only file system";
  int status = -1;
  try {
    (void)prepare(run, "Heating\r\nfile T\r\n", formats::CellChoice::kConventional);
  } catch (const textrec::RunEnded& ended) {
    status = textrec::end_run(ended);
  }
  EXPECT_EQ(textrec::kExitEnded, status);
  EXPECT_EQ((Lines{" !! Severe error: cannot create TK_parameters.xy on channel 13: Read-only "
                   "file system",
                   " !! Execution ended."}),
            run.console_lines());
  EXPECT_EQ(0U, run.fs.files.count("TK_cell_a.pgf"));
}

}  // namespace
}  // namespace korvex
