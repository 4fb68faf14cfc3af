// Tables of volumes (and cells) against pressure, as high-pressure
// crystallographers publish and exchange them: a header row naming the
// columns, then one row per point, whitespace or commas between the fields
// (commas where the header row has one), "#" beginning a comment.
//
// The columns, named in any order and case, a unit after the name allowed in
// parentheses or brackets, after "/" or as a suffix "_GPa", "_A3", "_A",
// "_deg", "_K" ("p(GPa)", "V [A^3]", "P_GPa"):
//
//   p       p, pressure (GPa); needed
//   V       v, vol, volume (cubic angstroms)
//   a b c   the cell lengths (angstroms)
//   alpha   alpha, al; beta, be; gamma, ga (degrees)
//   T       t, temp, temperature (kelvin)
//
// and the SU of a column X sigma_X, sigX, su_X, X_su, esd_X or X_esd
// (sigma_p, SIGV). A value may carry its SU in parentheses ("112.981(2)"),
// which an SU column of its own replaces.
//
// Each row is one point named "FILE:line N": its pressure, with the SU given
// (0 kept, none where none is given); its volume where the row gives one; its
// cell where the row gives all six parameters (crystal::CellEntry::has_cell),
// else the parameters it gives. A row needs a pressure and a volume or a
// cell. An SU may not exceed its value, but for a pressure below 0.01 GPa (a
// gauge read at ambient pressure). Anything else is an error naming the line
// and the column.
//
// EosFit's data files (eosfit_file.h) name their columns by the same words.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/expected.h"
#include "formats/cell_read.h"

namespace formats {

// What a column holds: one of p V a b c alpha beta gamma T, or its SU.
enum class PvQuantity { kPressure, kVolume, kA, kB, kC, kAlpha, kBeta, kGamma, kTemperature };
struct PvColumn {
  PvQuantity quantity = PvQuantity::kPressure;
  bool su = false;
};

// The quantity a column name gives, as above; nothing for another name.
[[nodiscard]] std::optional<PvColumn> pv_column_named(std::string_view name);

// The columns of a header row; an error (of line 0) naming the column that
// names nothing read here, or a quantity again, and for a header that names
// no pressure, or neither a volume nor a, b and c.
[[nodiscard]] common::Expected<std::vector<PvColumn>> pv_columns(
    const std::vector<std::string_view>& names);

// The units of a file whose pressures are not in GPa or temperatures not in
// kelvin: the pressure (and its SU) times 10^pressure_power is in GPa (kbar:
// -1, as value_su.h's scaled_decimal takes it), the temperature plus
// kelvin_offset in kelvin (degrees Celsius: 273.15).
struct PvUnits {
  int pressure_power = 0;
  double kelvin_offset = 0;
};

// The point a row's fields give under `columns`, named `point`, its values
// taken in `units`; an error of `line` naming the column ("column 3 (V) is
// not a number: |0,5|").
[[nodiscard]] common::Expected<crystal::CellEntry> pv_point(
    const std::vector<std::string_view>& fields, const std::vector<PvColumn>& columns, int line,
    std::string point, PvUnits units = {});

// Whether a table's first line that is neither blank nor a "#" comment is the
// header row of a P-V table: names as above, none a number, p among them and
// V or the six cell parameters.
[[nodiscard]] bool is_pv_header(std::string_view line);

// The points of a P-V table; an error names its line. `interrupted`, when
// given, is asked as the lines go by (cell_read.h).
[[nodiscard]] common::Expected<CellRead> read_pv_table(std::string_view bytes,
                                                       std::string_view source,
                                                       const Interrupted& interrupted = {});

}  // namespace formats
