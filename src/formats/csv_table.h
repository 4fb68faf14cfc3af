// TK_parameters.csv: the table for programs that read CSV (RFC 4180).
//
// One header row, then one row per table row, lines ended by CR LF. A number
// is the shortest decimal text that reads back to the same single-precision
// value, so a value the fixed-column table can only show as asterisks is here
// in full; a text has its blanks trimmed and is quoted when it holds a comma,
// a quote or a line end.
#pragma once

#include <string>
#include <string_view>

#include "formats/cell_record.h"

namespace formats {

inline constexpr int kCsvChannel = 21;
inline constexpr const char* kCsvFileName = "TK_parameters.csv";

inline constexpr std::string_view kCsvHeader =
    "T_K,a_A,b_A,c_A,alpha_deg,beta_deg,gamma_deg,volume_A3,system,bravais";

// One CSV row of a cell, without its line end.
[[nodiscard]] std::string csv_row(const CellRecord& cell);

// The header record and the rows, on the channel that holds the CSV file.
void write_csv_header(int channel);
void write_csv_row(int channel, const CellRecord& cell);

}  // namespace formats
