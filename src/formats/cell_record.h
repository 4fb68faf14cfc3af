// The values of one DIRAX file, and what the routines of a run agree on: the
// cell choice, the channels, and the seven plot series.
//
// A CellRecord travels by value: the scanner returns one, the main program sets
// its temperature, and the table row and the plot points take it as an argument.
// Texts hold blanks before anything is read into them, never zero bytes.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "textrec/text.h"

namespace formats {

struct CellRecord {
  float temperature = 0.0F;  // kelvin, from the buffer file
  float a = 0.0F;            // ångström
  float b = 0.0F;
  float c = 0.0F;
  float alpha = 0.0F;  // degrees
  float beta = 0.0F;
  float gamma = 0.0F;
  float volume = 0.0F;                           // cubic ångström
  std::string lattice = textrec::blank_text(1);  // Bravais lattice letter
  std::string system = textrec::blank_text(16);  // crystal system, left-justified
};

// Which cell line of a DIRAX file gives the six parameters. The Bravais letter
// always comes from the conventional-cell line.
enum class CellChoice { kInput, kConventional };

// An entry whose scanned `a` is below this yielded no cell.
inline constexpr float kMinCellA = 1.0E-4F;

// A value that is not a number is not below the limit.
[[nodiscard]] inline bool has_cell(const CellRecord& cell) {
  return !(cell.a < kMinCellA);
}

// Channels, fixed for the run.
inline constexpr int kBufferChannel = 1;
inline constexpr int kDiraxChannel = 2;
inline constexpr int kTableChannel = 13;

// The seven plot series, in the order of their channels: the order in which
// points are written, files ended and closed, and plots offered.
struct PlotSeries {
  int channel;
  std::string_view file;
  std::string_view series;  // the series name of the plot file's header
  std::string_view y_legend;
  float CellRecord::*value;  // the quantity plotted against temperature
};

inline constexpr std::array<PlotSeries, 7> kPlotSeries{{
    {14, "TK_cell_a.pgf", "cell_a", "a unit cell parameter (A)", &CellRecord::a},
    {15, "TK_cell_b.pgf", "cell_b", "b unit cell parameter (A)", &CellRecord::b},
    {16, "TK_cell_c.pgf", "cell_c", "c unit cell parameter (A)", &CellRecord::c},
    {17, "TK_cell_alpha.pgf", "cell_alpha", "alpha angle (deg.)", &CellRecord::alpha},
    {18, "TK_cell_beta.pgf", "cell_beta", "beta angle (deg.)", &CellRecord::beta},
    {19, "TK_cell_gamma.pgf", "cell_gamma", "gamma angle (deg.)", &CellRecord::gamma},
    {20, "TK_volume.pgf", "volume", "Unit cell volume (A3)", &CellRecord::volume},
}};

}  // namespace formats
