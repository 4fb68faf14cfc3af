#include "common/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace common {
namespace {

// Closes the descriptor as it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  [[nodiscard]] int get() const { return fd_; }
  // Closes now, for the caller that needs to know whether the close failed.
  [[nodiscard]] bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Holds the signals that end a program while it lives; a signal that came
// meanwhile is delivered as it goes.
class EndingSignalsHeld {
 public:
  EndingSignalsHeld() {
    sigset_t ending;
    sigemptyset(&ending);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&ending, signal);
    pthread_sigmask(SIG_BLOCK, &ending, &before_);
  }
  EndingSignalsHeld(const EndingSignalsHeld&) = delete;
  EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;
  ~EndingSignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }

 private:
  sigset_t before_{};
};

std::string size_text(std::size_t bytes) {
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  return bytes % kMiB == 0 ? std::to_string(bytes / kMiB) + " MiB"
                           : std::to_string(bytes) + " bytes";
}

Error with_reason(const char* what, int error) {
  return Error{0, std::string(what) + std::strerror(error)};
}

// Writes all the bytes; the errno of a failure, else 0.
int write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

// Why a file of this kind is no output; empty for a regular file.
std::string refusal(const struct stat& info) {
  if (S_ISREG(info.st_mode)) return {};
  return S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "not a regular file";
}

}  // namespace

std::optional<FileIdentity> file_identity(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

Expected<std::string> output_target(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) return path;  // made new, or the folder's absence told as it is
    return Error{0, std::strerror(errno)};
  }
  if (!S_ISLNK(info.st_mode)) {
    if (std::string why = refusal(info); !why.empty()) return Error{0, why};
    return path;
  }
  const std::unique_ptr<char, decltype(&std::free)> target(::realpath(path.c_str(), nullptr),
                                                           &std::free);
  if (!target) {
    if (errno == ENOENT) return Error{0, "a symbolic link that leads to no file"};
    return Error{0, std::strerror(errno)};
  }
  if (::stat(target.get(), &info) != 0) return Error{0, std::strerror(errno)};
  if (std::string why = refusal(info); !why.empty()) return Error{0, why};
  return std::string(target.get());
}

namespace {

// Where an output goes: the file that is there, or its folder and the name
// it gets in it.
struct Destination {
  std::optional<FileIdentity> file;
  std::optional<FileIdentity> folder;
  std::string base;
  bool operator==(const Destination& other) const {
    if (file || other.file) return file == other.file;
    return folder && folder == other.folder && base == other.base;
  }
};

Destination destination_of(const std::string& target) {
  if (auto file = file_identity(target)) return {file, {}, {}};
  const std::size_t slash = target.rfind('/');
  if (slash == std::string::npos) return {{}, file_identity("."), target};
  return {{}, file_identity(slash == 0 ? "/" : target.substr(0, slash)), target.substr(slash + 1)};
}

}  // namespace

Expected<void> check_outputs(const std::vector<std::string>& outputs,
                             const std::vector<std::string>& inputs) {
  std::vector<Destination> going;
  for (const std::string& output : outputs) {
    const Expected<std::string> target = output_target(output);
    if (!target) return Error{0, "cannot write " + output + ": " + target.error().message};
    going.push_back(destination_of(*target));
    for (std::size_t i = 0; i + 1 < going.size(); ++i) {
      if (going[i] == going.back()) {
        if (outputs[i] == output) return Error{0, output + " names two outputs"};
        return Error{0, outputs[i] + " and " + output + " are one file"};
      }
    }
  }
  for (const std::string& input : inputs) {
    const std::optional<FileIdentity> read = file_identity(input);
    for (std::size_t i = 0; i < outputs.size(); ++i) {
      if (outputs[i] == input || (read && going[i].file == read))
        return Error{0, outputs[i] + " is one of the inputs"};
    }
  }
  return {};
}

Expected<std::string> read_whole_file(const std::string& path, std::size_t most_bytes) {
  Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) return with_reason("cannot open the file: ", errno);
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) return with_reason("cannot read the file: ", errno);
  if (!S_ISREG(info.st_mode)) return Error{0, "not a regular file"};
  const Error too_large{0, "the file is larger than " + size_text(most_bytes)};
  if (static_cast<std::uintmax_t>(info.st_size) > most_bytes) return too_large;
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
    if (n == 0) return bytes;
    if (n < 0) {
      if (errno == EINTR) continue;
      return with_reason("cannot read the file: ", errno);
    }
    // A file that grows while it is read is held to the same bound.
    if (bytes.size() + static_cast<std::size_t>(n) > most_bytes) return too_large;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
}

Expected<void> write_file_replacing(const std::string& path, std::string_view bytes) {
  const Expected<std::string> target = output_target(path);
  if (!target) return target.error();
  const EndingSignalsHeld held;
  // A name of our own, made new (mkstemp opens with O_EXCL): a file or a
  // symlink planted where the temporary file goes is never written through.
  std::string temporary = *target + ".XXXXXX";
  Descriptor file(::mkstemp(temporary.data()));
  if (file.get() < 0) return Error{0, std::strerror(errno)};
  const auto fail = [&](int error) -> Expected<void> {
    ::unlink(temporary.c_str());
    return Error{0, std::strerror(error)};
  };
  // mkstemp makes the file private; the target gets the mode any new file
  // would get.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(file.get(), 0666 & ~mask) != 0) return fail(errno);
  if (const int error = write_all(file.get(), bytes); error != 0) return fail(error);
  if (!file.close() || ::rename(temporary.c_str(), target->c_str()) != 0) return fail(errno);
  return {};
}

}  // namespace common
