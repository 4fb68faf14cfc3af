#include "chart/expansion_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <string_view>
#include <utility>

#include "chart/plot_points.h"
#include "chart/svg_chart.h"
#include "common/number_text.h"

namespace chart {

namespace {

using chart::svg_circle;
using chart::svg_line;
using chart::svg_number;
using chart::svg_text;

constexpr int kCurveSteps = 80;  // segments of a fitted polynomial
constexpr int kLobeSteps = 360;  // samples of an indicatrix section

// Colours of the three axes, and of the lobes, beside the frame's own style.
constexpr const char* kStyle =
    "<style>\n"
    ".s0 { fill: #1f5f9f; stroke: #1f5f9f; } .s1 { fill: #2e8b57; stroke: #2e8b57; } "
    ".s2 { fill: #c0392b; stroke: #c0392b; }\n"
    "polyline { fill: none; stroke-width: 1.6; }\n"
    ".positive { stroke: #1f5f9f; stroke-width: 2; }\n"
    ".negative { stroke: #d35400; stroke-width: 2; stroke-dasharray: 6 3; }\n"
    ".principal { stroke: #999; stroke-width: 1; stroke-dasharray: 2 3; }\n"
    ".scale { fill: none; stroke: #ccc; stroke-width: 1; }\n"
    ".crystal-axis { stroke: #333; stroke-width: 1.2; }\n"
    ".axis-name { font-style: italic; font-weight: bold; }\n"
    ".su { stroke-width: 1; }\n"
    "</style>\n";

std::string polyline(const std::string& cls, const std::vector<std::pair<double, double>>& xy) {
  std::string s = "<polyline class=\"" + cls + "\" points=\"";
  for (std::size_t i = 0; i < xy.size(); ++i) {
    if (i > 0) s += ' ';
    s += svg_number(xy[i].first) + "," + svg_number(xy[i].second);
  }
  return s + "\"/>\n";
}

std::string axis_name(std::size_t k) {
  return common::format_text("X%zu", k + 1);
}

// A coefficient in MK^-1: with the SU drawn from the cells where there is
// one, as crystallographers write it.
std::string coefficient_text(double alpha, const double* drawn_su) {
  if (drawn_su == nullptr) return common::format_text("%.2f", alpha * 1e6);
  return common::with_su(alpha * 1e6, *drawn_su * 1e6);
}

std::string axis_label(const expansion::Analysis& an, const expansion::PropagatedSus* sus,
                       std::size_t k) {
  const expansion::AxisResult& x = an.axes[k];
  return axis_name(k) + common::format_text(" [%.3f %.3f %.3f]  ", x.uvw(0), x.uvw(1), x.uvw(2)) +
         coefficient_text(x.alpha.value, sus != nullptr ? &sus->axes[k].alpha : nullptr) +
         " MK\u207b\u00b9";
}

std::string subtitle(const expansion::Analysis& an, std::string_view source) {
  return std::string(source) + ", " + measure_name(an.measure) + " strain, " +
         expansion::fit_name(an.degree) + " fit";
}

// The points of a series to draw: every one, or, for a series longer than a
// picture shows, those chart::PlotPoints keeps of it (each bin's lowest and
// highest), as korvex's pictures draw them.
std::vector<std::size_t> drawn_points(const std::vector<double>& t, const std::vector<double>& y) {
  std::vector<std::size_t> drawn;
  if (t.size() <= chart::kMostExactPoints) {
    for (std::size_t i = 0; i < t.size(); ++i) drawn.push_back(i);
    return drawn;
  }
  chart::PlotPoints points;
  std::map<std::pair<double, double>, std::size_t> index;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (!std::isfinite(t[i]) || !std::isfinite(y[i])) continue;
    points.add({t[i], y[i]});
    index.emplace(std::pair(t[i], y[i]), i);
  }
  for (const formats::Point& p : points.shown()) drawn.push_back(index.at({p.x, p.y}));
  return drawn;
}

// Points and their fitted curve, in class cls, on the frame; each point with
// a bar of +-su where SUs are given.
std::string series_marks(const chart::ChartFrame& f, const std::vector<double>& t,
                         const std::vector<double>& y, const std::vector<double>* su,
                         const expansion::PolyFit& fit, double factor, const std::string& cls) {
  std::string s;
  const auto [lo, hi] = std::minmax_element(t.begin(), t.end());
  std::vector<std::pair<double, double>> curve;
  for (int i = 0; i <= kCurveSteps; ++i) {
    const double x = *lo + (*hi - *lo) * i / kCurveSteps;
    curve.emplace_back(f.px(x), f.py(value_at(fit, x) * factor));
  }
  s += polyline("fit " + cls, curve);
  for (const std::size_t i : drawn_points(t, y)) {
    const double x = f.px(t[i]);
    if (su != nullptr && (*su)[i] > 0) {
      const double top = f.py((y[i] + (*su)[i]) * factor);
      const double bottom = f.py((y[i] - (*su)[i]) * factor);
      s += svg_line(cls + " su", x, top, x, bottom);
      s += svg_line(cls + " su", x - 3, top, x + 3, top);
      s += svg_line(cls + " su", x - 3, bottom, x + 3, bottom);
    }
    s += svg_circle(cls, x, f.py(y[i] * factor), 3);
  }
  return s;
}

// The range of the values, with their error bars where SUs are given.
expansion::Range range_of(const std::vector<double>& v, const std::vector<double>* su,
                          double factor, expansion::Range r) {
  for (std::size_t i = 0; i < v.size(); ++i) {
    const double bar = su != nullptr ? (*su)[i] : 0;
    r.min = std::min(r.min, (v[i] - bar) * factor);
    r.max = std::max(r.max, (v[i] + bar) * factor);
  }
  return r;
}

const std::vector<double>* strain_sus(const expansion::PropagatedSus* sus, std::size_t k) {
  return sus != nullptr ? &sus->axes[k].strains : nullptr;
}

std::string strain_picture(const expansion::Analysis& an, const expansion::PropagatedSus* sus,
                           std::string_view source) {
  const auto [lo, hi] = std::minmax_element(an.temperatures.begin(), an.temperatures.end());
  expansion::Range y{INFINITY, -INFINITY};
  for (std::size_t k = 0; k < 3; ++k) y = range_of(an.axes[k].strains, strain_sus(sus, k), 100, y);
  chart::ChartLayout layout;
  layout.top = 110;  // three key lines
  const chart::ChartFrame f = chart::chart_frame({*lo, *hi}, y, layout);
  const std::string title = "Principal strains against temperature";
  std::string s = chart::svg_open(layout, title) + kStyle;
  s += svg_text("title", layout.width / 2, 30, "middle", title);
  s += svg_text("subtitle", f.frame_left, 52, "start", subtitle(an, source));
  s += chart::svg_chart_frame(f, "Temperature (K)", "Principal strain (%)");
  for (std::size_t k = 0; k < 3; ++k) {
    const std::string cls = common::format_text("s%zu", k);
    const double ky = 72 + 14 * static_cast<double>(k);
    s += svg_line(cls, f.frame_left, ky - 4, f.frame_left + 20, ky - 4);
    s += svg_circle(cls, f.frame_left + 10, ky - 4, 3);
    s += svg_text("key", f.frame_left + 28, ky, "start", axis_label(an, sus, k));
    s += series_marks(f, an.temperatures, an.axes[k].strains, strain_sus(sus, k), an.axes[k].fit,
                      100, cls);
  }
  return s + chart::svg_close();
}

std::string volume_picture(const expansion::Analysis& an, const expansion::PropagatedSus* sus,
                           std::string_view source) {
  const auto [lo, hi] = std::minmax_element(an.temperatures.begin(), an.temperatures.end());
  const std::vector<double>* su = sus != nullptr ? &sus->volume.values : nullptr;
  const expansion::Range y = range_of(an.volume.values, su, 1, {INFINITY, -INFINITY});
  const chart::ChartFrame f = chart::chart_frame({*lo, *hi}, y);
  const std::string title = "Volume against temperature";
  std::string s = chart::svg_open(f.layout, title) + kStyle;
  s += svg_text("title", f.layout.width / 2, 30, "middle", title);
  s += svg_text("subtitle", f.frame_left, 56, "start", subtitle(an, source));
  // The fit's SU: none from a fit without a spare point.
  const std::string fit_su = std::isnan(an.volume.alpha.su)
                                 ? std::string()
                                 : common::format_text("%.2f", an.volume.alpha.su * 1e6);
  const std::string key =
      sus == nullptr ? "alpha_V = " + common::format_text("%.2f", an.volume.alpha.value * 1e6) +
                           (fit_su.empty() ? "" : "(" + fit_su + ")") + " MK\u207b\u00b9"
                     : "alpha_V = " + coefficient_text(an.volume.alpha.value, &sus->volume.alpha) +
                           " MK\u207b\u00b9" + (fit_su.empty() ? "" : " (fit su " + fit_su + ")");
  s += svg_text("key", f.frame_right, 56, "end", key);
  s += chart::svg_chart_frame(f, "Temperature (K)", "Volume (\u00c5\u00b3)");
  s += series_marks(f, an.temperatures, an.volume.values, su, an.volume.fit, 1, "s0");
  return s + chart::svg_close();
}

// A text of the indicatrix to be placed clear of every other: it starts at
// (x, y) and may move away from there along (dx, dy), a unit vector pointing
// out from the centre of its section.
struct Label {
  const char* cls;
  double x, y;
  const char* anchor;
  std::string text;
  double dx, dy;
};

// A text's box, from its class's font size and an average glyph width a
// little wider than DejaVu Sans's, so that boxes that do not meet here do not
// meet on the page.
struct Box {
  double left, top, right, bottom;
};
Box box_of(const Label& l) {
  const double size = std::string_view(l.cls) == "axis-label"  ? 14
                      : std::string_view(l.cls) == "title"     ? 17
                      : std::string_view(l.cls) == "footnote"  ? 11
                      : std::string_view(l.cls) == "axis-name" ? 13
                                                               : 12;
  std::size_t glyphs = 0;  // UTF-8: every byte that does not continue a character
  for (const char c : l.text) glyphs += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  const double width = 0.68 * size * static_cast<double>(glyphs);
  const std::string_view anchor(l.anchor);
  const double left = anchor == "start" ? l.x : anchor == "end" ? l.x - width : l.x - width / 2;
  return {left - 1, l.y - 0.8 * size - 1, left + width + 1, l.y + 0.25 * size + 1};
}

bool overlap(const Box& p, const Box& q) {
  return p.left < q.right && q.left < p.right && p.top < q.bottom && q.top < p.bottom;
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
            b.left >= 0 && b.top >= 0 && b.right <= picture.width && b.bottom <= picture.height &&
            std::none_of(placed.begin(), placed.end(), [&](const Box& p) { return overlap(b, p); });
        if (free) break;
      }
    }
    if (!free) l = start;
    placed.push_back(box_of(l));
    s += svg_text(l.cls, l.x, l.y, l.anchor, l.text);
  }
  return s;
}

