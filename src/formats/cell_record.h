// The values of one DIRAX file, and what the routines of a run agree on: the
// cell choice and the channels (the plot series are in plot_series.h).
//
// A CellRecord travels by value: the scanner returns one, the main program sets
// its temperature, and the table row and the plot points take it as an argument.
// Texts hold blanks before anything is read into them, never zero bytes.
#pragma once

#include <optional>
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

// The cell choice a command line names: "input" or "1", "conventional" or "2".
[[nodiscard]] inline std::optional<CellChoice> cell_choice_named(std::string_view name) {
  if (name == "input" || name == "1") return CellChoice::kInput;
  if (name == "conventional" || name == "2") return CellChoice::kConventional;
  return std::nullopt;
}

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

}  // namespace formats
