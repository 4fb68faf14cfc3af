// Cell files of any format, told by their content, not their name.
//
// recognise() looks at the start of a file only: its first line, or its
// first line that is neither blank nor a "#" comment. What it finds there:
//
//   CIF, .cif_od         "data_" (any case) opens that line, or "#\#CIF_" the first
//   DIALS .expt          "{" opens the file, and "ExperimentList" follows in the start
//   XDS CORRECT.LP       "***** CORRECT *****" in the first line that is not blank
//   XDS (G)XPARM.XDS     "XPARM.XDS" opens the first line
//   SAINT .p4p           "FILEID" opens the first line
//   SHELX .ins, .res     "TITL" (any case) opens the first line
//   TK_parameters.xy     "! " opens the first line
//   TK_parameters.csv    "T_K," opens the first line
//   PASCal table         that line is 7 or 8 numbers, SUs in parentheses allowed
//
// and anything else is DIRAX output, which korvex reads by its own scanner on
// a channel (dirax_scan.h): deciding so costs a DIRAX file a look at its first
// line or two.
#pragma once

#include <string>
#include <string_view>

#include "common/expected.h"
#include "formats/cell_read.h"

namespace formats {

enum class CellFormat {
  kDirax,
  kCif,
  kDials,
  kXdsCorrect,
  kXdsXparm,
  kP4p,
  kShelx,
  kTkTable,
  kKorvexCsv,
  kPascalTable,
};

// The format's name as messages give it ("CIF", "XDS CORRECT.LP").
[[nodiscard]] std::string_view format_name(CellFormat format);

// The format of a file from its first bytes (any number of them).
[[nodiscard]] CellFormat recognise(std::string_view start);

// The cells of a file of that format from its bytes, each entry named after
// `source` (the file as named). DIRAX output is not read here: an error.
[[nodiscard]] common::Expected<CellRead> read_cells(CellFormat format, std::string_view bytes,
                                                    std::string_view source);

// The largest cell file read whole.
inline constexpr std::size_t kCellFileLimit = std::size_t{64} << 20;

// A file read whole (common::read_whole_file, at most kCellFileLimit bytes)
// and recognised by its content. A file that cannot be read
// or is DIRAX output is an error of line 0.
[[nodiscard]] common::Expected<CellRead> read_cell_file(const std::string& path);

}  // namespace formats
