// Fuzz target: the recognition of a cell file's format and every reader of
// other programs' cell files, on arbitrary bytes.
//
// Checks, whatever the input:
// - recognition and each reader end, with entries or with an error in words
//   (the fuzzer's time limit catches a reader that does not end);
// - an error names a line that is 0 (the file as a whole) or one the input
//   holds;
// - every entry read is a cell of finite parameters (check_cell passes it),
//   named after the file, with SUs and a temperature SU that are finite and
//   positive;
// - DIRAX output, what recognition leaves to the DIRAX scanner, is not read
//   as a cell file.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/cell_file.h"
#include "fuzz_support.h"

namespace {

using fuzzsupport::check;

constexpr formats::CellFormat kFormats[] = {
    formats::CellFormat::kCif,         formats::CellFormat::kDials,
    formats::CellFormat::kXdsCorrect,  formats::CellFormat::kXdsXparm,
    formats::CellFormat::kP4p,         formats::CellFormat::kShelx,
    formats::CellFormat::kTkTable,     formats::CellFormat::kKorvexCsv,
    formats::CellFormat::kPascalTable, formats::CellFormat::kDirax,
};

void check_read(const common::Expected<formats::CellRead>& read, std::string_view bytes,
                formats::CellFormat format) {
  const std::string name(formats::format_name(format));
  if (!read) {
    check(!read.error().message.empty(), name + ": an error without words");
    // A CR alone ends a line too.
    const auto line_ends =
        std::count(bytes.begin(), bytes.end(), '\n') + std::count(bytes.begin(), bytes.end(), '\r');
    check(read.error().line >= 0 && read.error().line <= line_ends + 1,
          name + ": an error of line " + std::to_string(read.error().line));
    return;
  }
  check(!read->entries.empty(), name + ": no entry and no error");
  for (const crystal::CellEntry& entry : read->entries) {
    check(entry.source.starts_with("f"), name + ": an entry not named after its file");
    const auto cell = crystal::check_cell(entry.cell);
    check(cell.has_value(),
          name + ": an entry that is no cell: " + (cell ? std::string() : cell.error().message));
    for (const double parameter : crystal::parameters(entry.cell))
      check(std::isfinite(parameter), name + ": a cell parameter that is not finite");
    for (const auto su : crystal::parameters(entry.su))
      check(!su || (std::isfinite(*su) && *su > 0), name + ": an SU not finite and positive");
    if (entry.temperature) check(std::isfinite(*entry.temperature), name + ": a temperature");
    if (entry.temperature_su)
      check(std::isfinite(*entry.temperature_su) && *entry.temperature_su > 0,
            name + ": a temperature SU not finite and positive");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const formats::CellFormat recognised = formats::recognise(bytes);
  check(!formats::format_name(recognised).empty(), "a format without a name");
  for (const formats::CellFormat format : kFormats) {
    const auto read = formats::read_cells(format, bytes, "f");
    check_read(read, bytes, format);
    if (format == formats::CellFormat::kDirax) check(!read, "DIRAX output read as a cell file");
  }
  return 0;
}
