// The one-screen summary of a plot file: what it shows, how many points, the
// temperature and value ranges, the least-squares line and, for a cell length
// or the volume, the mean thermal expansion coefficient; then notes on rows
// that could not be shown and on a file that holds fewer rows than it
// declares or lacks its end record.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "vistrel/fit.h"
#include "vistrel/pgf_read.h"

namespace vistrel {

// The summary lines without line ends, each beginning with one blank. The main
// legend and a line naming the series come first with_legends (a plot drawn
// above the summary shows them already).
[[nodiscard]] std::vector<std::string> summary_lines(const PgfFile& pgf,
                                                     const std::optional<LineFit>& fit, bool utf8,
                                                     bool with_legends);

// A number as "%.*f" or "%.*e" would write it; fixed() writes no "-" before a
// value that rounds to zero.
[[nodiscard]] std::string fixed(double value, int decimals);
[[nodiscard]] std::string scientific(double value, int decimals);

// scientific() as a person writes it: "1.00000×10⁻⁴" for 1.00000e-04.
[[nodiscard]] std::string scientific_with_power(double value, int decimals);

// A value of the series with the precision the file carries: the shortest
// decimal that reads back to the same float when the file's values are
// single precision ("500.404" for 500.40399), else fixed(value, 5).
[[nodiscard]] std::string file_value(double value, bool single_precision);

// The least-squares line as an equation in T: "a = 5.00000 + 1.00000e-04 * T",
// or with pretty "a = 5.00000 + 1.00000×10⁻⁴ · T".
[[nodiscard]] std::string fit_equation(const QuantityInfo& q, const LineFit& fit, bool pretty);

}  // namespace vistrel
