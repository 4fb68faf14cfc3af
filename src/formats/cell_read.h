// What a reader of a cell file gives: the cells, and what it passed over or
// took on trust.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "crystal/cell.h"

namespace formats {

// What a reader passed over or took on trust, in words that name the file.
struct CellWarning {
  std::string message;
  bool temperature = false;  // about the temperature the file gives, and that alone
  int skipped_line = 0;      // the line of a table row left out
};

// What a reader found in one file: its cells, and its warnings.
struct CellRead {
  std::vector<crystal::CellEntry> entries;
  std::vector<CellWarning> warnings;
  std::vector<std::string> notes;  // how the file was read, where it had a choice
  std::string title;               // the file's own title (EosFit's TITLE), where it gives one
};

// Asked during a long read: whether the run has been asked to end.
using Interrupted = std::function<bool()>;

// Whether a long read stops at its count'th line, row or value: the
// interrupt, when given, is asked every 4096, often enough that the largest
// file read stops within moments of the ask. A read that stops ends with the
// error "interrupted".
[[nodiscard]] inline bool asked_to_stop(const Interrupted& interrupted, std::size_t count) {
  return count % 4096 == 0 && interrupted && interrupted();
}

}  // namespace formats
