#include "formats/series_table.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

#include "common/files.h"
#include "common/safe_text.h"
#include "formats/reader_parts.h"
#include "formats/table_file.h"
#include "formats/table_header.h"
#include "formats/value_su.h"

namespace formats {

namespace {

using common::trim;

bool is_overflow(std::string_view field) {
  field = common::trim(field);
  return !field.empty() && field.find_first_not_of('*') == std::string_view::npos;
}

// "a", "a and volume", "temperature, a and volume".
std::string names_text(const std::vector<std::string>& names) {
  std::string s;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) s += i + 1 == names.size() ? " and " : ", ";
    s += names[i];
  }
  return s;
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
  // Its value's place among T a b c alpha beta gamma (0 to 6); any other is
  // checked for the overflow form only.
  int slot = 0;
  bool su = false;          // the SU of that value, a plain number
  bool su_allowed = false;  // "5.1(2)" as a value with its SU
};

// A field's value, with its SU where the field is allowed one.
std::optional<ValueWithSu> value_of(const RowField& field) {
  if (field.su_allowed) return parse_value_with_su(field.text);
  if (const auto number = to_number(field.text)) return ValueWithSu{*number, std::nullopt};
  return std::nullopt;
}

// The fields of a row made into a row of the series; nothing when a field is
// in overflow form (the row is skipped, recorded in `series`); an error at the
// first field that is not a number, or when the values are no cell. A value's
// SU is kept where it was refined; an SU column's takes the place of the
// value's own.
common::Expected<std::optional<SeriesRow>> row_of_fields(int line,
                                                         const std::vector<RowField>& fields,
                                                         Series& series) {
  std::array<ValueWithSu, 7> values{};
  std::vector<std::string> overflowed;
  // A volume in overflow form leaves the cell whole: the volume follows from it.
  for (const RowField& field : fields)
    if (field.slot >= 0 && field.slot < 7 && is_overflow(field.text))
      overflowed.push_back(field.name);
  if (!overflowed.empty()) {
    series.skipped.push_back({line, names_text(overflowed) + " in overflow form (asterisks)"});
    return std::optional<SeriesRow>();
  }
  std::array<std::optional<double>, 7> su_columns;
  std::array<crystal::GivenText, 7> given_texts;
  for (const RowField& field : fields) {
    if (field.slot < 0 || field.slot >= 7) continue;
    const std::optional<ValueWithSu> v = value_of(field);
    if (!v) {
      return common::Error{
          line, field.name + field.place + " is not a number: |" + std::string(field.text) + "|"};
    }
    if (field.su && v->value < 0)
      return common::Error{line,
                           field.name + " is an SU, and negative: " + std::string(field.text)};
    crystal::GivenText& given = given_texts[static_cast<std::size_t>(field.slot)];
    (field.su ? given.su : given.value) = common::trim(field.text);
    (field.su ? su_columns[static_cast<std::size_t>(field.slot)]
              : values[static_cast<std::size_t>(field.slot)].su) = field.su ? v->value : v->su;
    if (!field.su) values[static_cast<std::size_t>(field.slot)].value = v->value;
  }
  for (std::size_t i = 0; i < values.size(); ++i)
    if (su_columns[i]) values[i].su = su_columns[i];
  SeriesRow row{line,
                values[0].value,
                crystal::Cell{values[1].value, values[2].value, values[3].value, values[4].value,
                              values[5].value, values[6].value},
                su_if_refined(values[0].su),
                {},
                std::move(given_texts)};
  std::array<std::optional<double>, 6> sus;
  for (std::size_t i = 0; i < sus.size(); ++i) sus[i] = su_if_refined(values[i + 1].su);
  row.su = crystal::cell_su_of(sus);
  if (const auto cell = crystal::check_cell(row.cell); !cell)
    return common::Error{line, cell.error().message};
  if (const auto temperature = crystal::check_temperature(row.temperature); !temperature)
    return common::Error{line, temperature.error().message};
  return std::optional<SeriesRow>(row);
}

