// The scatter plot on the terminal.
//
// The plot fills a given number of terminal lines: the main legend as title,
// the Y legend, the plot area with the Y axis and its tick labels on the left,
// the X axis with its tick labels, and the X legend. With UTF-8 output each
// character cell of the plot area holds 2 x 4 braille dots, so a point lands
// within a quarter of a line; otherwise each point is an ASCII "o" in its cell.
// The least-squares line is drawn as light dots ("·", or "."), in red where
// colour may be used, in the cells that hold no point. A point given an SU
// has an error bar of one SU above and below it, a column of dots (or "|"),
// and the key names it. Both ends of either axis carry a labelled tick.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "expansion/line_fit.h"
#include "formats/pgf_read.h"

namespace chart {

// The largest size taken from the driver or the environment.
constexpr int kMostColumns = 1000;
constexpr int kMostRows = 500;

// The plot's lines (without line ends) for a terminal `columns` wide, using
// `rows` lines; each line is at most columns - 1 characters wide on a terminal
// of 32 columns or more. With `color` the line's cells carry ANSI colour
// sequences. The file must hold at least one point; `sus`, where given, holds
// one SU a point (0 for none).
[[nodiscard]] std::vector<std::string> render_terminal_plot(
    const formats::PgfFile& pgf, const std::optional<expansion::LineFit>& fit, int columns,
    int rows, bool utf8, bool color, std::span<const double> sus = {});

}  // namespace chart
