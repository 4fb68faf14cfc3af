// The thermal expansion coefficient of one quantity X (a cell length, the
// volume) against temperature, one definition for every program:
//
//   alpha(T) = d ln X / dT
//
// (Nye, Physical Properties of Crystals, Oxford 1985, ch. VI; Cliffe &
// Goodwin, J. Appl. Cryst. 45 (2012) 1321, for the lengths along principal
// axes.) It is read from the least-squares fit of ln(X/X_ref) against T, X_ref
// the value at the reference point (the first point of a series unless the
// user names another): a line's slope is the coefficient over the whole
// series, a polynomial's derivative at T the coefficient at T. The natural
// strain along a principal axis is ln(l/l_ref) itself, so that its fit gives
// the axis' coefficient directly, and the volume's coefficient is the sum of
// the three axes'.
//
// The Eulerian and Lagrangian strains are not logarithms; with them the
// coefficient of an axis is the rate of its principal strain, and that of the
// volume the rate of V over the volume measured at the reference point (for a
// polynomial, over the fitted volume at T): PASCal's definitions.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "common/point.h"
#include "expansion/poly_fit.h"

namespace expansion {

// ln(X/X_ref) of each value; nothing when a value or X_ref is not positive,
// where no coefficient means anything.
[[nodiscard]] std::optional<std::vector<double>> log_ratios(const std::vector<double>& values,
                                                            double reference);

// d ln X/dT at t, with its HC0 standard error, from the line through the
// points (x the temperature, y the quantity X), X_ref the first point's: the
// coefficient a plot of one quantity shows. Nothing for fewer than two
// temperatures or a value that is not positive.
[[nodiscard]] std::optional<Estimate> line_coefficient(const std::vector<common::Point>& points);

// rate / value, the standard uncertainty scaled alike; nothing when the value
// is not positive.
[[nodiscard]] std::optional<Estimate> expansion_coefficient(Estimate rate, double value);

// (dX/dT) / X at t, X fitted by `fit`.
[[nodiscard]] std::optional<Estimate> expansion_coefficient(const PolyFit& fit, double t);

}  // namespace expansion
