// Reading a series of cells against temperature.
//
// Two layouts are read. The table korvex writes, TK_parameters.xy: header
// records beginning with "!", then one row per cell, its columns read where the
// table's writer puts them (kTableRowLayout, table_file.h: temperature, a, b,
// c, alpha, beta, gamma, volume, system, lattice), lines ending in CR LF or LF.
// A field too wide for its layout is written as asterisks (the overflow form):
// a row with such a temperature or cell parameter holds no cell to use and is
// skipped with a warning. The volume column is not read: it is the
// conventional cell's even when the table holds the input cell, and the volume
// follows from the six parameters, also of a row whose volume overflowed.
//
// Any other file is read as a whitespace table, as PASCal takes it: "#" begins
// a comment, and each remaining line that is not blank holds
// `T a b c alpha beta gamma` or 8 columns, the same number of columns on
// every row, blanks or tabs between them, or commas where the first row has
// one. Eight columns are `T a b c alpha beta gamma V` where the 8th column is
// the volume of columns 2-7 on every row (within 1e-4 relative, or within the
// rounding of the values as written), which the series' notes say; else
// `T sigma_T a b c alpha beta gamma`, and a row that fits neither is an error
// naming both. A first row of names, none of them a number, is a header row
// (table_header.h): each column is then read as it names it, in any order,
// with SU columns of their own. A value may carry its SU in parentheses
// ("7.9492(7)"); sigma_T is the SU of T. A row with a value in overflow form
// is skipped here as well.
//
// In either layout the text is taken as formats::plain_text gives it (a line
// ends at LF with any CRs before it, or at a CR alone; a byte-order mark and
// trailing 0x1A bytes are passed over). A row skipped in overflow form names every
// field that overflowed. A temperature beyond 100000 K and six numbers that
// are not a crystal's cell (crystal::check_cell) are refused. Anything else is
// an error naming its line.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/expected.h"
#include "formats/cell_read.h"

namespace formats {

struct SeriesRow {
  int line = 0;  // 1-based line of the file
  double temperature = 0;
  crystal::Cell cell;
  std::optional<double> temperature_su;
  crystal::CellSu su;
  // T (or the series' abscissa) and the six parameters as written.
  std::array<crystal::GivenText, 7> given;
};

struct SkippedRow {
  int line = 0;
  std::string reason;
};

struct Series {
  std::vector<SeriesRow> rows;  // in file order
  std::vector<SkippedRow> skipped;
  std::vector<std::string> notes;  // how the table was read, where it had a choice
};

// Reads the bytes of a series file; an error names its line (common::Error).
[[nodiscard]] common::Expected<Series> parse_series(std::string_view text,
                                                    const Interrupted& interrupted = {});

// As parse_series, each row given to `take` as it is read, in file order,
// never held: `series` gets the skipped rows and notes, its rows none. After
// an error, the rows taken are of no use.
using RowSink = std::function<void(SeriesRow&&)>;
[[nodiscard]] common::Expected<void> parse_series_rows(std::string_view text, Series& series,
                                                       const RowSink& take,
                                                       const Interrupted& interrupted = {});

// The lines of a text at most, as its rows are counted before they are
// read: its LFs, or its CRs where it has no LF (and one for a last line
// without an end).
[[nodiscard]] std::size_t expected_lines(std::string_view text);

// Whether a line opens a whitespace table as parse_series reads one: a header
// row whose names it takes (table_header.h), or 7 or 8 values, each a number
// with its SU or in overflow form, between blanks or tabs, or commas where the
// line has one. `line` is the first of the file that is neither blank nor a
// "#" comment; recognition (cell_file.h) asks it, so that a table is told
// alike wherever it is named.
[[nodiscard]] bool opens_free_table(std::string_view line);

// Reads the file at `path` (common::read_whole_file); a file that cannot be
// read is an error of line 0.
[[nodiscard]] common::Expected<Series> read_series_file(const std::string& path);

}  // namespace formats
