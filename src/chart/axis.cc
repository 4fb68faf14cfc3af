#include "chart/axis.h"

#include <algorithm>
#include <cmath>

#include "common/number_text.h"

namespace chart {

namespace {

// Below this a span, or a value's size, is no measurement a plot file
// carries (its values have five decimals): such a series is drawn flat.
constexpr double kNegligible = 1e-30;
// More ticks than any axis asks for: a bound on the tick loop, whatever the
// arithmetic gives.
constexpr int kMostTicks = 1000;

}  // namespace

Axis nice_axis(double min, double max, int wanted, AxisEnds ends) {
  wanted = std::clamp(wanted, 2, kMostTicks / 2);
  if (!std::isfinite(min) || !std::isfinite(max)) min = max = 0;
  if (min > max) std::swap(min, max);
  // A range narrower than the values' own precision, or than any value a plot
  // carries, is shown as one value: the middle of the range, widened around it.
  const double magnitude = std::max(std::fabs(min), std::fabs(max));
  if (max - min <= magnitude * 1e-12 || max - min < kNegligible) {
    double mid = min + (max - min) / 2;
    if (std::fabs(mid) < kNegligible) mid = 0;
    const double pad = mid != 0 ? std::fabs(mid) * 0.01 : 1.0;
    min = mid - pad;
    max = mid + pad;
  }
  const double rough = (max - min) / wanted;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  double step = 10 * power;
  for (const double m : {1.0, 2.0, 5.0}) {
    if (m * power >= rough * (1 - 1e-9)) {
      step = m * power;
      break;
    }
  }
  Axis axis;
  axis.step = step;
  axis.decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
  // first and last are whole numbers of steps; the ticks are counted in whole steps.
  const auto add_ticks = [&](double first, double last) {
    axis.ticks.clear();
    for (int i = 0; first + i <= last && i <= kMostTicks; ++i) {
      axis.ticks.push_back((first + i) * step);
    }
  };
  if (ends == AxisEnds::kAtData) {
    add_ticks(std::ceil(min / step - 1e-9), std::floor(max / step + 1e-9));
    if (axis.ticks.size() >= 2) {
      axis.lo = min;
      axis.hi = max;
      return axis;
    }
  }
  const double first = std::floor(min / step + 1e-9);
  const double last = std::ceil(max / step - 1e-9);
  axis.lo = first * step;
  axis.hi = last * step;
  add_ticks(first, last);
  return axis;
}

std::string tick_label(const Axis& axis, double value) {
  return common::fixed(value, axis.decimals);
}

std::size_t widest_label(const Axis& axis) {
  std::size_t w = 0;
  for (const double t : axis.ticks) w = std::max(w, tick_label(axis, t).size());
  return w;
}

Axis axis_fitting_labels(double min, double max, int most_ticks, double room) {
  for (int wanted = std::max(most_ticks, 2);; --wanted) {
    Axis axis = nice_axis(min, max, wanted, AxisEnds::kAtData);
    const auto need = static_cast<double>(axis.ticks.size() * (widest_label(axis) + 2));
    if (need <= room || wanted <= 2) return axis;
  }
}

PlotRanges plot_ranges(const expansion::SeriesStats& s,
                       const std::optional<expansion::LineFit>& fit) {
  PlotRanges r{s.x, s.y};
  if (fit) {
    for (const double x : {s.x.min, s.x.max}) {
      const double y = fit->intercept + fit->slope * x;
      r.y = {std::min(r.y.min, y), std::max(r.y.max, y)};
    }
  }
  return r;
}

expansion::Range with_bars(expansion::Range y, std::span<const common::Point> points,
                           std::span<const double> sus) {
  for (std::size_t i = 0; i < sus.size() && i < points.size(); ++i) {
    y.min = std::min(y.min, points[i].y - sus[i]);
    y.max = std::max(y.max, points[i].y + sus[i]);
  }
  return y;
}

}  // namespace chart