// One section of the indicatrix, in the plane of principal axes i and j,
// centred at (cx, cy); `radius` pixels stand for the largest |alpha|. Its
// texts go to `labels`.
std::string section(const expansion::Analysis& an, std::size_t i, std::size_t j, double cx,
                    double cy, double radius, double largest, std::vector<Label>& labels) {
  const double ai = an.axes[i].alpha.value, aj = an.axes[j].alpha.value;
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
  const Eigen::Vector3d& xi = an.axes[i].direction;
  const Eigen::Vector3d& xj = an.axes[j].direction;
  for (int k = 0; k < 3; ++k) {
    const Eigen::Vector3d e = an.crystal_axes.col(k);
    const double u = e.dot(xi), v = e.dot(xj);
    if (std::hypot(u, v) < 0.05) continue;  // nearly normal to the plane
    const double ex = cx + u * reach, ey = cy - v * reach;
    s += svg_line("crystal-axis", cx, cy, ex, ey);
    const double norm = std::hypot(u, v);
    labels.push_back({"axis-name", ex + (u >= 0 ? 4 : -4), ey + (v >= 0 ? -4 : 12),
                      u >= 0 ? "start" : "end", std::string(1, static_cast<char>('a' + k)),
                      u / norm, -v / norm});
  }
  return s;
}

