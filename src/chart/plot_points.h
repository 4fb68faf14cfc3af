// The points of one picture, in memory bounded whatever the length of the
// series.
//
// Up to kMostExactPoints points are kept as they come, and drawn each. A
// longer series is more than a picture's pixels can show: its points are then
// kept as bins of one width over the temperatures seen, each bin holding its
// lowest and its highest point, and those are drawn. The bin width is a power
// of two; when a point falls beyond the bins' reach, the width is doubled
// (neighbouring bins merged) until every point seen fits. The ranges, the mean
// and the least-squares sums always cover every point added.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "expansion/line_fit.h"
#include "formats/pgf_file.h"

namespace chart {

inline constexpr std::size_t kMostExactPoints = 4096;
inline constexpr std::size_t kMostBins = 2048;

// A long series listed point by point (the page's tables) is thinned as its
// pictures are, to at most `most` (kMostExactPoints, as a picture draws):
// every point of a series that long or shorter, else every step-th from the
// first, step the least that lists no more. The step for a series of `count`
// points; 1 for all.
[[nodiscard]] std::size_t listing_step(std::size_t count, std::size_t most = kMostExactPoints);

class PlotPoints {
 public:
  // A point whose temperature or value is not finite has no place in a
  // picture and is not taken. `su`: the value's standard uncertainty, 0 where
  // it has none.
  void add(common::Point point, double su = 0);

  [[nodiscard]] std::size_t count() const { return count_; }
  [[nodiscard]] bool empty() const { return count_ == 0; }
  // Every point is kept and drawn.
  [[nodiscard]] bool exact() const { return bins_.empty(); }

  // The points to draw: every point in the order added, or, for a long
  // series, each bin's lowest and highest point by temperature.
  [[nodiscard]] std::vector<common::Point> shown() const;
  // The SUs of the points shown, one each, while every point is kept; none
  // for a long series, whose bins hold no SUs, nor where no point has one.
  [[nodiscard]] std::vector<double> shown_sus() const;

  // The first point added, the series' reference point; the series must not
  // be empty.
  [[nodiscard]] common::Point first() const { return first_point_; }
  // Of every point added; the series must not be empty.
  [[nodiscard]] expansion::SeriesStats stats() const;
  // The least-squares line through every point added; none without two
  // temperatures.
  [[nodiscard]] std::optional<expansion::LineFit> fit() const;
  // The expansion coefficient of every point added, d ln y/dT from the line
  // through ln(y/y_first) (expansion/coefficient.h), 1/K; none without two
  // temperatures or where some y is not positive.
  [[nodiscard]] std::optional<double> coefficient() const;

 private:
  struct Bin {
    std::int64_t index = 0;  // floor(x / width)
    common::Point low;
    common::Point high;
    bool used = false;
  };
  void to_bins();
  void add_to_bins(common::Point point);
  void widen_bins();
  [[nodiscard]] std::int64_t index_of(double x) const;

  std::size_t count_ = 0;
  common::Point first_point_;
  std::vector<common::Point> points_;  // while exact
  std::vector<double> sus_;            // of points_
  bool any_su_ = false;
  std::vector<Bin> bins_;  // kMostBins, at index mod kMostBins, once not exact
  double width_ = 1;
  std::int64_t first_ = 0, last_ = 0;  // bin indices used
  // Running sums about the means, for the line (and the ranges) of every point.
  expansion::SeriesStats stats_;
  double x_mean_ = 0, sxx_ = 0, sxy_ = 0;
  double log_mean_ = 0, sx_log_ = 0;  // of ln(y/y_first)
  bool all_positive_ = true;
};

}  // namespace chart
