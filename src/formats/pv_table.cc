#include "formats/pv_table.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "common/number_text.h"
#include "common/safe_text.h"
#include "formats/reader_parts.h"
#include "formats/table_header.h"
#include "formats/value_su.h"

namespace formats {
namespace {

struct Named {
  std::string_view name;
  PvQuantity quantity;
};

constexpr std::array<Named, 20> kNames = {{{"p", PvQuantity::kPressure},
                                           {"pressure", PvQuantity::kPressure},
                                           {"v", PvQuantity::kVolume},
                                           {"vol", PvQuantity::kVolume},
                                           {"volume", PvQuantity::kVolume},
                                           {"a", PvQuantity::kA},
                                           {"b", PvQuantity::kB},
                                           {"c", PvQuantity::kC},
                                           {"alpha", PvQuantity::kAlpha},
                                           {"al", PvQuantity::kAlpha},
                                           {"beta", PvQuantity::kBeta},
                                           {"be", PvQuantity::kBeta},
                                           {"gamma", PvQuantity::kGamma},
                                           {"ga", PvQuantity::kGamma},
                                           {"t", PvQuantity::kTemperature},
                                           {"temp", PvQuantity::kTemperature},
                                           {"temperature", PvQuantity::kTemperature},
                                           {"\xCE\xB1", PvQuantity::kAlpha},
                                           {"\xCE\xB2", PvQuantity::kBeta},
                                           {"\xCE\xB3", PvQuantity::kGamma}}};

// The quantities as messages name them, in PvQuantity's order.
constexpr std::array<const char*, 9> kShown = {"p",     "V",    "a",     "b", "c",
                                               "alpha", "beta", "gamma", "T"};

const char* shown(PvQuantity q) {
  return kShown[static_cast<std::size_t>(q)];
}

std::optional<PvQuantity> quantity_named(std::string_view name) {
  for (const Named& n : kNames)
    if (n.name == name) return n.quantity;
  return std::nullopt;
}

// The name as a column or SU of one: "sigma_p", "SIGV", "a_su", "sa".
std::optional<PvColumn> column_of(std::string_view name) {
  if (const auto q = quantity_named(name)) return PvColumn{*q, false};
  static constexpr std::array<std::string_view, 5> kBefore = {"sigma_", "sigma", "sig", "su_",
                                                              "esd_"};
  static constexpr std::array<std::string_view, 2> kAfter = {"_su", "_esd"};
  for (const std::string_view p : kBefore)
    if (name.starts_with(p))
      if (const auto q = quantity_named(name.substr(p.size()))) return PvColumn{*q, true};
  for (const std::string_view s : kAfter)
    if (name.ends_with(s))
      if (const auto q = quantity_named(name.substr(0, name.size() - s.size())))
        return PvColumn{*q, true};
  if (name.size() > 1 && name.front() == 's')
    if (const auto q = quantity_named(name.substr(1))) return PvColumn{*q, true};
  return std::nullopt;
}

// The fields of a line: between commas where `commas`, else between blanks
// or tabs; a "#" and what follows are a comment.
std::vector<std::string_view> row_fields(std::string_view line, bool commas) {
  line = line.substr(0, line.find('#'));
  if (!commas) return fields_of(line);
  std::vector<std::string_view> fields;
  for (std::size_t at = 0;;) {
    const std::size_t end = std::min(line.find(',', at), line.size());
    fields.push_back(common::trim(line.substr(at, end - at)));
    if (end == line.size()) return fields;
    at = end + 1;
  }
}

// A row's values by quantity, each with its SU; an error naming the column.
struct RowValues {
  std::array<std::optional<double>, 9> value;
  std::array<std::optional<double>, 9> su;
};

common::Expected<RowValues> values_of(const std::vector<std::string_view>& fields,
                                      const std::vector<PvColumn>& columns, int line) {
  RowValues row;
  std::array<bool, 9> su_column{};
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const auto q = static_cast<std::size_t>(columns[i].quantity);
    const std::string name = "column " + std::to_string(i + 1) + " (" +
                             (columns[i].su ? "the SU of " : "") + kShown[q] + ")";
    // An empty SU field (CSV) gives no SU.
    if (columns[i].su && fields[i].empty()) continue;
    const std::optional<ValueWithSu> v = parse_value_with_su(fields[i]);
    if (!v || (columns[i].su && v->su))
      return common::Error{line, name + " is not a number: |" + std::string(fields[i]) + "|"};
    if (columns[i].su) {
      if (v->value < 0)
        return common::Error{line, name + " is negative: " + std::string(fields[i])};
      row.su[q] = v->value;
      su_column[q] = true;
    } else {
      row.value[q] = v->value;
      if (!su_column[q]) row.su[q] = v->su;
    }
  }
  return row;
}

// A pressure's SU may exceed it only near zero: a gauge read at ambient
// pressure.
constexpr double kNearAmbient = 0.01;  // GPa

common::Expected<void> check_pressure(double p, std::optional<double> su, int line) {
  if (su && *su > std::abs(p) && !(std::abs(p) < kNearAmbient)) {
    return common::Error{line, "the SU of the pressure, " + common::shortest(*su) +
                                   " GPa, is larger than its value"};
  }
  return {};
}

common::Expected<void> check_volume(double v, std::optional<double> su, int line) {
  if (!(v > 0))
    return common::Error{line, "the volume " + common::shortest(v) + " is not positive"};
  if (su && *su > v) {
    return common::Error{
        line, "the SU of the volume, " + common::shortest(*su) + ", is larger than its value"};
  }
  return {};
}

// The cell parameters given: a whole cell is checked as a cell; of some, each
// is checked in a cell whose others are plain.
common::Expected<void> take_cell(const RowValues& row, int line, crystal::CellEntry& entry) {
  std::array<double, 6> values{};
  std::array<double, 6> probe = {1, 1, 1, 90, 90, 90};
  std::array<std::optional<double>, 6> sus;
  int given = 0;
  for (std::size_t i = 0; i < 6; ++i) {
    const std::size_t q = static_cast<std::size_t>(PvQuantity::kA) + i;
    if (!row.value[q]) continue;
    ++given;
    values[i] = probe[i] = *row.value[q];
    sus[i] = su_if_refined(row.su[q]);
    if (sus[i] && *sus[i] > std::abs(values[i])) {
      return common::Error{line, std::string("the SU of ") + crystal::kCellParameterNames[i] +
                                     ", " + common::shortest(*sus[i]) +
                                     ", is larger than its value"};
    }
  }
  entry.has_cell = given == 6;
  entry.cell = crystal::cell_of(values);
  entry.su = crystal::cell_su_of(sus);
  if (given == 0) return {};
  if (const auto cell = crystal::check_cell(crystal::cell_of(probe)); !cell)
    return common::Error{line, cell.error().message};
  return {};
}

}  // namespace

