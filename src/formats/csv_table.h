// TK_parameters.csv: the table for programs that read CSV (RFC 4180).
//
// One header row, then one row per table row, lines ended by CR LF. The
// columns are one table (csv_table.cc): each a name and how its value is
// written. A number is the shortest decimal text that reads back to the same
// single-precision value, with a decimal point or an exponent always, so that
// a reader types every column of numbers as real ("100.0", not "100"); a value
// the fixed-column table can only show as asterisks is here in full. A text is
// the table's field with its blanks trimmed, made valid UTF-8 (a byte that
// begins no UTF-8 character becomes U+FFFD), and quoted when it holds a
// comma, a quote or a line end.
#pragma once

#include <string>
#include <string_view>

#include "formats/cell_record.h"

namespace formats {

inline constexpr int kCsvChannel = 21;
inline constexpr const char* kCsvFileName = "TK_parameters.csv";

// The header row: the columns' names joined by commas.
[[nodiscard]] std::string csv_header();

// One CSV row of a cell, without its line end.
[[nodiscard]] std::string csv_row(const CellRecord& cell);

// A number as a CSV row writes it: "10.2134", "100.0", "1e+20".
[[nodiscard]] std::string csv_number(float value);

// The header record and the rows, on the channel that holds the CSV file.
void write_csv_header(int channel);
void write_csv_row(int channel, const CellRecord& cell);

}  // namespace formats
