#include "formats/xds_files.h"

#include <string>

#include "formats/reader_parts.h"

namespace formats {
namespace {

constexpr std::string_view kCellLine = "UNIT CELL PARAMETERS";
constexpr std::string_view kSuLine = "E.S.D. OF CELL PARAMETERS";
constexpr std::string_view kSpaceGroupLine = "SPACE GROUP NUMBER";

// The text after the words the line begins with (after blanks); nothing when
// it does not begin with them.
std::optional<std::string_view> after(std::string_view line, std::string_view words) {
  const std::size_t first = line.find_first_not_of(' ');
  if (first == std::string_view::npos || line.substr(first).substr(0, words.size()) != words)
    return std::nullopt;
  return line.substr(first + words.size());
}

// The space-group number a field gives, 0 for none.
int space_group_number(std::string_view field) {
  const std::optional<ValueWithSu> value = parse_value_with_su(field);
  if (!value || value->su || value->value < 1 || value->value > 230) return 0;
  const int number = static_cast<int>(value->value);
  return number == value->value ? number : 0;
}

// The fields of an E.S.D. line, E fields that run together split after each
// exponent: XDS writes them in fixed widths, "-1.0E+00-1.0E+00" when negative.
std::vector<std::string_view> esd_fields(std::string_view rest) {
  std::vector<std::string_view> fields;
  for (std::string_view field : fields_of(rest)) {
    for (std::size_t e = field.find_first_of("Ee");
         e != std::string_view::npos && e + 4 < field.size(); e = field.find_first_of("Ee")) {
      if (field[e + 1] != '+' && field[e + 1] != '-') break;
      fields.push_back(field.substr(0, e + 4));
      field.remove_prefix(e + 4);
    }
    fields.push_back(field);
  }
  return fields;
}

// The SUs of an E.S.D. line; none, with a warning, where XDS writes the
// negative numbers of a refinement that failed.
common::Expected<crystal::CellSu> esd_sus(std::string_view rest, int line,
                                          const std::string& source,
                                          std::vector<CellWarning>& warnings) {
  COMMON_TRY(numbers, numbers_of(esd_fields(rest), 0, 6, line, kSuLine));
  for (const ValueWithSu& number : *numbers) {
    if (number.value < 0) {
      warnings.push_back({source + ", line " + std::to_string(line) + ": " + std::string(kSuLine) +
                          " are negative (the refinement failed): the cell is taken without SUs"});
      return crystal::CellSu{};
    }
  }
  return cell_su_from(*numbers, line, kSuLine);
}

}  // namespace

common::Expected<CellRead> read_xds_correct(std::string_view bytes, std::string_view source,
                                            const Interrupted& interrupted) {
  crystal::CellEntry entry;
  entry.source = std::string(source);
  std::vector<CellWarning> warnings;
  int cell_line = 0;
  int space_group = 0;       // the last number given
  int cell_space_group = 0;  // the one given before the cell taken
  LineCursor lines(bytes);
  while (const auto line = lines.next()) {
    const int at = lines.line_number();
    if (asked_to_stop(interrupted, static_cast<std::size_t>(at)))
      return common::Error{0, "interrupted"};
    if (const auto rest = after(*line, kSpaceGroupLine)) {
      const std::vector<std::string_view> fields = fields_of(*rest);
      if (!fields.empty()) space_group = space_group_number(fields[0]);
    } else if (const auto cell_rest = after(*line, kCellLine)) {
      COMMON_TRY(numbers, numbers_of(fields_of(*cell_rest), 0, 6, at, kCellLine));
      entry.cell = cell_from(*numbers);
      entry.su = crystal::CellSu{};
      cell_line = at;
      cell_space_group = space_group;
    } else if (const auto su_rest = after(*line, kSuLine); su_rest && cell_line != 0) {
      warnings.clear();
      COMMON_TRY(sus, esd_sus(*su_rest, at, entry.source, warnings));
      entry.su = *sus;
    }
  }
  if (cell_line == 0) return common::Error{0, "no line " + std::string(kCellLine)};
  entry.system = system_of_space_group(cell_space_group);
  entry.lattice = lattice_of_space_group(cell_space_group);
  COMMON_TRY(checked, checked_entry(std::move(entry), cell_line));
  return CellRead{{std::move(checked).value()}, std::move(warnings), {}, {}};
}

common::Expected<CellRead> read_xds_xparm(std::string_view bytes, std::string_view source) {
  constexpr int kCellLineNumber = 4;
  LineCursor lines(bytes);
  std::optional<std::string_view> line;
  for (int n = 0; n < kCellLineNumber; ++n) {
    line = lines.next();
    if (!line) return common::Error{0, "the file ends before its fourth line, the cell's"};
  }
  const std::vector<std::string_view> fields = fields_of(*line);
  const int space_group = fields.empty() ? 0 : space_group_number(fields[0]);
  if (space_group == 0) {
    return common::Error{kCellLineNumber,
                         "the fourth line does not begin with a space-group number (1 to 230): "
                         "not the cell line of an XPARM.XDS file"};
  }
  COMMON_TRY(numbers, numbers_of(fields, 0, 7, kCellLineNumber, "the cell line"));
  crystal::CellEntry entry;
  entry.source = std::string(source);
  entry.system = system_of_space_group(space_group);
  entry.lattice = lattice_of_space_group(space_group);
  entry.cell = cell_from({numbers->begin() + 1, numbers->end()});
  COMMON_TRY(checked, checked_entry(std::move(entry), kCellLineNumber));
  return CellRead{{std::move(checked).value()}, {}, {}, {}};
}

}  // namespace formats
