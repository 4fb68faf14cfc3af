#include "chart/plot_points.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "chart/series_picture.h"

namespace {

using common::Point;

TEST(PlotPoints, ASeriesOfFewPointsIsKeptWholeInItsOrder) {
  const std::vector<Point> points = {{300, 2}, {100, 1}, {200, 3}, {200, 3}};
  chart::PlotPoints kept;
  for (const Point& p : points) kept.add(p);
  kept.add({NAN, 1});
  kept.add({100, INFINITY});
  ASSERT_TRUE(kept.exact());
  EXPECT_EQ(4U, kept.count());
  const std::vector<Point> shown = kept.shown();
  ASSERT_EQ(points.size(), shown.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    EXPECT_EQ(points[i].x, shown[i].x);
    EXPECT_EQ(points[i].y, shown[i].y);
  }
  const auto fit = kept.fit();
  ASSERT_TRUE(fit);
  EXPECT_EQ(expansion::fit_line(points)->slope, fit->slope);
}

// Ten million points, sawtooth values about a line over a range that grows to
// the left and to the right: a bounded number shown, among them the lowest
// and highest point of every stretch, and the line of all of them.
TEST(PlotPoints, TenMillionPointsGiveAPictureOfNormalSize) {
  constexpr long kCount = 10'000'000;
  chart::PlotPoints kept;
  const auto value = [](long i, double t) { return 5 + 1e-4 * t + ((i % 7) - 3) * 1e-3; };
  for (long i = 0; i < kCount; ++i) {
    // Temperatures from 100 K outwards, alternately below and above.
    const double t = 100 + (i % 2 == 0 ? 1 : -1) * static_cast<double>(i) * 1e-4;
    kept.add({t, value(i, t)});
  }
  EXPECT_FALSE(kept.exact());
  EXPECT_EQ(static_cast<std::size_t>(kCount), kept.count());
  const std::vector<Point> shown = kept.shown();
  EXPECT_LE(shown.size(), 2 * chart::kMostBins);
  EXPECT_GE(shown.size(), chart::kMostBins / 2);
  const expansion::SeriesStats stats = kept.stats();
  EXPECT_NEAR(100 - 999.9999, stats.x.min, 1e-9);
  EXPECT_NEAR(100 + 999.9998, stats.x.max, 1e-9);
  const auto fit = kept.fit();
  ASSERT_TRUE(fit);
  EXPECT_NEAR(1e-4, fit->slope, 1e-9);
  EXPECT_NEAR(5, fit->intercept, 1e-6);
  // Each stretch of the temperature range shows a point 3e-3 below the line
  // and one 3e-3 above it: the values' full spread.
  const double width = (stats.x.max - stats.x.min) / 100;
  for (int stretch = 0; stretch < 100; ++stretch) {
    double low = INFINITY, high = -INFINITY;
    for (const Point& p : shown) {
      if (p.x < stats.x.min + stretch * width || p.x >= stats.x.min + (stretch + 1) * width)
        continue;
      low = std::min(low, p.y - (5 + 1e-4 * p.x));
      high = std::max(high, p.y - (5 + 1e-4 * p.x));
    }
    EXPECT_NEAR(-3e-3, low, 1e-9) << stretch;
    EXPECT_NEAR(3e-3, high, 1e-9) << stretch;
  }
  chart::SeriesPicture picture;
  picture.main_legend = "Ten million";
  picture.points = kept;
  EXPECT_LT(chart::render_svg(picture).size(), std::size_t{1} << 20);
}

TEST(PlotPoints, APointFarFromTheRestWidensTheBins) {
  chart::PlotPoints kept;
  for (int i = 0; i <= 5000; ++i) kept.add({100 + i * 0.01, 1});
  kept.add({3e38, 2});
  kept.add({-3e38, 0});
  const std::vector<Point> shown = kept.shown();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(-3e38, shown.front().x);
  EXPECT_EQ(3e38, shown.back().x);
  EXPECT_EQ(5003U, kept.count());
}

}  // namespace
