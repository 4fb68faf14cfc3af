#include "textrec/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "textrec/interrupt.h"

namespace textrec {
namespace {

constexpr const char* kNotRegular = "not a regular file";
constexpr const char* kLinkToNothing = "a symbolic link that leads to no file";

std::string system_error(int err) {
  return std::strerror(err);
}

// Whether an open failed because there is no file of that name.
bool names_no_file(int err) {
  return err == ENOENT || err == ENOTDIR;
}

class FdSource : public ByteSource {
 public:
  // size: that of a regular file when it was opened; -1 for the console.
  FdSource(int fd, bool owned, off_t size = -1, std::optional<FileIdentity> identity = {})
      : fd_(fd), owned_(owned), size_(size), identity_(identity) {}
  ~FdSource() override {
    if (owned_) ::close(fd_);
  }
  FdSource(const FdSource&) = delete;
  FdSource& operator=(const FdSource&) = delete;

  long read_bytes(char* buf, std::size_t n) override {
    // A read of a regular file that stopped short of n bytes exactly at the size
    // the file had when opened met its end: the read that would give 0 bytes is
    // not made.
    if (at_size_) return 0;
    for (;;) {
      const ssize_t got = ::read(fd_, buf, n);
      if (got >= 0) {
        offset_ += got;
        at_size_ = offset_ == size_ && static_cast<std::size_t>(got) < n;
        return static_cast<long>(got);
      }
      if (errno != EINTR) {
        error_ = system_error(errno);
        return -1;
      }
      // A wait for the console broken off by a signal that ends the run.
      end_if_interrupted();
    }
  }
  bool seek_to_start() override {
    if (::lseek(fd_, 0, SEEK_SET) == 0) {
      offset_ = 0;
      at_size_ = false;
      return true;
    }
    error_ = system_error(errno);
    return false;
  }
  std::string error() const override { return error_; }
  std::optional<FileIdentity> identity() const override { return identity_; }

 private:
  int fd_;
  bool owned_;
  off_t size_;
  std::optional<FileIdentity> identity_;
  off_t offset_ = 0;
  bool at_size_ = false;
  std::string error_;
};

class FdSink : public ByteSink {
 public:
  FdSink(int fd, bool owned) : fd_(fd), owned_(owned) {}
  ~FdSink() override {
    if (owned_ && fd_ >= 0) ::close(fd_);
  }
  FdSink(const FdSink&) = delete;
  FdSink& operator=(const FdSink&) = delete;

  bool write_bytes(const char* data, std::size_t n) override {
    while (n > 0) {
      const ssize_t put = ::write(fd_, data, n);
      if (put < 0) {
        if (errno == EINTR) continue;
        error_ = system_error(errno);
        return false;
      }
      data += put;
      n -= static_cast<std::size_t>(put);
    }
    return true;
  }
  bool finish() override {
    if (!owned_ || fd_ < 0) return true;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) == 0) return true;
    error_ = system_error(errno);
    return false;
  }
  std::string error() const override { return error_; }

 private:
  int fd_;
  bool owned_;
  std::string error_;
};

FileIdentity identity_of(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

// A name holding a NUL byte names no file.
bool usable_name(const std::string& name) {
  return !name.empty() && name.find('\0') == std::string::npos;
}

template <typename File>
Opened<File> failed_open(int err) {
  return {nullptr, system_error(err), names_no_file(err)};
}

class PosixFileSystem : public FileSystem {
 public:
  bool exists(const std::string& name) override {
    return usable_name(name) && ::access(name.c_str(), F_OK) == 0;
  }
  std::optional<FileIdentity> identity(const std::string& name) override {
    struct stat st {};
    if (!usable_name(name) || ::lstat(name.c_str(), &st) != 0) return std::nullopt;
    const bool link = S_ISLNK(st.st_mode);
    if (link && ::stat(name.c_str(), &st) != 0) return std::nullopt;
    FileIdentity identity = identity_of(st);
    identity.one_name = !link && (S_ISDIR(st.st_mode) || st.st_nlink <= 1);
    return identity;
  }
  Opened<ByteSource> open_source(const std::string& name) override {
    if (!usable_name(name)) return failed_open<ByteSource>(ENOENT);
    // Opened without waiting, so that a FIFO cannot hold the run at the open;
    // only a regular file is read: a device such as /dev/zero would never end.
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return failed_open<ByteSource>(errno);
    Opened<ByteSource> opened;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
      opened.reason = system_error(errno);
    } else if (S_ISDIR(st.st_mode)) {
      opened.reason = system_error(EISDIR);
    } else if (!S_ISREG(st.st_mode)) {
      opened.reason = kNotRegular;
    } else {
      // O_NONBLOCK stays set: it changes nothing for a regular file, whose
      // reads wait for the disk either way.
      opened.file = std::make_unique<FdSource>(fd, true, st.st_size, identity_of(st));
      return opened;
    }
    ::close(fd);
    return opened;
  }
  Opened<ByteSink> create_sink(const std::string& name) override {
    if (!usable_name(name)) return failed_open<ByteSink>(ENOENT);
    // Only a regular file is written, looked at before it is opened: opening
    // a device can act on it, and a FIFO would take the output. A symbolic
    // link is followed to a regular file only; one that leads to no file
    // would make one wherever it points.
    struct stat st;
    if (::lstat(name.c_str(), &st) == 0) {
      if (S_ISLNK(st.st_mode) && ::stat(name.c_str(), &st) != 0)
        return {nullptr, errno == ENOENT ? kLinkToNothing : system_error(errno), false};
      if (S_ISDIR(st.st_mode)) return failed_open<ByteSink>(EISDIR);
      if (!S_ISREG(st.st_mode)) return {nullptr, kNotRegular, false};
    }
    // Opened without waiting: a FIFO put in the name's place meanwhile fails
    // at once (ENXIO) instead of holding the run.
    const int fd =
        ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) {
      if (errno != ENXIO) return failed_open<ByteSink>(errno);
      return {nullptr, kNotRegular, false};
    }
    std::string reason;
    if (::fstat(fd, &st) != 0) {
      reason = system_error(errno);
    } else if (!S_ISREG(st.st_mode)) {
      reason = kNotRegular;
    } else {
      return {std::make_unique<FdSink>(fd, true), {}, false};
    }
    ::close(fd);
    return {nullptr, reason, false};
  }
};

}  // namespace

FileSystem& posix_file_system() {
  static PosixFileSystem file_system;  // holds no state
  return file_system;
}

namespace {

class MemorySource : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
  long read_bytes(char* buf, std::size_t n) override {
    const std::size_t count = std::min(n, bytes_.size() - at_);
    std::memcpy(buf, bytes_.data() + at_, count);
    at_ += count;
    return static_cast<long>(count);
  }
  bool seek_to_start() override {
    at_ = 0;
    return true;
  }
  std::string error() const override { return {}; }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

}  // namespace

std::unique_ptr<ByteSource> bytes_source(std::string_view bytes) {
  return std::make_unique<MemorySource>(bytes);
}

std::unique_ptr<ByteSource> stdin_source() {
  return std::make_unique<FdSource>(0, false);
}
std::unique_ptr<ByteSink> stdout_sink() {
  return std::make_unique<FdSink>(1, false);
}
std::unique_ptr<ByteSink> stderr_sink() {
  return std::make_unique<FdSink>(2, false);
}

}  // namespace textrec
