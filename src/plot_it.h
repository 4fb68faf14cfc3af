// The offer of one plot file to the viewer.
//
// Asks whether to plot the file and, on the reply "y" or "Y" (the whole reply),
// runs "vistrel NAME" through the command processor and waits until the viewer
// has ended.
#pragma once

#include <string_view>

namespace korvex {

void plot_it(std::string_view file_name);

// The reply of the last offer; it starts blank and carries over to the next
// offer when a reply supplies no value.
void reset_plot_answer();

}  // namespace korvex
