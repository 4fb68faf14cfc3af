// The console dialogue of a run: the banner, the buffer-file question asked
// again for a missing file, the cell choice, and the end of console input at
// each question.

#include <gtest/gtest.h>

#include <string>

#include "e2e/e2e_util.h"
#include "test_util.h"

namespace {

using e2e::Cell;
using e2e::kRefuseAll;
using e2e::Lines;
using testutil::ScopedTempDir;

const std::string kOneEntry = e2e::lf({"One entry", "file  T(K)", "100K.out  100.0"});

TEST(Dialogue, MissingBufferFileIsAskedForAgain) {
  ScopedTempDir dir;
  e2e::make_files(dir, {{"my series.lst", kOneEntry}, {"100K.out", e2e::kDirax100K}});
  // Blank answers are passed over; an unquoted name ends at its first blank; a
  // quoted one keeps its blanks.
  const auto run = e2e::run_korvex(
      dir, e2e::lf(e2e::join(
               {{"", "   ", "missing.lst", "my series.lst", "'my series.lst'", "1"}, kRefuseAll})));
  e2e::expect_console(
      e2e::join({e2e::banner(), e2e::buffer_question(), e2e::buffer_file_missing("missing.lst"),
                 e2e::buffer_question(), e2e::buffer_file_missing("my"), e2e::buffer_question(),
                 e2e::cell_question(), e2e::final_message(), e2e::offers()}),
      run.out);
  EXPECT_EQ(0, run.exit_status);
  EXPECT_EQ("", run.err);
  e2e::expect_table(
      dir, e2e::join({e2e::table_header("One entry", Cell::kInput), {e2e::k100KInput.row}}));
}

TEST(Dialogue, CellChoiceFollowsTheFirstNonBlankCharacter) {
  struct Case {
    std::string answer;
    Cell cell;
  };
  const Case cases[] = {
      {"2", Cell::kConventional},
      {"20", Cell::kConventional},
      {"2x", Cell::kConventional},
      {"  2", Cell::kConventional},
      {"1", Cell::kInput},
      {"3", Cell::kInput},
      {"x", Cell::kInput},
      {"12", Cell::kInput},
      // A quoted answer keeps its leading blank until the answer is left-justified.
      {"' 2'", Cell::kConventional},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("answer |" + c.answer + "|");
    ScopedTempDir dir;
    e2e::make_files(dir, {{"one.lst", kOneEntry}, {"100K.out", e2e::kDirax100K}});
    const auto run = e2e::run_korvex(dir, e2e::lf(e2e::join({{"one.lst", c.answer}, kRefuseAll})));
    e2e::expect_console(e2e::join({e2e::dialogue(), e2e::final_message(), e2e::offers()}), run.out);
    EXPECT_EQ(0, run.exit_status);
    const e2e::Expected& entry = c.cell == Cell::kInput ? e2e::k100KInput : e2e::k100KConventional;
    e2e::expect_table(dir, e2e::join({e2e::table_header("One entry", c.cell), {entry.row}}));
  }
}

// Every read of the question meets the end of the data; the name keeps what it
// held, so the question comes again until the tenth end of data ends the run.
TEST(Dialogue, EndOfInputAtBufferFileQuestionEndsTheRunAtTheTenth) {
  struct Case {
    std::string typed;
    std::string kept;  // the name shown after each failed read
  };
  const Case cases[] = {{"", ""}, {"missing.lst\n", "missing.lst"}};
  for (const Case& c : cases) {
    SCOPED_TRACE("typed |" + c.typed + "|");
    ScopedTempDir dir;
    const auto run = e2e::run_korvex(dir, c.typed);

    Lines expected = e2e::banner();
    if (!c.typed.empty())
      expected = e2e::join({expected, e2e::buffer_question(), e2e::buffer_file_missing(c.kept)});
    for (int failure = 1; failure <= 10; ++failure) {
      expected = e2e::join({expected, e2e::buffer_question()});
      if (failure <= 5) expected = e2e::join({expected, e2e::shown(e2e::kConsoleEnd)});
      if (failure < 10) {
        expected = e2e::join({expected, e2e::buffer_file_missing(c.kept)});
      } else {
        expected = e2e::join({expected, {e2e::kConsoleEnd, e2e::kTenthEnd}});
      }
    }
    e2e::expect_console(expected, run.out);
    EXPECT_EQ(16, run.exit_status);
    EXPECT_FALSE(testutil::file_exists(dir.file("TK_parameters.xy")));
  }
}

// The choice keeps its blank start: the input cell. The run goes on, and every
// offer meets the end of the data too: five failures shown, the rest counted.
TEST(Dialogue, EndOfInputAtCellChoiceTakesTheInputCell) {
  ScopedTempDir dir;
  e2e::make_files(dir, {{"one.lst", kOneEntry}, {"100K.out", e2e::kDirax100K}});
  const auto run = e2e::run_korvex(dir, "one.lst\n");

  Lines expected = e2e::join({e2e::dialogue(), e2e::shown(e2e::kConsoleEnd), e2e::final_message()});
  int failures = 1;
  for (const auto& file : e2e::kPlotFiles) {
    expected.push_back(e2e::offer(file));
    if (++failures <= 5) expected = e2e::join({expected, e2e::shown(e2e::kConsoleEnd)});
  }
  e2e::expect_console(expected, run.out);
  EXPECT_EQ(8, run.exit_status);
  e2e::expect_table(
      dir, e2e::join({e2e::table_header("One entry", Cell::kInput), {e2e::k100KInput.row}}));
  e2e::expect_plots(dir, "One entry", 1, {&e2e::k100KInput}, e2e::kEnded);
}

}  // namespace
