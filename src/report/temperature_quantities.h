// The table of quantities of a temperature series (report/quantity.h).
#pragma once

#include "expansion/monte_carlo.h"
#include "report/quantity.h"

namespace report {

using TemperatureQuantity = Quantity<expansion::SeriesAnalysis>;

// The principal coefficient alpha of axis k (Place::of 0 to 2), or the
// volume's alpha_V (3), in MK^-1: the fitted one (for a polynomial, at the
// median temperature), or at point i (Place::at). JSON: alpha, su, su_fit,
// su_cells, and at each point alpha_T, su_T, su_fit_T, su_cells_T.
extern const TemperatureQuantity kAlpha;

// Every row of the table.
inline const TemperatureQuantity* const kTemperatureQuantities[] = {&kAlpha};

}  // namespace report
