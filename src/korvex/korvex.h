// The two ways of running korvex: the dialogue at the console, and the batch
// mode driven by the command line. Both make the same pass over the buffer file
// and write the same files.
//
// Each returns the run's exit status. A failure that ends the run throws
// textrec::RunEnded, for the caller to hand to textrec::end_run.
#pragma once

#include "command_line.h"
#include "output_lock.h"

namespace korvex {

// Banner, the buffer-file and cell-choice questions, the pass, the plot offers.
// The outputs are locked with `lock` (null: not locked) until it goes.
[[nodiscard]] int run_dialogue(OutputLock* lock);

// The pass with no question asked; diagnostics and the closing line go to the
// console the layer was installed with (standard error).
[[nodiscard]] int run_batch(const BatchOptions& options, OutputLock* lock);

}  // namespace korvex