std::optional<PvColumn> pv_column_named(std::string_view name) {
  // Lower case, without quotes and a unit; a longer name is none of those read.
  std::array<char, 32> buffer{};
  std::size_t size = 0;
  for (const char c : name) {
    if (c == '"' || c == '\'') continue;
    if (c == '(' || c == '[' || c == '/') break;
    if (size == buffer.size()) return std::nullopt;
    buffer[size++] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  }
  std::string_view plain(buffer.data(), size);
  while (!plain.empty() && (plain.back() == ' ' || plain.back() == '\t')) plain.remove_suffix(1);
  while (!plain.empty() && (plain.front() == ' ' || plain.front() == '\t')) plain.remove_prefix(1);
  if (const auto column = column_of(plain)) return column;
  static constexpr std::array<std::string_view, 5> kUnits = {"_gpa", "_a3", "_a", "_deg", "_k"};
  for (const std::string_view unit : kUnits)
    if (plain.ends_with(unit))
      if (const auto column = column_of(plain.substr(0, plain.size() - unit.size()))) return column;
  return std::nullopt;
}

common::Expected<std::vector<PvColumn>> pv_columns(const std::vector<std::string_view>& names) {
  std::vector<PvColumn> columns;
  std::array<int, 9> values{}, sus{};
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::optional<PvColumn> column = pv_column_named(names[i]);
    const std::string which = "column " + std::to_string(i + 1);
    if (!column) {
      return common::Error{0, which + " is named |" + std::string(names[i]) +
                                  "|, not one of p V a b c alpha beta gamma T or an SU of one "
                                  "(sigma_p, SIGV)"};
    }
    if (++(column->su ? sus : values)[static_cast<std::size_t>(column->quantity)] > 1) {
      return common::Error{0, which + " names " + (column->su ? "the SU of " : "") +
                                  shown(column->quantity) + " again"};
    }
    columns.push_back(*column);
  }
  if (values[static_cast<std::size_t>(PvQuantity::kPressure)] == 0)
    return common::Error{0, "no column names the pressure p"};
  const bool cell =
      std::all_of(values.begin() + 2, values.begin() + 8, [](int n) { return n > 0; });
  if (values[static_cast<std::size_t>(PvQuantity::kVolume)] == 0 && !cell)
    return common::Error{0, "no column names the volume V, nor all of a b c alpha beta gamma"};
  return columns;
}

