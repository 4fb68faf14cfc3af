#include "formats/p4p_file.h"

#include <optional>
#include <string>

#include "formats/reader_parts.h"

namespace formats {

common::Expected<CellRead> read_p4p(std::string_view bytes, std::string_view source,
                                    const Interrupted& interrupted) {
  crystal::CellEntry entry;
  entry.source = std::string(source);
  int cell_line = 0;
  bool sus_read = false;
  bool bravais_read = false;
  LineCursor lines(bytes);
  while (const auto line = lines.next()) {
    if (asked_to_stop(interrupted, static_cast<std::size_t>(lines.line_number())))
      return common::Error{0, "interrupted"};
    const std::vector<std::string_view> fields = fields_of(*line);
    if (fields.empty()) continue;
    const int at = lines.line_number();
    if (fields[0] == "CELL" && cell_line == 0) {
      COMMON_TRY(numbers, numbers_of(fields, 1, 6, at, "CELL"));
      entry.cell = cell_from(*numbers);
      cell_line = at;
    } else if (fields[0] == "CELLSD" && !sus_read) {
      COMMON_TRY(numbers, numbers_of(fields, 1, 6, at, "CELLSD"));
      COMMON_TRY(sus, cell_su_from(*numbers, at, "CELLSD"));
      entry.su = *sus;
      sus_read = true;
    } else if (fields[0] == "BRAVAIS" && !bravais_read) {
      if (fields.size() > 1) entry.system = system_named(fields[1]);
      if (fields.size() > 2 && fields.back().size() == 1)
        entry.lattice = lattice_of_symbol(fields.back());
      bravais_read = true;
    }
  }
  if (cell_line == 0) return common::Error{0, "no CELL record"};
  COMMON_TRY(checked, checked_entry(std::move(entry), cell_line));
  CellRead read;
  read.entries.push_back(std::move(checked).value());
  return read;
}

}  // namespace formats
