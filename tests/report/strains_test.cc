// The principal strains at every point in the page and the CSV, in either
// mode: each axis's strain, the fit's value and the residual, which for a
// least-squares fit with a free constant sum to zero over the points.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/number_text.h"
#include "expansion/eos_analysis.h"
#include "report/html_report.h"
#include "report/pressure_report.h"
#include "report/strain_quantities.h"

namespace {

// A triclinic cell heating unevenly; a cell compressed, a growing.
std::vector<crystal::CellEntry> series(bool pressure) {
  std::vector<crystal::CellEntry> out;
  for (int i = 0; i < 7; ++i) {
    const double x = pressure ? 0.2 + 0.9 * i : 100.0 + 35 * i;
    const double wobble = 1e-4 * ((i * 5) % 3 - 1);
    crystal::CellEntry e;
    e.source = "s" + std::to_string(i);
    if (pressure) {
      e.pressure = x;
      e.pressure_su = 0.02;
      e.cell = {8 * (1 + 0.01 * std::pow(x + 0.3, 0.6)) + wobble,
                9 * (1 - 0.02 * std::pow(x + 0.1, 0.8)),
                7 * (1 - 0.006 * x) - wobble,
                90,
                90,
                90};
    } else {
      e.temperature = x;
      e.cell = {5 + 2e-5 * x + wobble, 6 + 4e-5 * x, 7 - 1e-5 * x - wobble, 89, 95 + 1e-4 * x, 91};
    }
    out.push_back(e);
  }
  return out;
}

struct Written {
  std::vector<double> at;
  std::vector<report::Reading> readings[3][3];  // [row][axis], one a point
  std::string page, csv;
};

template <class Analysis>
void read_rows(Written& w, const Analysis& a, const report::Quantity<Analysis>* const (&rows)[3]) {
  for (std::size_t q = 0; q < 3; ++q)
    for (std::size_t k = 0; k < 3; ++k)
      for (std::size_t i = 0; i < w.at.size(); ++i)
        w.readings[q][k].push_back((*rows[q])(a, {k, i}));
}

Written temperature() {
  const auto cells = series(false);
  const auto result =
      expansion::analyse_series(cells, {0, {expansion::StrainKind::kNatural, true}, 1, false}, {});
  EXPECT_TRUE(result);
  const report::Source source{"t.tsv", {}, cells, {}, {}, {}, {}};
  Written w{result->analysis.temperatures,
            {},
            report::html_report(*result, source, {}, {}),
            report::csv_report(*result)};
  read_rows(w, *result, report::kStrainQuantities);
  return w;
}

Written pressure() {
  const auto cells = series(true);
  const auto s = expansion::analyse_pressure_series(cells, std::vector<double>(cells.size(), 0.02),
                                                    0, {}, expansion::Draws{});
  EXPECT_TRUE(s);
  const auto eos =
      expansion::analyse_equations_of_state(cells, {{expansion::Eos::kBm3}, {}, {}, {}, 0});
  EXPECT_TRUE(eos);
  const report::Source source{"p.tsv", {}, cells, {}, {}, {}, {}};
  Written w{s->analysis.strains.temperatures,
            {},
            report::pressure_html_report(*s, *eos, source, {}, {}),
            report::pressure_csv_report(*s, *eos)};
  read_rows(w, *s, report::kPressureStrainQuantities);
  return w;
}

TEST(Strains, EveryPointInThePageAndTheCsv) {
  const std::pair<const char*, Written> cases[] = {{"temperature", temperature()},
                                                   {"pressure", pressure()}};
  for (const auto& [what, w] : cases) {
    SCOPED_TRACE(what);
    for (std::size_t k = 0; k < 3; ++k) {
      double sum = 0, largest = 0;
      for (std::size_t i = 0; i < w.at.size(); ++i) {
        const double strain = *w.readings[0][k][i].value, fit = *w.readings[1][k][i].value,
                     residual = *w.readings[2][k][i].value;
        EXPECT_NEAR(strain - fit, residual, 1e-15);
        sum += residual;
        largest = std::max(largest, std::fabs(strain));
        const std::string row = "X" + std::to_string(k + 1) + "," + common::shortest(w.at[i]) +
                                "," + common::shortest(strain) + ",," + common::shortest(fit) +
                                "," + common::shortest(residual) + "\n";
        EXPECT_NE(std::string::npos, w.csv.find("\n" + row)) << row;
        const std::string key = "axes." + std::to_string(k) + ".strains_residual." +
                                std::to_string(i) + "\" data-value=\"" +
                                common::shortest(residual) + "\"";
        EXPECT_NE(std::string::npos, w.page.find(key)) << key;
      }
      EXPECT_LT(std::fabs(sum), 1e-6 * largest) << "axis " << k;
    }
  }
}

}  // namespace
