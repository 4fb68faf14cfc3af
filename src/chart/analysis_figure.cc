#include "chart/analysis_figure.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>
#include <numbers>
#include <string_view>
#include <utility>

#include "chart/eos_pictures.h"
#include "chart/plot_points.h"
#include "chart/svg_chart.h"
#include "chart/units.h"
#include "common/number_text.h"
#include "common/safe_text.h"
#include "expansion/poly_fit.h"

namespace chart {
namespace {

using chart::svg_circle;
using chart::svg_line;
using chart::svg_number;
using chart::svg_text;

constexpr int kCurveSteps = 80;  // segments of a fitted polynomial

// A fitted curve over the range of t, in class cls, on the frame; `width`,
// where given, its stroke's width.
std::string curve_marks(const chart::ChartFrame& f, const std::vector<double>& t,
                        const std::function<double(double)>& fitted, double factor,
                        const std::string& cls, double width) {
  const auto [lo, hi] = std::minmax_element(t.begin(), t.end());
  std::vector<std::pair<double, double>> curve;
  for (int i = 0; i <= kCurveSteps; ++i) {
    const double x = *lo + (*hi - *lo) * i / kCurveSteps;
    const double v = fitted(x) * factor;
    if (std::isfinite(v)) curve.emplace_back(f.px(x), f.py(v));
  }
  return polyline("fit " + cls, curve, width);
}

// Points in class cls on the frame; each with a bar of +-su where SUs are
// given.
std::string point_marks(const chart::ChartFrame& f, const std::vector<double>& t,
                        const std::vector<double>& y, const std::vector<double>* su, double factor,
                        const std::string& cls) {
  std::string s;
  if (y.empty()) return s;  // a curve alone
  for (const std::size_t i : drawn_points(t, y)) {
    const double x = f.px(t[i]);
    if (su != nullptr && (*su)[i] > 0)
      s += chart::svg_error_bar(cls, x, f.py((y[i] + (*su)[i]) * factor),
                                f.py((y[i] - (*su)[i]) * factor));
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

// The stroke widths of the curves drawn alone (the equations of state of a
// volume picture, which may coincide over the whole range), 0 for the others
// (as the style sets them): each wider than the next, so that a later curve,
// drawn over an earlier one, leaves its edges and dash gaps showing.
std::vector<double> curve_widths(const std::vector<Series>& series) {
  constexpr double kThinnest = 1.6, kWidest = 4;
  const auto alone = static_cast<double>(std::count_if(
      series.begin(), series.end(), [](const Series& one) { return one.values.empty(); }));
  const double step = alone > 1 ? std::min(0.6, (kWidest - kThinnest) / (alone - 1)) : 0;
  std::vector<double> widths(series.size(), 0);
  std::size_t after = 0;  // curves alone drawn after this one
  for (std::size_t k = series.size(); k-- > 0;)
    if (series[k].values.empty()) widths[k] = kThinnest + step * static_cast<double>(after++);
  return widths;
}

// One frame of series against temperature (or pressure), series k in colour
// class s<first + k> with its key on a line of its own from keys_from down,
// the frame where `layout`'s margins put it.
std::string figure_panel(const Abscissa& x, const std::vector<Series>& series, double factor,
                         const chart::ChartLayout& layout, double keys_from,
                         std::string_view y_label, std::size_t first) {
  const auto [lo, hi] = std::minmax_element(x.values.begin(), x.values.end());
  expansion::Range y{INFINITY, -INFINITY};
  for (const Series& one : series) {
    y = range_of(one.values, one.sus ? &*one.sus : nullptr, factor, y);
    // The fitted curve too, which may pass beyond the points near the ends.
    for (int i = 0; one.fitted && i <= kCurveSteps; ++i) {
      const double v = one.fitted(*lo + (*hi - *lo) * i / kCurveSteps) * factor;
      y = {std::min(y.min, v), std::max(y.max, v)};
    }
  }
  const chart::ChartFrame f = chart::chart_frame({*lo, *hi}, y, layout);
  std::string s = chart::svg_chart_frame(f, x.label, y_label);
  const std::vector<double> widths = curve_widths(series);
  for (std::size_t k = 0; k < series.size(); ++k) {
    s += key_line(layout, f.frame_left, keys_from + kLine * static_cast<double>(k),
                  "s" + std::to_string(first + k), series[k].key, !series[k].values.empty(),
                  widths[k], static_cast<bool>(series[k].fitted));
  }
  // The curves of points first, then the curves alone, widest first, then
  // every point: no curve covers a point, and each curve alone shows beside
  // the thinner ones drawn over it.
  for (const bool alone : {false, true}) {
    for (std::size_t k = 0; k < series.size(); ++k) {
      if (series[k].values.empty() == alone && series[k].fitted)
        s += curve_marks(f, x.values, series[k].fitted, factor, "s" + std::to_string(first + k),
                         widths[k]);
    }
  }
  for (std::size_t k = 0; k < series.size(); ++k) {
    s += point_marks(f, x.values, series[k].values, series[k].sus ? &*series[k].sus : nullptr,
                     factor, "s" + std::to_string(first + k));
  }
  return s;
}

// The angles that vary over the series, in degrees, each with its SUs and a
// polynomial of the analysis' degree.
std::vector<Series> angle_series(const expansion::Analysis& an,
                                 const std::vector<crystal::CellEntry>& cells) {
  constexpr const char* kNames[] = {"\u03b1", "\u03b2", "\u03b3"};
  std::vector<Series> out;
  for (std::size_t k = 3; k < 6; ++k) {
    Series one{{}, std::vector<double>{}, {}, plain(kNames[k - 3])};
    bool any_su = false;
    for (const crystal::CellEntry& e : cells) {
      one.values.push_back(crystal::parameters(e.cell)[k]);
      const std::optional<double> su = crystal::parameters(e.su)[k];
      one.sus->push_back(su.value_or(0));
      any_su |= su.has_value();
    }
    const auto [lo, hi] = std::minmax_element(one.values.begin(), one.values.end());
    if (!(*hi - *lo > 1e-6)) continue;  // an angle that does not vary
    if (!any_su) one.sus.reset();
    one.fitted = [fit = expansion::fit_polynomial(an.temperatures, one.values, an.degree)](
                     double t) { return value_at(fit, t); };
    out.push_back(std::move(one));
  }
  return out;
}

}  // namespace

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
  for (const common::Point& p : points.shown()) drawn.push_back(index.at({p.x, p.y}));
  return drawn;
}

const char* const kAnalysisStyle =
    "<style>\n"
    ".s0 { fill: #1f5f9f; stroke: #1f5f9f; } .s1 { fill: #2e8b57; stroke: #2e8b57; } "
    ".s2 { fill: #c0392b; stroke: #c0392b; } .s3 { fill: #7d3c98; stroke: #7d3c98; }\n"
    ".s4 { fill: #b9770e; stroke: #b9770e; } .s5 { fill: #17a589; stroke: #17a589; }\n"
    ".s6 { fill: #884ea0; stroke: #884ea0; } .s7 { fill: #5d6d7e; stroke: #5d6d7e; }\n"
    ".s8 { fill: #e67e22; stroke: #e67e22; } .s9 { fill: #34495e; stroke: #34495e; }\n"
    // Curves that coincide (BM3 and BM3 with p_c are one curve) stay told
    // apart by their dashes, the key drawing each as its curve.
    "polyline.s2, line.s2 { stroke-dasharray: 10 4; } polyline.s3, line.s3 { stroke-dasharray: 2 "
    "3; }\n"
    "polyline.s4, line.s4 { stroke-dasharray: 12 3 2 3; } polyline.s5, line.s5 { stroke-dasharray: "
    "6 6; }\n"
    "polyline.s6, line.s6 { stroke-dasharray: 1 4; } polyline.s7, line.s7 { stroke-dasharray: 16 "
    "4; }\n"
    "polyline.s8, line.s8 { stroke-dasharray: 4 2 1 2; } polyline.s9, line.s9 { stroke-dasharray: "
    "8 2 2 2; }\n"
    "polyline { fill: none; stroke-width: 1.6; }\n"
    ".positive { stroke: #1f5f9f; stroke-width: 2; }\n"
    ".negative { stroke: #d35400; stroke-width: 2; stroke-dasharray: 6 3; }\n"
    ".principal { stroke: #999; stroke-width: 1; stroke-dasharray: 2 3; }\n"
    ".scale { fill: none; stroke: #ccc; stroke-width: 1; }\n"
    ".crystal-axis { stroke: #333; stroke-width: 1.2; }\n"
    ".su { stroke-width: 1; }\n"
    "</style>\n";

// A line through the points; `width`, where given, its stroke's width.
std::string polyline(const std::string& cls, const std::vector<std::pair<double, double>>& xy,
                     double width) {
  std::string s = "<polyline class=\"" + cls + "\"";
  if (width > 0) s += " style=\"stroke-width: " + svg_number(width) + "\"";
  s += " points=\"";
  for (std::size_t i = 0; i < xy.size(); ++i) {
    if (i > 0) s += ' ';
    s += svg_number(xy[i].first) + "," + svg_number(xy[i].second);
  }
  return s + "\"/>\n";
}

RichText axis_name(std::size_t k) {
  return {{"X", false}, {std::to_string(k + 1), true}};
}

std::string joined(const RichText& text) {
  std::string plain;
  for (const TextRun& run : text) plain += run.text;
  return plain;
}

// The runs of both, a run that goes on in the same place (on the line, or
// lowered) joined to the one before.
RichText operator+(RichText text, const RichText& more) {
  for (const TextRun& run : more) {
    if (!text.empty() && text.back().subscript == run.subscript)
      text.back().text += run.text;
    else
      text.push_back(run);
  }
  return text;
}

RichText plain(std::string text) {
  return {{std::move(text), false}};
}

// "X₁ [0.000 −0.500 1.000]  α₁ = 20.4(26) MK⁻¹"
RichText axis_label(const expansion::Analysis& an, const KeyTexts& keys, std::size_t k) {
  const expansion::AxisResult& x = an.axes[k];
  return axis_name(k) +
         plain(
             true_minus(common::format_text(" [%.3f %.3f %.3f]  ", x.uvw(0), x.uvw(1), x.uvw(2))) +
             "\u03b1") +
         RichText{{std::to_string(k + 1), true}} + plain(" = " + true_minus(keys.axes[k]));
}

Heading heading(const chart::ChartLayout& layout, std::string_view own_title,
                const std::string& about, std::string_view source, std::size_t key_lines,
                const PictureOptions& options) {
  Heading h;
  double y = 12;  // above the first line
  if (!options.no_title) {
    h.title = options.title ? *options.title : std::string(own_title);
    const std::string sub = options.title ? about : base_names(source) + ", " + about;
    h.subtitle = wrapped(common::safe_text(sub, common::Charset::kUtf8), font_size("subtitle"),
                         layout.width - 40, 2);
    y = 30 + kLine * static_cast<double>(h.subtitle.size());
  }
  h.keys_from = y + kLine + 4;
  h.frame_top = y + kLine * static_cast<double>(key_lines) + 14;
  return h;
}

std::string heading_texts(const chart::ChartLayout& layout, const Heading& h) {
  if (h.title.empty()) return {};
  std::string s = chart::svg_title(layout, h.title);
  for (std::size_t i = 0; i < h.subtitle.size(); ++i)
    s += svg_text("subtitle", layout.width / 2, 30 + kLine * static_cast<double>(i + 1), "middle",
                  h.subtitle[i]);
  return s;
}

// One line of a key, at (x, y): a stroke and a marker in class cls, then the
// text, shortened to the room the picture leaves.
std::string key_line(const chart::ChartLayout& layout, double x, double y, const std::string& cls,
                     RichText text, bool points, double width, bool curve) {
  const double room = layout.width - x - 28 - 10;
  if (text_width(text, font_size("key")) > room)
    text = plain(shortened(joined(text), font_size("key"), room));
  std::string line = curve ? svg_line(cls, x, y - 4, x + 20, y - 4) : std::string();
  if (curve && width > 0)
    line.insert(line.find(' '), " style=\"stroke-width: " + svg_number(width) + "\"");
  return line + (points ? svg_circle(cls, x + 10, y - 4, 3) : std::string()) +
         chart::svg_rich_text("key", x + 28, y, "start", text);
}

std::string subtitle_about(const expansion::Analysis& an) {
  return measure_name(an.measure) + " strain, " + expansion::fit_name(an.degree) + " fit";
}

Abscissa temperature_axis(const expansion::Analysis& an) {
  return {an.temperatures, "Temperature (K)", subtitle_about(an)};
}

std::string series_figure(const Abscissa& x, const std::vector<Series>& series, double factor,
                          std::string_view title, std::string_view y_label, std::string_view source,
                          const PictureOptions& options, const LowerPanel* lower) {
  chart::ChartLayout defaults;
  if (lower != nullptr) defaults.height = 820;
  chart::ChartLayout layout = sized(defaults, options);
  const Heading h = heading(layout, title, x.about, source, series.size(), options);
  layout.top = h.frame_top;
  std::string s = chart::svg_open(layout, h.title, "korvex-expansion") + kAnalysisStyle;
  s += heading_texts(layout, h);
  if (lower == nullptr)
    return s + figure_panel(x, series, factor, layout, h.keys_from, y_label, 0) +
           chart::svg_close();
  // The upper frame with its tick labels takes half the height below the
  // heading, the lower one, its keys over it, the rest.
  const double split = h.frame_top + (layout.height - h.frame_top) / 2;
  chart::ChartLayout upper = layout, under = layout;
  upper.bottom = layout.height - split + layout.bottom / 2;
  under.top = split + kLine * static_cast<double>(lower->series.size()) + 14;
  s += figure_panel(x, series, factor, upper, h.keys_from, y_label, 0);
  s += figure_panel(x, lower->series, 1, under, split + kLine + 4, lower->y_label, series.size());
  return s + chart::svg_close();
}

std::string lattice_picture(const expansion::Analysis& an, const expansion::PropagatedSus* sus,
                            const std::vector<crystal::CellEntry>& cells, Unit unit,
                            std::string_view source, const PictureOptions& options) {
  const crystal::Cell& ref = cells[an.reference].cell;
  std::vector<Series> series;
  constexpr const char* kKeys[] = {"a/a\u2080", "b/b\u2080", "c/c\u2080"};
  for (std::size_t k = 0; k < 3; ++k) {
    const double ref_value = crystal::parameters(ref)[k];
    Series one{{}, std::vector<double>{}, {}, plain(kKeys[k])};
    bool any_su = false;
    for (const crystal::CellEntry& e : cells) {
      one.values.push_back(crystal::parameters(e.cell)[k] / ref_value);
      const std::optional<double> su = crystal::parameters(e.su)[k];
      one.sus->push_back(su ? *su / ref_value : 0);
      any_su |= su.has_value();
    }
    if (!any_su) one.sus.reset();
    one.fitted = [fit = expansion::fit_polynomial(an.temperatures, one.values, an.degree)](
                     double t) { return value_at(fit, t); };
    series.push_back(std::move(one));
  }
  Series volume{
      {},
      std::nullopt,
      [&an](double t) { return expansion::fitted_volume(an.volume, t) / an.volume.reference; },
      plain("V/V\u2080")};
  for (const double v : an.volume.values) volume.values.push_back(v / an.volume.reference);
  if (sus != nullptr) {
    volume.sus.emplace();
    for (const double su : sus->volume.values) volume.sus->push_back(su / an.volume.reference);
  }
  series.push_back(std::move(volume));
  // The subtitle says what is drawn: no strain measure enters these ratios.
  const LowerPanel angles{angle_series(an, cells), "Angle (\u00b0)"};
  const bool pressure = unit == Unit::kGigapascal;
  const Abscissa x{
      an.temperatures, pressure ? "Pressure (GPa)" : "Temperature (K)",
      "a, b, c and V over their values at " +
          common::format_text(pressure ? "%.4g GPa" : "%.2f K", an.temperatures[an.reference]) +
          (angles.series.empty() ? "" : "; the angles that vary, in degrees") + ", " +
          expansion::fit_name(an.degree) + " fits"};
  return series_figure(x, series, 1, "Cell parameters relative to the reference cell",
                       "Relative cell parameter", source, options,
                       angles.series.empty() ? nullptr : &angles);
}

}  // namespace chart
