// Whole files in and out, the same way for every program.
//
// A file is read whole before it is parsed: every input of the programs but
// korvex's own (which go through the text-record layer) is read here, so that
// a device, a FIFO or a folder named as an input is refused at once with its
// reason instead of being read without end or waited on. A file is written
// whole beside its target and renamed over it, so that a reader never sees
// half of it; and only over a regular file or nothing: an output named by a
// FIFO, a device, a socket or a folder is refused before a byte is written,
// so that no program replaces what is not its own kind of file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The file a name leads to, links followed: two names lead to one file when
// their devices and inodes are equal.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileIdentity& other) const {
    return inode == other.inode && device == other.device;  // inodes differ first
  }
};

// The identity of the file (or folder) the name leads to; none when there is
// no such file.
[[nodiscard]] std::optional<FileIdentity> file_identity(const std::string& path);

// The file an output named path is written to: path itself, where there is
// nothing of that name or a regular file, or the regular file a symbolic link
// there leads to. Refused with the reason: "not a regular file" (a FIFO, a
// device or a socket), "Is a directory", "a symbolic link that leads to no
// file" (which would make a file wherever it points), or the system's words
// for a name that cannot be looked up.
[[nodiscard]] Expected<std::string> output_target(const std::string& path);

// The outputs of one run checked before any is written: each can be written
// (output_target), no two lead to one file, and none is one of the inputs
// (by name, or by device and inode whatever the names). The first fault,
// told with the names: "cannot write OUT: REASON", "OUT names two outputs",
// "OUT and OTHER are one file", "OUT is one of the inputs".
[[nodiscard]] Expected<void> check_outputs(const std::vector<std::string>& outputs,
                                           const std::vector<std::string>& inputs);

// Writes the bytes to a new private file beside path's target (output_target,
// refused as it says: nothing is written then), named target + ".XXXXXX" and
// made by mkstemp, so that nothing planted there is followed, and renames it
// over the target. The file gets the mode of any new file (0666 less the umask). On
// failure the temporary file is removed and the error's message is the
// reason (strerror's words). SIGINT, SIGTERM, SIGHUP and SIGQUIT are held
// from the temporary file's making to its rename, so that a signal that ends
// the program leaves the target old or new and no temporary file; it is
// delivered as the write returns.
[[nodiscard]] Expected<void> write_file_replacing(const std::string& path, std::string_view bytes);

}  // namespace common
