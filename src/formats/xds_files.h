// XDS's files that give a cell.
//
// CORRECT.LP, the log of the CORRECT step: the cell refined from all images,
//
//    SPACE GROUP NUMBER      5
//    UNIT CELL PARAMETERS     88.684    82.265    93.702  90.000 108.650  90.000
//    E.S.D. OF CELL PARAMETERS  1.9E-01 1.5E-01 1.8E-01 0.0E+00 1.0E-02 0.0E+00
//
// the last UNIT CELL PARAMETERS line with the E.S.D. line after it (an SU of
// 0 marks a parameter held fixed: none), and the crystal system from the
// space-group number before it.
//
// XPARM.XDS and GXPARM.XDS, the geometry written by IDXREF and CORRECT: a
// header line "XPARM.XDS", three lines of the goniostat and the beam, then the
// space-group number and the six parameters (I6, 6F12.4, read free-form) on
// the fourth line; no SUs.
//
// Neither gives a temperature.
#pragma once

#include <string_view>

#include "common/expected.h"
#include "formats/cell_read.h"

namespace formats {

// `interrupted`, when given, is asked as the lines go by (cell_read.h).
[[nodiscard]] common::Expected<CellRead> read_xds_correct(std::string_view bytes,
                                                          std::string_view source,
                                                          const Interrupted& interrupted = {});
[[nodiscard]] common::Expected<CellRead> read_xds_xparm(std::string_view bytes,
                                                        std::string_view source);

}  // namespace formats
