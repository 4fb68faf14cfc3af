// The seam between the layer and the files it reads and writes.
//
// The bytes of a file come from a ByteSource and go to a ByteSink, and files are
// found through a FileSystem, so that the layer runs on the real file system and
// console or, in tests, on files held in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace textrec {

// The file a name leads to, links followed: two names lead to one file when
// their devices and inodes are equal.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  // The name is the file's one name: no symbolic link on its last step and
  // no other hard link to the file. Not part of the identity.
  bool one_name = true;
  bool operator==(const FileIdentity& other) const {
    return inode == other.inode && device == other.device;  // inodes differ first
  }
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to n bytes into buf: the count read, 0 at the end, -1 on failure
  // (error() then tells why).
  [[nodiscard]] virtual long read_bytes(char* buf, std::size_t n) = 0;
  // Goes back to the first byte; false on failure.
  [[nodiscard]] virtual bool seek_to_start() = 0;
  [[nodiscard]] virtual std::string error() const = 0;
  // The identity of the file read, where it is one, as found when it was
  // opened.
  [[nodiscard]] virtual std::optional<FileIdentity> identity() const { return std::nullopt; }
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Writes all n bytes; false on failure (error() then tells why).
  [[nodiscard]] virtual bool write_bytes(const char* data, std::size_t n) = 0;
  // Makes what was written reach its destination and releases it; false on failure.
  [[nodiscard]] virtual bool finish() = 0;
  [[nodiscard]] virtual std::string error() const = 0;
};

// A file opened or created, or why not.
template <typename File>
struct Opened {
  std::unique_ptr<File> file;  // null on failure
  std::string reason;          // the system's words for the failure
  // The failure is that no file of that name exists (a folder on its path
  // missing, or not a folder, included); any other failure found a file.
  bool missing = false;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  [[nodiscard]] virtual bool exists(const std::string& name) = 0;
  // The identity of the existing file (or folder) the name leads to; none when
  // there is no such file.
  [[nodiscard]] virtual std::optional<FileIdentity> identity(const std::string& name) = 0;
  [[nodiscard]] virtual Opened<ByteSource> open_source(const std::string& name) = 0;
  // Creates the file empty, replacing one of that name.
  [[nodiscard]] virtual Opened<ByteSink> create_sink(const std::string& name) = 0;
};

// The real file system: names relative to the current folder, files opened
// close-on-exec so that no child process inherits them, folders refused.
[[nodiscard]] FileSystem& posix_file_system();

// Bytes held in memory, which must outlive the source.
[[nodiscard]] std::unique_ptr<ByteSource> bytes_source(std::string_view bytes);

// Standard input and output of the process.
[[nodiscard]] std::unique_ptr<ByteSource> stdin_source();
[[nodiscard]] std::unique_ptr<ByteSink> stdout_sink();
[[nodiscard]] std::unique_ptr<ByteSink> stderr_sink();

}  // namespace textrec
