// The SVG picture of one plot series.
//
// TK_cell_a.pgf gives TK_cell_a.svg: the same plot as on the terminal, for a
// report or a browser. The picture holds the title (the main legend), a framed
// plot area with grid, ticks and tick labels, the X and Y legends as axis
// labels, the least-squares line (<line class="fit">), one marker per point
// (<circle class="point">; a long series as many as its pixels can show, see
// plot_points.h) with an error bar of one SU where the cells give one, and
// under the plot the line's equation and, for a length or the volume, the
// expansion coefficient, with its SU from the least-squares line (HC0,
// poly_fit.h) where a spare point gives one. Texts are cleaned and
// XML-escaped, Greek letters and units written as such.
//
// vistrel draws the picture of a plot file it reads (picture_of), korvex the
// pictures of the cells of its pass; both through render_svg.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "chart/picture_options.h"
#include "chart/plot_points.h"
#include "common/expected.h"
#include "expansion/line_fit.h"
#include "formats/pgf_read.h"

namespace chart {

// What a picture of one series shows.
struct SeriesPicture {
  std::string main_legend;  // the title; when blank, the pattern title is
  std::string pattern_title;
  std::string x_legend;
  std::string y_legend;
  formats::QuantityInfo quantity;
  int marker_size = formats::kPgfMarkerSizeCode;
  PlotPoints points;  // with the values' SUs where known
};

// The picture of a plot file as read: its legends, title, quantity, marker
// size and points, with the points' SUs where given (one a point, 0 for
// none; a plot file holds none).
[[nodiscard]] SeriesPicture picture_of(const formats::PgfFile& pgf,
                                       std::span<const double> sus = {});

// The picture's name: a final ".pgf" (any case) replaced by ".svg", else
// ".svg" appended.
[[nodiscard]] std::string svg_path_for(std::string_view pgf_path);

// The whole SVG document, drawn in the frame of svg_chart.h by `program`
// (svg_drawn_by). The series must hold at least one point. A footnote that is
// not blank is written under the plot, e.g. the cell choice and the buffer
// file when korvex draws the pictures; empty: none.
[[nodiscard]] std::string render_svg(const SeriesPicture& picture, std::string_view footnote = {},
                                     const PictureOptions& options = {},
                                     std::string_view program = "korvex");

// Where `program` writes a picture meant for svg_path: there, unless a file
// there was drawn by another program or by none (korvex's picture with its
// footnote, a user's own file), which it does not replace; then beside it,
// the program's name before the extension (TK_cell_a.vistrel.svg), under the
// same rule. The error says why neither place is free.
[[nodiscard]] common::Expected<std::string> own_picture_path(const std::string& svg_path,
                                                             std::string_view program);

// The picture of the plot file at pgf_path, drawn by vistrel and written
// beside it (svg_path_for, own_picture_path) with common::write_file_replacing,
// for `vistrel --svg-only`, which shows nothing. Returns the picture's path.
// The error's message names the file it concerns, as formats::describe_error()
// does: "TK_cell_a.pgf, line 14: data row ...", "TK_cell_a.pgf: no point to
// plot, so no SVG picture", "TK_cell_a.svg: cannot write the SVG picture: Is
// a directory"; its line is that of a fault in the plot file, else 0.
[[nodiscard]] common::Expected<std::string> write_svg_picture(const std::string& pgf_path,
                                                              const PictureOptions& options = {});

// The expansion coefficient of a cell length or the volume over the series,
// d ln X/dT (expansion/coefficient.h), X_ref the first point's; `definition`
// says so ("slope of ln(X/X_ref), X_ref at 100.00 K"). Nothing for other
// quantities; alpha is absent where some value is not positive.
struct LineCoefficient {
  std::optional<double> alpha;  // 1/K
  std::string definition;
};
[[nodiscard]] std::optional<LineCoefficient> line_coefficient(const formats::QuantityInfo& q,
                                                              const PlotPoints& points);
[[nodiscard]] std::optional<LineCoefficient> line_coefficient(
    const formats::QuantityInfo& q, const std::vector<common::Point>& points);

// The least-squares line as an equation in T: "a = 5.00000 + 1.00000e-04 * T",
// or with pretty "a = 5.00000 + 1.00000×10⁻⁴ · T".
[[nodiscard]] std::string fit_equation(const formats::QuantityInfo& q,
                                       const expansion::LineFit& fit, bool pretty);

}  // namespace chart
