// The main program: the whole run from banner to stop.
//
// Shows the banner, asks for the buffer file until an existing one is named, asks
// for the cell choice, prepares the output files, makes one pass over the entries
// of the buffer file (scan each DIRAX file, write a table row and seven plot
// points for each cell found), ends the plot files, offers each plot to the
// viewer and stops. It ends by throwing textrec::RunEnded, like every other way
// out of the run.
#pragma once

namespace korvex {

[[noreturn]] void run();

}  // namespace korvex
