#include "formats/cell_tables.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "formats/csv_table.h"
#include "formats/reader_parts.h"
#include "formats/series_table.h"
#include "formats/value_su.h"

namespace formats {
namespace {

std::string row_name(std::string_view source, int line) {
  return std::string(source) + ":line " + std::to_string(line);
}

// Column positions by name; -1 for a column the header does not name.
struct CsvColumns {
  int temperature = -1, temperature_su = -1, system = -1, lattice = -1;
  std::array<int, 6> cell{-1, -1, -1, -1, -1, -1};
  std::array<int, 6> su{-1, -1, -1, -1, -1, -1};
};

CsvColumns columns_of(const std::vector<std::string>& header) {
  const auto find = [&](std::string_view name) {
    for (std::size_t i = 0; i < header.size(); ++i)
      if (header[i] == name) return static_cast<int>(i);
    return -1;
  };
  CsvColumns columns;
  columns.temperature = find(kCsvColumns[0].name);
  for (std::size_t i = 0; i < 6; ++i) {
    columns.cell[i] = find(kCsvColumns[1 + i].name);
    columns.su[i] = find(kCsvColumns[10 + i].name);
  }
  columns.system = find(kCsvColumns[8].name);
  columns.lattice = find(kCsvColumns[9].name);
  columns.temperature_su = find(kCsvColumns[16].name);
  return columns;
}

common::Expected<crystal::CellEntry> csv_entry(const std::vector<std::string>& fields,
                                               const CsvColumns& columns, const std::string& name,
                                               int line) {
  // A column's number; nothing for an empty field or a column not there.
  const auto number = [&](int column, bool needed) -> common::Expected<std::optional<double>> {
    const std::string_view field = column >= 0 && static_cast<std::size_t>(column) < fields.size()
                                       ? std::string_view(fields[column])
                                       : std::string_view();
    if (field.empty()) {
      if (!needed) return std::optional<double>();
      return common::Error{line, "column " + std::to_string(column + 1) + " is empty"};
    }
    const auto value = parse_value_with_su(field);
    if (!value)
      return common::Error{
          line, "column " + std::to_string(column + 1) + " is not a number: " + std::string(field)};
    return std::optional<double>(value->value);
  };
  crystal::CellEntry entry;
  entry.source = name;
  COMMON_TRY(temperature, number(columns.temperature, true));
  entry.temperature = *temperature;
  COMMON_TRY(temperature_su, number(columns.temperature_su, false));
  entry.temperature_su = su_if_refined(*temperature_su);
  std::array<double, 6> values{};
  std::array<std::optional<double>, 6> sus;
  for (std::size_t i = 0; i < 6; ++i) {
    COMMON_TRY(value, number(columns.cell[i], true));
    values[i] = **value;
    COMMON_TRY(su, number(columns.su[i], false));
    sus[i] = su_if_refined(*su);
  }
  entry.cell = crystal::cell_of(values);
  entry.su = crystal::cell_su_of(sus);
  if (columns.system >= 0 && static_cast<std::size_t>(columns.system) < fields.size())
    entry.system = system_named(fields[columns.system]);
  if (columns.lattice >= 0 && static_cast<std::size_t>(columns.lattice) < fields.size())
    entry.lattice = lattice_of_symbol(fields[columns.lattice]);
  return checked_entry(std::move(entry), line);
}

}  // namespace

common::Expected<CellRead> read_series_cells(std::string_view bytes, std::string_view source,
                                             const Interrupted& interrupted) {
  // Each row made a point as it is read: a long table's rows and its points
  // are never held at once.
  CellRead read;
  read.entries.reserve(expected_lines(bytes));
  Series series;
  COMMON_TRY_VOID(parse_series_rows(
      bytes, series,
      [&read, source](SeriesRow&& row) {
        crystal::CellEntry& entry = read.entries.emplace_back();
        entry.source = row_name(source, row.line);
        entry.temperature = row.temperature;
        entry.temperature_su = row.temperature_su;
        entry.cell = row.cell;
        entry.su = row.su;
        entry.given = crystal::GivenTexts::of({row.given[1],
                                               row.given[2],
                                               row.given[3],
                                               row.given[4],
                                               row.given[5],
                                               row.given[6],
                                               row.given[0],
                                               {}});
      },
      interrupted));
  for (const SkippedRow& skipped : series.skipped) {
    read.warnings.push_back(
        {common::in_file(source, {skipped.line, "row skipped: " + skipped.reason}).message, false,
         skipped.line});
  }
  for (const std::string& note : series.notes)
    read.notes.push_back(std::string(source) + ": " + note);
  if (read.entries.empty()) return common::Error{0, "no row gives a cell"};
  return read;
}

common::Expected<CellRead> read_korvex_csv(std::string_view bytes, std::string_view source,
                                           const Interrupted& interrupted) {
  std::size_t at = 0;
  int line = 1;
  const auto header = read_csv_record(bytes, at, line);
  if (!header) return common::Error{1, "a quote in the header row is never closed"};
  const CsvColumns columns = columns_of(*header);
  for (std::size_t i = 0; i < 7; ++i) {
    const int column = i == 0 ? columns.temperature : columns.cell[i - 1];
    if (column < 0)
      return common::Error{1, "the header row names no column " + std::string(kCsvColumns[i].name)};
  }
  CellRead read;
  while (at < bytes.size()) {
    const int first_line = ++line;
    if (asked_to_stop(interrupted, static_cast<std::size_t>(first_line)))
      return common::Error{0, "interrupted"};
    const auto fields = read_csv_record(bytes, at, line);
    if (!fields) return common::Error{first_line, "a quote that is never closed"};
    if (fields->size() == 1 && (*fields)[0].empty()) continue;  // a blank line
    COMMON_TRY(entry, csv_entry(*fields, columns, row_name(source, first_line), first_line));
    read.entries.push_back(std::move(entry).value());
  }
  if (read.entries.empty()) return common::Error{0, "no row gives a cell"};
  return read;
}

}  // namespace formats
