#include "expansion/line_fit.h"

#include <algorithm>

namespace expansion {

NoFit why_no_fit(const std::vector<common::Point>& points) {
  if (points.empty()) return NoFit::kNoPoints;
  if (points.size() == 1) return NoFit::kOnePoint;
  const bool same_x = std::all_of(points.begin(), points.end(),
                                  [&](const common::Point& p) { return p.x == points.front().x; });
  return same_x ? NoFit::kSameTemperature : NoFit::kNone;
}

std::optional<LineFit> fit_line(const std::vector<common::Point>& points) {
  if (why_no_fit(points) != NoFit::kNone) return std::nullopt;
  // Sums about the means, which keeps the small slope of a cell parameter
  // (1e-5 of its value per kelvin) clear of cancellation.
  double x_mean = 0, y_mean = 0;
  for (const common::Point& p : points) x_mean += p.x, y_mean += p.y;
  x_mean /= static_cast<double>(points.size());
  y_mean /= static_cast<double>(points.size());
  double sxx = 0, sxy = 0;
  for (const common::Point& p : points) {
    sxx += (p.x - x_mean) * (p.x - x_mean);
    sxy += (p.x - x_mean) * (p.y - y_mean);
  }
  if (!(sxx > 0)) return std::nullopt;
  const double slope = sxy / sxx;
  return LineFit{slope, y_mean - slope * x_mean};
}

SeriesStats series_stats(const std::vector<common::Point>& points) {
  SeriesStats s{{points.front().x, points.front().x}, {points.front().y, points.front().y}, 0};
  for (const common::Point& p : points) {
    s.x = {std::min(s.x.min, p.x), std::max(s.x.max, p.x)};
    s.y = {std::min(s.y.min, p.y), std::max(s.y.max, p.y)};
    s.y_mean += p.y;
  }
  s.y_mean /= static_cast<double>(points.size());
  return s;
}

}  // namespace expansion
