// The table of quantities of a pressure series (report/quantity.h).
#pragma once

#include "expansion/pressure_draws.h"
#include "report/quantity.h"

namespace report {

using PressureQuantity = Quantity<expansion::PressureSeries>;

// The compressibility K of axis k (Place::of 0 to 2) from its empirical fit,
// TPa^-1: at the median pressure, or at point i (Place::at); missing where the
// series is too short for the fit. JSON: K, K_su, K_su_fit, K_su_cells, one
// of each per point.
extern const PressureQuantity kK;
// The straight line's K of axis k (0 to 2) or of the volume (3), TPa^-1.
extern const PressureQuantity kLinearK;
// The empirical fit eps = eps0 + lambda (p - p_c)^nu of axis k (0 to 2); p_c
// at its bound (the lowest pressure) has no SU.
extern const PressureQuantity kEps0, kLambda, kFitPc, kNu;
// The rows of each table: an empirical fit's, and every row.
inline const PressureQuantity* const kFitQuantities[] = {&kEps0, &kLambda, &kFitPc, &kNu};
inline const PressureQuantity* const kPressureQuantities[] = {&kK,      &kLinearK, &kEps0,
                                                              &kLambda, &kFitPc,   &kNu};

}  // namespace report
