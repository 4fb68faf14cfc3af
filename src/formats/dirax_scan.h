// The DIRAX scanner.
//
// Reads the DIRAX cell-output file on the DIRAX channel from its first line to
// its last and returns the cell it finds: the six parameters from the input-cell
// or the conventional-cell line as the cell choice says, the Bravais letter from
// the conventional-cell line, the volume and the crystal system from the volume
// line. The last matching line of each kind wins; a field whose line is missing
// keeps its starting value (zero, or blanks for the texts), and the temperature
// is left for the caller to set.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/cell_read.h"
#include "formats/cell_record.h"
#include "textrec/reads.h"

namespace formats {

// file_name is the name the file was opened by, for the warnings of a value
// that cannot be read as a number.
[[nodiscard]] CellRecord scan_dirax_file(CellChoice choice, std::string_view file_name);

// The same scan of a DIRAX file's bytes, for programs that read files whole
// rather than on korvex's channels. A value that is no plain number is read
// as the scan above reads it; what is wrong with it is put into `told`, a
// message each, where that is given, and told to the run's error report
// otherwise.
[[nodiscard]] CellRecord scan_dirax_text(std::string_view bytes, CellChoice choice,
                                         std::string_view file_name = {},
                                         std::vector<std::string>* told = nullptr);

// Whether DIRAX output's bytes give a cell of either choice: a file another
// format's reader refuses is still read as DIRAX output when they do.
[[nodiscard]] bool holds_dirax_cell(std::string_view bytes);

// Whether the bytes hold a DIRAX cell line, input or conventional, whatever
// its numbers: a file another format's reader refuses is DIRAX output when
// they do, read as the dialogue reads it.
[[nodiscard]] bool holds_dirax_cell_line(std::string_view bytes);

// The six parameters of a scanned record as the file writes them (the
// shortest text of each float).
[[nodiscard]] crystal::Cell dirax_cell(const CellRecord& record);

// The rules for one line, already left-justified (leading blanks removed) and
// at most 256 characters long; the scan applies them to each recognised line.
// `origin` is the file and line, for the warnings; they go into `told` where
// it is given, to the run's error report otherwise.
void apply_cell_parameter_rule(std::string_view line, CellRecord& cell,
                               textrec::RecordOrigin origin,
                               std::vector<std::string>* told = nullptr);
void apply_bravais_rule(std::string_view line, CellRecord& cell,
                        std::vector<std::string>* told = nullptr);
void apply_volume_rule(std::string_view line, CellRecord& cell, textrec::RecordOrigin origin,
                       std::vector<std::string>* told = nullptr);

}  // namespace formats
