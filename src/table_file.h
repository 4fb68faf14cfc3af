// The parameter table TK_parameters.xy on channel 13.
//
// A few comment records saying where the values come from, then one 109-character
// row per DIRAX file that yielded a cell:
//   F6.2, 3F12.5, 3F12.3, F13.3, 2X, A12, A4
//   temperature, a, b, c, alpha, beta, gamma, volume, system, lattice
#pragma once

namespace korvex {

inline constexpr const char* kTableFileName = "TK_parameters.xy";

// The header records: title, cell-source comments (two for the input cell, one
// for the conventional cell), column heading, rule.
void write_table_header(const int& cell_choice);

// One data row of the shared CellRecord.
void write_table_row();

}  // namespace korvex
