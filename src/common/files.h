// Whole files in and out, the same way for every program.
//
// A file is read whole before it is parsed: every input of the programs but
// korvex's own (which go through the text-record layer) is read here, so that
// a device, a FIFO or a folder named as an input is refused at once with its
// reason instead of being read without end or waited on. A file is written
// whole beside its target and renamed over it, so that a reader never sees
// half of it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/expected.h"

namespace common {

// Far beyond any series (a table row takes about 110 bytes): a bound on the
// memory that a wrong file can take.
inline constexpr std::size_t kMostFileBytes = std::size_t{256} << 20;

// The bytes of the regular file at path, opened without waiting (a FIFO
// without a writer does not hold the open). The error's message tells why
// there are none: "cannot open the file: REASON", "not a regular file", "the
// file is larger than 256 MiB", "cannot read the file: REASON".
[[nodiscard]] Expected<std::string> read_whole_file(const std::string& path,
                                                    std::size_t most_bytes = kMostFileBytes);

// Writes the bytes to a new private file beside path (path + ".XXXXXX", made
// by mkstemp, so that nothing planted there is followed) and renames it over
// path. The file gets the mode of any new file (0666 less the umask). On
// failure the temporary file is removed and the error's message is the
// reason (strerror's words). SIGINT, SIGTERM, SIGHUP and SIGQUIT are held
// from the temporary file's making to its rename, so that a signal that ends
// the program leaves the target old or new and no temporary file; it is
// delivered as the write returns.
[[nodiscard]] Expected<void> write_file_replacing(const std::string& path, std::string_view bytes);

}  // namespace common
