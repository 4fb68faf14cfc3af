// The equations of state of a pressure series written out (eos_analysis.h):
// the tables a person reads, the JSON members and the CSV sections.
//
// JSON, beside the compressibilities:
//   "eos": {NAME: {"V0", "V0_su", "B0", "B0_su", "Bp", "Bp_su", "Bpp",
//           "Bpp_su" (null below the 4th order), "fixed" (the parameters held:
//           "V0", "Bp"; BM2's B' = 4 among them), "weights" ("pv", "p",
//           "none"), "chi2w", "max_residual" (the largest |p_calc - p|/sigma),
//           "corr" (of the fitted parameters in the order V0, B0, Bp, Bpp),
//           "p_calc" (GPa, one per point), "pc" (bm3_pc alone)}, or null
//           where the equation cannot be fitted}, in GPa, A^3 and 1/GPa;
//   "eos_weights": {"weights", "why"};
//   "axial": {"a"|"b"|"c": {"eos": "bm3", "l0", "l0_su", "M0", "M0_su", "Mp",
//             "Mp_su", "beta0", "beta0_su"} or null}: A, GPa, 1/TPa;
//   "ff": {"f", "f_su", "F", "F_su" (null for a point left out), "V0",
//          "V0_su", "line": {"B0", "B0_su", "Bp", "Bp_su"}} or null.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "expansion/eos_analysis.h"
#include "report/json_text.h"

namespace report {

// The table of the equations, the residuals, the axial table and the F-f
// line, each with its heading.
[[nodiscard]] std::string eos_text(const expansion::EosAnalysis& eos);

// Sets the members above in j, the arrays of a value a point from `arrays`.
void add_eos_json(const expansion::EosAnalysis& eos, nlohmann::ordered_json& j,
                  PointArrays& arrays);

// Three sections, each a header line and rows, after an empty line:
// eos,V0_A3,V0_su_A3,B0_GPa,B0_su_GPa,Bp,Bp_su,pc_GPa,Bpp_GPa-1,Bpp_su_GPa-1,
// chi2w,weights (one row an equation, empty where it cannot be fitted);
// eos,p_GPa,V_A3,p_calc_GPa,residual_GPa,sigma_GPa (one row a point of each
// equation); axis,l0_A,l0_su_A,M0_GPa,M0_su_GPa,Mp,Mp_su,beta0_TPa-1,
// beta0_su_TPa-1.
[[nodiscard]] std::string eos_csv(const expansion::EosAnalysis& eos);

}  // namespace report
