// The analysis written out: the report a person reads on the terminal, and
// JSON and CSV for programs.
//
// Coefficients are given in MK^-1 (10^-6 per kelvin) with their HC0 standard
// errors, strains as fractions. The axes are named X1, X2, X3 in order of
// increasing coefficient (for a quadratic or cubic fit, the coefficient at
// the median temperature).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "expansion/analysis.h"

namespace korvex_expansion {

// Where the series came from.
struct Source {
  std::string name;                // the file as named on the command line
  std::vector<int> skipped_lines;  // rows left out (overflow form)
};

[[nodiscard]] std::string text_report(const expansion::Analysis& analysis, const Source& source);

// One object: points, strain, fit, reference and median temperatures,
// temperatures, axes (alpha, su, uvw, angles, strains; for a polynomial also
// alpha_T and su_T at each temperature), volume (alpha, su, reference, values,
// and alpha_T, su_T for a polynomial), skipped_lines.
[[nodiscard]] std::string json_report(const expansion::Analysis& analysis, const Source& source);

// A header line, then rows axis,T_K,alpha_MK-1,su_MK-1,u,v,w,angle_a_deg,
// angle_b_deg,angle_c_deg for X1, X2, X3 and V (no direction). A line has one
// row per quantity with T_K empty; a polynomial one row per quantity and
// temperature.
[[nodiscard]] std::string csv_report(const expansion::Analysis& analysis);

}  // namespace korvex_expansion