common::Expected<crystal::CellEntry> pv_point(const std::vector<std::string_view>& fields,
                                              const std::vector<PvColumn>& columns, int line,
                                              std::string point, PvUnits units) {
  auto row = values_of(fields, columns, line);
  if (!row) return row.error();
  const auto at = [&](PvQuantity q) { return static_cast<std::size_t>(q); };
  for (auto* pressure :
       {&row->value[at(PvQuantity::kPressure)], &row->su[at(PvQuantity::kPressure)]})
    if (*pressure && units.pressure_power != 0)
      *pressure = scaled_decimal(**pressure, units.pressure_power);
  if (auto& temperature = row->value[at(PvQuantity::kTemperature)])
    *temperature += units.kelvin_offset;
  crystal::CellEntry entry;
  entry.source = std::move(point);
  const std::size_t p = at(PvQuantity::kPressure), v = at(PvQuantity::kVolume);
  if (!row->value[p]) return common::Error{line, "no pressure"};
  entry.pressure = row->value[p];
  entry.pressure_su = row->su[p];
  if (auto checked = check_pressure(*entry.pressure, entry.pressure_su, line); !checked)
    return checked.error();
  if (row->value[v]) {
    entry.volume = row->value[v];
    entry.volume_su = row->su[v];
    if (auto checked = check_volume(*entry.volume, entry.volume_su, line); !checked)
      return checked.error();
  }
  if (auto cell = take_cell(*row, line, entry); !cell) return cell.error();
  const std::size_t t = at(PvQuantity::kTemperature);
  if (row->value[t]) {
    entry.temperature = row->value[t];
    entry.temperature_su = su_if_refined(row->su[t]);
    if (const auto checked = crystal::check_temperature(*entry.temperature); !checked)
      return common::Error{line, checked.error().message};
  }
  return entry;
}

bool is_pv_header(std::string_view line) {
  const std::string_view text = common::trim(line.substr(0, line.find('#')));
  const bool commas = text.find(',') != std::string_view::npos;
  // The first name decides at once for almost every other file's first line.
  const std::size_t first_end = std::min(text.find_first_of(commas ? "," : " \t"), text.size());
  if (text.empty() || !pv_column_named(common::trim(text.substr(0, first_end)))) return false;
  const auto names = row_fields(text, commas);
  return is_header_row(names) && pv_columns(names).has_value();
}

common::Expected<CellRead> read_pv_table(std::string_view bytes, std::string_view source,
                                         const Interrupted& interrupted) {
  LineCursor lines(bytes);
  std::optional<std::vector<PvColumn>> columns;
  bool commas = false;
  CellRead read;
  while (const auto line = lines.next()) {
    const int number = lines.line_number();
    if (asked_to_stop(interrupted, static_cast<std::size_t>(number)))
      return common::Error{0, "interrupted"};
    const std::string_view text = common::trim(line->substr(0, line->find('#')));
    if (text.empty()) continue;
    if (!columns) {
      commas = text.find(',') != std::string_view::npos;
      auto named = pv_columns(row_fields(text, commas));
      if (!named) return common::Error{number, named.error().message};
      columns = std::move(named).value();
      continue;
    }
    const std::vector<std::string_view> fields = row_fields(text, commas);
    if (fields.size() != columns->size()) {
      return common::Error{number, std::to_string(fields.size()) +
                                       " columns where the header row names " +
                                       std::to_string(columns->size())};
    }
    auto point =
        pv_point(fields, *columns, number, std::string(source) + ":line " + std::to_string(number));
    if (!point) return point.error();
    read.entries.push_back(std::move(point).value());
  }
  if (read.entries.empty()) return common::Error{0, "no row gives a point"};
  return read;
}

}  // namespace formats
