// The seven SVG pictures of a batch run, drawn by the viewer's own code from the
// plot files just written, so that they are the pictures vistrel shows.
#pragma once

#include <string>
#include <string_view>

namespace korvex {

// For each plot file in the folder, writes its picture beside it (TK_cell_a.svg
// ...), with the footnote under the plot. A plot file that cannot be read back or
// a picture that cannot be written is a severe failure of the file system.
void write_svg_pictures(std::string_view folder, const std::string& footnote);

}  // namespace korvex
