#include "chart/eos_pictures.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "chart/analysis_figure.h"
#include "chart/svg_chart.h"
#include "chart/units.h"
#include "common/number_text.h"

namespace chart {
namespace {

constexpr double kKeyLine = 17;

constexpr const char* kStyle =
    "<style>\n"
    ".e0 { fill: #1f5f9f; stroke: #1f5f9f; } .e1 { fill: #2e8b57; stroke: #2e8b57; } "
    ".e2 { fill: #c0392b; stroke: #c0392b; } .e3 { fill: #7d3c98; stroke: #7d3c98; }\n"
    ".e4 { fill: #b9770e; stroke: #b9770e; } .e5 { fill: #17a589; stroke: #17a589; }\n"
    "polyline[class] { fill: none; stroke-width: 1.6; }\n"
    ".level1 { stroke-dasharray: 8 4; } .level2 { stroke-dasharray: 2 3; }\n"
    ".levels { fill: #555; stroke: #555; }\n"
    "</style>\n";

std::string polyline(const std::string& cls, const std::vector<std::pair<double, double>>& xy) {
  std::string s = "<polyline class=\"fit " + cls + "\" points=\"";
  for (std::size_t i = 0; i < xy.size(); ++i)
    s += (i > 0 ? " " : "") + svg_number(xy[i].first) + "," + svg_number(xy[i].second);
  return s + "\"/>\n";
}

// The document's start and frame: the title (as the options ask), the key's
// lines over the frame, each in its class.
std::string opened(ChartLayout& layout, const std::string& title,
                   const std::vector<std::pair<std::string, std::string>>& keys,
                   const expansion::Range& x, const expansion::Range& y, std::string_view x_label,
                   std::string_view y_label, std::string_view source, const PictureOptions& options,
                   ChartFrame& frame) {
  const double title_room = options.no_title ? 12 : 40;
  layout.top = title_room + kKeyLine * static_cast<double>(keys.size() + 1);
  frame = chart_frame(x, y, layout);
  const std::string shown = options.title ? *options.title : title;
  std::string s = svg_open(layout, shown, "korvex-expansion") + kStyle;
  if (!options.no_title) {
    s += svg_title(layout, shown);
    s += svg_text("subtitle", layout.width / 2, 46, "middle", base_names(source));
  }
  for (std::size_t k = 0; k < keys.size(); ++k) {
    const double ky = title_room + 14 + kKeyLine * static_cast<double>(k + 1);
    s += svg_line(keys[k].first, frame.frame_left, ky - 4, frame.frame_left + 20, ky - 4);
    s += svg_text("key", frame.frame_left + 28, ky, "start", keys[k].second);
  }
  return s + svg_chart_frame(frame, x_label, y_label);
}

std::string ff_picture(const expansion::EosAnalysis& eos, std::string_view source,
                       const KeyTexts& texts, const PictureOptions& options) {
  const expansion::FfPlot& ff = *eos.ff;
  expansion::Range x{INFINITY, -INFINITY}, y{INFINITY, -INFINITY};
  for (std::size_t i = 0; i < ff.f.size(); ++i) {
    if (!std::isfinite(ff.F[i])) continue;
    const double fs = std::isfinite(ff.f_su[i]) ? ff.f_su[i] : 0;
    const double Fs = std::isfinite(ff.F_su[i]) ? std::min(ff.F_su[i], std::abs(ff.F[i])) : 0;
    x = {std::min(x.min, ff.f[i] - fs), std::max(x.max, ff.f[i] + fs)};
    y = {std::min(y.min, ff.F[i] - Fs), std::max(y.max, ff.F[i] + Fs)};
  }
  x.min = std::min(x.min, 0.0);
  std::vector<std::pair<std::string, std::string>> keys = {
      {"e0", "BM3 line: B\u2080 = " + true_minus(texts.ff_b0) +
                 ", B\u2032 = " + true_minus(texts.ff_bp)}};
  double bm2 = NAN;
  for (const expansion::EosEntry& e : eos.equations) {
    if (e.eos == expansion::Eos::kBm2 && e.fit) bm2 = e.fit->theta[expansion::kB0].value;
  }
  if (std::isfinite(bm2))
    keys.push_back({"e2 level1", "BM2: F = B\u2080 = " + true_minus(texts.bm2_b0)});
  for (const double line_y : {ff.intercept, ff.intercept + ff.slope * x.max, bm2}) {
    if (std::isfinite(line_y)) y = {std::min(y.min, line_y), std::max(y.max, line_y)};
  }
  ChartLayout layout = sized({}, options);
  ChartFrame f;
  std::string s = opened(layout, "F\u2013f plot", keys, x, y, "Eulerian strain f",
                         "Normalised pressure F (GPa)", source, options, f);
  if (std::isfinite(ff.intercept))
    s += polyline("e0", {{f.px(x.min), f.py(ff.intercept + ff.slope * x.min)},
                         {f.px(x.max), f.py(ff.intercept + ff.slope * x.max)}});
  if (std::isfinite(bm2))
    s += polyline("e2 level1", {{f.px(x.min), f.py(bm2)}, {f.px(x.max), f.py(bm2)}});
  for (const std::size_t i : drawn_points(ff.f, ff.F)) {
    if (!std::isfinite(ff.F[i])) continue;
    const double px = f.px(ff.f[i]), py = f.py(ff.F[i]);
    // A bar longer than the frame (sigma_F grows without bound as f goes to
    // 0) is cut at the frame's edge and drawn without caps, which would
    // mark an end it does not have.
    if (std::isfinite(ff.F_su[i]) && ff.F_su[i] > 0) {
      const double top = f.py(ff.F[i] + ff.F_su[i]), bottom = f.py(ff.F[i] - ff.F_su[i]);
      s += top >= f.frame_top && bottom <= f.frame_bottom
               ? svg_error_bar("e1", px, top, bottom)
               : svg_line("e1 su", px, std::max(top, f.frame_top), px,
                          std::min(bottom, f.frame_bottom));
    }
    if (std::isfinite(ff.f_su[i]) && ff.f_su[i] > 0)
      s += svg_line("e1 su", f.px(ff.f[i] - ff.f_su[i]), py, f.px(ff.f[i] + ff.f_su[i]), py);
    s += svg_circle("e1", px, py, 3);
  }
  return s + svg_close();
}

std::string ellipses_picture(const expansion::EosAnalysis& eos, std::string_view source,
                             const PictureOptions& options) {
  expansion::Range x{INFINITY, -INFINITY}, y{INFINITY, -INFINITY};
  std::vector<std::pair<std::string, std::string>> keys;
  std::vector<const expansion::EosEntry*> shown;
  for (const expansion::EosEntry& e : eos.equations) {
    if (e.ellipses.empty()) continue;
    keys.push_back({"e" + std::to_string(shown.size() % 6), expansion::eos_label(e.eos)});
    shown.push_back(&e);
    for (const Eigen::Vector2d& q : expansion::ellipse_outline(e.ellipses.back(), 90)) {
      x = {std::min(x.min, q(0)), std::max(x.max, q(0))};
      y = {std::min(y.min, q(1)), std::max(y.max, q(1))};
    }
  }
  // The levels' key in a colour of none of the fits, each drawn as its lines.
  keys.push_back({"levels", "68.3 % (\u0394\u03c7\u00b2 = 2.30)"});
  keys.push_back({"levels level1", "95.4 % (\u0394\u03c7\u00b2 = 6.18)"});
  keys.push_back({"levels level2", "99.7 % (\u0394\u03c7\u00b2 = 11.83)"});
  ChartLayout layout = sized({}, options);
  ChartFrame f;
  std::string s = opened(layout, "Confidence ellipses of B\u2080 and B\u2032", keys, x, y,
                         "B\u2080 (GPa)", "B\u2032", source, options, f);
  for (std::size_t k = 0; k < shown.size(); ++k) {
    const std::string cls = "e" + std::to_string(k % 6);
    for (std::size_t level = 0; level < shown[k]->ellipses.size(); ++level) {
      std::vector<std::pair<double, double>> xy;
      for (const Eigen::Vector2d& q : expansion::ellipse_outline(shown[k]->ellipses[level], 90))
        xy.emplace_back(f.px(q(0)), f.py(q(1)));
      s += polyline(cls + (level > 0 ? " level" + std::to_string(level) : ""), xy);
    }
    const Eigen::Vector2d& c = shown[k]->ellipses.front().centre;
    s += svg_circle(cls, f.px(c(0)), f.py(c(1)), 3);
  }
  return s + svg_close();
}

}  // namespace

std::vector<Picture> eos_pictures(const expansion::EosAnalysis& eos, std::string_view source,
                                  const KeyTexts& keys, const PictureOptions& options) {
  std::vector<Picture> out;
  if (eos.ff &&
      std::any_of(eos.ff->F.begin(), eos.ff->F.end(), [](double F) { return std::isfinite(F); }))
    out.push_back({"_ff.svg", ff_picture(eos, source, keys, options),
                   "The F-f plot: the normalised pressure F against the Eulerian strain f (V0 "
                   "of BM3), error bars of one SU; the weighted BM3 line and BM2's level."});
  if (std::any_of(eos.equations.begin(), eos.equations.end(),
                  [](const expansion::EosEntry& e) { return !e.ellipses.empty(); }))
    out.push_back({"_ellipses.svg", ellipses_picture(eos, source, options),
                   "The confidence ellipses of B0 and B\u2032 of each third-order fit: 68.3 % "
                   "solid, 95.4 % dashed, 99.7 % dotted."});
  return out;
}

}  // namespace chart
