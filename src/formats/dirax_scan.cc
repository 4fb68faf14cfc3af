#include "formats/dirax_scan.h"

#include <cstddef>
#include <string>
#include <vector>

#include "common/number_text.h"
#include "textrec/textrec.h"

namespace formats {
namespace {

// The current line is a text of 256 characters: longer lines give only their
// first 256, shorter ones are padded with blanks.
constexpr std::size_t kLineLength = 256;

using Position = long;  // character positions, counted from 1; 0 for "absent"

// Position of the first occurrence of keyword in line.
Position position_of(std::string_view line, std::string_view keyword) {
  const std::size_t at = line.find(keyword);
  return at == std::string_view::npos ? 0 : static_cast<Position>(at) + 1;
}

// Last non-blank position; 0 for a blank line.
Position last_non_blank(std::string_view line) {
  const std::size_t at = line.find_last_not_of(' ');
  return at == std::string_view::npos ? 0 : static_cast<Position>(at) + 1;
}

// Characters s to e inclusive; empty when e < s. Positions past the end of the
// line stand for its padding blanks, which a free-form read passes over.
std::string_view range(std::string_view line, Position s, Position e) {
  if (s < 1) s = 1;
  if (e > static_cast<Position>(line.size())) e = static_cast<Position>(line.size());
  if (e < s) return {};
  return line.substr(static_cast<std::size_t>(s - 1), static_cast<std::size_t>(e - s + 1));
}

// A free-form read of one value: its problems told to the run, or put into
// `told` where that is given.
void read_value(std::string_view memory, textrec::RecordOrigin origin, textrec::Target target,
                std::vector<std::string>* told) {
  (void)textrec::read_free_told(memory, origin, {target}, told);
}

void read_real(std::string_view memory, textrec::RecordOrigin origin, float* value,
               std::vector<std::string>* told) {
  read_value(memory, origin, textrec::Target::Real(value), told);
}

}  // namespace

void apply_cell_parameter_rule(std::string_view line, CellRecord& cell,
                               textrec::RecordOrigin origin, std::vector<std::string>* told) {
  // Each keyword ends one range and starts the next: it is looked for once.
  // "a=" is found at its first occurrence, before the angle keywords that end in it.
  const Position pa = position_of(line, "a="), pb = position_of(line, "b="),
                 pc = position_of(line, "c=");
  const Position palpha = position_of(line, "alpha="), pbeta = position_of(line, "beta="),
                 pgamma = position_of(line, "gamma=");
  read_real(range(line, pa + 2, pb - 1), origin, &cell.a, told);
  read_real(range(line, pb + 2, pc - 1), origin, &cell.b, told);
  read_real(range(line, pc + 2, palpha - 1), origin, &cell.c, told);
  read_real(range(line, palpha + 6, pbeta - 1), origin, &cell.alpha, told);
  read_real(range(line, pbeta + 5, pgamma - 1), origin, &cell.beta, told);
  // The last non-blank character closes the line and is never part of gamma.
  read_real(range(line, pgamma + 6, last_non_blank(line) - 1), origin, &cell.gamma, told);
}

void apply_bravais_rule(std::string_view line, CellRecord& cell, std::vector<std::string>* told) {
  const Position last = last_non_blank(line);
  read_value(range(line, last, last), {}, textrec::Target::Text(&cell.lattice), told);
}

void apply_volume_rule(std::string_view line, CellRecord& cell, textrec::RecordOrigin origin,
                       std::vector<std::string>* told) {
  read_real(range(line, position_of(line, ":") + 1, position_of(line, ";") - 1), origin,
            &cell.volume, told);
  const std::size_t last_semicolon = line.rfind(';');
  const Position q =
      last_semicolon == std::string_view::npos ? 0 : static_cast<Position>(last_semicolon) + 1;
  // Layout A into the 16-character field: its first 16 characters, padded.
  textrec::read_a(range(line, position_of(line, "System:") + 7, q - 1), cell.system);
  textrec::left_justify(cell.system);
}

namespace {

// A DIRAX file holds a hundred lines or so around the three that count; the
// others are passed over inside the reader. An input-cell line counts in
// input-cell mode only, and is asked for only then.
enum Keyword : std::size_t { kConventionalLine, kVolumeLine, kInputCellLine };

const textrec::LineKeywords& keywords_for(CellChoice choice) {
  static constexpr textrec::LineKeywords kInputCellMode{"Conventional :", "Volume", "{Input cell"};
  static constexpr textrec::LineKeywords kConventionalCellMode{"Conventional :", "Volume"};
  return choice == CellChoice::kInput ? kInputCellMode : kConventionalCellMode;
}

void apply_line(const textrec::KeywordRecord& found, CellChoice choice, std::string_view file_name,
                CellRecord& cell, std::vector<std::string>* told) {
  // Left-justified; the padding blanks at the end change no test below.
  const std::string_view line = found.text;
  const textrec::RecordOrigin origin{file_name, found.line};
  // A conventional-cell line gives the six parameters in conventional-cell
  // mode only, and the Bravais letter in both.
  switch (found.keyword) {
    case kInputCellLine:
      apply_cell_parameter_rule(line, cell, origin, told);
      break;
    case kConventionalLine:
      if (choice == CellChoice::kConventional) apply_cell_parameter_rule(line, cell, origin, told);
      apply_bravais_rule(line, cell, told);
      break;
    case kVolumeLine:
      apply_volume_rule(line, cell, origin, told);
      break;
    default:
      break;
  }
}

}  // namespace

CellRecord scan_dirax_file(CellChoice choice, std::string_view file_name) {
  const textrec::LineKeywords& keywords = keywords_for(choice);
  CellRecord cell;
  textrec::rewind_channel(kDiraxChannel);
  textrec::KeywordRecord found;
  while (textrec::read_record_starting(kDiraxChannel, &found, kLineLength, keywords) ==
         textrec::kStatusOk)
    apply_line(found, choice, file_name, cell, nullptr);
  return cell;
}

CellRecord scan_dirax_text(std::string_view bytes, CellChoice choice, std::string_view file_name,
                           std::vector<std::string>* told) {
  const textrec::LineKeywords& keywords = keywords_for(choice);
  CellRecord cell;
  textrec::RecordReader reader(textrec::bytes_source(bytes));
  textrec::KeywordRecord found;
  while (reader.next_record_starting(&found, kLineLength, keywords) == textrec::kStatusOk)
    apply_line(found, choice, file_name, cell, told);
  return cell;
}

crystal::Cell dirax_cell(const CellRecord& r) {
  using common::as_decimal;
  return {as_decimal(r.a),     as_decimal(r.b),    as_decimal(r.c),
          as_decimal(r.alpha), as_decimal(r.beta), as_decimal(r.gamma)};
}

bool holds_dirax_cell(std::string_view bytes) {
  std::vector<std::string> unread;  // what a scan of the cell chosen tells
  return has_cell(scan_dirax_text(bytes, CellChoice::kConventional, {}, &unread)) ||
         has_cell(scan_dirax_text(bytes, CellChoice::kInput, {}, &unread));
}

bool holds_dirax_cell_line(std::string_view bytes) {
  static constexpr textrec::LineKeywords kCellLines{"Conventional :", "{Input cell"};
  textrec::RecordReader reader(textrec::bytes_source(bytes));
  textrec::KeywordRecord found;
  return reader.next_record_starting(&found, kLineLength, kCellLines) == textrec::kStatusOk;
}

}  // namespace formats
