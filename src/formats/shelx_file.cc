#include "formats/shelx_file.h"

#include <array>
#include <string>

#include "common/number_text.h"
#include "formats/reader_parts.h"

namespace formats {
namespace {

constexpr double kZeroCelsius = 273.15;

// An instruction with its continuation lines joined, "!" comments removed.
struct Instruction {
  std::string text;
  int line = 0;  // of its first line
};

// The line without its "!" comment; true when it ends in "=", which is then
// removed too.
bool continued(std::string_view& line) {
  line = line.substr(0, line.find('!'));
  const std::size_t last = line.find_last_not_of(" \t");
  if (last == std::string_view::npos || line[last] != '=') return false;
  line = line.substr(0, last);
  return true;
}

std::optional<Instruction> next_instruction(LineCursor& lines) {
  auto line = lines.next();
  if (!line) return std::nullopt;
  Instruction instruction{{}, lines.line_number()};
  const std::string keyword = shelx_keyword(*line);
  if (keyword == "TITL" || keyword == "REM")
    return Instruction{std::string(*line), instruction.line};
  while (line) {
    const bool goes_on = continued(*line);
    instruction.text += *line;
    if (!goes_on) break;
    instruction.text += ' ';
    line = lines.next();
  }
  return instruction;
}

}  // namespace

std::string shelx_keyword(std::string_view field) {
  std::string keyword(field.substr(0, 4));
  for (char& c : keyword)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return keyword;
}

common::Expected<CellRead> read_shelx(std::string_view bytes, std::string_view source,
                                      const Interrupted& interrupted) {
  // The lattice letter of LATT 1 to 7.
  static constexpr std::string_view kLattices = "PIRFABC";
  crystal::CellEntry entry;
  entry.source = std::string(source);
  std::vector<CellWarning> warnings;
  int cell_line = 0;
  bool sus_read = false, temperature_read = false, lattice_read = false;
  LineCursor lines(bytes);
  std::size_t count = 0;
  while (const auto instruction = next_instruction(lines)) {
    if (asked_to_stop(interrupted, ++count)) return common::Error{0, "interrupted"};
    const std::vector<std::string_view> fields = fields_of(instruction->text);
    if (fields.empty()) continue;
    const std::string keyword = shelx_keyword(fields[0]);
    const int at = instruction->line;
    if (keyword == "CELL" && cell_line == 0) {
      COMMON_TRY(numbers, numbers_of(fields, 1, 7, at, "CELL"));
      // The wavelength first.
      entry.cell = cell_from({numbers->begin() + 1, numbers->end()});
      cell_line = at;
    } else if (keyword == "ZERR" && !sus_read) {
      COMMON_TRY(numbers, numbers_of(fields, 1, 7, at, "ZERR"));
      // Z first.
      COMMON_TRY(sus, cell_su_from({numbers->begin() + 1, numbers->end()}, at, "ZERR"));
      entry.su = *sus;
      sus_read = true;
    } else if (keyword == "TEMP" && !temperature_read) {
      COMMON_TRY(numbers, numbers_of(fields, 1, 1, at, "TEMP"));
      entry.temperature = (*numbers)[0].value + kZeroCelsius;
      entry.temperature_su = su_if_refined((*numbers)[0].su);
      if (*entry.temperature < 0) {
        warnings.push_back(
            {entry.source + ", line " + std::to_string(at) + ": TEMP " + std::string(fields[1]) +
                 " is in °C: " + common::fixed(*entry.temperature, 2) + " K, below 0 K",
             true});
      }
      temperature_read = true;
    } else if (keyword == "LATT" && !lattice_read) {
      COMMON_TRY(numbers, numbers_of(fields, 1, 1, at, "LATT"));
      const double n = (*numbers)[0].value < 0 ? -(*numbers)[0].value : (*numbers)[0].value;
      if (n >= 1 && n <= 7 && n == static_cast<int>(n))
        entry.lattice = std::string(1, kLattices[static_cast<std::size_t>(n) - 1]);
      lattice_read = true;
    }
  }
  if (cell_line == 0) return common::Error{0, "no CELL instruction"};
  COMMON_TRY(checked, checked_entry(std::move(entry), cell_line));
  return CellRead{{std::move(checked).value()}, std::move(warnings), {}, {}};
}

}  // namespace formats
