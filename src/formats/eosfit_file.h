// EosFit's data files: the volumes (and cells) of a crystal against pressure,
// as EosFit7 reads and writes them (Angel, Alvaro & Gonzalez-Platas,
// Z. Kristallogr. 229 (2014) 405):
//
//   TITLE  Quartz, Angel et al. (1997)
//   FORMAT 1 P SIGP V SIGV A SIGA C SIGC
//   0.0001  0.0001  112.981  0.002  4.91300  0.00004  5.40464  0.00008
//   ...
//
// The TITLE line gives the data set's title. The FORMAT line names the
// columns of the rows that follow, after an optional whole number: the codes
// P, V, A, B, C, AL (ALPHA), BE (BETA), GA (GAMMA) and T, and SIGx for the
// SU of x, in any case; each is read as the column of that name of a P-V
// table (pv_table.h), with its checks. Each row holds one number for each
// column named, blanks, tabs or commas between them. "!" and "#" begin a
// comment, to the line's end; blank lines are passed over.
//
// A line that begins with a word is a control line, never a row, whatever
// its number of fields. The scale lines name the units of the rows, anywhere
// in the file: PSCALE GPa, kbar or MPa (converted to GPa, the SUs too, their
// decimal digits kept), VSCALE A3, LSCALE A, TSCALE K or C (converted to
// kelvin). DATATYPE VOLUME (or CELL) says the rows are volumes or cells, as
// they are without it. Any other unit or data type (moduli, volumes per
// mole), and any other word, is refused, naming it, rather than read wrongly.
//
// Each row is one point named "FILE:line N".
#pragma once

#include <string_view>

#include "common/expected.h"
#include "formats/cell_read.h"

namespace formats {

// Whether the start of a file is an EosFit data file: its first line that is
// neither blank nor a comment begins with TITLE, and a FORMAT line follows,
// after scale or DATATYPE lines only.
[[nodiscard]] bool is_eosfit_file(std::string_view start);

// The points of an EosFit data file and its title; an error names its line.
// `interrupted`, when given, is asked as the lines go by (cell_read.h).
[[nodiscard]] common::Expected<CellRead> read_eosfit_file(std::string_view bytes,
                                                          std::string_view source,
                                                          const Interrupted& interrupted = {});

}  // namespace formats
