// The PGF plot file writer.
//
// A PGF file holds one series of (X, Y) points with the legends, title, marker
// and marker size a plotting program needs: a header block (records 1 to 6), a
// pattern block (records 7 to 12), one data row "F6.2, F20.5" per point, and the
// end record "# END OF FILE". Every record but the data rows begins with "#".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace formats {

// Records 1 to 6 on the open, empty file on `channel`, then the pattern block of
// the series' pattern title through write_pgf_pattern. The legends are 128-character
// texts; `series` is one of "cell_a" ... "volume".
void write_pgf_header(int channel, std::string_view series, const std::string& main_legend,
                      const std::string& x_legend, const std::string& y_legend,
                      std::int32_t point_count);

// Records 7 to 12: pattern number, title (a 64-character text), point count,
// marker and marker size.
void write_pgf_pattern(int channel, const std::string& title, std::int32_t point_count,
                       std::int32_t pattern);

// One data row: X in F6.2, Y in F20.5.
void write_pgf_point(int channel, float x, float y);
// The same row with X given as its F6.2 field already laid out (pgf_x_field):
// the seven plot files of an entry share one temperature, edited once.
[[nodiscard]] std::string pgf_x_field(float x);
void write_pgf_point(int channel, std::string_view x_field, float y);

// The end record.
void write_pgf_end(int channel);

}  // namespace formats
