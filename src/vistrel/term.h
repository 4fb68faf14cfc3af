// The terminal the viewer runs on: its character set, its size, and the wait
// for the user's Enter.
#pragma once

#include "chart/term_plot.h"

namespace vistrel {

// True when the locale's character type is UTF-8. The first of LC_ALL,
// LC_CTYPE and LANG that is set and not empty decides, as for any program;
// "UTF-8", "utf8" and other spellings count. Null pointers are unset variables.
[[nodiscard]] bool locale_is_utf8(const char* lc_all, const char* lc_ctype, const char* lang);

struct TermSize {
  int columns = 80;
  int rows = 24;
};

using chart::kMostColumns;
using chart::kMostRows;

// The size from the terminal driver when known (0 for unknown), else from the
// COLUMNS and LINES values (each on its own), else 80 x 24; at most
// kMostColumns x kMostRows.
[[nodiscard]] TermSize choose_term_size(int driver_columns, int driver_rows, const char* columns,
                                        const char* lines);

// The size of the terminal on file descriptor fd, as choose_term_size decides
// from TIOCGWINSZ and the environment.
[[nodiscard]] TermSize terminal_size(int fd);

// Reads fd up to and including the next line feed, one byte at a time so that
// nothing after it is taken from a caller that shares the input. Returns at
// once at the end of the input or when it cannot be read.
void wait_for_enter(int fd);

}  // namespace vistrel
