// The changes of phase or setting between neighbouring points, each on a
// small made-up series (the refusals: tests/korvex-expansion/checks_test.cc).
#include "expansion/series_checks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using crystal::CellEntry;

// An orthorhombic cell at T expanding 1e-5 per kelvin along each axis.
CellEntry point(double t) {
  const double f = 1 + 1e-5 * t;
  CellEntry e;
  e.source = "s.txt:line " + std::to_string(static_cast<int>(t));
  e.temperature = t;
  e.cell = {5 * f, 6 * f, 7 * f, 90, 90, 90};
  return e;
}

std::vector<CellEntry> series(const std::vector<double>& temperatures) {
  std::vector<CellEntry> cells;
  for (const double t : temperatures) cells.push_back(point(t));
  return cells;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& l : lines) s += l + "\n";
  return s;
}

TEST(SeriesChecks, ChangesBetweenNeighboursAreNamedWithTheirTemperatures) {
  std::vector<CellEntry> smooth = series({100, 150, 200, 250, 300});
  std::vector<CellEntry> labelled = smooth;
  for (std::size_t i = 0; i < labelled.size(); ++i) {
    labelled[i].system = "orthorhombic";
    labelled[i].space_group = i < 3 ? "P 21 c n" : "P m c n";
    labelled[i].lattice = "P";
  }
  labelled[1].space_group = "P21cn";  // the same group, written without blanks
  std::vector<CellEntry> exchanged = smooth;
  exchanged[3].cell = {exchanged[3].cell.a, exchanged[3].cell.c, exchanged[3].cell.b, 90, 90, 90};
  // In file order: the checks take the points by temperature.
  std::vector<CellEntry> jump = series({300, 100, 150, 200, 250});
  jump[0].cell.c *= 1.01;
  // A step of 0.3 % in c, some thirty times the others: a jump without SUs,
  // within five SUs of 0.05 % each.
  std::vector<CellEntry> small_jump = series({100, 110, 120, 130, 140, 150});
  for (std::size_t i = 3; i < small_jump.size(); ++i) small_jump[i].cell.c *= 1.003;
  std::vector<CellEntry> uncertain = small_jump;
  for (CellEntry& e : uncertain) e.su.c = 5e-4 * e.cell.c;
  // A pressure series whose a and b trade places.
  std::vector<CellEntry> pressed = series({0.5, 1.0, 1.5, 2.0, 2.5});
  for (std::size_t i = 0; i < pressed.size(); ++i) {
    pressed[i].pressure = pressed[i].temperature;
    pressed[i].temperature.reset();
    const double f = 1 - 0.01 * pressed[i].pressure.value();
    pressed[i].cell = {5.4 * f, 5.0 * f, 7 * f, 90, 90, 90};
  }
  std::swap(pressed[4].cell.a, pressed[4].cell.b);
  using crystal::Abscissa;
  const struct {
    const char* name;
    std::vector<CellEntry> cells;
    std::string warnings;
    Abscissa variable = Abscissa::kTemperature;
  } cases[] = {
      {"smooth", smooth, ""},
      {"space group", labelled,
       "between 200 K and 250 K: the space group changes from P 21 c n to P m c n\n"
       "fit each part of the series alone: --range 100:200, --range 250:300\n"},
      {"exchange", exchanged,
       "between 200 K and 250 K: the axes exchange (b is the previous c, c is the previous b)\n"
       "between 250 K and 300 K: the axes exchange (b is the previous c, c is the previous b)\n"
       "fit each part of the series alone: --range 100:200\n"},
      {"jump", jump,
       // The volume's 1.15 % is less than ten times its steps of 0.15 %.
       "between 250 K and 300 K: c jumps by 1.05 %, more than ten times the series' own steps\n"
       "fit each part of the series alone: --range 100:250\n"},
      {"small jump", small_jump,
       "between 120 K and 130 K: c jumps by 0.31 %, more than ten times the series' own steps\n"
       "between 120 K and 130 K: the volume jumps by 0.33 %, more than ten times the series' own "
       "steps\nfit each part of the series alone: --range 100:120, --range 130:150\n"},
      {"small jump within its SUs", uncertain, ""},
      {"pressure", pressed,
       "between 2 GPa and 2.5 GPa: the axes exchange (a is the previous b, b is the previous a)\n"
       "fit each part of the series alone: --range 0.5:2\n",
       Abscissa::kPressure},
  };
  for (const auto& c : cases) {
    const expansion::SeriesChanges found = expansion::check_changes(c.cells, c.variable);
    EXPECT_TRUE(found.unmatched.empty()) << c.name;
    EXPECT_EQ(c.warnings, joined(found.warnings)) << c.name;
  }
}

}  // namespace
