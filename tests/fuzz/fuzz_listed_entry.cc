// Fuzz target: a listed file to its cells (formats/listed_entry.h) on
// arbitrary bytes, at a list temperature taken from the input's first byte,
// and the same bytes as a file named alone.
//
// Checks, whatever the input:
// - the read ends with cells or an error in words;
// - every cell of a file of another format has a finite temperature: the
//   list's for a file of one cell, its own or the list's for one of several;
// - a temperature SU goes with a cell only where it is finite and positive;
// - every warning names the file;
// - DIRAX output gives its scanned cell at the list's temperature, no cells;
//   a file of another kind (a picture, an archive) gives no cell at all.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/listed_entry.h"
#include "fuzz_support.h"

namespace {

using fuzzsupport::check;

void check_listed(const formats::ListedCells& read, double listed) {
  if (read.unrecognised) {
    check(read.cells.empty() && !read.dirax, "a file of another kind with cells");
    return;
  }
  if (read.format == formats::CellFormat::kDirax) {
    check(read.cells.empty(), "DIRAX output with cells of another format");
    check(read.dirax && read.dirax->temperature == static_cast<float>(listed),
          "DIRAX not at the list's");
    return;
  }
  for (const crystal::CellEntry& cell : read.cells) {
    check(cell.temperature && std::isfinite(*cell.temperature), "a cell without a temperature");
    if (read.cells.size() == 1) check(*cell.temperature == listed, "one cell not at the list's");
    if (cell.temperature_su)
      check(std::isfinite(*cell.temperature_su) && *cell.temperature_su > 0, "a temperature SU");
  }
  for (const auto* told : {&read.warnings, &read.shared})
    for (const std::string& warning : *told)
      check(warning.starts_with("f"), "a warning that does not name the file: " + warning);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const double listed = 50.0 + data[0];
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  formats::ListedBytes file(bytes, "f");
  const auto read =
      formats::read_listed_file({"f", listed, "l", 3}, file, formats::CellChoice::kConventional);
  if (read) {
    check_listed(*read, listed);
  } else {
    check(!read.error().message.empty(), "an error without words");
  }
  const auto dated = formats::read_dated_file("f", bytes);
  if (dated) {
    for (const crystal::CellEntry& cell : dated->cells)
      check(cell.temperature.has_value(), "a file named alone gives a cell without temperature");
  } else {
    check(dated.error().message.starts_with("f"), "an error that does not name the file");
  }
  return 0;
}
