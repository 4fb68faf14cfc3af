// The JSON reports, written with their arrays of a value a point streamed,
// are the same bytes as the whole document's dump: both modes, a polynomial
// fit with the cells' SUs, the equations of state, a volumes-only series.
#include "report/json_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "expansion/eos_analysis.h"
#include "report/pressure_report.h"
#include "report/report.h"
#include "report/volumes_report.h"

namespace {

// Seven cells, each length with an SU: at 100 + 40i K heating, or at 0.6i
// GPa compressed along a BM3 curve (V0 512, B0 18.7, B' 6) with a little
// scatter.
std::vector<crystal::CellEntry> cells(bool pressure) {
  std::vector<crystal::CellEntry> out;
  for (int i = 0; i < 7; ++i) {
    crystal::CellEntry e;
    e.source = "c" + std::to_string(i) + (i == 3 ? " \"quoted\" \xc3\xa5" : "");
    if (pressure) {
      double v = 512;
      for (int n = 0; n < 60; ++n) {  // V(p) of BM3 by fixed-point steps
        const double x = std::cbrt(512 / v);
        const double f = 1.5 * 18.7 * (std::pow(x, 7) - std::pow(x, 5)) * (1 + 1.5 * (x * x - 1));
        v *= 1 - (0.6 * i + 0.05 - f) / 18.7 / 8;
      }
      const double a = std::cbrt(v) * (1 + 3e-5 * ((i * 7) % 5 - 2));
      e.cell = {a, a * 1.1, a * 1.2, 90, 90, 90};
      e.pressure = 0.6 * i + 0.05;
      e.pressure_su = 0.01;
    } else {
      e.temperature = 100.0 + 40 * i;
      e.cell = {5 - 2e-5 * i * i, 6 + 0.0011 * i, 7 + 0.0021 * i, 90, 90.1 + 1e-3 * i, 90};
    }
    e.su.a = 0.0004;
    e.su.c = 0.0006;
    out.push_back(e);
  }
  return out;
}

TEST(JsonText, StreamedArraysGiveTheDocumentsBytes) {
  for (const int degree : {1, 3}) {
    const auto result = expansion::analyse_series(
        cells(false), {0, {expansion::StrainKind::kNatural, true}, degree, false}, {20, 1});
    ASSERT_TRUE(result) << result.error().message;
    const report::Source source{"t \"1\".cif", {}, cells(false), {}, {}, {}, {"w\\1"}};
    EXPECT_EQ(report::json_document(*result, source).dump() + "\n",
              report::json_report(*result, source))
        << degree;
  }
  const std::vector<crystal::CellEntry> compressed = cells(true);
  const auto series = expansion::analyse_pressure_series(
      compressed, std::vector<double>(compressed.size(), 0.01), 0, {}, {20, 1});
  ASSERT_TRUE(series) << series.error().message;
  const auto eos = expansion::analyse_equations_of_state(
      compressed,
      {{expansion::Eos::kBm2, expansion::Eos::kBm3, expansion::Eos::kVinet}, {}, {}, {}, 0});
  ASSERT_TRUE(eos) << eos.error().message;
  const report::Source source{"p.tsv", {}, compressed, {}, {}, {}, {}};
  const std::string pressure = report::pressure_json_report(*series, *eos, source);
  EXPECT_EQ(report::pressure_json_document(*series, *eos, source).dump() + "\n", pressure);
  EXPECT_NE(std::string::npos, pressure.find("\"p_calc\":[")) << pressure;
  EXPECT_EQ(report::volumes_json_document(*eos, source).dump() + "\n",
            report::volumes_json_report(*eos, source));
}

}  // namespace
