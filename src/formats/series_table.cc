#include "formats/series_table.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "common/printable.h"
#include "formats/table_file.h"

namespace formats {

namespace {

using common::trim;

constexpr std::string_view kBlanks = " \t";

bool is_overflow(std::string_view field) {
  field = common::trim(field);
  return !field.empty() && field.find_first_not_of('*') == std::string_view::npos;
}

// A whole field as a finite number; a leading "+" is allowed.
std::optional<double> to_number(std::string_view field) {
  field = common::trim(field);
  if (!field.empty() && field.front() == '+') field.remove_prefix(1);
  double v = 0;
  const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), v);
  if (field.empty() || ec != std::errc() || end != field.data() + field.size() || !std::isfinite(v))
    return std::nullopt;
  return v;
}

// A field of a row as read, and what a message calls it.
struct RowField {
  std::string_view text;
  std::string name;   // "temperature", "column 3"
  std::string place;  // " (columns 1-6)", or nothing
  // A value of the cell (T a b c alpha beta gamma, in that order); otherwise
  // the field is only checked: as a number, or with `overflow_only` only for
  // the overflow form.
  bool value = true;
  bool overflow_only = false;
};

// The fields of a row made into a row of the series, the seven values T a b c
// alpha beta gamma taken in order; nothing when a field is in overflow form
// (the row is skipped, recorded in `series`); an error at the first field that
// is not a number, or when the values are no cell.
common::Expected<std::optional<SeriesRow>> row_of_fields(int line,
                                                         const std::vector<RowField>& fields,
                                                         Series& series) {
  std::array<double, 7> values{};
  std::size_t taken = 0;
  for (const RowField& field : fields) {
    if (is_overflow(field.text)) {
      series.skipped.push_back({line, field.name + " in overflow form (asterisks)"});
      return std::optional<SeriesRow>();
    }
    if (field.overflow_only) continue;
    const auto v = to_number(field.text);
    if (!v) {
      return common::Error{
          line, field.name + field.place + " is not a number: |" + std::string(field.text) + "|"};
    }
    if (field.value && taken < values.size()) values[taken++] = *v;
  }
  SeriesRow row{line, values[0],
                Cell{values[1], values[2], values[3], values[4], values[5], values[6]}};
  if (const auto fault = formats::cell_fault(row.cell)) return common::Error{line, *fault};
  return std::optional<SeriesRow>(row);
}

// One row of a korvex table, its columns where the table's writer puts them
// (table_file.h); the volume is not used, but a row whose volume is in overflow
// form holds no cell either.
common::Expected<std::optional<SeriesRow>> table_row(int line, std::string_view text,
                                                     Series& series) {
  const TableColumn& last = table_column("gamma");
  if (text.size() < last.from + last.width) {
    return common::Error{line, "a table row holds T a b c alpha beta gamma in columns 1-" +
                                   std::to_string(last.from + last.width) +
                                   "; this one ends at column " + std::to_string(text.size())};
  }
  const auto field = [&](const TableColumn& c) {
    return RowField{
        c.from < text.size() ? text.substr(c.from, c.width) : std::string_view(),
        std::string(c.name),
        " (columns " + std::to_string(c.from + 1) + "-" + std::to_string(c.from + c.width) + ")"};
  };
  std::vector<RowField> fields{field(table_column("temperature"))};
  RowField volume = field(table_column("volume"));
  volume.value = false;
  volume.overflow_only = true;
  fields.push_back(volume);
  for (const std::string_view name : {"a", "b", "c", "alpha", "beta", "gamma"})
    fields.push_back(field(table_column(name)));
  return row_of_fields(line, fields, series);
}

// One row of a whitespace table; `columns` is 0 until the first row fixes it.
common::Expected<std::optional<SeriesRow>> free_row(int line, std::string_view text,
                                                    std::size_t& columns, Series& series) {
  std::vector<RowField> fields;
  for (std::size_t at = text.find_first_not_of(kBlanks); at != std::string_view::npos;) {
    const std::size_t end = std::min(text.find_first_of(kBlanks, at), text.size());
    fields.push_back(
        {text.substr(at, end - at), "column " + std::to_string(fields.size() + 1), ""});
    at = text.find_first_not_of(kBlanks, end);
  }
  if (fields.size() != 7 && fields.size() != 8) {
    return common::Error{line,
                         "expected 7 columns (T a b c alpha beta gamma) or 8 (T sigma_T a b c "
                         "alpha beta gamma), found " +
                             std::to_string(fields.size())};
  }
  if (columns == 0) columns = fields.size();
  if (fields.size() != columns) {
    return common::Error{line, std::to_string(fields.size()) +
                                   " columns where the rows above have " + std::to_string(columns)};
  }
  if (columns == 8) fields[1].value = false;  // sigma_T is not used
  return row_of_fields(line, fields, series);
}

}  // namespace

common::Expected<Series> parse_series(std::string_view text) {
  Series series;
  std::optional<bool> korvex_table;  // decided by the first line that is not blank
  std::size_t columns = 0;
  int line = 0;
  while (!text.empty()) {
    ++line;
    const std::size_t end = text.find('\n');
    std::string_view record = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!record.empty() && record.back() == '\r') record.remove_suffix(1);
    if (record.find('\0') != std::string_view::npos)
      return common::Error{line, "a NUL byte: not a text file"};
    if (!korvex_table && !common::trim(record).empty()) korvex_table = record.front() == '!';
    if (!korvex_table) continue;
    if (*korvex_table) {
      if (record.starts_with('!') || common::trim(record).empty()) continue;
    } else {
      record = record.substr(0, record.find('#'));
      if (common::trim(record).empty()) continue;
    }
    const auto row =
        *korvex_table ? table_row(line, record, series) : free_row(line, record, columns, series);
    if (!row) return row.error();
    if (const std::optional<SeriesRow>& r = *row) series.rows.push_back(*r);
  }
  return series;
}

common::Expected<Series> read_series_file(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr)
    return common::Error{0, std::string("cannot open the file: ") + std::strerror(errno)};
  std::string bytes;
  char buffer[65536];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  const int failure = std::ferror(file) != 0 ? errno : 0;
  std::fclose(file);
  if (failure != 0)
    return common::Error{0, std::string("cannot read the file: ") + std::strerror(failure)};
  return parse_series(bytes);
}

}  // namespace formats
