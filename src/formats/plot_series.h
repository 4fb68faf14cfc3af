// The seven plot series korvex writes, one row of one table each: every fact
// of a series that the plot-file writer, its reader and the pictures need.
//
// A series is one cell parameter (or the volume) against temperature. Its row
// gives the file, the Y legend (record 3), the column heading (record 4) and
// the pattern title (record 8) as the file holds them, what the quantity is
// (its short name, unit and kind) and where a CellRecord keeps its value.
#pragma once

#include <array>
#include <string_view>

#include "formats/cell_record.h"

namespace formats {

// What a series measures: an expansion coefficient is defined for a length
// and for the volume, not for an angle.
enum class Quantity { kLength, kVolume, kAngle, kOther };

struct PlotSeries {
  int channel;                // of the plot file during a run
  std::string_view file;      // the plot file's name
  std::string_view y_legend;  // "a unit cell parameter (A)"
  std::string_view heading;   // "#   TK              a(A)", 24 characters
  std::string_view title;     // "a(A)=f(T)"
  std::string_view name;      // "a", as the quantity is named in an equation
  std::string_view unit;      // "A", "deg" or "A3", spelled as in the heading
  Quantity kind;
  float CellRecord::*value;  // the quantity plotted against temperature
};

// In the order of their channels: the order in which points are written,
// files ended and closed, pictures drawn and plots offered.
inline constexpr std::array<PlotSeries, 7> kPlotSeries{{
    {14, "TK_cell_a.pgf", "a unit cell parameter (A)", "#   TK              a(A)", "a(A)=f(T)", "a",
     "A", Quantity::kLength, &CellRecord::a},
    {15, "TK_cell_b.pgf", "b unit cell parameter (A)", "#   TK              b(A)", "b(A)=f(T)", "b",
     "A", Quantity::kLength, &CellRecord::b},
    {16, "TK_cell_c.pgf", "c unit cell parameter (A)", "#   TK              c(A)", "c(A)=f(T)", "c",
     "A", Quantity::kLength, &CellRecord::c},
    {17, "TK_cell_alpha.pgf", "alpha angle (deg.)", "#   TK        alpha(deg)", "alpha(deg)=f(T)",
     "alpha", "deg", Quantity::kAngle, &CellRecord::alpha},
    {18, "TK_cell_beta.pgf", "beta angle (deg.)", "#   TK         beta(deg)", "beta(deg)=f(T)",
     "beta", "deg", Quantity::kAngle, &CellRecord::beta},
    {19, "TK_cell_gamma.pgf", "gamma angle (deg.)", "#   TK        gamma(deg)", "gamma(deg)=f(T)",
     "gamma", "deg", Quantity::kAngle, &CellRecord::gamma},
    {20, "TK_volume.pgf", "Unit cell volume (A3)", "#   TK        volume(A3)", "volume(A3)=f(T)",
     "volume", "A3", Quantity::kVolume, &CellRecord::volume},
}};

// The X legend of every plot file.
inline constexpr std::string_view kTemperatureLegend = "Temperature (K)";

}  // namespace formats
