// The SVG picture written beside the plot file.
//
// TK_cell_a.pgf gives TK_cell_a.svg: the same plot as on the terminal, for a
// report or a browser. The picture holds the title (main legend), the pattern
// title, a framed plot area with grid, ticks and tick labels, the X and Y
// legends as axis labels, the least-squares line (<line class="fit">) and one
// marker per point (<circle class="point">). Texts from the file are cleaned
// and XML-escaped.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "chart/svg_chart.h"
#include "common/expected.h"
#include "expansion/line_fit.h"
#include "formats/pgf_read.h"

namespace chart {

// The picture's name: a final ".pgf" (any case) replaced by ".svg", else
// ".svg" appended.
[[nodiscard]] std::string svg_path_for(std::string_view pgf_path);

// The whole SVG document, drawn in the frame of svg_chart.h. The file must
// hold at least one point. A footnote that is not blank is written under the
// plot, e.g. the cell choice and the buffer file when korvex draws the
// pictures; empty: none.
[[nodiscard]] std::string render_svg(const formats::PgfFile& pgf,
                                     const std::optional<expansion::LineFit>& fit,
                                     std::string_view footnote = {});

// The picture of the plot file at pgf_path, written beside it (svg_path_for)
// with common::write_file_replacing, for a caller that shows nothing: korvex writing
// the pictures of a run (its footnote naming the cell choice and the buffer
// file), or `vistrel --svg-only`. Reads the file, fits the least-squares line
// and renders it with the footnote (empty: none). Returns the picture's path.
// The error's message names the file it concerns, as formats::describe_error() does:
// "TK_cell_a.pgf, line 14: data row ...", "TK_cell_a.pgf: no point to plot,
// so no SVG picture", "TK_cell_a.svg: cannot write the SVG picture: Is a
// directory"; its line is that of a fault in the plot file, else 0.
[[nodiscard]] common::Expected<std::string> write_svg_picture(const std::string& pgf_path,
                                                              std::string_view footnote = {});

// The least-squares line as an equation in T: "a = 5.00000 + 1.00000e-04 * T",
// or with pretty "a = 5.00000 + 1.00000×10⁻⁴ · T".
[[nodiscard]] std::string fit_equation(const expansion::QuantityInfo& q,
                                       const expansion::LineFit& fit, bool pretty);

}  // namespace chart
