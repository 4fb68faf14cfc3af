// SHELX instruction files, .ins and .res: one instruction a line, its first
// four characters the keyword in either case.
//
//   CELL 0.71073  10.272757   4.673770  11.309690  90.0000  92.1849  90.0000
//   ZERR    2.00   0.000643   0.000360   0.000816   0.0000   0.0068   0.0000
//   LATT  1
//   TEMP -173
//
// CELL gives the wavelength, then the six parameters; ZERR the formula units
// Z, then the six SUs (0 for a parameter held fixed: none); LATT the lattice
// letter by its number (1 P, 2 I, 3 R, 4 F, 5 A, 6 B, 7 C, negative for a
// centrosymmetric one); TEMP the temperature in degrees Celsius, taken in
// kelvin (+273.15) with the SU it is written with. An instruction ending in
// "=" goes on in the next line. The first instruction of each kind counts.
#pragma once

#include <string>
#include <string_view>

#include "common/expected.h"
#include "formats/cell_read.h"

namespace formats {

// The keyword of an instruction's first field: its first four characters in
// upper case.
[[nodiscard]] std::string shelx_keyword(std::string_view field);

// `interrupted`, when given, is asked as the instructions go by (cell_read.h).
[[nodiscard]] common::Expected<CellRead> read_shelx(std::string_view bytes, std::string_view source,
                                                    const Interrupted& interrupted = {});

}  // namespace formats
