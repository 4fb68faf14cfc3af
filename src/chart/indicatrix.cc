#include "chart/indicatrix.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>
#include <numbers>
#include <string_view>
#include <utility>

#include "chart/analysis_figure.h"
#include "chart/eos_pictures.h"
#include "chart/plot_points.h"
#include "chart/svg_chart.h"
#include "chart/units.h"
#include "common/number_text.h"
#include "common/safe_text.h"
#include "expansion/poly_fit.h"

namespace chart {
namespace {

using chart::svg_line;
using chart::svg_number;
using chart::svg_text;

constexpr int kLobeSteps = 360;  // samples of an indicatrix section

// A text of the indicatrix to be placed clear of every other: it starts at
// (x, y) and may move away from there along (dx, dy), a unit vector pointing
// out from the centre of its section.
struct Label {
  const char* cls;
  double x, y;
  const char* anchor;
  RichText text;
  double dx, dy;
};

// The label's box, a pixel wider all round, so that boxes that do not meet
// here do not touch on the page.
Box box_of(const Label& l) {
  const double size = font_size(l.cls);
  Box b = text_box(l.x, l.y, l.anchor, text_width(l.text, size), size);
  return {b.left - 1, b.top - 1, b.right + 1, b.bottom + 1};
}

// Each movable label at the first place, outwards and to either side of
// where it starts, inside the picture, whose box meets no text placed before
// it; `placed` holds the fixed texts at first.
std::string place_labels(std::vector<Label> labels, std::vector<Box> placed,
                         const chart::ChartLayout& picture) {
  constexpr double kStep = 6;  // pixels, outwards and sideways
  std::string s;
  for (Label& l : labels) {
    const Label start = l;
    bool free = false;
    for (int out = 0; out <= 16 && !free; ++out) {
      for (const int side : {0, 1, -1, 2, -2}) {
        l.x = start.x + kStep * (out * start.dx - side * start.dy);
        l.y = start.y + kStep * (out * start.dy + side * start.dx);
        const Box b = box_of(l);
        free =
            inside(b, picture.width, picture.height) &&
            std::none_of(placed.begin(), placed.end(), [&](const Box& p) { return overlap(b, p); });
        if (free) break;
      }
    }
    if (!free) l = start;
    placed.push_back(box_of(l));
    s += chart::svg_rich_text(l.cls, l.x, l.y, l.anchor, l.text);
  }
  return s;
}

// One section of the indicatrix, in the plane of principal axes i and j,
// centred at (cx, cy); `radius` pixels stand for the largest |alpha|. Its
// texts go to `labels`.
std::string section(const Indicatrix& ind, std::size_t i, std::size_t j, double cx, double cy,
                    double radius, double largest, std::vector<Label>& labels) {
  const double ai = ind.values[i], aj = ind.values[j];
  const double reach = 1.15 * radius;  // of the crystal axes drawn
  std::string s;
  s += "<circle class=\"scale\" cx=\"" + svg_number(cx) + "\" cy=\"" + svg_number(cy) + "\" r=\"" +
       svg_number(radius) + "\"/>\n";
  s += svg_line("principal", cx - radius - 10, cy, cx + radius + 10, cy);
  s += svg_line("principal", cx, cy - radius - 10, cx, cy + radius + 10);
  // The principal axes named at their positive ends, beyond the crystal axes.
  labels.push_back({"axis-label", cx + reach + 8, cy + 5, "start", axis_name(i), 1, 0});
  labels.push_back({"axis-label", cx, cy - reach - 10, "middle", axis_name(j), 0, -1});
  // The curve in runs of one sign, each run drawn as its own polyline.
  std::vector<std::pair<double, double>> run;
  bool run_negative = false;
  const auto flush = [&] {
    if (run.size() > 1) s += polyline(run_negative ? "negative" : "positive", run);
    run.clear();
  };
  for (int step = 0; step <= kLobeSteps; ++step) {
    const double th = 2 * std::numbers::pi * step / kLobeSteps;
    const double c = std::cos(th), sn = std::sin(th);
    const double alpha = ai * c * c + aj * sn * sn;
    const bool negative = alpha < 0;
    const double r = std::fabs(alpha) / largest * radius;
    const std::pair<double, double> p{cx + r * c, cy - r * sn};
    if (!run.empty() && negative != run_negative) {
      run.push_back(p);  // both runs meet at the centre-near sample
      flush();
    }
    run_negative = negative;
    run.push_back(p);
  }
  flush();

  // The crystal axes as seen in this plane: their projections.
  const Eigen::Vector3d& xi = ind.directions[i];
  const Eigen::Vector3d& xj = ind.directions[j];
  for (int k = 0; k < 3; ++k) {
    const Eigen::Vector3d e = ind.crystal_axes.col(k);
    const double u = e.dot(xi), v = e.dot(xj);
    if (std::hypot(u, v) < 0.05) continue;  // nearly normal to the plane
    const double ex = cx + u * reach, ey = cy - v * reach;
    s += svg_line("crystal-axis", cx, cy, ex, ey);
    const double norm = std::hypot(u, v);
    labels.push_back({"axis-name", ex + (u >= 0 ? 4 : -4), ey + (v >= 0 ? -4 : 12),
                      u >= 0 ? "start" : "end", plain(std::string(1, static_cast<char>('a' + k))),
                      u / norm, -v / norm});
  }
  return s;
}

// The lines under the sections: what the strokes mean, the scale, and each
// principal axis with its coefficient on a line of its own; `boxes` gets
// their boxes.
std::string indicatrix_key(const Indicatrix& ind, const chart::ChartLayout& layout, double largest,
                           double y, std::vector<Box>& boxes) {
  const double room = layout.width - 40;
  std::vector<Label> lines = {
      {"key", 56, y, "start", plain(ind.symbol + " > 0"), 0, 0},
      {"key", 186, y, "start", plain(ind.symbol + " < 0 (|" + ind.symbol + "| drawn)"), 0, 0},
      {"key", 20, y + kLine, "start",
       plain(shortened(true_minus(common::format_text("grey circle: %.2f ", largest * ind.shown) +
                                  ind.unit + "; a, b, c: crystal axes projected"),
                       font_size("key"), room)),
       0, 0}};
  for (std::size_t k = 0; k < 3; ++k) {
    RichText text = ind.labels[k];
    if (text_width(text, font_size("footnote")) > room)
      text = plain(shortened(joined(text), font_size("footnote"), room));
    lines.push_back(
        {"footnote", 20, y + kLine * static_cast<double>(k + 2), "start", std::move(text), 0, 0});
  }
  std::string s = svg_line("positive", 20, y - 4, 50, y - 4);
  s += svg_line("negative", 150, y - 4, 180, y - 4);
  for (const Label& l : lines) {
    s += chart::svg_rich_text(l.cls, l.x, l.y, l.anchor, l.text);
    boxes.push_back(box_of(l));
  }
  return s;
}

}  // namespace

std::string indicatrix_picture(const Indicatrix& ind, std::string_view source,
                               const PictureOptions& options) {
  chart::ChartLayout defaults;
  defaults.width = 1000;
  defaults.height = 480;
  const chart::ChartLayout layout = sized(defaults, options);
  double largest = 0;
  for (const double v : ind.values) largest = std::max(largest, std::fabs(v));
  if (!(largest > 0)) largest = 1;
  const Heading h = heading(layout, ind.title, ind.about, source, 0, options);
  const double key_y = layout.height - 5 * kLine;  // the key's five lines
  // Three sections side by side, each with room for the crystal axes beyond
  // the largest lobe and for their names.
  const double cell = (layout.width - 40) / 3;
  const double radius = std::max(10.0, std::min(cell / 2, (key_y - 20 - h.frame_top) / 2) / 1.45);
  const double cy = (h.frame_top + key_y - 20) / 2;
  std::string s = chart::svg_open(layout, h.title, "korvex-expansion") + kAnalysisStyle;
  s += heading_texts(layout, h);
  std::vector<Box> boxes;
  if (!h.title.empty()) {
    boxes.push_back({0, 0, layout.width, h.frame_top - 10});  // the title and subtitle
  }
  s += indicatrix_key(ind, layout, largest, key_y, boxes);
  const std::pair<std::size_t, std::size_t> planes[] = {{0, 1}, {1, 2}, {0, 2}};
  std::vector<Label> labels;
  for (int p = 0; p < 3; ++p) {
    const double cx = 20 + cell * (p + 0.5);
    s += section(ind, planes[p].first, planes[p].second, cx, cy, radius, largest, labels);
  }
  // The principal axes' names first: they move only if the fixed texts are
  // in the way, the crystal axes' names around them.
  std::stable_partition(labels.begin(), labels.end(),
                        [](const Label& l) { return std::string_view(l.cls) == "axis-label"; });
  s += place_labels(std::move(labels), std::move(boxes), layout);
  return s + chart::svg_close();
}

}  // namespace chart
