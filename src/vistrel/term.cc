#include "term.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>

namespace vistrel {

namespace {

int positive(const char* text) {
  if (text == nullptr) return 0;
  int v = 0;
  const char* end = text + std::strlen(text);
  const auto [ptr, ec] = std::from_chars(text, end, v);
  return (ec == std::errc() && ptr == end && v > 0) ? v : 0;
}

}  // namespace

bool locale_is_utf8(const char* lc_all, const char* lc_ctype, const char* lang) {
  const char* chosen = nullptr;
  for (const char* v : {lc_all, lc_ctype, lang}) {
    if (v != nullptr && *v != '\0') {
      chosen = v;
      break;
    }
  }
  if (chosen == nullptr) return false;
  std::string squeezed;
  for (const char* p = chosen; *p != '\0'; ++p) {
    if (*p != '-' && *p != '_') {
      squeezed += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    }
  }
  return squeezed.find("utf8") != std::string::npos;
}

TermSize choose_term_size(int driver_columns, int driver_rows, const char* columns,
                          const char* lines) {
  TermSize size;
  if (driver_columns > 0) {
    size.columns = driver_columns;
  } else if (const int c = positive(columns); c > 0) {
    size.columns = c;
  }
  if (driver_rows > 0) {
    size.rows = driver_rows;
  } else if (const int r = positive(lines); r > 0) {
    size.rows = r;
  }
  // A size beyond any screen (COLUMNS=100000, say) would only ask for a plot
  // no one can see, and memory for it.
  size.columns = std::min(size.columns, kMostColumns);
  size.rows = std::min(size.rows, kMostRows);
  return size;
}

TermSize terminal_size(int fd) {
  winsize ws{};
  if (ioctl(fd, TIOCGWINSZ, &ws) != 0) ws = winsize{};
  return choose_term_size(ws.ws_col, ws.ws_row, std::getenv("COLUMNS"), std::getenv("LINES"));
}

void wait_for_enter(int fd) {
  for (;;) {
    char c = 0;
    const ssize_t n = read(fd, &c, 1);
    if (n == 1 && c == '\n') return;
    if (n == 0 || (n < 0 && errno != EINTR)) return;
  }
}

}  // namespace vistrel
