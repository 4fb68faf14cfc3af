// Tables of cells as entries: PASCal's whitespace table and korvex's own
// TK_parameters.xy (both read by series_table.h), and korvex's
// TK_parameters.csv.
//
// Each row is one entry named "FILE:line N", with the temperature the row
// gives and the SUs it carries; a row series_table skips is a warning.
//
// TK_parameters.csv is read by the names of its header row (csv_table.h):
// T_K and the six parameters are needed, the SU columns T_su_K, a_su_A ...
// gamma_su_deg and system and bravais are read where present, an empty field
// being "not given". Fields follow RFC 4180 (quoted where they hold a comma,
// a quote or a line end).
#pragma once

#include <string_view>

#include "common/expected.h"
#include "formats/cell_read.h"

namespace formats {

// `interrupted`, when given, is asked every 4096 lines; once it says yes the
// read ends with the error "interrupted".
[[nodiscard]] common::Expected<CellRead> read_series_cells(std::string_view bytes,
                                                           std::string_view source,
                                                           const Interrupted& interrupted = {});
[[nodiscard]] common::Expected<CellRead> read_korvex_csv(std::string_view bytes,
                                                         std::string_view source,
                                                         const Interrupted& interrupted = {});

}  // namespace formats