// One row of a korvex table, its columns where the table's writer puts them
// (table_file.h); the volume is not read: it follows from the six parameters,
// also where its field holds asterisks.
common::Expected<std::optional<SeriesRow>> table_row(int line, std::string_view text,
                                                     Series& series) {
  const TableColumn& last = table_column("gamma");
  if (text.size() < last.from + last.width) {
    return common::Error{line, "a table row holds T a b c alpha beta gamma in columns 1-" +
                                   std::to_string(last.from + last.width) +
                                   "; this one ends at column " + std::to_string(text.size())};
  }
  // The fields' columns, names and places, made once: a table's rows are many.
  static const std::vector<std::pair<TableColumn, RowField>> kFields = [] {
    std::vector<std::pair<TableColumn, RowField>> named;
    int slot = 0;
    for (const std::string_view name :
         {"temperature", "a", "b", "c", "alpha", "beta", "gamma", "volume"}) {
      const TableColumn& c = table_column(name);
      named.push_back({c,
                       {{},
                        std::string(c.name),
                        " (columns " + std::to_string(c.from + 1) + "-" +
                            std::to_string(c.from + c.width) + ")",
                        slot++}});
    }
    return named;
  }();
  std::vector<RowField> fields;
  fields.reserve(kFields.size());
  for (const auto& [c, field] : kFields) {
    fields.push_back(field);
    fields.back().text = c.from < text.size() ? text.substr(c.from, c.width) : std::string_view();
  }
  return row_of_fields(line, fields, series);
}

// The fields of a line: between commas where the table's first row has one
// (fields trimmed), else between blanks or tabs.
std::vector<std::string_view> split_row(std::string_view text, bool commas) {
  if (!commas) return fields_of(text);
  std::vector<std::string_view> fields;
  for (std::size_t at = 0;;) {
    const std::size_t end = std::min(text.find(',', at), text.size());
    fields.push_back(trim(text.substr(at, end - at)));
    if (end == text.size()) return fields;
    at = end + 1;
  }
}

// A row of a free table: its line and its text, split into its fields
// where they are read, so that a long table's fields are never all held.
struct FreeRow {
  int line = 0;
  bool commas = false;  // as the table's first row decides
  std::string_view text;

  [[nodiscard]] std::vector<std::string_view> fields() const { return split_row(text, commas); }
};

// The columns of a free table and what each holds.
constexpr const char* kSevenColumns = "T a b c alpha beta gamma";
constexpr const char* kSigmaColumns = "T sigma_T a b c alpha beta gamma";
constexpr const char* kVolumeColumns = "T a b c alpha beta gamma V";

std::vector<ColumnRole> layout_roles(std::string_view layout) {
  if (layout == kSigmaColumns)
    return {{0, false}, {0, true},  {1, false}, {2, false},
            {3, false}, {4, false}, {5, false}, {6, false}};
  const int columns = layout == kVolumeColumns ? 8 : 7;
  std::vector<ColumnRole> roles;
  roles.reserve(static_cast<std::size_t>(columns));
  for (int slot = 0; slot < columns; ++slot) roles.push_back({slot, false});
  return roles;
}

// Half a unit in the last decimal written, relative to the value: how far
// the value may be from what was rounded to it.
double rounding(std::string_view text, double value) {
  const std::size_t point = text.find('.');
  int decimals = 0;
  if (point != std::string_view::npos)
    while (point + 1 + decimals < text.size() &&
           std::isdigit(static_cast<unsigned char>(text[point + 1 + decimals])) != 0)
      ++decimals;
  return 0.5 * std::pow(10.0, -decimals) / std::fabs(value);
}

