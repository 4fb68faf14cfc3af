// The floor under korvex on a made-up series: every file named in names.txt
// opened, examined, read whole and closed, with the same four system calls per
// file that korvex makes (openat, fstat, read, close) and nothing else: no
// records, no scan, no output. Run in the series' folder; prints the bytes read.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

int main() {
  std::ifstream list("names.txt");
  if (!list) {
    std::fprintf(stderr, "read_floor: no names.txt here\n");
    return 2;
  }
  std::vector<std::string> names;
  for (std::string name; std::getline(list, name);) names.push_back(name);
  static char buffer[64 * 1024];
  long long total = 0;
  for (const std::string& name : names) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
      off_t here = 0;
      for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) {
        here += got;
        if (here >= st.st_size) break;  // korvex's reader stops there too
      }
      total += here;
    }
    ::close(fd);
  }
  std::printf("%lld\n", total);
  return 0;
}
