// korvex's buffer file read whole, for programs that take a series from it
// outside korvex's own run: line 1 the title, line 2 ignored, then one entry
// after another, a file name and a temperature in kelvin, read free-form
// exactly as korvex reads them (a name with blanks in apostrophes; an entry
// that gives no value for one of the two keeps the one of the entry before;
// lines that hold no value are passed over).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/expected.h"

namespace formats {

struct ListEntry {
  std::string name;
  double temperature = 0;  // kelvin, as written (read as korvex reads it, a float)
  int line = 0;            // the line that ends the entry
  // The temperature is followed at once by a comma and a digit ("100,5"): a
  // decimal comma, read as the whole part alone.
  bool decimal_comma = false;
};

struct CellList {
  std::string title;  // the first line as korvex takes it, without its trailing blanks
  std::vector<ListEntry> entries;
};

// The title and entries of a buffer file's bytes; an entry that cannot be
// read is an error naming its line.
[[nodiscard]] common::Expected<CellList> parse_cell_list(std::string_view bytes);

}  // namespace formats
