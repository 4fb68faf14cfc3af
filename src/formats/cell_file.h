// Cell files of any format, told by their content, not their name.
//
// recognise() looks at the start of a file: its first line that is neither
// blank nor a "#" comment, however long the comment header before it (its
// "significant" line), and the first line for CIF's version comment. What it
// finds there:
//
//   CIF, .cif_od         "data_" (any case) opens that line, or "#\#CIF_" the first
//   DIALS .expt          "{" opens the file, and "ExperimentList" follows in the start
//   XDS CORRECT.LP       "***** CORRECT *****" in that line
//   XDS (G)XPARM.XDS     "XPARM.XDS" opens that line
//   SAINT .p4p           "FILEID" opens that line
//   SHELX .ins, .res     among the first 12 instructions after REM and blank
//                        lines, TITL or CELL, and ZERR, LATT or SFAC, each in
//                        capitals at its line's start as SHELX writes them
//   TK_parameters.xy     "!" opens the first line that is not blank
//   TK_parameters.csv    that line is a header row naming T_K and a_A, any order
//   PASCal table         that line opens a whitespace table (series_table.h):
//                        7 or 8 numbers, SUs in parentheses allowed, or a
//                        header row naming T a b c alpha beta gamma
//   EosFit data          that line begins with TITLE, a FORMAT line after it
//                        ("!" comments passed over; eosfit_file.h)
//   P-V table            that line is a header row naming p, and V or the
//                        six cell parameters (pv_table.h)
//
// and anything else is DIRAX output, which korvex reads by its own scanner on
// a channel (dirax_scan.h): deciding so costs a DIRAX file a look at its first
// line or two.
//
// Every reader takes the bytes as formats::plain_text (reader_parts.h) gives
// them: a byte-order mark, trailing 0x1A bytes and CR-only line ends are read.
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
  kEosFit,
  kPvTable,
};

// The format's name as messages give it ("CIF", "XDS CORRECT.LP").
[[nodiscard]] std::string_view format_name(CellFormat format);

// The format of a file from its first bytes (any number of them).
[[nodiscard]] CellFormat recognise(std::string_view start);

// The format of a file from its first look, and whether the look holds the
// file's significant line whole, so that the whole file would be recognised
// alike; where it does not, only a comment header has been seen, and the
// whole file decides.
struct Recognition {
  CellFormat format = CellFormat::kDirax;
  bool seen = false;
};
[[nodiscard]] Recognition recognise_look(std::string_view start);

// Whether a file's first bytes are the signature of a file of another kind,
// which no DIRAX output begins with: a picture (PNG, JPEG, TIFF), a
// diffraction image (CBF, HDF5), an archive (gzip, zip, xz), a PDF, a program.
// DIRAX output is otherwise any text, or bytes, the scan finds its lines in.
[[nodiscard]] bool of_another_kind(std::string_view start);

// The formats read, as messages and manuals list them.
inline constexpr std::string_view kFormatsRead =
    "DIRAX, CIF, .cif_od, DIALS .expt, XDS CORRECT.LP and XPARM.XDS, SAINT .p4p, SHELX .ins and "
    ".res, PASCal tables, korvex's TK_parameters.xy and .csv";

// "NAME: not a cell file korvex reads (DIRAX, CIF, ...)", for a file of none
// of the formats, DIRAX output without a line of its kinds included.
[[nodiscard]] std::string not_a_cell_file(std::string_view name);

// The cells of a file of that format from its bytes, each entry named after
// `source` (the file as named). DIRAX output is not read here: an error. So is
// a file too large for the memory left: never an abort. A long read asks
// `interrupted`, when given, whether to go on (dials_expt.h). Errors name no
// file: the caller names it once, with the error's line.
[[nodiscard]] common::Expected<CellRead> read_cells(CellFormat format, std::string_view bytes,
                                                    std::string_view source,
                                                    const Interrupted& interrupted = {});

// The largest cell file read whole.
inline constexpr std::size_t kCellFileLimit = std::size_t{64} << 20;

// A file read whole (common::read_whole_file, at most kCellFileLimit bytes)
// and recognised by its content. A file that cannot be read
// or is DIRAX output is an error of line 0.
[[nodiscard]] common::Expected<CellRead> read_cell_file(const std::string& path);

}  // namespace formats
