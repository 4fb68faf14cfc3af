// Fuzz target: korvex-expansion's reading of a series table and everything it
// does with what it read, on arbitrary bytes.
//
// Checks, whatever the input:
// - the reader ends with rows or with an error in words of a line the input
//   holds;
// - every row read is a crystal's cell at a temperature one can measure at
//   (check_cell and check_temperature pass), rows and skipped rows in
//   the order of their lines;
// - the analysis of the rows, for each fit and two strain measures, ends with
//   an error in words or with finite coefficients, standard errors that are
//   finite (or absent, without a spare point), unit directions and stretches
//   of negative expansion inside the range; the three reports are written,
//   and the JSON parses.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "crystal/cell.h"
#include "expansion/analysis.h"
#include "expansion/monte_carlo.h"
#include "formats/series_table.h"
#include "fuzz_support.h"
#include "report/report.h"

namespace {

using fuzzsupport::check;

void check_estimate(const expansion::Estimate& e, bool su, const std::string& what) {
  check(std::isfinite(e.value), what + ": a coefficient that is not finite");
  check(su ? std::isfinite(e.su) && e.su >= 0 : std::isnan(e.su),
        what + (su ? ": a standard error that is not finite" : ": a standard error without one"));
}

void check_analysis(const expansion::Analysis& an) {
  const std::size_t n = an.temperatures.size();
  check(an.median < n && an.direction_point < n && an.reference < n, "a point out of the series");
  const double lo = *std::min_element(an.temperatures.begin(), an.temperatures.end());
  const double hi = *std::max_element(an.temperatures.begin(), an.temperatures.end());
  const auto check_spans = [&](const std::vector<expansion::NegativeSpan>& spans) {
    for (const expansion::NegativeSpan& s : spans) {
      check(lo <= s.from && s.from < s.to && s.to <= hi, "a negative stretch out of the range");
      check(s.least <= 0, "a negative stretch whose least coefficient is not negative");
    }
  };
  for (const expansion::AxisResult& axis : an.axes) {
    check_estimate(axis.alpha, an.standard_errors, "an axis");
    check(axis.alpha_at.size() == n && axis.strains.size() == n, "an axis without every point");
    for (const expansion::Estimate& e : axis.alpha_at)
      check_estimate(e, an.standard_errors, "an axis at a point");
    check(std::fabs(axis.uvw.norm() - 1) < 1e-9, "a direction that is not of unit length");
    check_spans(axis.negative);
  }
  check(std::is_sorted(an.axes.begin(), an.axes.end(),
                       [](const auto& x, const auto& y) { return x.alpha.value < y.alpha.value; }),
        "axes out of order");
  check_estimate(an.volume.alpha, an.standard_errors, "the volume");
  check_spans(an.volume.negative);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // A CR alone ends a line too.
  const auto lines = std::count(bytes.begin(), bytes.end(), '\n') +
                     std::count(bytes.begin(), bytes.end(), '\r') + 1;
  const common::Expected<formats::Series> read = formats::parse_series(bytes);
  if (!read) {
    check(!read.error().message.empty(), "an error without words");
    check(read.error().line >= 1 && read.error().line <= lines,
          "an error of line " + std::to_string(read.error().line));
    return 0;
  }
  int last = 0;
  std::vector<double> temperatures;
  std::vector<Eigen::Matrix3d> bases;
  for (const formats::SeriesRow& row : read->rows) {
    check(row.line > last && row.line <= lines, "rows out of the order of their lines");
    last = row.line;
    check(crystal::check_cell(row.cell).has_value(), "a row that is no cell");
    check(crystal::check_temperature(row.temperature).has_value(),
          "a temperature beyond the range");
    temperatures.push_back(row.temperature);
    bases.push_back(crystal::basis(row.cell));
  }
  for (std::size_t i = 0; i < read->skipped.size(); ++i) {
    check(!read->skipped[i].reason.empty(), "a row skipped without a reason");
    check(i == 0 || read->skipped[i].line > read->skipped[i - 1].line, "skipped rows out of order");
  }
  if (temperatures.size() < 3) return 0;
  const report::Source source{"f", {}, {}, {}, {}, {}, {}};
  for (const expansion::StrainMeasure measure :
       {expansion::StrainMeasure{expansion::StrainKind::kNatural, true},
        expansion::StrainMeasure{expansion::StrainKind::kEulerian, true},
        expansion::StrainMeasure{expansion::StrainKind::kLagrangian, false}}) {
    for (int degree = 1; degree <= 3; ++degree) {
      const auto an = expansion::analyse(temperatures, bases, 0, measure, degree);
      if (!an) {
        check(!an.error().message.empty(), "an analysis that fails without words");
        continue;
      }
      check_analysis(*an);
      const expansion::SeriesAnalysis result{*an, {}, std::nullopt};
      check(!report::text_report(result, source).empty(), "an empty report");
      check(!report::csv_report(result).empty(), "an empty CSV report");
      check(nlohmann::json::accept(report::json_report(result, source)),
            "a JSON report that does not parse");
    }
  }
  return 0;
}
