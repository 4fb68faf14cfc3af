// The least-squares line through a series of a plot file. The slope of a cell
// length or of the volume gives its thermal expansion coefficient
// (coefficient.h); for an angle only the slope itself, in degrees per kelvin,
// is meaningful.
#pragma once

#include <optional>
#include <vector>

#include "common/point.h"

namespace expansion {

struct LineFit {
  double slope = 0;
  double intercept = 0;
};

// Why no line could be fitted; kNone when one was.
enum class NoFit { kNone, kNoPoints, kOnePoint, kSameTemperature };

[[nodiscard]] NoFit why_no_fit(const std::vector<common::Point>& points);

// The least-squares line y = intercept + slope * x; absent when why_no_fit
// gives a reason.
[[nodiscard]] std::optional<LineFit> fit_line(const std::vector<common::Point>& points);

struct Range {
  double min = 0;
  double max = 0;
};

// Smallest and largest X and Y, and the mean of Y; the series must not be empty.
struct SeriesStats {
  Range x;
  Range y;
  double y_mean = 0;
};
[[nodiscard]] SeriesStats series_stats(const std::vector<common::Point>& points);

}  // namespace expansion
