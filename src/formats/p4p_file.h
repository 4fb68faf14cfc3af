// Bruker SAINT's .p4p: one record a line, its keyword first.
//
//   CELL      7.7133    8.6559   10.8082   90.0000  102.9627   90.0000    703.223
//   CELLSD    0.0011    0.0020    0.0024    0.0000    0.0089    0.0000     0.228
//   BRAVAIS Monoclinic(b-unique)  P
//
// CELL gives the six parameters (and the volume), CELLSD their SUs, an SU of
// 0.0000 marking a parameter held fixed (none); BRAVAIS the crystal system and
// the lattice letter. The temperature in CSIZE is often SAINT's default, so
// the file gives none. The first record of each kind counts.
#pragma once

#include <string_view>

#include "common/expected.h"
#include "formats/cell_read.h"

namespace formats {

// `interrupted`, when given, is asked as the lines go by (cell_read.h).
[[nodiscard]] common::Expected<CellRead> read_p4p(std::string_view bytes, std::string_view source,
                                                  const Interrupted& interrupted = {});

}  // namespace formats
