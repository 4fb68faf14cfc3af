// CIF (1.1, and 2.0 as far as a cell goes) and CrysAlisPro's .cif_od, read
// through gemmi. A file that begins "#\#CIF_2.0" is read with its lists,
// tables and triple-quoted texts, values of items not read here, taken as
// single texts.
//
// Each data block that gives a cell is one entry, named "FILE:BLOCK": the six
// items _cell_length_a|b|c and _cell_angle_alpha|beta|gamma (or their DDLm
// names _cell.length_a ...), each with its SU in parentheses; "?" and "." are
// "not given" (an error says "unknown (?)", or "in a loop of N rows" for an item
// looped over more than one row). A .cif_od gives a second cell in _cell_oxdiff_*, refined
// without the lattice's constraints; the constrained _cell_* cell is the one
// read. The temperature is _cell_measurement_temperature, else
// _diffrn_ambient_temperature, with its SU ("293K" and '293 K' read as 293);
// when both are given and their values differ, the first is taken and a
// warning names both; one that is no temperature is not used, with a warning. The crystal
// system comes from _space_group_crystal_system or _symmetry_cell_setting,
// the lattice letter from the first letter of the Hermann-Mauguin symbol (or
// of the Hall symbol, its sign passed over). The pressure is
// _diffrn_ambient_pressure, in kilopascals, given in GPa with its SU, the
// digits as written (200000 kPa is 0.2 GPa); its SU may exceed its value for a
// pressure below 0.01 GPa (a gauge read at ambient pressure: 100(50000) kPa).
//
// A block with some of the six items but not all, a value that is not a
// number or whose SU is larger than it, or six numbers that are no cell is an
// error naming the block and the item's line; so is
// a file with no block that gives a cell, and a file gemmi cannot parse (with
// the line gemmi gives). `interrupted`, when given, is asked during the parse
// and between blocks; once it says yes the read ends with the error
// "interrupted".
#pragma once

#include <string_view>

#include "common/expected.h"
#include "formats/cell_read.h"

namespace formats {

[[nodiscard]] common::Expected<CellRead> read_cif_cells(std::string_view bytes,
                                                        std::string_view source,
                                                        const Interrupted& interrupted = {});

}  // namespace formats
