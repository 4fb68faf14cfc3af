// The DIRAX scanner.
//
// Reads the DIRAX cell-output file on channel 2 from its first line to its last
// and copies the cell it finds into the shared CellRecord: the six parameters from
// the input-cell or the conventional-cell line as the cell choice says, the
// Bravais letter from the conventional-cell line, the volume and the crystal
// system from the volume line. The last matching line of each kind wins; a field
// whose line is missing keeps its value.
#pragma once

#include <string_view>

namespace korvex {

// cell_choice 0: conventional cell; any other value: input cell.
void recherche_unit_cell(const int& cell_choice);

// The rules for one line, already left-justified (leading blanks removed) and
// at most 256 characters long; the scan applies them to each recognised line.
void apply_cell_parameter_rule(std::string_view line);
void apply_bravais_rule(std::string_view line);
void apply_volume_rule(std::string_view line);

}  // namespace korvex