std::string indicatrix_picture(const expansion::Analysis& an, const expansion::PropagatedSus* sus,
                               std::string_view source) {
  chart::ChartLayout layout;
  layout.width = 1000;
  layout.height = 440;
  const double radius = 115;
  double largest = 0;
  for (const expansion::AxisResult& x : an.axes)
    largest = std::max(largest, std::fabs(x.alpha.value));
  if (!(largest > 0)) largest = 1;
  const std::string title = "Expansivity indicatrix: sections through the principal axes";
  std::string s = chart::svg_open(layout, title) + kStyle;
  // The fixed texts, which the labels of the sections keep clear of.
  const double ky = layout.height - 40;
  std::vector<Label> fixed = {
      {"title", layout.width / 2, 30, "middle", title, 0, 0},
      {"subtitle", layout.width / 2, 52, "middle", subtitle(an, source), 0, 0},
      {"key", 76, ky, "start", "alpha > 0", 0, 0},
      {"key", 206, ky, "start", "alpha < 0 (|alpha| drawn)", 0, 0},
      {"key", 420, ky, "start",
       common::format_text("grey circle: %.2f MK\u207b\u00b9; a, b, c: crystal axes projected",
                           largest * 1e6),
       0, 0}};
  for (std::size_t k = 0; k < 3; ++k)
    fixed.push_back({"footnote", 40 + 320 * static_cast<double>(k), ky + 22, "start",
                     axis_label(an, sus, k), 0, 0});
  std::vector<Box> boxes;
  for (const Label& l : fixed) {
    s += svg_text(l.cls, l.x, l.y, l.anchor, l.text);
    boxes.push_back(box_of(l));
  }
  s += svg_line("positive", 40, ky - 4, 70, ky - 4);
  s += svg_line("negative", 170, ky - 4, 200, ky - 4);
  const std::pair<std::size_t, std::size_t> planes[] = {{0, 1}, {1, 2}, {0, 2}};
  std::vector<Label> labels;
  for (int p = 0; p < 3; ++p) {
    const double cx = 170 + 330 * p, cy = 225;
    s += section(an, planes[p].first, planes[p].second, cx, cy, radius, largest, labels);
  }
  // The principal axes' names first: they move only if the fixed texts are
  // in the way, the crystal axes' names around them.
  std::stable_partition(labels.begin(), labels.end(),
                        [](const Label& l) { return std::string_view(l.cls) == "axis-label"; });
  s += place_labels(std::move(labels), std::move(boxes), layout);
  return s + chart::svg_close();
}

}  // namespace

std::vector<Picture> render_pictures(const expansion::Analysis& analysis,
                                     const expansion::PropagatedSus* sus, std::string_view source) {
  return {{"_strain.svg", strain_picture(analysis, sus, source)},
          {"_volume.svg", volume_picture(analysis, sus, source)},
          {"_indicatrix.svg", indicatrix_picture(analysis, sus, source)}};
}

}  // namespace chart
