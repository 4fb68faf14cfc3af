// The table of quantities of a series' equations of state (report/
// quantity.h), read from expansion::EosAnalysis: the report's tables, the
// JSON's members, the CSV's columns, the page's cells and the volume
// picture's keys all take an equation's numbers from these rows.
//
// Place::of is the index of an equation in EosAnalysis::equations, or of an
// axial equation in EosAnalysis::axial; Place::at a point of the series. A
// row reads nothing (no value) where the equation has no fit. A parameter
// held at a value (B' = 4 of BM2, --fix) has no SU and reads "4 (held)".
#pragma once

#include "expansion/eos_analysis.h"
#include "report/quantity.h"

namespace report {

using EosQuantity = Quantity<expansion::EosAnalysis>;

// V0 (A^3), B0 (GPa), B' and B'' (1/GPa, 4th order alone) of an equation.
extern const EosQuantity kV0, kB0, kBp, kBpp;
// BM3 with p_c: the p_c it was fitted with (GPa); nothing for the others.
extern const EosQuantity kEosPc;
// The reduced chi^2_w and the largest |p_calc - p|/sigma, four and three
// significant digits.
extern const EosQuantity kChi2w, kMaxResidual;
// At point `at`: the fitted pressure p_calc and the residual p_calc - p, GPa.
extern const EosQuantity kPCalc, kResidual;
// An axial equation (BM3 of the cubed length): l0 (A), M0 (GPa), M' and
// beta0 = 1000/M0 (1/TPa).
extern const EosQuantity kL0, kM0, kMp, kBeta0;
// The F-f plot's weighted line: B0 (GPa) and B'; Place is not read.
extern const EosQuantity kFfB0, kFfBp;

inline const EosQuantity* const kEosParameters[] = {&kV0, &kB0, &kBp, &kBpp};
inline const EosQuantity* const kAxialQuantities[] = {&kL0, &kM0, &kMp, &kBeta0};

}  // namespace report
