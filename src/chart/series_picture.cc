#include "chart/series_picture.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <vector>

#include "chart/axis.h"
#include "chart/svg_chart.h"
#include "chart/units.h"
#include "common/files.h"
#include "common/number_text.h"
#include "common/safe_text.h"
#include "expansion/coefficient.h"
#include "expansion/poly_fit.h"

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
  if (!pretty) {
    return q.name + " = " + common::fixed(fit.intercept, 5) + (fit.slope < 0 ? " - " : " + ") +
           slope + " * T";
  }
  return q.name + " = " + true_minus(common::fixed(fit.intercept, 5)) +
         (fit.slope < 0 ? " \u2212 " : " + ") + slope + " \u00B7 T";
}

namespace {

std::optional<LineCoefficient> coefficient_of(const formats::QuantityInfo& q,
                                              std::optional<double> alpha, double first_t) {
  if (q.kind != formats::Quantity::kLength && q.kind != formats::Quantity::kVolume)
    return std::nullopt;
  return LineCoefficient{alpha, "slope of ln(" + q.name + "/" + q.name + "_ref), " + q.name +
                                    "_ref at " + common::fixed(first_t, 2) + " K"};
}

}  // namespace

std::optional<LineCoefficient> line_coefficient(const formats::QuantityInfo& q,
                                                const PlotPoints& points) {
  if (points.empty()) return std::nullopt;
  return coefficient_of(q, points.coefficient(), points.first().x);
}

std::optional<LineCoefficient> line_coefficient(const formats::QuantityInfo& q,
                                                const std::vector<common::Point>& points) {
  if (points.empty()) return std::nullopt;
  const auto alpha = expansion::line_coefficient(points);
  return coefficient_of(q, alpha ? std::optional<double>(alpha->value) : std::nullopt,
                        points.front().x);
}

SeriesPicture picture_of(const formats::PgfFile& pgf, std::span<const double> sus) {
  SeriesPicture picture{
      pgf.main_legend, pgf.title, pgf.x_legend, pgf.y_legend, formats::quantity_of(pgf),
      pgf.marker_size, {}};
  for (std::size_t i = 0; i < pgf.points.size(); ++i)
    picture.points.add(pgf.points[i], i < sus.size() ? sus[i] : 0);
  return picture;
}

namespace {

constexpr double kNoteLine = 18;  // between the lines under the plot
constexpr double kKeyGap = 16;    // between the key's items

// The SU of the expansion coefficient from the least-squares line through the
// points (HC0, poly_fit.h); none for a long series drawn by bins, or without a
// spare point.
std::optional<double> coefficient_su(const PlotPoints& points) {
  if (!points.exact() || points.count() < 3) return std::nullopt;
  const auto alpha = expansion::line_coefficient(points.shown());
  // Points on a line leave residuals of rounding alone: no SU to tell.
  if (!alpha || !(alpha->su > 1e-9 * std::fabs(alpha->value)) || !std::isfinite(alpha->su))
    return std::nullopt;
  return alpha->su;
}

// The lines under the plot: the least-squares line (for a flat series the
// constant alone), the expansion coefficient for a cell length or the volume.
std::vector<std::string> fit_notes(const formats::QuantityInfo& q, const PlotPoints& points,
                                   const std::optional<expansion::LineFit>& fit) {
  std::vector<std::string> notes;
  if (!fit) return notes;
  const expansion::SeriesStats stats = points.stats();
  const std::string unit = unit_symbol(q.unit, true);
  if (fit->slope == 0 || stats.y.min == stats.y.max) {
    notes.push_back("Least-squares line: " + q.name + " = " +
                    true_minus(common::fixed(stats.y_mean, 5)) +
                    (unit.empty() ? "" : "  (" + unit + ")"));
  } else {
    notes.push_back("Least-squares line: " + fit_equation(q, *fit, true) +
                    (unit.empty() ? "" : "  (" + unit + ", T in K)"));
  }
  if (const auto c = line_coefficient(q, points); c && c->alpha) {
    const std::optional<double> su = coefficient_su(points);
    const std::string value =
        su ? common::with_su(*c->alpha * 1e6, *su * 1e6) : common::fixed(*c->alpha * 1e6, 3);
    notes.push_back(std::string(q.kind == formats::Quantity::kLength ? "Linear" : "Volume") +
                    " expansion coefficient (" + c->definition + "): " + true_minus(value) +
                    " MK\u207B\u00B9");
  }
  return notes;
}

// The key, on its own line at `y` and ending at the frame's right: a marker
// for the points, a stroke for the line, each before its name.
std::string series_key(const ChartFrame& f, double y, bool fit) {
  const double size = font_size("key");
  std::string s;
  double x = f.frame_right;
  const auto item = [&](std::string_view name) {
    s += svg_text("key", x, y, "end", name);
    x -= text_width(name, size) + 6;
  };
  if (fit) {
    item("least-squares line");
    s += svg_line("fit", x - 20, y - 4, x, y - 4);
    x -= 20 + kKeyGap;
  }
  item("points");
  s += svg_circle("point", x - 4, y - 4, 4);
  return s;
}

// The picture's title as shown, Greek letters and units written as such;
// empty for none.
std::string shown_title(const SeriesPicture& picture, const PictureOptions& options) {
  if (options.no_title) return {};
  std::string title(common::trim(options.title ? *options.title : picture.main_legend));
  if (title.empty() && !options.title) title = std::string(common::trim(picture.pattern_title));
  return with_greek_letters(with_unit_symbols(title, true));
}

std::string notes_under(const ChartFrame& f, const std::vector<std::string>& notes,
                        bool last_is_footnote) {
  std::string s;
  double note_y = f.frame_bottom + 50;  // the X label's line
  for (std::size_t i = 0; i < notes.size(); ++i) {
    note_y += kNoteLine;
    const bool is_footnote = last_is_footnote && i + 1 == notes.size();
    const char* cls = is_footnote ? "footnote" : "note";
    const std::string safe = common::safe_text(notes[i], common::Charset::kUtf8);
    s += svg_text(cls, f.frame_left, note_y, "start",
                  shortened(safe, font_size(cls), f.layout.width - f.frame_left - 10));
  }
  return s;
}

}  // namespace

