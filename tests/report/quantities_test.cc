// Every row of both modes' tables of quantities reads the same in the text
// report, on the page (beside the full value in data-value) and in the
// pictures' keys; and the one rule that writes a value with its SU.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "common/number_text.h"
#include "expansion/eos_analysis.h"
#include "report/eos_quantities.h"
#include "report/html_report.h"
#include "report/picture_keys.h"
#include "report/pressure_quantities.h"
#include "report/pressure_report.h"
#include "report/report.h"
#include "report/temperature_quantities.h"

namespace {

TEST(ValueWithSu, OneRuleForEveryOutput) {
  struct Case {
    std::optional<double> value, su;
    common::SuStyle style;
    const char* want;
  };
  const Case cases[] = {
      {21.4213, 0.187, {3, true, "n/a"}, "21.42(19)"},
      {-5.0, 1e-7, {3, true, "n/a"}, "-5.000"},            // an SU below the decimals is rounding
      {-5.0, 1e-7, {3, false, "n/a"}, "-5.00000000(10)"},  // unless the style keeps it
      {4.0, std::nullopt, {4, false, "n/a"}, "4.0000"},
      {-0.0000001, std::nullopt, {3, false, "n/a"}, "0.000"},
      {0.28246, std::nullopt, {-1, false, "n/a"}, "0.28246"},
      {std::nullopt, 0.1, {3, false, "n/a"}, "n/a"},
      {NAN, 0.1, {3, false, ""}, ""},
      {1234.5, 123, {3, false, "-"}, "1230(120)"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.want, common::value_with_su(c.value, c.su, c.style)) << c.want;
}

// An orthorhombic cell heating, each length with an SU.
std::vector<crystal::CellEntry> heated_cells() {
  std::vector<crystal::CellEntry> out;
  for (int i = 0; i < 6; ++i) {
    crystal::CellEntry e;
    e.source = "t" + std::to_string(i);
    e.temperature = 100.0 + 40 * i;
    e.cell = {5 - 2e-5 * i * i, 6 + 0.0011 * i, 7 + 0.0021 * i, 90, 90, 90};
    e.su.a = 0.0004;
    e.su.c = 0.0006;
    out.push_back(e);
  }
  return out;
}

// A cubic cell compressed along a Birch-Murnaghan curve (V0 512, B0 18.7,
// B' 6), its lengths scattered by a few parts in 10^5, each pressure with an
// SU of 0.01 GPa.
std::vector<crystal::CellEntry> compressed_cells() {
  std::vector<crystal::CellEntry> out;
  for (int i = 0; i < 12; ++i) {
    const double p = 0.05 + 0.6 * i;
    double v = 512;
    for (int n = 0; n < 60; ++n) {  // V(p) of BM3 by fixed-point steps
      const double x = std::cbrt(512 / v);
      const double f =
          1.5 * 18.7 * (std::pow(x, 7) - std::pow(x, 5)) * (1 + 0.75 * (6 - 4) * (x * x - 1));
      v *= 1 - (p - f) / 18.7 / 8;
    }
    const double a = std::cbrt(v) * (1 + 3e-5 * ((i * 7) % 5 - 2));
    crystal::CellEntry e;
    e.source = "p" + std::to_string(i);
    e.cell = {a, a, a, 90, 90, 90};
    e.pressure = p;
    e.pressure_su = 0.01;
    out.push_back(e);
  }
  return out;
}

// The text with its true minus signs (the page's and the pictures') back to
// hyphen-minus, as the report writes them.
std::string hyphen_minus(std::string s) {
  for (std::size_t at; (at = s.find("\u2212")) != std::string::npos;) s.replace(at, 3, "-");
  return s;
}

// The pictures' text as the report writes it, the keys' runs joined.
std::string pictures_text(const std::vector<chart::Picture>& pictures) {
  std::string s;
  for (const chart::Picture& p : pictures) s += p.svg;
  return hyphen_minus(s);
}

struct Outputs {
  std::string text, page, pictures;
};

// Where a row's value is shown: every output, or the report and the page.
template <class Analysis>
struct Row {
  const report::Quantity<Analysis>* quantity;
  std::vector<report::Place> places;
  bool in_pictures;
};

template <class Analysis>
void expect_everywhere(const Row<Analysis>& row, const Analysis& analysis, const Outputs& out) {
  for (const report::Place& place : row.places) {
    const report::Quantity<Analysis>& q = *row.quantity;
    const report::Reading r = q(analysis, place);
    ASSERT_TRUE(r.value) << q.key << " of " << place.of;
    const std::string shown = report::shown(q, r, report::kMissingText);
    const std::string where = std::string(q.key) + " of " + std::to_string(place.of) + ": " + shown;
    EXPECT_NE(std::string::npos, out.text.find(" " + shown)) << where;
    EXPECT_NE(std::string::npos,
              out.page.find("data-value=\"" + common::shortest(*r.value) + "\">" + shown + "<"))
        << where;
    if (row.in_pictures) {
      EXPECT_NE(std::string::npos, out.pictures.find("= " + shown)) << where;
    }
  }
}

TEST(Quantities, EachTemperatureRowReadsTheSameEverywhere) {
  const auto result = expansion::analyse_series(
      heated_cells(), {0, {expansion::StrainKind::kNatural, true}, 1, false}, {200, 1});
  ASSERT_TRUE(result);
  const report::Source source{"t.cif", {}, heated_cells(), {}, {}, {}, {}};
  const auto pictures = chart::render_pictures(result->analysis, &*result->sus, source.cells,
                                               source.name, report::picture_keys(*result));
  const Outputs out{report::text_report(*result, source),
                    hyphen_minus(report::html_report(*result, source, {}, pictures)),
                    pictures_text(pictures)};
  const std::vector<report::Place> each = {{0, {}}, {1, {}}, {2, {}}, {3, {}}};
  for (const report::TemperatureQuantity* q : report::kTemperatureQuantities)
    expect_everywhere<expansion::SeriesAnalysis>({q, each, true}, *result, out);
}

TEST(Quantities, EachPressureRowReadsTheSameEverywhere) {
  const std::vector<crystal::CellEntry> cells = compressed_cells();
  const std::vector<double> sigma(cells.size(), 0.01);
  const auto series = expansion::analyse_pressure_series(cells, sigma, 0, {}, expansion::Draws{});
  ASSERT_TRUE(series) << series.error().message;
  const auto eos = expansion::analyse_equations_of_state(
      cells, {{expansion::Eos::kBm2, expansion::Eos::kBm3, expansion::Eos::kVinet}, {}, {}, {}, 0});
  ASSERT_TRUE(eos) << eos.error().message;
  const report::Source source{"p.tsv", {}, cells, {}, {}, {}, {}};
  const auto pictures = chart::render_pressure_pictures(*series, *eos, cells, source.name,
                                                        report::picture_keys(*series, *eos));
  const Outputs out{report::pressure_text_report(*series, *eos, source),
                    hyphen_minus(report::pressure_html_report(*series, *eos, source, {}, pictures)),
                    pictures_text(pictures)};
  const std::vector<report::Place> axes = {{0, {}}, {1, {}}, {2, {}}};
  const Row<expansion::PressureSeries> rows[] = {
      {&report::kK, axes, true},        {&report::kLinearK, {{3, {}}}, true},
      {&report::kLinearK, axes, false}, {&report::kEps0, axes, false},
      {&report::kLambda, axes, false},  {&report::kFitPc, axes, false},
      {&report::kNu, axes, false},
  };
  for (const auto& row : rows) expect_everywhere(row, *series, out);
  // Every row of the table is among those checked.
  for (const report::PressureQuantity* q : report::kPressureQuantities) {
    EXPECT_TRUE(std::any_of(std::begin(rows), std::end(rows), [q](const auto& row) {
      return row.quantity == q;
    })) << q->key;
  }
}

// The equations of state's rows, BM2's held B' among them, in the report, on
// the page and in the pictures' keys; the fitted pressures on the page alone.
TEST(Quantities, EachEquationOfStateRowReadsTheSameEverywhere) {
  const std::vector<crystal::CellEntry> cells = compressed_cells();
  const auto series = expansion::analyse_pressure_series(
      cells, std::vector<double>(cells.size(), 0.01), 0, {}, expansion::Draws{});
  ASSERT_TRUE(series);
  const auto eos = expansion::analyse_equations_of_state(
      cells, {{expansion::Eos::kBm2, expansion::Eos::kBm3, expansion::Eos::kVinet}, {}, {}, {}, 0});
  ASSERT_TRUE(eos);
  const report::Source source{"p.tsv", {}, cells, {}, {}, {}, {}};
  const auto pictures = chart::render_pressure_pictures(*series, *eos, cells, source.name,
                                                        report::picture_keys(*series, *eos));
  const Outputs out{report::pressure_text_report(*series, *eos, source),
                    report::pressure_html_report(*series, *eos, source, {}, {}),
                    pictures_text(pictures)};
  EXPECT_EQ("4 (held)", report::shown(report::kBp, report::kBp(*eos, {0, {}}), "n/a"));
  const std::vector<report::Place> fits = {{0, {}}, {1, {}}, {2, {}}};
  const Row<expansion::EosAnalysis> rows[] = {
      {&report::kV0, fits, true},        {&report::kB0, fits, true},
      {&report::kBp, fits, true},        {&report::kChi2w, fits, false},
      {&report::kL0, {{0, {}}}, false},  {&report::kM0, {{0, {}}}, false},
      {&report::kMp, {{0, {}}}, false},  {&report::kBeta0, {{0, {}}}, false},
      {&report::kFfB0, {{0, {}}}, true}, {&report::kFfBp, {{0, {}}}, true},
  };
  for (const auto& row : rows) expect_everywhere(row, *eos, out);
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const report::Reading r = report::kPCalc(*eos, {1, i});
    EXPECT_NE(std::string::npos,
              out.page.find("data-key=\"eos.bm3.p_calc." + std::to_string(i) + "\" data-value=\"" +
                            common::shortest(*r.value) + "\""))
        << i;
  }
}

}  // namespace
