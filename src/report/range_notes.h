// What a report says of --range: the range fitted and the points it left
// out, each named by its temperature (or pressure) and its source, in the
// text report, the JSON and the page alike.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "report/report.h"

namespace report {

// " Range      : --range 95:170, 2 points left out: 195 K (a.txt, line 6), ...",
// wrapped; nothing without --range. The points are named by their abscissa.
[[nodiscard]] std::string range_lines(const Source& source, crystal::Abscissa abscissa);

// {"low", "high" (null where open), "left_out": [cells as json_cell gives
// them]}; null without --range.
[[nodiscard]] nlohmann::ordered_json range_json(const Source& source, crystal::Abscissa abscissa);

// The method's row, "<dt>Range</dt><dd>...</dd>"; nothing without --range.
[[nodiscard]] std::string range_row(const Source& source, crystal::Abscissa abscissa);

}  // namespace report
