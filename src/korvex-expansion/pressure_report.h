// The compressibility analysis of a pressure series written out: the report a
// person reads, and JSON and CSV for programs.
//
// Pressures are in GPa, compressibilities K = -d eps/dp in TPa^-1 (10^-12 per
// pascal), volumes in cubic angstroms and bulk moduli in GPa. The axes are
// named X1, X2, X3 in order of increasing K at the median pressure (of the
// straight line's K where there is no empirical fit). Each K is written with
// its standard error from the fit in parentheses.
#pragma once

#include <string>

#include "expansion/pressure_analysis.h"
#include "report.h"

namespace korvex_expansion {

[[nodiscard]] std::string pressure_text_report(const expansion::PressureAnalysis& result,
                                               const Source& source);

// One object: mode ("pressure"), strain, points, reference and median
// pressures, pressures, pressures_su, axes (K and K_su at each pressure, uvw,
// angles, strains, fit {eps0, lambda, pc, nu and their _su}, linear {K,
// K_su}, negative_linear_compressibility), volume {K, K_su, reference,
// values} and eos {bm2, bm3, bm3_pc: V0, V0_su, B0, B0_su, Bp, Bp_su; pc for
// bm3_pc; null where it could not be fitted}. Values not known are null.
[[nodiscard]] std::string pressure_json_report(const expansion::PressureAnalysis& result,
                                               const Source& source);

// A header line, then rows axis,p_GPa,K_TPa-1,K_su_TPa-1,u,v,w: for X1, X2,
// X3 one per pressure from the empirical fit and one with p_GPa empty for the
// straight line; for V (no direction) the straight line alone.
[[nodiscard]] std::string pressure_csv_report(const expansion::PressureAnalysis& result);

}  // namespace korvex_expansion
