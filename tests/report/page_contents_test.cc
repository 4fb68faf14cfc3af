// What the page holds beside the report, in either mode: the same
// conclusions as the text report (a temperature series whose a shrinks and
// whose space group changes half way; a pressure series whose a grows), and
// each point's principal strains with the fit's value and the residual, in
// the page and the CSV, the residuals of a fit with a free constant summing
// to zero.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "chart/svg_chart.h"
#include "common/number_text.h"
#include "expansion/eos_analysis.h"
#include "report/conclusions.h"
#include "report/html_report.h"
#include "report/pressure_report.h"
#include "report/strain_quantities.h"

namespace {

using report::ConclusionKind;

std::vector<crystal::CellEntry> series(bool pressure) {
  std::vector<crystal::CellEntry> out;
  for (int i = 0; i < 7; ++i) {
    const double x = pressure ? 0.2 + 0.9 * i : 100.0 + 35 * i, wobble = 1e-4 * ((i * 5) % 3 - 1);
    crystal::CellEntry& e = out.emplace_back();
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
      e.cell = {5 - 4e-5 * x + wobble, 6 + 4e-5 * x, 7 + 1e-4 * x - wobble, 90, 90, 90};
      e.su.a = e.su.b = e.su.c = 0.0002;
      e.space_group = x < 200 ? "P m c n" : "P 21 c n";
    }
  }
  return out;
}

struct Written {
  std::vector<report::Conclusion> list;
  std::string text, page, csv;
  std::vector<double> at;
  std::vector<report::Reading> strains[3][3];  // [row][axis], one a point
};

template <class Analysis>
void read_rows(Written& w, const Analysis& a, const report::Quantity<Analysis>* const (&rows)[3]) {
  for (std::size_t q = 0; q < 3; ++q)
    for (std::size_t k = 0; k < 3; ++k)
      for (std::size_t i = 0; i < w.at.size(); ++i)
        w.strains[q][k].push_back((*rows[q])(a, {k, i}));
}

Written temperature() {
  const auto cells = series(false);
  const auto r = expansion::analyse_series(
      cells, {0, {expansion::StrainKind::kNatural, true}, 1, false}, {100, 1});
  EXPECT_TRUE(r);
  const report::Source source{"t.cif", {}, cells, {}, {}, {}, {}};
  Written w{report::conclusions(*r, source),
            report::text_report(*r, source),
            report::html_report(*r, source, {}, {}),
            report::csv_report(*r),
            r->analysis.temperatures,
            {}};
  read_rows(w, *r, report::kStrainQuantities);
  return w;
}

Written pressure() {
  const auto cells = series(true);
  const auto s = expansion::analyse_pressure_series(cells, std::vector<double>(cells.size(), 0.02),
                                                    0, {}, expansion::Draws{});
  const auto eos =
      expansion::analyse_equations_of_state(cells, {{expansion::Eos::kBm3}, {}, {}, {}, 0});
  EXPECT_TRUE(s && eos);
  const report::Source source{"p.tsv", {}, cells, {}, {}, {}, {}};
  Written w{report::pressure_conclusions(*s, source),
            report::pressure_text_report(*s, *eos, source),
            report::pressure_html_report(*s, *eos, source, {}, {}),
            report::pressure_csv_report(*s, *eos),
            s->analysis.strains.temperatures,
            {}};
  read_rows(w, *s, report::kPressureStrainQuantities);
  return w;
}

struct Case {
  const char* what;
  Written written;
  const char* alarm;   // in both
  const char* change;  // on the page alone: the run tells it as a warning
};

const std::vector<Case>& cases() {
  static const std::vector<Case> all = {
      {"temperature", temperature(), "X1: NEGATIVE THERMAL EXPANSION, alpha = -",
       "the space group changes from P m c n to P 21 c n"},
      {"pressure", pressure(), "X1: negative linear compressibility", nullptr}};
  return all;
}

TEST(PageContents, TheConclusionsOfTheReport) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.what);
    const Written& w = c.written;
    EXPECT_NE(std::string::npos, w.text.find(report::conclusions_text(w.list))) << w.text;
    EXPECT_NE(std::string::npos, w.text.find(std::string(" ") + c.alarm)) << w.text;
    EXPECT_NE(std::string::npos, w.page.find(std::string("<li class=\"alarm\">") + c.alarm));
    std::size_t alarms = 0;
    for (const report::Conclusion& conclusion : w.list) {
      std::string line = conclusion.text;
      for (char& ch : line) ch = ch == '\n' ? ' ' : ch;
      EXPECT_NE(std::string::npos, w.page.find(">" + chart::markup_text(line) + "</li>\n"));
      const bool change = conclusion.kind == ConclusionKind::kChange;
      EXPECT_EQ(change,
                w.text.find(change ? conclusion.text : report::conclusions_text({conclusion})) ==
                    std::string::npos)
          << line;
      alarms += conclusion.kind == ConclusionKind::kAlarm ? 1 : 0;
    }
    EXPECT_EQ(1u, alarms);
    if (c.change != nullptr) {
      EXPECT_NE(std::string::npos, w.page.find(c.change));
    }
  }
}

TEST(PageContents, TheStrainsAtEveryPoint) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.what);
    const Written& w = c.written;
    for (std::size_t k = 0; k < 3; ++k) {
      double sum = 0, largest = 0;
      for (std::size_t i = 0; i < w.at.size(); ++i) {
        const double strain = *w.strains[0][k][i].value, fit = *w.strains[1][k][i].value,
                     residual = *w.strains[2][k][i].value;
        EXPECT_NEAR(strain - fit, residual, 1e-15);
        sum += residual;
        largest = std::max(largest, std::fabs(strain));
        const std::string row = "\nX" + std::to_string(k + 1) + "," + common::shortest(w.at[i]) +
                                "," + common::shortest(strain) + ",";
        EXPECT_NE(std::string::npos,
                  w.csv.find(row + report::csv_number(w.strains[0][k][i].su) + "," +
                             common::shortest(fit) + "," + common::shortest(residual) + "\n"))
            << row;
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
