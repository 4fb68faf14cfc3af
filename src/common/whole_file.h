// A whole file read into memory, for the readers that parse bytes.
#pragma once

#include <cstddef>
#include <string>

#include "common/expected.h"

namespace common {

inline constexpr std::size_t kMostFileBytes = std::size_t{256} << 20;

// The bytes of the regular file at `path`. It is opened without waiting, so
// that a FIFO in its place cannot hold the program, and a device, which might
// never end, is refused; so is a file of more than `most` bytes. An error is
// of line 0: "cannot open the file: REASON", "not a regular file",
// "the file is larger than N MiB", "cannot read the file: REASON".
[[nodiscard]] Expected<std::string> read_whole_file(const std::string& path,
                                                    std::size_t most = kMostFileBytes);

}  // namespace common
