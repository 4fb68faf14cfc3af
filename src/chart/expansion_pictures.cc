#include "chart/expansion_pictures.h"

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
constexpr int kLobeSteps = 360;  // samples of an indicatrix section

// Colours of the three axes, and of the lobes, beside the frame's own style.
constexpr const char* kStyle =
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
                     double width = 0) {
  std::string s = "<polyline class=\"" + cls + "\"";
  if (width > 0) s += " style=\"stroke-width: " + svg_number(width) + "\"";
  s += " points=\"";
  for (std::size_t i = 0; i < xy.size(); ++i) {
    if (i > 0) s += ' ';
    s += svg_number(xy[i].first) + "," + svg_number(xy[i].second);
  }
  return s + "\"/>\n";
}

constexpr double kLine = 17;  // between the lines of a heading or a key

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

// The lines over a picture's frame: the title, the subtitle (the inputs and
// how they were analysed, wrapped to the width), then the key's lines.
struct Heading {
  std::string title;
  std::vector<std::string> subtitle;
  double keys_from = 0;  // baseline of the key's first line
  double frame_top = 0;  // below the last line
};

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
                     RichText text, bool points = true, double width = 0) {
  const double room = layout.width - x - 28 - 10;
  if (text_width(text, font_size("key")) > room)
    text = plain(shortened(joined(text), font_size("key"), room));
  std::string line = svg_line(cls, x, y - 4, x + 20, y - 4);
  if (width > 0) line.insert(line.find(' '), " style=\"stroke-width: " + svg_number(width) + "\"");
  return line + (points ? svg_circle(cls, x + 10, y - 4, 3) : std::string()) +
         chart::svg_rich_text("key", x + 28, y, "start", text);
}

std::string subtitle_about(const expansion::Analysis& an) {
  return measure_name(an.measure) + " strain, " + expansion::fit_name(an.degree) + " fit";
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
  for (const common::Point& p : points.shown()) drawn.push_back(index.at({p.x, p.y}));
  return drawn;
}

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

// One series of a figure of T against some values: what range_of,
// curve_marks and point_marks take.
struct Series {
  std::vector<double> values;
  std::optional<std::vector<double>> sus;
  std::function<double(double)> fitted;  // the fitted value at T
  RichText key;
};

// What a figure's horizontal axis holds: temperature, or pressure.
struct Abscissa {
  const std::vector<double>& values;
  std::string_view label;  // "Temperature (K)"
  std::string about;       // the subtitle's account of the analysis
};

