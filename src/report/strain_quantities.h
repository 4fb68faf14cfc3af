// The principal strains at every point, in either mode (report/quantity.h):
// the strain the cells give along each principal axis, the value of the
// axis's fit there, and the residual, the strain less the fit, so that a
// reader can check each fit point by point. Fractions; Place::of the axis
// (0 to 2, X1 to X3), Place::at the point.
//
// The fit: of a temperature series the polynomial in T (expansion/
// analysis.h); of a pressure series the empirical fit eps0 + lambda (p -
// p_c)^nu where the axis has one, else its straight line. JSON, in each
// axis: strains and strains_su (the cells' SU, drawn, where the cells carry
// SUs; a temperature series alone), strains_fit and strains_residual.
#pragma once

#include "report/pressure_quantities.h"
#include "report/temperature_quantities.h"

namespace report {

extern const TemperatureQuantity kStrain, kStrainFit, kStrainResidual;
extern const PressureQuantity kPressureStrain, kPressureStrainFit, kPressureStrainResidual;

inline const TemperatureQuantity* const kStrainQuantities[] = {&kStrain, &kStrainFit,
                                                               &kStrainResidual};
inline const PressureQuantity* const kPressureStrainQuantities[] = {
    &kPressureStrain, &kPressureStrainFit, &kPressureStrainResidual};

}  // namespace report
