#include "formats/eosfit_file.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "common/safe_text.h"
#include "formats/pv_table.h"
#include "formats/reader_parts.h"

namespace formats {
namespace {

// The line without its comment and the blanks around it.
std::string_view significant(std::string_view line) {
  return common::trim(line.substr(0, line.find_first_of("!#")));
}

// Whether the line's first word is `keyword`, in any case.
bool opens_with(std::string_view line, std::string_view keyword) {
  if (line.size() < keyword.size()) return false;
  for (std::size_t i = 0; i < keyword.size(); ++i) {
    const char c = line[i];
    if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != keyword[i]) return false;
  }
  return line.size() == keyword.size() || line[keyword.size()] == ' ' ||
         line[keyword.size()] == '\t';
}

// The fields of a row: between blanks, tabs or commas.
std::vector<std::string_view> row_fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t at = 0;
  while (at < line.size()) {
    at = line.find_first_not_of(" \t,", at);
    if (at == std::string_view::npos) break;
    const std::size_t end = std::min(line.find_first_of(" \t,", at), line.size());
    fields.push_back(line.substr(at, end - at));
    at = end;
  }
  return fields;
}

// The columns a FORMAT line names, after its optional whole number.
common::Expected<std::vector<PvColumn>> format_columns(std::string_view line, int number) {
  std::vector<std::string_view> codes = row_fields(line.substr(6));
  if (!codes.empty() && codes.front().find_first_not_of("0123456789") == std::string_view::npos)
    codes.erase(codes.begin());
  auto columns = pv_columns(codes);
  if (!columns) return common::Error{number, "FORMAT: " + columns.error().message};
  return columns;
}

// The units a scale line may name, in upper case, and what they make of the
// values: pressures are read in GPa, volumes in cubic angstroms, lengths in
// angstroms and temperatures in kelvin.
struct UnitName {
  std::string_view keyword;
  std::string_view unit;
  int pressure_power = 0;    // PvUnits
  double kelvin_offset = 0;  // PvUnits
};

constexpr std::array<UnitName, 10> kUnits = {{{"PSCALE", "GPA"},
                                              {"PSCALE", "KBAR", -1},
                                              {"PSCALE", "MPA", -3},
                                              {"VSCALE", "A3"},
                                              {"VSCALE", "A^3"},
                                              {"VSCALE", "ANG3"},
                                              {"LSCALE", "A"},
                                              {"LSCALE", "ANG"},
                                              {"TSCALE", "K"},
                                              {"TSCALE", "C", 0, 273.15}}};

std::string upper(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// A scale line (PSCALE GPa, ...): its unit taken into `units`, or refused
// with the units read here.
common::Expected<void> take_scale(std::string_view keyword, std::string_view line, int number,
                                  PvUnits& units) {
  const std::string unit = upper(common::trim(line.substr(keyword.size())));
  std::string known;
  for (const UnitName& u : kUnits) {
    if (u.keyword != keyword) continue;
    if (u.unit == unit) {
      if (keyword == "PSCALE") units.pressure_power = u.pressure_power;
      if (keyword == "TSCALE") units.kelvin_offset = u.kelvin_offset;
      return {};
    }
    known += std::string(known.empty() ? "" : ", ") + std::string(u.unit);
  }
  return common::Error{number, std::string(keyword) + " names |" + common::safe_text(unit) +
                                   "|, not a unit read here (" + known + ")"};
}

// A DATATYPE line: volumes or cells are read; moduli, or data of a type not
// known here, are refused rather than read as volumes.
common::Expected<void> take_data_type(std::string_view line, int number) {
  const std::string type = upper(common::trim(line.substr(8)));
  for (const std::string_view read : {"VOLUME", "VOLUMES", "CELL", "CELLS"})
    if (type == read) return {};
  return common::Error{number, "DATATYPE |" + common::safe_text(type) +
                                   "|: only volumes or cells (DATATYPE VOLUME) are read here"};
}

// The control lines other than TITLE and FORMAT.
constexpr std::array<std::string_view, 5> kControls = {"PSCALE", "VSCALE", "LSCALE", "TSCALE",
                                                       "DATATYPE"};

bool is_control_line(std::string_view text) {
  return std::any_of(kControls.begin(), kControls.end(),
                     [&](std::string_view keyword) { return opens_with(text, keyword); });
}

// A line that opens with a word: a control line, never a row. TITLE and
// FORMAT are taken by the caller.
common::Expected<void> take_control(std::string_view text, int number, PvUnits& units) {
  for (const std::string_view scale : {"PSCALE", "VSCALE", "LSCALE", "TSCALE"})
    if (opens_with(text, scale)) return take_scale(scale, text, number, units);
  if (opens_with(text, "DATATYPE")) return take_data_type(text, number);
  return common::Error{number, std::string(row_fields(text).front()) + " is not a line read here"};
}

// A row as read, for its point once every control line is known.
struct Row {
  int number = 0;
  std::vector<std::string_view> fields;
};

}  // namespace

bool is_eosfit_file(std::string_view start) {
  LineCursor lines(start);
  bool titled = false;
  while (const auto line = lines.next()) {
    const std::string_view text = significant(*line);
    if (text.empty()) continue;
    if (!titled) {
      if (!opens_with(text, "TITLE")) return false;
      titled = true;
      continue;
    }
    if (opens_with(text, "FORMAT")) return true;
    if (!is_control_line(text)) return false;
  }
  return false;
}

common::Expected<CellRead> read_eosfit_file(std::string_view bytes, std::string_view source,
                                            const Interrupted& interrupted) {
  LineCursor lines(bytes);
  std::optional<std::vector<PvColumn>> columns;
  PvUnits units;
  std::vector<Row> rows;
  CellRead read;
  while (const auto line = lines.next()) {
    const int number = lines.line_number();
    if (asked_to_stop(interrupted, static_cast<std::size_t>(number)))
      return common::Error{0, "interrupted"};
    const std::string_view text = significant(*line);
    if (text.empty()) continue;
    const char first = text.front();
    if (!((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z'))) {
      if (!columns) return common::Error{number, "a row before the FORMAT line"};
      rows.push_back({number, row_fields(text)});
    } else if (opens_with(text, "TITLE")) {
      read.title = common::trim(text.substr(5));
    } else if (opens_with(text, "FORMAT")) {
      if (columns) return common::Error{number, "a second FORMAT line"};
      COMMON_TRY(named, format_columns(text, number));
      columns = std::move(named).value();
    } else {
      COMMON_TRY_VOID(take_control(text, number, units));
    }
  }
  if (!columns) return common::Error{0, "no FORMAT line"};
  for (const Row& row : rows) {
    if (row.fields.size() != columns->size()) {
      return common::Error{row.number, std::to_string(row.fields.size()) +
                                           " numbers where the FORMAT line names " +
                                           std::to_string(columns->size()) + " columns"};
    }
    COMMON_TRY(point, pv_point(row.fields, *columns, row.number,
                               std::string(source) + ":line " + std::to_string(row.number), units));
    read.entries.push_back(std::move(point).value());
  }
  if (read.entries.empty()) return common::Error{0, "no row gives a point"};
  return read;
}

}  // namespace formats