// Whether every field of a row is a number, with or without its SU: a row
// that can take part in deciding the layout.
bool all_numbers(const std::vector<std::string_view>& fields) {
  return std::all_of(fields.begin(), fields.end(),
                     [](std::string_view f) { return parse_value_with_su(f).has_value(); });
}

// Whether the 8th column of every row is the volume of columns 2-7: within
// 1e-4 relative, or within the rounding of the values as written. A row with
// a field that is no number (or in overflow form) holds no evidence either
// way: read_rows tells it with its line and column.
bool volume_in_last_column(const std::vector<FreeRow>& rows) {
  std::size_t seen = 0;
  for (const FreeRow& row : rows) {
    // A row of another width is for read_rows to tell.
    const std::vector<std::string_view> fields = row.fields();
    if (fields.size() != 8 || !all_numbers(fields)) continue;
    std::array<double, 8> v{};
    for (std::size_t i = 0; i < v.size(); ++i) v[i] = parse_value_with_su(fields[i])->value;
    const double volume = crystal::cell_volume(crystal::Cell{v[1], v[2], v[3], v[4], v[5], v[6]});
    double tolerance = 1e-4 + rounding(fields[7], v[7]);
    for (std::size_t i = 1; i <= 3; ++i) tolerance += rounding(fields[i], v[i]);
    if (!(volume > 0) || !(std::fabs(v[7] - volume) <= tolerance * volume)) return false;
    ++seen;
  }
  return seen > 0;
}

// The rows, each column holding what its role says; a value may carry its SU
// in parentheses.
common::Expected<void> read_rows(const std::vector<FreeRow>& rows,
                                 const std::vector<ColumnRole>& roles, Series& series,
                                 const RowSink& take, const Interrupted& interrupted) {
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const FreeRow& row = rows[r];
    if (asked_to_stop(interrupted, r + 1)) return common::Error{0, "interrupted"};
    const std::vector<std::string_view> texts = row.fields();
    if (texts.size() != roles.size()) {
      return common::Error{row.line, std::to_string(texts.size()) +
                                         " columns where the rows above have " +
                                         std::to_string(roles.size())};
    }
    std::vector<RowField> fields;
    for (std::size_t i = 0; i < roles.size(); ++i) {
      fields.push_back({texts[i], "column " + std::to_string(i + 1), "",
                        roles[i].slot < kVolumeSlot ? roles[i].slot : -1, roles[i].su,
                        !roles[i].su});
    }
    COMMON_TRY(read, row_of_fields(row.line, fields, series));
    if (std::optional<SeriesRow>& r = read.value()) take(std::move(*r));
  }
  return {};
}

// The rows of a table without a header: 7 columns, or 8 read on evidence.
common::Expected<void> read_unnamed(const std::vector<FreeRow>& rows, Series& series,
                                    const RowSink& take, const Interrupted& interrupted) {
  const std::size_t columns = rows.front().fields().size();
  if (columns != 7 && columns != 8) {
    return common::Error{rows.front().line, std::string("expected 7 columns (") + kSevenColumns +
                                                ") or 8 (" + kSigmaColumns + ", or " +
                                                kVolumeColumns + "), found " +
                                                std::to_string(columns)};
  }
  if (columns == 7) return read_rows(rows, layout_roles(kSevenColumns), series, take, interrupted);
  if (volume_in_last_column(rows)) {
    series.notes.push_back(std::string("8 columns read as ") + kVolumeColumns +
                           ": the 8th is the volume of columns 2-7 on every row");
    return read_rows(rows, layout_roles(kVolumeColumns), series, take, interrupted);
  }
  auto read = read_rows(rows, layout_roles(kSigmaColumns), series, take, interrupted);
  if (read) return read;
  // A value that is no number is at fault in either layout; a row of numbers
  // that is no cell in this one blames the layout.
  const auto failed = std::find_if(
      rows.begin(), rows.end(), [&](const FreeRow& row) { return row.line == read.error().line; });
  if (failed == rows.end() || !all_numbers(failed->fields())) return read;
  return common::Error{read.error().line, read.error().message + ": 8 columns are " +
                                              kSigmaColumns + " or " + kVolumeColumns +
                                              ", and the rows fit neither (the 8th column "
                                              "is not the volume of columns 2-7)"};
}

