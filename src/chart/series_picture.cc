#include "chart/series_picture.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

#include "chart/axis.h"
#include "chart/svg_chart.h"
#include "chart/units.h"
#include "common/files.h"
#include "common/number_text.h"
#include "common/safe_text.h"
#include "expansion/coefficient.h"

namespace chart {

std::string svg_path_for(std::string_view pgf_path) {
  const std::string_view ext = ".pgf";
  if (pgf_path.size() > ext.size() && pgf_path[pgf_path.size() - ext.size() - 1] != '/') {
    const std::string_view tail = pgf_path.substr(pgf_path.size() - ext.size());
    if (std::equal(tail.begin(), tail.end(), ext.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) == b;
        })) {
      return std::string(pgf_path.substr(0, pgf_path.size() - ext.size())) + ".svg";
    }
  }
  return std::string(pgf_path) + ".svg";
}

std::string fit_equation(const formats::QuantityInfo& q, const expansion::LineFit& fit,
                         bool pretty) {
  const std::string slope = pretty ? common::scientific_with_power(std::fabs(fit.slope), 5)
                                   : common::scientific(std::fabs(fit.slope), 5);
  return q.name + " = " + common::fixed(fit.intercept, 5) + (fit.slope < 0 ? " - " : " + ") +
         slope + (pretty ? " \u00B7 T" : " * T");
}

std::optional<LineCoefficient> line_coefficient(const formats::QuantityInfo& q,
                                                const expansion::LineFit& fit, double reference_t) {
  if (q.kind != formats::Quantity::kLength && q.kind != formats::Quantity::kVolume)
    return std::nullopt;
  return LineCoefficient{expansion::expansion_coefficient(fit, reference_t),
                         "fitted value at " + common::fixed(reference_t, 2) + " K"};
}

SeriesPicture picture_of(const formats::PgfFile& pgf) {
  SeriesPicture picture{
      pgf.main_legend, pgf.title, pgf.x_legend, pgf.y_legend, formats::quantity_of(pgf),
      pgf.marker_size, {}};
  for (const common::Point& p : pgf.points) picture.points.add(p);
  return picture;
}

namespace {

constexpr double kNoteLine = 18;  // between the lines under the plot

// The lines under the plot: the least-squares line (for a flat series the
// constant alone), the expansion coefficient for a cell length or the volume.
std::vector<std::string> fit_notes(const formats::QuantityInfo& q,
                                   const expansion::SeriesStats& stats,
                                   const std::optional<expansion::LineFit>& fit,
                                   double reference_t) {
  std::vector<std::string> notes;
  if (!fit) return notes;
  const std::string unit = unit_symbol(q.unit, true);
  if (fit->slope == 0 || stats.y.min == stats.y.max) {
    notes.push_back("Least-squares line: " + q.name + " = " + common::fixed(stats.y_mean, 5) +
                    (unit.empty() ? "" : "  (" + unit + ")"));
  } else {
    notes.push_back("Least-squares line: " + fit_equation(q, *fit, true) +
                    (unit.empty() ? "" : "  (" + unit + ", T in K)"));
  }
  if (const auto c = line_coefficient(q, *fit, reference_t); c && c->alpha) {
    notes.push_back(std::string(q.kind == formats::Quantity::kLength ? "Linear" : "Volume") +
                    " expansion coefficient (slope / " + c->divisor + "): " +
                    common::fixed(*c->alpha * 1e6, 3) + " \u00D7 10\u207B\u2076 K\u207B\u00B9");
  }
  return notes;
}

}  // namespace

std::string render_svg(const SeriesPicture& picture, std::string_view footnote) {
  const expansion::SeriesStats stats = picture.points.stats();
  const std::optional<expansion::LineFit> fit = picture.points.fit();
  const PlotRanges ranges = plot_ranges(stats, fit);
  std::vector<std::string> notes =
      fit_notes(picture.quantity, stats, fit, picture.points.first().x);
  if (!common::trim(footnote).empty()) notes.emplace_back(footnote);
  ChartLayout layout;
  layout.height += kNoteLine * static_cast<double>(notes.size());
  layout.bottom += kNoteLine * static_cast<double>(notes.size());
  const ChartFrame f = chart_frame(ranges.x, ranges.y, layout);

  std::string title(common::trim(picture.main_legend));
  if (title.empty()) title = std::string(common::trim(picture.pattern_title));
  title = with_unit_symbols(title, true);

  std::string s = svg_open(f.layout, title);
  s += svg_title(f.layout, title);

  // The key, top right: a marker for the points, a stroke for the line.
  double key_x = f.frame_right;
  if (fit) {
    s += svg_text("key", key_x, 56, "end", "least-squares line");
    key_x -= 110;
    s += svg_line("fit", key_x - 24, 52, key_x - 4, 52);
    key_x -= 40;
  }
  s += svg_text("key", key_x, 56, "end", "points");
  s += svg_circle("point", key_x - 48, 52, 4);

  s += svg_chart_frame(f, with_unit_symbols(picture.x_legend, true),
                       with_unit_symbols(picture.y_legend, true));

  if (fit) {
    const auto fy = [&](double x) { return f.py(fit->intercept + fit->slope * x); };
    s +=
        svg_line("fit", f.px(ranges.x.min), fy(ranges.x.min), f.px(ranges.x.max), fy(ranges.x.max));
  }
  const double r = 1.5 * std::clamp(picture.marker_size, 1, 6) + 1;
  for (const common::Point& p : picture.points.shown())
    s += svg_circle("point", f.px(p.x), f.py(p.y), r);

  double note_y = f.frame_bottom + 50;  // the X label's line
  for (std::size_t i = 0; i < notes.size(); ++i) {
    note_y += kNoteLine;
    const bool is_footnote = i + 1 == notes.size() && !common::trim(footnote).empty();
    s += svg_text(is_footnote ? "footnote" : "note", f.frame_left, note_y, "start", notes[i]);
  }
  s += svg_close();
  return s;
}

common::Expected<std::string> write_svg_picture(const std::string& pgf_path,
                                                std::string_view footnote) {
  const common::Expected<formats::PgfFile> pgf = formats::read_pgf_file(pgf_path);
  if (!pgf) return common::Error{pgf.error().line, formats::describe_error(pgf_path, pgf.error())};
  if (pgf->points.empty()) {
    return common::Error{
        0, formats::describe_error(pgf_path, {0, "no point to plot, so no SVG picture"})};
  }
  std::string svg_path = svg_path_for(pgf_path);
  const auto written =
      common::write_file_replacing(svg_path, render_svg(picture_of(*pgf), footnote));
  if (!written) {
    return common::Error{0, formats::describe_error(svg_path, {0, "cannot write the SVG picture: " +
                                                                      written.error().message})};
  }
  return svg_path;
}

}  // namespace chart