Abscissa temperature_axis(const expansion::Analysis& an) {
  return {an.temperatures, "Temperature (K)", subtitle_about(an)};
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
    for (int i = 0; i <= kCurveSteps; ++i) {
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
                  widths[k]);
  }
  // The curves of points first, then the curves alone, widest first, then
  // every point: no curve covers a point, and each curve alone shows beside
  // the thinner ones drawn over it.
  for (const bool alone : {false, true}) {
    for (std::size_t k = 0; k < series.size(); ++k) {
      if (series[k].values.empty() == alone)
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

// A figure of several series against temperature (or pressure), each in its
// colour class s0, s1 ..., with its key on a line of its own over the frame;
// given `lower`, a second frame below the first holds those, with their keys
// over it and a y label of their own.
struct LowerPanel {
  std::vector<Series> series;
  std::string_view y_label;
};
std::string series_figure(const Abscissa& x, const std::vector<Series>& series, double factor,
                          std::string_view title, std::string_view y_label, std::string_view source,
                          const PictureOptions& options, const LowerPanel* lower = nullptr) {
  chart::ChartLayout defaults;
  if (lower != nullptr) defaults.height = 820;
  chart::ChartLayout layout = sized(defaults, options);
  const Heading h = heading(layout, title, x.about, source, series.size(), options);
  layout.top = h.frame_top;
  std::string s = chart::svg_open(layout, h.title, "korvex-expansion") + kStyle;
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

std::string strain_picture(const expansion::Analysis& an, const expansion::PropagatedSus* sus,
                           std::string_view source, const KeyTexts& keys,
                           const PictureOptions& options) {
  std::vector<Series> series;
  for (std::size_t k = 0; k < 3; ++k) {
    const expansion::PolyFit& fit = an.axes[k].fit;
    series.push_back({an.axes[k].strains, std::nullopt,
                      [&fit](double t) { return value_at(fit, t); }, axis_label(an, keys, k)});
    if (sus != nullptr) series.back().sus = sus->axes[k].strains;
  }
  return series_figure(temperature_axis(an), series, 100, "Principal strains against temperature",
                       "Principal strain (%)", source, options);
}

std::string volume_picture(const expansion::Analysis& an, const expansion::PropagatedSus* sus,
                           std::string_view source, const KeyTexts& keys,
                           const PictureOptions& options) {
  Series volume{an.volume.values, std::nullopt,
                [&an](double t) { return expansion::fitted_volume(an.volume, t); },
                RichText{{"\u03b1", false}, {"V", true}} + plain(" = " + true_minus(keys.volume))};
  if (sus != nullptr) volume.sus = sus->volume.values;
  return series_figure(temperature_axis(an), {volume}, 1, "Volume against temperature",
                       "Volume (\u00c5\u00b3)", source, options);
}

// The cell's lengths and volume, each divided by its value at the reference
// point, with their fits: the lengths' fitted here as the strains are, of the
// same degree; the volume's the analysis' own, scaled alike. An error bar is
// the point's SU over the reference value (which is taken as exact: it sets
// the scale of every point alike).
// What the series' abscissa holds.
enum class Unit { kKelvin, kGigapascal };

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

// What an indicatrix shows: a second-rank property along the principal axes,
// its value along n the sum of value_i (n . x_i)^2.
struct Indicatrix {
  std::array<double, 3> values{};             // along the principal axes
  std::array<Eigen::Vector3d, 3> directions;  // Cartesian unit vectors
  Eigen::Matrix3d crystal_axes;               // columns: unit a, b, c in the same frame
  std::array<RichText, 3> labels;             // each principal axis with its value, for the key
  std::string symbol;                         // "α"
  double shown = 1;                           // the unit shown per unit of `values`
  std::string unit;                           // "MK⁻¹"
  std::string title, about;                   // the picture's title and what the subtitle adds
};

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
  std::string s = chart::svg_open(layout, h.title, "korvex-expansion") + kStyle;
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

// The expansivity indicatrix of an analysis.
Indicatrix expansivity(const expansion::Analysis& an, const KeyTexts& keys) {
  Indicatrix ind;
  for (std::size_t k = 0; k < 3; ++k) {
    ind.values[k] = an.axes[k].alpha.value;
    ind.directions[k] = an.axes[k].direction;
    ind.labels[k] = axis_label(an, keys, k);
  }
  ind.crystal_axes = an.crystal_axes;
  ind.symbol = "\u03b1";
  ind.shown = 1e6;
  ind.unit = "MK\u207b\u00b9";
  ind.title = "Expansivity indicatrix: sections through the principal axes";
  ind.about = subtitle_about(an);
  return ind;
}

Abscissa pressure_axis(const expansion::PressureAnalysis& r) {
  return {r.strains.temperatures, "Pressure (GPa)",
          measure_name(r.strains.measure) + " strain, empirical fits"};
}

std::string pressure_strain_picture(const expansion::PressureSeries& analysed,
                                    std::string_view source, const KeyTexts& keys,
                                    const PictureOptions& options) {
  const expansion::PressureAnalysis& r = analysed.analysis;
  const expansion::Analysis& an = r.strains;
  const double median = an.temperatures[an.median];
  std::vector<Series> series;
  for (std::size_t k = 0; k < 3; ++k) {
    const expansion::CompressibilityAxis& axis = r.axes[k];
    const expansion::AxisResult& x = an.axes[axis.axis];
    std::function<double(double)> fitted;
    RichText key = axis_name(k) + plain(true_minus(common::format_text(
                                      " [%.3f %.3f %.3f]  K = ", x.uvw(0), x.uvw(1), x.uvw(2))));
    if (axis.fit) {
      const expansion::EmpiricalFit& fit = *axis.fit;
      fitted = [&fit](double p) { return expansion::empirical_strain(fit, p); };
      key = key +
            plain(true_minus(keys.axes[k]) + " at " + common::format_text("%.4g", median) + " GPa");
    } else {
      const expansion::PolyFit& line = x.fit;
      fitted = [&line](double p) { return value_at(line, p); };
      key = key + plain(true_minus(keys.axes[k]) + ", straight line");
    }
    series.push_back({x.strains, std::nullopt, fitted, key});
  }
  return series_figure(pressure_axis(r), series, 100, "Principal strains against pressure",
                       "Principal strain (%)", source, options);
}

std::string pressure_volume_picture(const expansion::PressureSeries& analysed,
                                    const expansion::EosAnalysis& eos, std::string_view source,
                                    const KeyTexts& keys, const PictureOptions& options) {
  const expansion::PressureAnalysis& r = analysed.analysis;
  const expansion::VolumeResult& volume = r.strains.volume;
  std::vector<Series> series;
  series.push_back({volume.values, std::nullopt,
                    [&volume](double p) { return expansion::fitted_volume(volume, p); },
                    RichText{{"K", false}, {"V", true}} +
                        plain(" = " + true_minus(keys.volume) + ", straight line")});
  // V(p) is sought where the curve falls: from well inside the smallest volume
  // to a little beyond the largest and V0 (a third-order curve of large B'
  // turns back up at some 1.3 V0).
  const auto [v_lo, v_hi] = std::minmax_element(volume.values.begin(), volume.values.end());
  for (std::size_t i = 0; i < eos.equations.size(); ++i) {
    const expansion::EosEntry& e = eos.equations[i];
    if (!e.fit) continue;
    const expansion::EosSolution& fit = *e.fit;
    const EosKeyTexts texts = i < keys.eos.size() ? keys.eos[i] : EosKeyTexts{};
    const double low = 0.5 * *v_lo, high = 1.05 * std::max(*v_hi, fit.theta[expansion::kV0].value);
    RichText key = plain(expansion::eos_label(e.eos));
    if (e.eos == expansion::Eos::kBm3Pc)
      key = plain("BM3, p") + RichText{{"c", true}} + plain(" = " + true_minus(texts.pc));
    key = key + plain(": V") + RichText{{"0", true}} + plain(" = " + true_minus(texts.v0) + ", B") +
          RichText{{"0", true}} +
          plain(" = " + true_minus(texts.b0) + ", B\u2032 = " + true_minus(texts.bp));
    series.push_back({{},
                      std::nullopt,
                      [&fit, low, high](double p) {
                        return expansion::eos_volume(fit.eos, expansion::parameters_of(fit), p, low,
                                                     high, fit.pc);
                      },
                      key});
  }
  return series_figure(pressure_axis(r), series, 1, "Volume against pressure",
                       "Volume (\u00c5\u00b3)", source, options);
}

// The compressibility indicatrix: each axis's K as the report names it (at
// the median pressure, the straight line's without the empirical fit).
Indicatrix compressibility_indicatrix(const expansion::PressureSeries& series,
                                      const KeyTexts& keys) {
  const expansion::PressureAnalysis& r = series.analysis;
  const expansion::Analysis& an = r.strains;
  Indicatrix ind;
  for (std::size_t k = 0; k < 3; ++k) {
    const expansion::AxisResult& x = an.axes[r.axes[k].axis];
    ind.values[k] = expansion::shown_compressibility(series, k).value;
    ind.directions[k] = x.direction;
    ind.labels[k] =
        axis_name(k) +
        plain(
            true_minus(common::format_text(" [%.3f %.3f %.3f]  K", x.uvw(0), x.uvw(1), x.uvw(2)))) +
        RichText{{std::to_string(k + 1), true}} + plain(" = " + true_minus(keys.axes[k]));
  }
  ind.crystal_axes = an.crystal_axes;
  ind.symbol = "K";
  ind.unit = "TPa\u207b\u00b9";
  ind.title = "Compressibility indicatrix: sections through the principal axes";
  ind.about = measure_name(an.measure) + " strain, K at " +
              common::format_text("%.4g", an.temperatures[an.median]) + " GPa";
  return ind;
}

}  // namespace

// The inputs with their folders left out: "a.cif, b.cif" for
// "/data/run1/a.cif, /data/run1/b.cif".
std::string base_names(std::string_view source) {
  std::string out;
  std::size_t word = 0;  // where the current name began in out
  for (const char c : source) {
    if (c == ' ' || c == ',') {
      out += c;
      word = out.size();
    } else if (c == '/') {
      out.erase(word);
    } else {
      out += c;
    }
  }
  return out;
}

std::vector<Picture> render_pressure_pictures(const expansion::PressureSeries& series,
                                              const expansion::EosAnalysis& eos,
                                              const std::vector<crystal::CellEntry>& cells,
                                              std::string_view source, const KeyTexts& keys,
                                              const PictureOptions& options) {
  const expansion::Analysis& an = series.analysis.strains;
  std::vector<Picture> pictures = {
      {"_strain.svg", pressure_strain_picture(series, source, keys, options),
       "The principal strains against pressure, each with its empirical fit (the straight line "
       "where the series is too short for it)."},
      {"_volume.svg", pressure_volume_picture(series, eos, source, keys, options),
       "The volume against pressure with its straight line and the equations of state fitted, "
       "over the whole range of pressure."}};
  if (cells.size() == an.temperatures.size()) {
    pictures.push_back(
        {"_lattice.svg", lattice_picture(an, nullptr, cells, Unit::kGigapascal, source, options),
         "The cell's lengths and volume relative to those of the reference cell against "
         "pressure, with their fits; the angles that vary in a panel of their own."});
  }
  pictures.push_back(
      {"_indicatrix.svg",
       indicatrix_picture(compressibility_indicatrix(series, keys), source, options),
       "The compressibility indicatrix: K along every direction, in the three planes that hold "
       "two principal axes each; negative lobes dashed."});
  for (Picture& picture : eos_pictures(eos, source, keys, options))
    pictures.push_back(std::move(picture));
  return pictures;
}

std::vector<Picture> render_pictures(const expansion::Analysis& analysis,
                                     const expansion::PropagatedSus* sus,
                                     const std::vector<crystal::CellEntry>& cells,
                                     std::string_view source, const KeyTexts& keys,
                                     const PictureOptions& options) {
  std::vector<Picture> pictures = {
      {"_strain.svg", strain_picture(analysis, sus, source, keys, options),
       "The principal strains against temperature, each with its fit; error bars of one SU "
       "drawn from the cells, where they carry SUs."},
      {"_volume.svg", volume_picture(analysis, sus, source, keys, options),
       "The volume against temperature with its fit."}};
  if (cells.size() == analysis.temperatures.size())
    pictures.push_back(
        {"_lattice.svg", lattice_picture(analysis, sus, cells, Unit::kKelvin, source, options),
         "The cell's lengths and volume relative to those of the reference cell against "
         "temperature, with their fits; the angles that vary in a panel of their own."});
  pictures.push_back(
      {"_indicatrix.svg", indicatrix_picture(expansivity(analysis, keys), source, options),
       "The expansivity indicatrix: the coefficient along every direction, in the three planes "
       "that hold two principal axes each; negative lobes dashed."});
  return pictures;
}

}  // namespace chart
