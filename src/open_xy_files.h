// The preparation of every output file of a run.
//
// Counts the entries of the buffer file (every line after the second: this count
// is the number of points every plot file declares), puts the buffer file back at
// its third line, creates TK_parameters.xy with its header on channel 13 and the
// seven plot files with their header and pattern blocks on channels 14 to 20, and
// leaves all eight open for the pass.
#pragma once

#include <cstdint>

namespace korvex {

void open_xy_files(const int& cell_choice);

// The count of the last call (the number of points every plot file declares).
[[nodiscard]] std::int32_t point_count();

}  // namespace korvex
