// The one-screen summary of a plot file: what it shows, how many points, the
// temperature and value ranges, the least-squares line and, for a cell length
// or the volume, its thermal expansion coefficient; then notes on rows
// that could not be shown and on a file that holds fewer rows than it
// declares or lacks its end record.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "expansion/line_fit.h"
#include "formats/pgf_read.h"

namespace vistrel {

// The summary lines without line ends, each beginning with one blank. The main
// legend and a line naming the series come first with_legends (a plot drawn
// above the summary shows them already). With `sus` (one a point, 0 for none)
// a line tells how many points have an error bar.
[[nodiscard]] std::vector<std::string> summary_lines(const formats::PgfFile& pgf,
                                                     const std::optional<expansion::LineFit>& fit,
                                                     bool utf8, bool with_legends,
                                                     std::span<const double> sus = {});

}  // namespace vistrel
