// The output files of a run: the table TK_parameters.xy and the seven plot files.
//
// Before the pass the eight files are created with their headers; all stay
// open for the pass, which adds a table
// row and seven plot points for each cell found. After it the plot files get
// their end record and are closed; the table stays open until the orderly stop.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "formats/cell_record.h"

namespace korvex {

// The path of an output file in the folder ("" for the current folder).
[[nodiscard]] std::string output_path(std::string_view folder, std::string_view file);

// True when the name leads to one of the files create_output_files would
// replace in the folder, so that reading it would read what the run destroys.
[[nodiscard]] bool names_an_output_file(std::string_view folder, std::string_view name, bool csv);

// Creates the table with its header on the table channel and the seven plot
// files with their header and pattern blocks on theirs, and with `csv` the CSV
// table with its header, in the folder, replacing older files of the same names.
// The series title is the buffer file's first line as read (BufferFileHead),
// trailing blanks left out where it is written, and point_count the number
// of points every plot file declares.
void create_output_files(std::string_view folder, std::string_view series_title,
                         formats::CellChoice choice, std::int32_t point_count, bool csv);

// The table row and the seven plot points of one cell.
void write_cell(const formats::CellRecord& cell);

// Writes each plot file's end record and closes it.
void end_plot_files();

}  // namespace korvex
