#include "output_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "textrec/textrec.h"

namespace korvex {

OutputLock::~OutputLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool OutputLock::take(const std::string& table_path) {
  // Not truncated here: the file may be another run's table. O_NONBLOCK keeps a
  // FIFO in its place from blocking the open.
  const int fd =
      ::open(table_path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) return true;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return true;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool held = errno == EWOULDBLOCK;
    ::close(fd);
    return !held;
  }
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
  return true;
}

void lock_outputs(OutputLock* lock, const std::string& table_path) {
  if (lock == nullptr || lock->take(table_path)) return;
  textrec::report(textrec::Failure::kFileSystem,
                  "another korvex run is writing TK_parameters.xy in this folder");
}

}  // namespace korvex
