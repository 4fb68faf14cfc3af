// TK_parameters.csv: the table for programs that read CSV (RFC 4180).
//
// One header row, then one row per table row, lines ended by CR LF. A number
// is the shortest decimal text that reads back to the same single-precision
// value, so a value the fixed-column table can only show as asterisks is here
// in full; a text has its blanks trimmed and is quoted when it holds a comma,
// a quote or a line end.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "formats/cell.h"
#include "formats/cell_record.h"

namespace formats {

inline constexpr int kCsvChannel = 21;
inline constexpr const char* kCsvFileName = "TK_parameters.csv";

// The columns in their order. After the table's own come the SUs of the six
// parameters and of the temperature, empty where not known, and the cell's
// source: the name as the buffer file lists it, ":BLOCK" added for a CIF
// block.
inline constexpr std::array<std::string_view, 18> kCsvColumns = {
    "T_K",       "a_A",          "b_A",         "c_A",          "alpha_deg", "beta_deg",
    "gamma_deg", "volume_A3",    "system",      "bravais",      "a_su_A",    "b_su_A",
    "c_su_A",    "alpha_su_deg", "beta_su_deg", "gamma_su_deg", "T_su_K",    "source"};

inline constexpr std::string_view kCsvHeader =
    "T_K,a_A,b_A,c_A,alpha_deg,beta_deg,gamma_deg,volume_A3,system,bravais,"
    "a_su_A,b_su_A,c_su_A,alpha_su_deg,beta_su_deg,gamma_su_deg,T_su_K,source";

// What a row holds beyond the table's values.
struct CsvRowExtras {
  CellSu su;
  std::optional<double> temperature_su;
  std::string_view source;
};

// One CSV row of a cell, without its line end. An SU is written as %g would
// write it, with the fewest digits that read back to the same double.
[[nodiscard]] std::string csv_row(const CellRecord& cell, const CsvRowExtras& extras);

// The header record and the rows, on the channel that holds the CSV file.
void write_csv_header(int channel);
void write_csv_row(int channel, const CellRecord& cell, const CsvRowExtras& extras);

}  // namespace formats
