// Axis ranges with round tick values, shared by the terminal plot and the SVG
// picture.
//
// A tick step is 1, 2 or 5 times a power of ten, chosen so that about the
// wanted number of ticks cover the data; the axis then runs from the last step
// multiple at or below the smallest value to the first at or above the
// largest, so that both ends carry a tick.
#pragma once

#include <string>
#include <vector>

#include "vistrel/fit.h"

namespace vistrel {

struct Axis {
  double lo = 0;  // axis ends, both tick values
  double hi = 1;
  double step = 1;
  int decimals = 0;  // decimals that show every tick value exactly
  std::vector<double> ticks;
};

// An axis covering [min, max] with about `wanted` ticks (at least 2). A range
// of one value is widened around it.
[[nodiscard]] Axis nice_axis(double min, double max, int wanted);

// The tick value with the axis's decimals ("0.000", never "-0.000").
[[nodiscard]] std::string tick_label(double value, int decimals);

// Widest tick label of an axis, in characters.
[[nodiscard]] std::size_t widest_label(const Axis& axis);

// The data ranges to plot: the points and, when there is a fit, the fitted
// line over the points' temperature range (its ends may lie outside the
// values). The series must not be empty.
struct PlotRanges {
  Range x;
  Range y;
};
[[nodiscard]] PlotRanges plot_ranges(const std::vector<Point>& points,
                                     const std::optional<LineFit>& fit);

}  // namespace vistrel
