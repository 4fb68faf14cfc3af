#include "common/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace common {

Expected<std::string> read_whole_file(const std::string& path, std::size_t most) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return Error{0, std::string("cannot open the file: ") + std::strerror(errno)};
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return Error{0, "not a regular file"};
  }
  std::string bytes;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
      bytes.append(buf, static_cast<std::size_t>(n));
      if (bytes.size() > most) {
        ::close(fd);
        return Error{0, "the file is larger than " + std::to_string(most >> 20) + " MiB"};
      }
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      const int err = errno;
      ::close(fd);
      return Error{0, std::string("cannot read the file: ") + std::strerror(err)};
    }
  }
  ::close(fd);
  return bytes;
}

}  // namespace common
