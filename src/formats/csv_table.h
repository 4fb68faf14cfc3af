// TK_parameters.csv: the table for programs that read CSV (RFC 4180).
//
// One header row, then one row per table row, lines ended by CR LF. The
// columns are one table (kCsvColumns): each a name and how its value is
// written; the reader of korvex's CSV (cell_tables.h) finds them by the same
// names. A number is the shortest decimal text that reads back to the same
// value (single precision for the table's values), with a decimal point or an
// exponent always, so that a reader types every column of numbers as real
// ("100.0", not "100"); a value the fixed-column table can only show as
// asterisks is here in full. An SU is rounded to two significant digits, or
// to its value's decimals where they are more (csv_su). A text is what the
// table's field shows, with its blanks trimmed, made valid UTF-8 (a byte that
// begins no UTF-8 character becomes U+FFFD), and quoted when it holds a comma,
// a quote or a line end. The source is the name as given, blanks kept (and
// quoted), made valid UTF-8, a "'" before it when it begins with "=", "+",
// "-" or "@", which a spreadsheet would take for the start of a formula.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/cell_read.h"
#include "formats/cell_record.h"

namespace formats {

inline constexpr int kCsvChannel = 21;
inline constexpr const char* kCsvFileName = "TK_parameters.csv";

// What a row holds beyond the table's values.
struct CsvRowExtras {
  crystal::CellSu su;
  std::optional<double> temperature_su;
  std::string_view source;
};

struct CsvColumn {
  std::string_view name;
  void (*append)(std::string& row, const CellRecord& cell, const CsvRowExtras& extras);
};

// The columns in their order: the table's own; the SUs of the six parameters
// and of the temperature, empty where not known; the cell's source, the name
// as the buffer file lists it, ":BLOCK" added for a CIF block.
extern const std::array<CsvColumn, 18> kCsvColumns;

// The header row: the columns' names joined by commas.
[[nodiscard]] std::string csv_header();

// One CSV row of a cell, without its line end.
[[nodiscard]] std::string csv_row(const CellRecord& cell, const CsvRowExtras& extras);

// A number as a CSV row writes it: a value of the table "10.2134", "100.0",
// "1e+20"; an SU, never with an exponent, "0.0007", "2.0".
[[nodiscard]] std::string csv_number(float value);
[[nodiscard]] std::string csv_number(double value);

// An SU as a CSV row writes it: rounded to two significant digits, or to the
// decimals its value's column shows where they are more ("0.0016" beside
// 31.4527), never with an exponent.
[[nodiscard]] std::string csv_su(double su, float value);

// The fields of the CSV record that begins at `at` in text, which is moved
// past it, `line` counting the line ends passed; nothing for a quote that is
// never closed. Lines end in CR LF or LF. Every CSV the programs read is
// split here.
[[nodiscard]] std::optional<std::vector<std::string>> read_csv_record(std::string_view text,
                                                                      std::size_t& at, int& line);

// The header record and the rows, on the channel that holds the CSV file.
void write_csv_header(int channel);
void write_csv_row(int channel, const CellRecord& cell, const CsvRowExtras& extras);

}  // namespace formats