// The rows of a whitespace or comma-separated table, a header row first
// where there is one.
common::Expected<void> read_free_table(std::vector<FreeRow> rows, Series& series,
                                       const RowSink& take, const Interrupted& interrupted) {
  if (rows.empty()) return {};
  const std::vector<std::string_view> first = rows.front().fields();
  if (!is_header_row(first)) return read_unnamed(rows, series, take, interrupted);
  const auto roles = header_roles(first);
  if (!roles) return common::Error{rows.front().line, roles.error().message};
  rows.erase(rows.begin());
  return read_rows(rows, *roles, series, take, interrupted);
}

}  // namespace

common::Expected<void> parse_series_rows(std::string_view bytes, Series& series,
                                         const RowSink& take, const Interrupted& interrupted) {
  std::string storage;
  std::string_view text = plain_text(bytes, storage);
  std::optional<bool> korvex_table;  // decided by the first line that is not blank
  std::optional<bool> commas;        // decided by the first row of a free table
  std::vector<FreeRow> free_rows;
  int line = 0;
  while (!text.empty()) {
    if (asked_to_stop(interrupted, static_cast<std::size_t>(++line)))
      return common::Error{0, "interrupted"};
    const std::size_t end = text.find('\n');
    std::string_view record = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    // Every CR before the LF belongs to the line end: CR LF, and CR CR LF
    // from a file converted twice.
    while (!record.empty() && record.back() == '\r') record.remove_suffix(1);
    if (record.find('\0') != std::string_view::npos)
      return common::Error{line, "a NUL byte: not a text file"};
    if (!korvex_table && !common::trim(record).empty()) korvex_table = record.front() == '!';
    if (!korvex_table) continue;
    if (*korvex_table) {
      if (record.starts_with('!') || common::trim(record).empty()) continue;
      COMMON_TRY(row, table_row(line, record, series));
      if (std::optional<SeriesRow>& r = row.value()) take(std::move(*r));
      continue;
    }
    record = record.substr(0, record.find('#'));
    if (common::trim(record).empty()) continue;
    if (!commas) commas = record.find(',') != std::string_view::npos;
    free_rows.push_back({line, *commas, record});
  }
  return read_free_table(std::move(free_rows), series, take, interrupted);
}

common::Expected<Series> parse_series(std::string_view bytes, const Interrupted& interrupted) {
  Series series;
  // A row a line at most: the rows are made in place, never moved.
  series.rows.reserve(expected_lines(bytes));
  COMMON_TRY_VOID(parse_series_rows(
      bytes, series, [&series](SeriesRow&& row) { series.rows.push_back(std::move(row)); },
      interrupted));
  return series;
}

std::size_t expected_lines(std::string_view bytes) {
  const auto count = [bytes](char c) {
    return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), c));
  };
  const std::size_t feeds = count('\n');
  return (feeds > 0 ? feeds : count('\r')) + 1;
}

bool opens_free_table(std::string_view line) {
  line = line.substr(0, line.find('#'));
  const std::vector<std::string_view> fields =
      split_row(line, line.find(',') != std::string_view::npos);
  // A header names T and the six parameters at least.
  if (fields.size() < 7) return false;
  if (is_header_row(fields)) return header_roles(fields).has_value();
  return fields.size() <= 8 && std::all_of(fields.begin(), fields.end(), [](std::string_view f) {
           return is_overflow(f) || parse_value_with_su(f).has_value();
         });
}

common::Expected<Series> read_series_file(const std::string& path) {
  COMMON_TRY(bytes, common::read_whole_file(path));
  return parse_series(*bytes);
}

}  // namespace formats
