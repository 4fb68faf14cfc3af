// The thermal expansion coefficient, one definition for every program (the
// one PASCal uses):
//
//   alpha(T) = (dX/dT)(T) / X(T),  both from the fit of X against T.
//
// A least-squares line gives one coefficient, at the reference temperature:
// slope / X_fit(T_ref), T_ref the reference point's temperature (the first
// point of a series unless the user names another). A polynomial gives one at
// every temperature. X is a cell length or the volume; for a principal axis,
// whose strain eps against the reference is what is fitted, X = X_ref (1 +
// eps), so alpha(T) = (d eps/dT)(T) / (1 + eps_fit(T)).
#pragma once

#include <optional>

#include "expansion/line_fit.h"
#include "expansion/poly_fit.h"

namespace expansion {

// rate / value, the standard uncertainty scaled alike; nothing when the value
// is not positive, where no coefficient means anything.
[[nodiscard]] std::optional<Estimate> expansion_coefficient(Estimate rate, double value);

// slope / X_fit(reference_t), in 1/K.
[[nodiscard]] std::optional<double> expansion_coefficient(const LineFit& fit, double reference_t);

// (dX/dT) / X at t, X fitted by `fit`.
[[nodiscard]] std::optional<Estimate> expansion_coefficient(const PolyFit& fit, double t);

// (d eps/dT) / (1 + eps) at t, the strain eps fitted by `fit`.
[[nodiscard]] std::optional<Estimate> strain_expansion_coefficient(const PolyFit& fit, double t);

}  // namespace expansion
