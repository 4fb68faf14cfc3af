// The compressibility analysis of a pressure series written out: the report a
// person reads, and JSON and CSV for programs.
//
// Pressures are in GPa, compressibilities K = -d eps/dp in TPa^-1 (10^-12 per
// pascal), volumes in cubic angstroms and bulk moduli in GPa. The axes are
// named X1, X2, X3 in order of increasing K at the median pressure (of the
// straight line's K where there is no empirical fit). Each K is written with
// the SU that bounds it in parentheses: the larger of the fit's standard error
// and, where the cells carry SUs, the one drawn from them (pressure_draws.h).
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "expansion/eos_analysis.h"
#include "expansion/pressure_draws.h"
#include "report/report.h"

namespace report {

[[nodiscard]] std::string pressure_text_report(const expansion::PressureSeries& series,
                                               const expansion::EosAnalysis& eos,
                                               const Source& source);

// One object, the schema of json_document: mode ("pressure"), title,
// source, strain, symmetry, symmetry_from, skipped_lines, warnings, points,
// draws (null without cells' SUs); then reference and median pressures,
// pressures, pressures_su (null where no point has one), lines_weighted (the
// straight lines weighted by 1/sigma_p), axes (K at each pressure with K_su,
// the bounding SU, K_su_fit and K_su_cells; uvw, angles, strains,
// strains_fit, strains_residual (strain_quantities.h), fit {determined (false where the least
// squares lie at nu -> 0 or p_c -> -infinity: the parameters are those the search stopped at,
// without SUs, and K holds), eps0, lambda, pc, nu and their _su}, linear {K, K_su, K_su_fit,
// K_su_cells}, negative_linear_compressibility), volume {K, K_su, K_su_fit, K_su_cells, definition,
// reference, values}, the equations of state (eos, eos_weights, axial, ff: eos_report.h) and cells
// (json_cell, the pressure under "p"). Values not known are null. pressure_json_report is its text,
// on one line.
[[nodiscard]] nlohmann::ordered_json pressure_json_document(const expansion::PressureSeries& series,
                                                            const expansion::EosAnalysis& eos,
                                                            const Source& source);
[[nodiscard]] std::string pressure_json_report(const expansion::PressureSeries& series,
                                               const expansion::EosAnalysis& eos,
                                               const Source& source);

// A header line, then rows axis,p_GPa,K_TPa-1,K_su_TPa-1,u,v,w,
// K_su_fit_TPa-1,K_su_cells_TPa-1 (K_su the bounding SU): for X1, X2, X3 one
// per pressure from the empirical fit and one with p_GPa empty for the
// straight line; for V (no direction) the straight line alone. Then the
// equations of state's sections, each after an empty line (eos_csv), and
// after another the principal strains at each point, axis,p_GPa,strains,
// strains_su,strains_fit,strains_residual.
[[nodiscard]] std::string pressure_csv_report(const expansion::PressureSeries& series,
                                              const expansion::EosAnalysis& eos);

}  // namespace report
