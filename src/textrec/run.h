// The run: setting up the layer, the orderly stop, and the end of a run.
#pragma once

#include <memory>

#include "textrec/files.h"
#include "textrec/report.h"

namespace textrec {

// Sets up the layer for a run: all channels free, no failure counted.
void install(std::unique_ptr<ByteSource> console_in, std::unique_ptr<ByteSink> console_out,
             FileSystem& file_system);
// The real console and file system.
void install_posix();

// The orderly stop: closes every channel that still holds a file, so that
// buffered output reaches it, and writes out the console. Returns the exit
// status of the run: 0, or that of the worst failure reported (4 or 8), or
// at_least when that is worse; 16 when a file could not be written out, whose
// diagnostic is then written. A signal noted and not yet acted on ends the run
// as end_run does.
[[nodiscard]] int stop_run(int at_least = kExitClean);

// As stop_run for a run ended by a failure: returns its status, or 16 when a
// file could not be written out. A run ended by a signal says so, and whether
// files open for writing were cut short or none was open yet.
[[nodiscard]] int end_run(const RunEnded& ended);

}  // namespace textrec
