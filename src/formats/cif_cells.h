// CIF (1.1, and 2.0 as far as a cell goes) and CrysAlisPro's .cif_od, read
// through gemmi.
//
// Each data block that gives a cell is one entry, named "FILE:BLOCK": the six
// items _cell_length_a|b|c and _cell_angle_alpha|beta|gamma (or their DDLm
// names _cell.length_a ...), each with its SU in parentheses; "?" and "." are
// "not given". A .cif_od gives a second cell in _cell_oxdiff_*, refined
// without the lattice's constraints; the constrained _cell_* cell is the one
// read. The temperature is _cell_measurement_temperature, else
// _diffrn_ambient_temperature, with its SU; when both are given and their
// values differ, the first is taken and a warning names both. The crystal
// system comes from _space_group_crystal_system or _symmetry_cell_setting,
// the lattice letter from the first letter of the Hermann-Mauguin symbol (or
// of the Hall symbol, its sign passed over).
//
// A block with some of the six items but not all, a value that is not a
// number, or six numbers that are no cell is an error naming its line; so is
// a file with no block that gives a cell, and a file gemmi cannot parse (with
// the line gemmi gives).
#pragma once

#include <string_view>

#include "common/expected.h"
#include "formats/cell_read.h"

namespace formats {

[[nodiscard]] common::Expected<CellRead> read_cif_cells(std::string_view bytes,
                                                        std::string_view source);

}  // namespace formats
