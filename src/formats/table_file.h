// The parameter table TK_parameters.xy on the table channel.
//
// A few comment records saying where the values come from, then one 109-character
// row per DIRAX file that yielded a cell:
//   F6.2, 3F12.5, 3F12.3, F13.3, 2X, A12, A4
//   temperature, a, b, c, alpha, beta, gamma, volume, system, lattice
#pragma once

#include <string_view>

#include "formats/cell_record.h"

namespace formats {

inline constexpr const char* kTableFileName = "TK_parameters.xy";

// The header records: the series title, the cell-source comments (two for the
// input cell, one for the conventional cell), the column heading, the rule.
void write_table_header(std::string_view series_title, CellChoice choice);

// One data row.
void write_table_row(const CellRecord& cell);

}  // namespace formats
