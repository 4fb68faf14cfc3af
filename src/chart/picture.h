// A picture as the programs hand it on: the SVG document, the name its file
// takes beside the others of a run, and a sentence that says what it shows,
// for the figure of a page that holds it.
#pragma once

#include <string>

namespace chart {

struct Picture {
  std::string suffix;   // "_strain.svg": the file is PREFIX + suffix
  std::string svg;      // the whole document
  std::string caption;  // UTF-8, one or two sentences
};

// The id of the picture's figure in a page, from its suffix: "figure-strain"
// for "_strain.svg"; letters and digits kept, anything else a hyphen.
[[nodiscard]] std::string figure_id(const Picture& picture);

}  // namespace chart
