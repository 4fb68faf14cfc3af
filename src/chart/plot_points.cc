#include "chart/plot_points.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "expansion/coefficient.h"

namespace chart {

namespace {

std::int64_t floor_half(std::int64_t k) {
  return k >= 0 ? k / 2 : -((1 - k) / 2);
}

std::size_t slot_of(std::int64_t k) {
  const auto n = static_cast<std::int64_t>(kMostBins);
  return static_cast<std::size_t>(((k % n) + n) % n);
}

}  // namespace

void PlotPoints::add(common::Point point, double su) {
  if (!std::isfinite(point.x) || !std::isfinite(point.y)) return;
  if (!(su > 0) || !std::isfinite(su)) su = 0;
  ++count_;
  if (count_ == 1) {
    first_point_ = point;
    stats_ = {{point.x, point.x}, {point.y, point.y}, point.y};
    x_mean_ = point.x;
    all_positive_ = point.y > 0;
  } else {
    stats_.x = {std::min(stats_.x.min, point.x), std::max(stats_.x.max, point.x)};
    stats_.y = {std::min(stats_.y.min, point.y), std::max(stats_.y.max, point.y)};
    // Sums about the running means, clear of the cancellation that plain
    // sums of x*y would suffer over a long series.
    const auto n = static_cast<double>(count_);
    const double dx = point.x - x_mean_;
    x_mean_ += dx / n;
    stats_.y_mean += (point.y - stats_.y_mean) / n;
    sxx_ += dx * (point.x - x_mean_);
    sxy_ += dx * (point.y - stats_.y_mean);
    all_positive_ = all_positive_ && point.y > 0;
    if (all_positive_) {
      const double ln = std::log(point.y / first_point_.y);
      log_mean_ += (ln - log_mean_) / n;
      sx_log_ += dx * (ln - log_mean_);
    }
  }
  if (exact() && points_.size() < kMostExactPoints) {
    points_.push_back(point);
    sus_.push_back(su);
    any_su_ |= su > 0;
    return;
  }
  if (exact()) to_bins();
  add_to_bins(point);
}

std::int64_t PlotPoints::index_of(double x) const {
  return static_cast<std::int64_t>(std::floor(x / width_));
}

void PlotPoints::to_bins() {
  // A width that spreads the temperatures seen over the bins, and never so
  // narrow that an index would leave 53 bits.
  const double span = stats_.x.max - stats_.x.min;
  const double largest = std::max(std::fabs(stats_.x.min), std::fabs(stats_.x.max));
  const double wanted =
      std::max({span / static_cast<double>(kMostBins - 1), std::ldexp(largest, -52), DBL_MIN});
  int exponent = 0;
  (void)std::frexp(wanted, &exponent);
  width_ = std::ldexp(1.0, exponent);  // a power of two at or above wanted
  bins_.assign(kMostBins, Bin{});
  const std::vector<common::Point> points = std::move(points_);
  points_ = {};
  sus_ = {};
  first_ = last_ = index_of(points.front().x);
  for (const common::Point& p : points) add_to_bins(p);
}

void PlotPoints::add_to_bins(common::Point point) {
  // An index stays within 53 bits, however far the point lies from the rest.
  while (!(std::fabs(point.x / width_) < 0x1p53)) widen_bins();
  std::int64_t k = index_of(point.x);
  while (std::max(last_, k) - std::min(first_, k) >= static_cast<std::int64_t>(kMostBins)) {
    widen_bins();
    k = index_of(point.x);
  }
  first_ = std::min(first_, k);
  last_ = std::max(last_, k);
  // Indices within one span of kMostBins never share a slot.
  Bin& bin = bins_[slot_of(k)];
  if (!bin.used) {
    bin = {k, point, point, true};
    return;
  }
  if (point.y < bin.low.y) bin.low = point;
  if (point.y > bin.high.y) bin.high = point;
}

void PlotPoints::widen_bins() {
  width_ *= 2;
  std::vector<Bin> wider(kMostBins);
  for (const Bin& bin : bins_) {
    if (!bin.used) continue;
    const std::int64_t k = floor_half(bin.index);
    Bin& merged = wider[slot_of(k)];
    if (!merged.used) {
      merged = {k, bin.low, bin.high, true};
      continue;
    }
    if (bin.low.y < merged.low.y) merged.low = bin.low;
    if (bin.high.y > merged.high.y) merged.high = bin.high;
  }
  bins_ = std::move(wider);
  first_ = floor_half(first_);
  last_ = floor_half(last_);
}

std::size_t listing_step(std::size_t count, std::size_t most) {
  return count <= most ? 1 : (count + most - 1) / most;
}

std::vector<common::Point> PlotPoints::shown() const {
  if (exact()) return points_;
  std::vector<common::Point> points;
  for (std::int64_t k = first_; k <= last_; ++k) {
    const Bin& bin = bins_[slot_of(k)];
    if (!bin.used || bin.index != k) continue;
    points.push_back(bin.low);
    if (bin.high.x != bin.low.x || bin.high.y != bin.low.y) points.push_back(bin.high);
  }
  return points;
}

std::vector<double> PlotPoints::shown_sus() const {
  return exact() && any_su_ ? sus_ : std::vector<double>{};
}

expansion::SeriesStats PlotPoints::stats() const {
  return exact() ? expansion::series_stats(points_) : stats_;
}

std::optional<expansion::LineFit> PlotPoints::fit() const {
  if (exact()) return expansion::fit_line(points_);
  if (!(sxx_ > 0)) return std::nullopt;
  const double slope = sxy_ / sxx_;
  return expansion::LineFit{slope, stats_.y_mean - slope * x_mean_};
}

std::optional<double> PlotPoints::coefficient() const {
  if (exact()) {
    const auto alpha = expansion::line_coefficient(points_);
    return alpha ? std::optional<double>(alpha->value) : std::nullopt;
  }
  if (!(sxx_ > 0) || !all_positive_) return std::nullopt;
  return sx_log_ / sxx_;
}

}  // namespace chart
