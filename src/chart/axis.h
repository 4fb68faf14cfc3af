// Axis ranges with round tick values, shared by the terminal plot and the SVG
// picture.
//
// A tick step is 1, 2 or 5 times a power of ten, chosen so that about the
// wanted number of ticks cover the data. The axis then either runs from the
// last step multiple at or below the smallest value to the first at or above
// the largest, so that both ends carry a tick, or it ends at the data, with
// the ticks that fall within it (the temperature axis: no stretch without
// data beyond its ends).
#pragma once

#include <span>
#include <string>
#include <vector>

#include "expansion/line_fit.h"

namespace chart {

struct Axis {
  double lo = 0;  // axis ends
  double hi = 1;
  double step = 1;
  int decimals = 0;  // decimals that show every tick value exactly
  std::vector<double> ticks;
};

// An axis covering [min, max] with about `wanted` ticks (at least 2). A range
// of one value, or one too narrow for a measurement (below 1e-30, or 1e-12 of
// the values), is drawn flat: the axis is widened around its middle. Values
// that are not finite are taken as 0. The ticks are bounded in number
// whatever the range.
enum class AxisEnds {
  kAtTicks,  // both ends on a tick
  kAtData,   // the ends at min and max; at least two ticks within, else as kAtTicks
};
[[nodiscard]] Axis nice_axis(double min, double max, int wanted,
                             AxisEnds ends = AxisEnds::kAtTicks);

// The label of a tick: its value with the axis's decimals ("0.000", never
// "-0.000").
[[nodiscard]] std::string tick_label(const Axis& axis, double value);

// Widest tick label of an axis, in characters.
[[nodiscard]] std::size_t widest_label(const Axis& axis);

// The temperature axis of a plot `room` characters wide: ends at the data
// (kAtData), with the most ticks, up to `most_ticks`, whose labels fit side by
// side with two characters between them; never fewer than two wanted.
[[nodiscard]] Axis axis_fitting_labels(double min, double max, int most_ticks, double room);

// The data ranges to plot: the points and, when there is a fit, the fitted
// line over the points' temperature range (its ends may lie outside the
// values).
struct PlotRanges {
  expansion::Range x;
  expansion::Range y;
};
[[nodiscard]] PlotRanges plot_ranges(const expansion::SeriesStats& stats,
                                     const std::optional<expansion::LineFit>& fit);

// The value range widened to hold each point's error bar of one SU (sus, one
// a point while any is given, 0 for none).
[[nodiscard]] expansion::Range with_bars(expansion::Range y, std::span<const common::Point> points,
                                         std::span<const double> sus);

}  // namespace chart
