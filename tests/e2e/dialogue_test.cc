// The console dialogue of a run: the banner, the buffer-file question asked
// again for a missing file (the golden test of the dialogue's console), the
// cell choice, and the end of console input at the buffer-file question.

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
  e2e::expect_outputs(dir, {"100.00"}, e2e::kEnded);
}

// The table that the batch mode writes from kOneEntry with `--cell cell`.
std::string batch_table(const std::string& cell) {
  ScopedTempDir dir;
  e2e::make_files(dir, {{"one.lst", kOneEntry}, {"100K.out", e2e::kDirax100K}});
  EXPECT_EQ(0,
            testutil::run_program({KORVEX_BIN, "-c", cell, "one.lst"}, dir.path(), "").exit_status);
  return testutil::read_file(dir.file("TK_parameters.xy"));
}

TEST(Dialogue, CellChoiceFollowsTheFirstNonBlankCharacter) {
  const std::string input = batch_table("input"), conventional = batch_table("conventional");
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
    EXPECT_EQ(e2e::told_to_the_end(), e2e::told(run.out));
    EXPECT_EQ(0, run.exit_status);
    EXPECT_EQ(c.cell == Cell::kInput ? input : conventional,
              testutil::read_file(dir.file("TK_parameters.xy")));
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

    const std::string missing = "   !! " + c.kept + " does not exist !!";
    Lines expected;
    if (!c.typed.empty()) expected = {"buffer file?", missing};
    for (int failure = 1; failure <= 10; ++failure) {
      expected.push_back("buffer file?");
      if (failure <= 5) expected = e2e::join({expected, e2e::shown(e2e::kConsoleEnd)});
      if (failure < 10) {
        expected.push_back(missing);
      } else {
        expected = e2e::join({expected, {e2e::kConsoleEnd, e2e::kTenthEnd}});
      }
    }
    EXPECT_EQ(expected, e2e::told(run.out));
    EXPECT_EQ(16, run.exit_status);
    EXPECT_FALSE(testutil::file_exists(dir.file("TK_parameters.xy")));
  }
}

}  // namespace
