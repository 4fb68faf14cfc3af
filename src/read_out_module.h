// The run's shared state, one instance for the run.
//
// The main program, the DIRAX scanner, the table file and the plot files all
// exchange the title of the series and the values of one cell through it. Texts
// hold blanks before anything is read into them, never zero bytes.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "textrec/text.h"

namespace korvex {

// The values of one DIRAX file.
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

struct ReadOutModule {
  std::string series_title = textrec::blank_text(128);  // the buffer file's first line
  CellRecord cell;
};

extern ReadOutModule read_out_module;

// Back to the state of a new run (for tests that run the routines repeatedly).
void reset_read_out_module();

// Channels, fixed for the run.
inline constexpr int kBufferChannel = 1;
inline constexpr int kDiraxChannel = 2;
inline constexpr int kTableChannel = 13;

// An entry whose scanned `a` is below this yielded no cell.
inline constexpr float kMinCellA = 1.0E-4F;

// The seven plot series, in the order of their channels: the order in which
// points are written, files ended and closed, and plots offered.
struct PlotSeries {
  int channel;
  std::string_view file;
  std::string_view series;  // series name given to write_pgf_entete
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

}  // namespace korvex
