// The analysis as one page for a person: a single HTML5 file holding all it
// shows (its style sheets, the pictures as inline SVG, a small script that
// sorts the table of cells) and reaching nothing outside itself, so that it
// can be mailed to a colleague or attached to a paper's supporting
// information as it is. It prints on paper with a style sheet of its own.
//
// Its numbers are those of the JSON report, each written from its row of the
// mode's table of quantities (quantity.h) as the text report writes it: every
// number of its tables carries the value it shows in data-value, with full
// precision, and that value's place in the JSON in data-key ("axes.0.alpha",
// "volume.values.3", "cells.2.a"), so that a program reads the page as it
// reads the JSON. The page is built of sections, each from the quantities,
// inside one frame (head, warnings, pictures, citation, script).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/expansion_pictures.h"
#include "expansion/monte_carlo.h"
#include "expansion/pressure_draws.h"
#include "report/report.h"

namespace report {

// The page: `warnings` (as standard error tells them) at the top, then the
// method, the coefficients and their directions, the polynomial's
// coefficients at each temperature where one is fitted, the cells, the
// pictures in the order given, and how to cite the method and the program.
// Its title: `title` (--title) where given, else the list's title, else what
// it is of (html_parts.h, page_title).
[[nodiscard]] std::string html_report(const expansion::SeriesAnalysis& result, const Source& source,
                                      const std::vector<std::string>& warnings,
                                      const std::vector<chart::Picture>& pictures,
                                      const std::optional<std::string>& title = std::nullopt);

// The page of a pressure series: the warnings, the method, the principal
// compressibilities and their directions, K at each pressure, the empirical
// fits, the equations of state (their table, residuals, axial equations and
// F-f line), the cells, the pictures, how to cite.
[[nodiscard]] std::string pressure_html_report(
    const expansion::PressureSeries& series, const expansion::EosAnalysis& eos,
    const Source& source, const std::vector<std::string>& warnings,
    const std::vector<chart::Picture>& pictures,
    const std::optional<std::string>& title = std::nullopt);

}  // namespace report
