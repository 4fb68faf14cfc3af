#include "formats/series_table.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>

#include "common/files.h"
#include "common/safe_text.h"
#include "formats/value_su.h"

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

// The seven values T a b c alpha beta gamma made into a row, or the reason
// they are not one.
common::Expected<SeriesRow> make_row(int line, const std::array<double, 7>& v) {
  SeriesRow row{line, v[0], Cell{v[1], v[2], v[3], v[4], v[5], v[6]}, std::nullopt, CellSu{}};
  if (const auto fault = formats::cell_fault(row.cell)) return common::Error{line, *fault};
  return row;
}

struct Field {
  std::size_t from;
  std::size_t width;
  const char* name;
};
constexpr std::array<Field, 7> kTableFields = {{{0, 6, "temperature"},
                                                {6, 12, "a"},
                                                {18, 12, "b"},
                                                {30, 12, "c"},
                                                {42, 12, "alpha"},
                                                {54, 12, "beta"},
                                                {66, 12, "gamma"}}};
constexpr Field kVolumeField = {78, 13, "volume"};

// One row of a korvex table; nothing when the row is skipped (recorded in
// `series`).
common::Expected<std::optional<SeriesRow>> table_row(int line, std::string_view text,
                                                     Series& series) {
  const Field& last = kTableFields.back();
  if (text.size() < last.from + last.width) {
    return common::Error{line,
                         "a table row holds T a b c alpha beta gamma in columns 1-78; this one "
                         "ends at column " +
                             std::to_string(text.size())};
  }
  std::array<double, 7> values{};
  for (std::size_t i = 0; i < kTableFields.size(); ++i) {
    const Field& f = kTableFields[i];
    const std::string_view field = text.substr(f.from, f.width);
    if (is_overflow(field) ||
        (i == 0 && is_overflow(text.substr(kVolumeField.from, kVolumeField.width)))) {
      const char* name = is_overflow(field) ? f.name : kVolumeField.name;
      series.skipped.push_back({line, std::string(name) + " in overflow form (asterisks)"});
      return std::optional<SeriesRow>();
    }
    const auto v = to_number(field);
    if (!v) {
      return common::Error{line, std::string(f.name) + " (columns " + std::to_string(f.from + 1) +
                                     "-" + std::to_string(f.from + f.width) +
                                     ") is not a number: |" + std::string(field) + "|"};
    }
    values[i] = *v;
  }
  auto row = make_row(line, values);
  if (!row) return row.error();
  return std::optional<SeriesRow>(*row);
}

// One row of a whitespace table; `columns` is 0 until the first row fixes it.
common::Expected<std::optional<SeriesRow>> free_row(int line, std::string_view text,
                                                    std::size_t& columns, Series& series) {
  std::vector<std::string_view> tokens;
  for (std::size_t at = text.find_first_not_of(kBlanks); at != std::string_view::npos;) {
    const std::size_t end = std::min(text.find_first_of(kBlanks, at), text.size());
    tokens.push_back(text.substr(at, end - at));
    at = text.find_first_not_of(kBlanks, end);
  }
  if (tokens.size() != 7 && tokens.size() != 8) {
    return common::Error{line,
                         "expected 7 columns (T a b c alpha beta gamma) or 8 (T sigma_T a b c "
                         "alpha beta gamma), found " +
                             std::to_string(tokens.size())};
  }
  if (columns == 0) columns = tokens.size();
  if (tokens.size() != columns) {
    return common::Error{line, std::to_string(tokens.size()) +
                                   " columns where the rows above have " + std::to_string(columns)};
  }
  std::array<ValueWithSu, 7> values{};
  std::optional<double> sigma_t;
  for (std::size_t i = 0, k = 0; i < tokens.size(); ++i) {
    if (is_overflow(tokens[i])) {
      series.skipped.push_back(
          {line, "column " + std::to_string(i + 1) + " in overflow form (asterisks)"});
      return std::optional<SeriesRow>();
    }
    const auto v = parse_value_with_su(tokens[i]);
    if (!v) {
      return common::Error{line, "column " + std::to_string(i + 1) + " is not a number: |" +
                                     std::string(tokens[i]) + "|"};
    }
    if (columns == 8 && i == 1) {
      sigma_t = v->value;
      continue;
    }
    values[k++] = *v;
  }
  std::array<double, 7> numbers{};
  std::array<std::optional<double>, 6> sus;
  for (std::size_t i = 0; i < values.size(); ++i) {
    numbers[i] = values[i].value;
    if (i > 0) sus[i - 1] = su_if_refined(values[i].su);
  }
  auto row = make_row(line, numbers);
  if (!row) return row.error();
  row.value().temperature_su = su_if_refined(columns == 8 ? sigma_t : values[0].su);
  row.value().su = cell_su_of(sus);
  return std::optional<SeriesRow>(*row);
}

}  // namespace

common::Expected<Series> parse_series(std::string_view text) {
  // A byte-order mark, as some editors write at the start of a UTF-8 file.
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
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
  const common::Expected<std::string> bytes = common::read_whole_file(path);
  if (!bytes) return bytes.error();
  return parse_series(*bytes);
}

}  // namespace formats
