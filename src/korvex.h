// The main program: the whole run from banner to stop.
//
// Shows the banner, asks for the buffer file until an existing one is named, asks
// for the cell choice, prepares the output files, makes one pass over the entries
// of the buffer file (scan each DIRAX file, write a table row and seven plot
// points for each cell found), ends the plot files, offers each plot to the
// viewer and stops, returning the exit status. A failure that ends the run
// throws textrec::RunEnded instead.
#pragma once

namespace korvex {

[[nodiscard]] int run();

}  // namespace korvex
