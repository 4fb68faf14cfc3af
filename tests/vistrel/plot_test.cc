#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/term_plot.h"
#include "common/safe_text.h"
#include "common/utf8.h"
#include "expansion/line_fit.h"
#include "term.h"

namespace {

formats::PgfFile series() {
  formats::PgfFile pgf;
  pgf.main_legend = "Cooling series";
  pgf.x_legend = "Temperature (K)";
  pgf.y_legend = "a unit cell parameter (A)";
  pgf.points = {{100, 5.0}, {200, 5.5}, {300, 6.0}};
  return pgf;
}

TEST(TerminalPlot, AsciiPlotHasAxesLabelsAndPointsInTheSize) {
  const formats::PgfFile pgf = series();
  const auto lines = chart::render_terminal_plot(pgf, std::nullopt, 60, 16, false, false);
  ASSERT_EQ(16u, lines.size());
  EXPECT_EQ("Cooling series", std::string(common::trim(lines[0])));
  EXPECT_EQ("a unit cell parameter (A)", lines[1]);
  EXPECT_EQ("Temperature (K)", std::string(common::trim(lines[15])));
  int points = 0;
  for (const auto& line : lines) {
    EXPECT_LE(line.size(), 59u) << "|" << line << "|";
    for (char c : line) points += c == 'o';
  }
  EXPECT_EQ(3 + 2, points);  // three points, and the two of the title "Cooling"
  // Lowest point at the bottom left of the plot area, just above the X axis.
  EXPECT_EQ("   ++-", lines[13].substr(0, 6));  // corner, then the tick at 100 K
  EXPECT_EQ("5.0+o", lines[12].substr(0, 5));
  EXPECT_NE(std::string::npos, lines[14].find("100"));
  EXPECT_NE(std::string::npos, lines[14].find("300"));
}

TEST(TerminalPlot, Utf8PlotUsesBrailleAndShowsTheLineKey) {
  const formats::PgfFile pgf = series();
  const auto fit = expansion::fit_line(pgf.points);
  const auto lines = chart::render_terminal_plot(pgf, fit, 80, 20, true, false);
  ASSERT_EQ(20u, lines.size());
  EXPECT_NE(std::string::npos, lines[1].find("least-squares line"));
  std::size_t braille = 0;
  for (const auto& line : lines) {
    EXPECT_LE(common::display_width(line), 79u);
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
      braille += line[i] == '\xE2' && (line[i + 1] == '\xA0' || line[i + 1] == '\xA1' ||
                                       line[i + 1] == '\xA2' || line[i + 1] == '\xA3');
    }
  }
  EXPECT_GT(braille, 3u);
}

// At every width, the X labels hold both end ticks' values; the line's cells
// show the light dot, never a braille pattern, so that only points are braille.
TEST(TerminalPlot, EndTicksLabelledAndTheLineUnlikeThePoints) {
  formats::PgfFile pgf = series();
  pgf.points = {{93.5, 5.0}, {151, 5.3}, {233, 5.1}, {297.25, 5.8}};
  const auto fit = expansion::fit_line(pgf.points);
  for (int columns = 32; columns <= 140; columns += 3) {
    const auto lines = chart::render_terminal_plot(pgf, fit, columns, 18, true, false);
    const std::string& labels = lines[lines.size() - 2];
    std::vector<std::string> words;
    for (std::size_t at = labels.find_first_not_of(' '); at != std::string::npos;
         at = labels.find_first_not_of(' ', labels.find(' ', at)))
      words.push_back(labels.substr(at, labels.find(' ', at) - at));
    ASSERT_GE(words.size(), 2u) << columns;
    // The axis ends at the data: its ticks lie within, the last within one step.
    const double first = std::stod(words.front()), last = std::stod(words.back());
    const double step = words.size() > 2 ? std::stod(words[1]) - first : last - first;
    EXPECT_LT(first - 93.5, step) << columns << " |" << labels;
    EXPECT_LT(297.25 - last, step) << columns << " |" << labels;
    std::size_t braille = 0, dots = 0;
    for (std::size_t r = 2; r + 3 < lines.size(); ++r) {
      for (std::size_t i = 0; i + 2 < lines[r].size(); ++i) {
        braille += lines[r][i] == '\xE2' && (lines[r][i + 1] & 0xFC) == 0xA0;
        dots += lines[r].compare(i, 2, "\u00B7") == 0;
      }
    }
    EXPECT_LE(braille, 16u) << columns;  // a point's block spans at most four cells
    EXPECT_GT(dots, 5u) << columns;
  }
}

TEST(TerminalPlot, ControlCharactersInLegendsDoNotReachTheTerminal) {
  formats::PgfFile pgf = series();
  pgf.main_legend = "evil\x1b]0;title\x07 series";
  const auto lines = chart::render_terminal_plot(pgf, std::nullopt, 80, 12, true, false);
  for (const auto& line : lines) {
    EXPECT_EQ(std::string::npos, line.find('\x1b'));
    EXPECT_EQ(std::string::npos, line.find('\x07'));
  }
}

TEST(Terminal, Utf8LocaleFromTheFirstSetVariable) {
  struct Case {
    const char* lc_all;
    const char* lc_ctype;
    const char* lang;
    bool utf8;
  };
  const std::vector<Case> cases = {
      {nullptr, nullptr, "en_GB.UTF-8", true},       {nullptr, nullptr, "de_DE.utf8", true},
      {"C", nullptr, "en_GB.UTF-8", false},          {"", "C.UTF-8", "C", true},
      {nullptr, "POSIX", "en_US.UTF-8", false},      {nullptr, nullptr, nullptr, false},
      {nullptr, nullptr, "fr_FR.ISO-8859-1", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.utf8, vistrel::locale_is_utf8(c.lc_all, c.lc_ctype, c.lang))
        << (c.lc_all ? c.lc_all : "-") << " " << (c.lc_ctype ? c.lc_ctype : "-") << " "
        << (c.lang ? c.lang : "-");
  }
}

TEST(Terminal, SizeFromDriverThenEnvironmentThenDefault) {
  struct Case {
    int cols, rows;
    const char* columns;
    const char* lines;
    int want_cols, want_rows;
  };
  const std::vector<Case> cases = {
      {100, 30, "120", "40", 100, 30},           {0, 0, "120", "40", 120, 40},
      {0, 0, nullptr, nullptr, 80, 24},          {0, 0, "wide", "-5", 80, 24},
      {0, 50, "132", nullptr, 132, 50},          {0, 0, "100000", "100000", 1000, 500},
      {5000, 3000, nullptr, nullptr, 1000, 500},
  };
  for (const Case& c : cases) {
    const vistrel::TermSize s = vistrel::choose_term_size(c.cols, c.rows, c.columns, c.lines);
    EXPECT_EQ(c.want_cols, s.columns);
    EXPECT_EQ(c.want_rows, s.rows);
  }
}

}  // namespace
