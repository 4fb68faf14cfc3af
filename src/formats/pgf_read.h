// Reading a PGF plot file.
//
// korvex writes one plot file per quantity: header records that begin with "#"
// (main, X and Y legends, the column heading, the pattern block with its title
// and declared number of points), then one data row per point, X (F6.2) in
// columns 1-6 and Y (F20.5) in columns 7-26, then the end record
// "# END OF FILE". Lines end in CR LF; plain LF is read as well.
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

namespace formats {

struct Point {
  double x = 0;  // temperature (K)
  double y = 0;  // the plotted quantity
};

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

// Reads the bytes of a plot file.
[[nodiscard]] common::Expected<PgfFile> parse_pgf(std::string_view text);

// The error as a message naming the file: "PATH, line N: MESSAGE", or
// "PATH: MESSAGE" for line 0; the path made safe to show (common::safe_text).
[[nodiscard]] std::string describe_error(std::string_view path, const common::Error& error);

// Reads the plot file at `path` (common::read_whole_file); a file that cannot
// be read is an error of line 0.
[[nodiscard]] common::Expected<PgfFile> read_pgf_file(const std::string& path);

}  // namespace formats
