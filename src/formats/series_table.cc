#include "formats/series_table.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

#include "common/files.h"
#include "common/safe_text.h"
#include "formats/reader_parts.h"
#include "formats/table_file.h"
#include "formats/value_su.h"

namespace formats {

namespace {

using common::trim;

constexpr std::string_view kBlanks = " \t";

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
  enum class Use {
    kValue,          // the next of the values T a b c alpha beta gamma
    kTemperatureSu,  // sigma_T, a number
  } use = Use::kValue;
  bool su_allowed = false;  // "5.1(2)" as a value with its SU
};

// The fields of a row made into a row of the series; nothing when a field is
// in overflow form (the row is skipped, recorded in `series`); an error at the
// first field that is not a number, or when the values are no cell. A value's
// SU is kept where it was refined; the temperature's SU is sigma_T's, else
// that of the temperature's own field.
common::Expected<std::optional<SeriesRow>> row_of_fields(int line,
                                                         const std::vector<RowField>& fields,
                                                         Series& series) {
  std::array<ValueWithSu, 7> values{};
  std::optional<double> sigma_t;
  std::size_t taken = 0;
  std::vector<std::string> overflowed;
  for (const RowField& field : fields)
    if (is_overflow(field.text)) overflowed.push_back(field.name);
  if (!overflowed.empty()) {
    series.skipped.push_back({line, names_text(overflowed) + " in overflow form (asterisks)"});
    return std::optional<SeriesRow>();
  }
  for (const RowField& field : fields) {
    std::optional<ValueWithSu> v;
    if (field.su_allowed) {
      v = parse_value_with_su(field.text);
    } else if (const auto number = to_number(field.text)) {
      v = ValueWithSu{*number, std::nullopt};
    }
    if (!v) {
      return common::Error{
          line, field.name + field.place + " is not a number: |" + std::string(field.text) + "|"};
    }
    if (field.use == RowField::Use::kTemperatureSu) {
      sigma_t = v->value;
    } else if (taken < values.size()) {
      values[taken++] = *v;
    }
  }
  SeriesRow row{line,
                values[0].value,
                crystal::Cell{values[1].value, values[2].value, values[3].value, values[4].value,
                              values[5].value, values[6].value},
                su_if_refined(sigma_t ? sigma_t : values[0].su),
                {}};
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
  const auto field = [&](std::string_view name) {
    const TableColumn& c = table_column(name);
    return RowField{
        c.from < text.size() ? text.substr(c.from, c.width) : std::string_view(),
        std::string(c.name),
        " (columns " + std::to_string(c.from + 1) + "-" + std::to_string(c.from + c.width) + ")"};
  };
  std::vector<RowField> fields;
  for (const std::string_view name : {"temperature", "a", "b", "c", "alpha", "beta", "gamma"})
    fields.push_back(field(name));
  return row_of_fields(line, fields, series);
}

// One row of a whitespace table; `columns` is 0 until the first row fixes it.
common::Expected<std::optional<SeriesRow>> free_row(int line, std::string_view text,
                                                    std::size_t& columns, Series& series) {
  std::vector<RowField> fields;
  for (std::size_t at = text.find_first_not_of(kBlanks); at != std::string_view::npos;) {
    const std::size_t end = std::min(text.find_first_of(kBlanks, at), text.size());
    fields.push_back({text.substr(at, end - at), "column " + std::to_string(fields.size() + 1), "",
                      RowField::Use::kValue, true});
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
  if (columns == 8) fields[1].use = RowField::Use::kTemperatureSu;
  return row_of_fields(line, fields, series);
}

}  // namespace

common::Expected<Series> parse_series(std::string_view bytes) {
  std::string storage;
  std::string_view text = plain_text(bytes, storage);
  Series series;
  std::optional<bool> korvex_table;  // decided by the first line that is not blank
  std::size_t columns = 0;
  int line = 0;
  while (!text.empty()) {
    ++line;
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
