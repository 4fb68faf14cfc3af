// Reading a PGF plot file.
//
// korvex writes one plot file per quantity (pgf_file.h defines its records):
// header records that begin with "#" (main, X and Y legends, the column
// heading, the pattern block with its title and declared number of points),
// then one data row per point in the fixed columns of kPgfRowLayout, then the
// end record. Lines end in CR LF; plain LF is read as well.
//
// The declared number of points counts the entries of the buffer file, so a
// file may hold fewer rows than it declares; a run that stopped early leaves no
// end record. A field too wide for its layout is written as asterisks (the
// overflow form): such a row has no value to show and is skipped and counted.
// Anything else that cannot be read is an error naming the line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/expected.h"
#include "formats/pgf_file.h"
#include "formats/plot_series.h"

namespace formats {

struct PgfFile {
  std::string main_legend;  // legends and title as written, trailing blanks removed
  std::string x_legend;
  std::string y_legend;
  std::string column_heading;           // the heading record after its "#", e.g. "TK  a(A)"
  std::string title;                    // the pattern title, e.g. "a(A)=f(T)"
  std::optional<long> declared_points;  // absent when missing or in overflow form
  bool declared_overflow = false;       // the point count was written as asterisks
  int marker = 1;
  int marker_size = 2;
  std::vector<Point> points;   // the rows that hold two numbers, in file order
  int skipped_x_overflow = 0;  // rows skipped because X is in overflow form
  int skipped_y_overflow = 0;  // rows skipped because Y (only) is in overflow form
  bool has_end_record = false;
  // Every Y value is written as F20.5 makes it of a single-precision value
  // (500.404 gives 500.40399): the values carry a float's precision.
  bool single_precision = false;
};

// What a plot file shows: the kind of quantity, its short name and unit.
struct QuantityInfo {
  Quantity kind = Quantity::kOther;
  std::string name;  // "a", "alpha", "volume"; "y" for a file of no korvex series
  std::string unit;  // "A", "deg", "A3", as the column heading spells it
};

// The korvex series the file holds, known by its column heading, its pattern
// title or its Y legend; null for any other file.
[[nodiscard]] const PlotSeries* plot_series_of(const PgfFile& pgf);

// The quantity of the file's series; for any other file "y", of kind kOther,
// in the unit of the Y legend's last parentheses.
[[nodiscard]] QuantityInfo quantity_of(const PgfFile& pgf);

// The temperature and the value as a reader of their data row gets them: as
// their fields read back, or the value itself where the field is in overflow
// form (asterisks), as a picture drawn from the values keeps it.
[[nodiscard]] double pgf_x_as_read(float x);
[[nodiscard]] double pgf_y_as_read(float y);

// Reads the bytes of a plot file.
[[nodiscard]] common::Expected<PgfFile> parse_pgf(std::string_view text);

// The error as a message naming the file: "PATH, line N: MESSAGE", or
// "PATH: MESSAGE" for line 0; the path made safe to show (common::safe_text).
[[nodiscard]] std::string describe_error(std::string_view path, const common::Error& error);

// Reads the plot file at `path` (common::read_whole_file); a file that cannot
// be read is an error of line 0.
[[nodiscard]] common::Expected<PgfFile> read_pgf_file(const std::string& path);

}  // namespace formats
