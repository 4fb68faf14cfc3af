// The PGF plot file: its records, defined once here, and the writer.
//
// A PGF file holds one series of (X, Y) points with the legends, title, marker
// and marker size a plotting program needs: a header block (records 1 to 6), a
// pattern block (records 7 to 12), one data row per point, and the end
// record. Every record but the data rows begins with "#". The reader
// (pgf_read.h) finds the records by the same texts.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/point.h"
#include "formats/plot_series.h"

namespace formats {

// A record: its fixed text, and the layout it is written with (the fixed text
// is the first item, a value the second).
struct PgfRecord {
  std::string_view text;
  std::string_view layout;
};

inline constexpr PgfRecord kPgfMainLegend{"# MAIN LEGEND TEXT: ", "A, A"};
inline constexpr PgfRecord kPgfXLegend{"# X LEGEND TEXT   : ", "A, A"};
inline constexpr PgfRecord kPgfYLegend{"# Y LEGEND TEXT   : ", "A, A"};
// Record 4 is the series' column heading (PlotSeries::heading), layout "A".
inline constexpr PgfRecord kPgfPatternCount{"# NUMBER OF PATTERNS: 1", "A"};
// Record 6 is a rule: "#" and 50 "-".
inline constexpr int kPgfRuleLength = 50;
inline constexpr PgfRecord kPgfPattern{"# >>>>>>>> PATTERN #: ", "A, I1"};
inline constexpr PgfRecord kPgfTitle{"#             TITLE : ", "A, A"};
inline constexpr PgfRecord kPgfPointCount{"#  NUMBER OF POINTS : ", "A, I8"};
inline constexpr PgfRecord kPgfMarker{"#            MARKER : ", "A, I1"};
inline constexpr PgfRecord kPgfMarkerSize{"#              SIZE : ", "A, I1"};
inline constexpr PgfRecord kPgfData{"#   DATA: X Y", "A"};
// The data row: the temperature, then the value.
inline constexpr std::string_view kPgfRowLayout = "F6.2, F20.5";
inline constexpr PgfRecord kPgfEnd{"# END OF FILE", "A"};

// The one pattern korvex writes is drawn with marker 1 of size 2.
inline constexpr int kPgfMarkerCode = 1;
inline constexpr int kPgfMarkerSizeCode = 2;

// The key by which a reader knows a record: its text between "#" and the
// first ":", without blanks around it ("MAIN LEGEND TEXT"; "END OF FILE").
[[nodiscard]] constexpr std::string_view pgf_key(const PgfRecord& record) {
  std::string_view key = record.text.substr(1, record.text.find(':') - 1);
  key.remove_prefix(std::min(key.find_first_not_of(' '), key.size()));
  return key.substr(0, key.find_last_not_of(' ') + 1);
}

// A point of a plot: temperature (K) and the plotted quantity.
using common::Point;

// Records 1 to 12 on the open, empty file on `channel`: the legends (the main
// legend is the series title, the X legend kTemperatureLegend), the series'
// heading, and the pattern block of its title with the declared point count.
void write_pgf_header(int channel, const PlotSeries& series, std::string_view main_legend,
                      std::int32_t point_count);

// Sets the declared point count of the plot file at `path`, written whole, to
// `point_count`, in place: the field has a fixed width, so no other byte
// moves. False when the file cannot be opened or written or holds no such
// record in its header.
[[nodiscard]] bool set_pgf_point_count(const std::string& path, std::int64_t point_count);

// One data row. The seven plot files of an entry share one temperature field,
// laid out once by pgf_x_field.
[[nodiscard]] std::string pgf_x_field(float x);
void write_pgf_point(int channel, std::string_view x_field, float y);
void write_pgf_point(int channel, float x, float y);

// The end record.
void write_pgf_end(int channel);

}  // namespace formats
