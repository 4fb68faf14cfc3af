// The analysis written out: the report a person reads on the terminal, and
// JSON and CSV for programs.
//
// Coefficients are given in MK^-1 (10^-6 per kelvin) with their HC0 standard
// errors, strains as fractions. The axes are named X1, X2, X3 in order of
// increasing coefficient (for a quadratic or cubic fit, the coefficient at
// the median temperature).
#pragma once

#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "crystal/cell.h"
#include "expansion/analysis.h"
#include "expansion/monte_carlo.h"
#include "expansion/series_range.h"

namespace report {

// Where the series came from.
struct Source {
  std::string name;                            // the inputs as named on the command line
  std::vector<int> skipped_lines;              // rows left out (overflow form)
  std::vector<crystal::CellEntry> cells;       // the points, in the analysis' order
  std::string title;                           // the list's title line, where it gives one
  std::optional<expansion::ValueRange> range;  // --range, where given
  std::vector<crystal::CellEntry> left_out;    // the points outside it
  std::vector<std::string> warnings;           // as standard error tells them
};

// What a report is of, as its heading says: the list's title and the inputs
// in brackets, or the inputs alone. Plain text, for the caller to make safe.
[[nodiscard]] std::string subject(const Source& source);

// One point's cell: source, its abscissa under "T" (temperature) or "p"
// (pressure) and its SU under "T_su" or "p_su", a, a_su, ... gamma, gamma_su.
[[nodiscard]] nlohmann::ordered_json json_cell(const crystal::CellEntry& e,
                                               crystal::Abscissa abscissa);

// Where the cells carry SUs, each coefficient is written with the SU drawn
// from them, 21.42(19), beside its fit's own, and the directions get theirs.
[[nodiscard]] std::string text_report(const expansion::SeriesAnalysis& result,
                                      const Source& source);

// One object, the schema both modes share (the man page gives it whole):
// mode ("temperature"), title, source, strain, symmetry, symmetry_from,
// skipped_lines, range (with --range: low, high, left_out, the cells outside
// it), warnings, points, draws; then fit, weighted, reference, median and
// direction temperatures, temperatures, axes (alpha, su, su_fit, su_cells,
// direction_su_deg, uvw, angles, strains, strains_su, strains_fit,
// strains_residual (strain_quantities.h); for a polynomial also
// alpha_T, su_T, su_fit_T and su_cells_T at each temperature), volume (the
// same keys of alpha_V, reference, values, values_su), and cells: source, T,
// T_su, a, a_su, ... gamma, gamma_su for each point. A value not known is
// null. json_report is its text, on one line.
[[nodiscard]] nlohmann::ordered_json json_document(const expansion::SeriesAnalysis& result,
                                                   const Source& source);
[[nodiscard]] std::string json_report(const expansion::SeriesAnalysis& result,
                                      const Source& source);

// A header line, then rows axis,T_K,alpha_MK-1,su_MK-1,u,v,w,angle_a_deg,
// angle_b_deg,angle_c_deg for X1, X2, X3 and V (no direction), and where the
// cells carry SUs su_cells_MK-1,direction_su_deg. A line has one row per
// quantity with T_K empty; a polynomial one row per quantity and temperature.
// Then, after an empty line, the principal strains at each point: axis,T_K,
// strains,strains_su,strains_fit,strains_residual.
[[nodiscard]] std::string csv_report(const expansion::SeriesAnalysis& result);

}  // namespace report