std::string render_svg(const SeriesPicture& picture, std::string_view footnote,
                       const PictureOptions& options, std::string_view program) {
  const std::optional<expansion::LineFit> fit = picture.points.fit();
  const std::vector<common::Point> shown = picture.points.shown();
  const std::vector<double> sus = picture.points.shown_sus();
  PlotRanges ranges = plot_ranges(picture.points.stats(), fit);
  ranges.y = with_bars(ranges.y, shown, sus);
  formats::QuantityInfo quantity = picture.quantity;
  quantity.name = with_greek_letters(common::safe_text(quantity.name, common::Charset::kUtf8));
  std::vector<std::string> notes = fit_notes(quantity, picture.points, fit);
  const bool has_footnote = !common::trim(footnote).empty();
  if (has_footnote) notes.emplace_back(footnote);
  const std::string title = shown_title(picture, options);

  ChartLayout layout = sized({}, options);
  const double notes_room = kNoteLine * static_cast<double>(notes.size());
  if (!options.size) layout.height += notes_room;
  layout.bottom += notes_room;
  const double key_y = title.empty() ? 26 : 56;
  layout.top = key_y + 14;
  const ChartFrame f = chart_frame(ranges.x, ranges.y, layout);

  std::string s = svg_open(f.layout, title, program);
  if (!title.empty()) s += svg_title(f.layout, title);
  s += series_key(f, key_y, fit.has_value());
  s += svg_chart_frame(f, with_unit_symbols(picture.x_legend, true),
                       with_greek_letters(with_unit_symbols(picture.y_legend, true)));
  if (fit) {
    const auto fy = [&](double x) { return f.py(fit->intercept + fit->slope * x); };
    s +=
        svg_line("fit", f.px(ranges.x.min), fy(ranges.x.min), f.px(ranges.x.max), fy(ranges.x.max));
  }
  for (std::size_t i = 0; i < sus.size(); ++i) {
    if (sus[i] > 0)
      s += svg_error_bar("point", f.px(shown[i].x), f.py(shown[i].y + sus[i]),
                         f.py(shown[i].y - sus[i]));
  }
  const double r = 1.5 * std::clamp(picture.marker_size, 1, 6) + 1;
  for (const common::Point& p : shown) s += svg_circle("point", f.px(p.x), f.py(p.y), r);
  s += notes_under(f, notes, has_footnote);
  s += svg_close();
  return s;
}

common::Expected<std::string> own_picture_path(const std::string& svg_path,
                                               std::string_view program) {
  const std::string beside =
      svg_path.substr(0, svg_path.size() - 4) + "." + std::string(program) + ".svg";
  for (const std::string& path : {svg_path, beside}) {
    // Only a regular file (or one a link leads to) holds a picture; anything
    // else there is the writer's to report, as it cannot be replaced.
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::status(path, error))) return path;
    // The marker stands in the first lines; a larger file is read no further.
    const auto head = common::read_whole_file(path, 1 << 20);
    if (head && svg_drawn_by(*head) == program) return path;
  }
  return common::Error{0, svg_path + " and " + beside + " hold pictures " + std::string(program) +
                              " did not draw, which it does not replace"};
}

common::Expected<std::string> write_svg_picture(const std::string& pgf_path,
                                                const PictureOptions& options) {
  constexpr std::string_view kProgram = "vistrel";
  const common::Expected<formats::PgfFile> pgf = formats::read_pgf_file(pgf_path);
  if (!pgf) return common::Error{pgf.error().line, formats::describe_error(pgf_path, pgf.error())};
  if (pgf->points.empty()) {
    return common::Error{
        0, formats::describe_error(pgf_path, {0, "no point to plot, so no SVG picture"})};
  }
  COMMON_TRY(svg_path, own_picture_path(svg_path_for(pgf_path), kProgram));
  const auto written =
      common::write_file_replacing(*svg_path, render_svg(picture_of(*pgf), {}, options, kProgram));
  if (!written) {
    return common::Error{
        0, formats::describe_error(
               *svg_path, {0, "cannot write the SVG picture: " + written.error().message})};
  }
  return *svg_path;
}

}  // namespace chart
