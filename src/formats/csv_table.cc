#include "formats/csv_table.h"

#include <algorithm>
#include <cmath>

#include "common/number_text.h"
#include "common/utf8.h"
#include "formats/table_file.h"
#include "textrec/textrec.h"

namespace formats {
namespace {

// The text made valid UTF-8: each byte that begins no UTF-8 character
// replaced by U+FFFD.
std::string valid_utf8(std::string_view text) {
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const common::Utf8Char c = common::decode_utf8(text, at);
    if (c.length == 0) {
      common::append_utf8(out, U'\uFFFD');
      ++at;
    } else {
      out.append(text.substr(at, c.length));
      at += c.length;
    }
  }
  return out;
}

// A text as a field: valid UTF-8, quoted where it holds a comma, a quote or a
// line end, or begins or ends with a blank.
void append_field(std::string& row, std::string_view raw) {
  const std::string text = valid_utf8(raw);
  if (text.find_first_of(",\"\r\n") == std::string::npos &&
      (text.empty() || (text.front() != ' ' && text.back() != ' '))) {
    row += text;
    return;
  }
  row += '"';
  for (const char c : text) {
    if (c == '"') row += '"';
    row += c;
  }
  row += '"';
}

void append_text(std::string& row, std::string_view raw) {
  const std::size_t first = raw.find_first_not_of(' ');
  append_field(row, first == std::string_view::npos ? std::string_view()
                                                    : textrec::trim_right(raw.substr(first)));
}

// A name as given, after a "'" when a spreadsheet would take it for a formula.
void append_name(std::string& row, std::string_view name) {
  if (!name.empty() && std::string_view("=+-@").find(name.front()) != std::string_view::npos) {
    std::string quoted = "'";
    quoted.append(name);
    append_field(row, quoted);
    return;
  }
  append_field(row, name);
}

// A text column shows what the table's field of that name shows: its first
// characters, as many as the field is wide.
void append_table_field(std::string& row, std::string_view column, std::string_view text) {
  append_text(row, text.substr(0, table_column(column).width));
}

// A number with its decimal point: "inf" and "nan" stay words.
std::string as_real(std::string number) {
  if (number.find_first_not_of("-0123456789") == std::string::npos) number += ".0";
  return number;
}

template <float CellRecord::*value>
void number(std::string& row, const CellRecord& cell, const CsvRowExtras&) {
  row += csv_number(cell.*value);
}

template <std::size_t parameter>
void su(std::string& row, const CellRecord& cell, const CsvRowExtras& extras) {
  static constexpr std::array<float CellRecord::*, 6> kValues = {
      &CellRecord::a,     &CellRecord::b,    &CellRecord::c,
      &CellRecord::alpha, &CellRecord::beta, &CellRecord::gamma};
  if (const std::optional<double> s = parameters(extras.su)[parameter])
    row += csv_su(*s, cell.*kValues[parameter]);
}

const textrec::Layout& layout_a() {
  static const textrec::Layout layout = textrec::parse_layout("A");
  return layout;
}

}  // namespace

const std::array<CsvColumn, 18> kCsvColumns{{
    {"T_K", number<&CellRecord::temperature>},
    {"a_A", number<&CellRecord::a>},
    {"b_A", number<&CellRecord::b>},
    {"c_A", number<&CellRecord::c>},
    {"alpha_deg", number<&CellRecord::alpha>},
    {"beta_deg", number<&CellRecord::beta>},
    {"gamma_deg", number<&CellRecord::gamma>},
    {"volume_A3", number<&CellRecord::volume>},
    {"system", [](std::string& row, const CellRecord& cell,
                  const CsvRowExtras&) { append_table_field(row, "system", cell.system); }},
    {"bravais", [](std::string& row, const CellRecord& cell,
                   const CsvRowExtras&) { append_table_field(row, "lattice", cell.lattice); }},
    {"a_su_A", su<0>},
    {"b_su_A", su<1>},
    {"c_su_A", su<2>},
    {"alpha_su_deg", su<3>},
    {"beta_su_deg", su<4>},
    {"gamma_su_deg", su<5>},
    {"T_su_K",
     [](std::string& row, const CellRecord& cell, const CsvRowExtras& extras) {
       if (extras.temperature_su) row += csv_su(*extras.temperature_su, cell.temperature);
     }},
    {"source", [](std::string& row, const CellRecord&,
                  const CsvRowExtras& extras) { append_name(row, extras.source); }},
}};

std::string csv_number(float value) {
  return as_real(common::shortest(value));
}

std::string csv_number(double value) {
  return as_real(common::shortest(value, common::Notation::kFixed));
}

std::string csv_su(double su, float value) {
  if (!std::isfinite(su) || su <= 0) return csv_number(su);
  // The value's decimals as its column writes them.
  const std::string written = common::shortest(value, common::Notation::kFixed);
  const std::size_t point = written.find('.');
  const int value_decimals =
      point == std::string::npos ? 0 : static_cast<int>(written.size() - point - 1);
  const int two_digits = 1 - static_cast<int>(std::floor(std::log10(su)));
  const int decimals = std::max(two_digits, value_decimals);
  constexpr int kMostDecimals = 15;
  if (decimals > kMostDecimals) return csv_number(su);
  const double scale = std::pow(10.0, decimals);
  return csv_number(std::round(su * scale) / scale);
}

std::string csv_header() {
  std::string header;
  for (const CsvColumn& column : kCsvColumns) {
    if (!header.empty()) header += ',';
    header += column.name;
  }
  return header;
}

std::string csv_row(const CellRecord& cell, const CsvRowExtras& extras) {
  std::string row;
  for (std::size_t i = 0; i < kCsvColumns.size(); ++i) {
    if (i > 0) row += ',';
    kCsvColumns[i].append(row, cell, extras);
  }
  return row;
}

void write_csv_header(int channel) {
  textrec::write_formatted(channel, layout_a(), {std::string_view(csv_header())});
}

void write_csv_row(int channel, const CellRecord& cell, const CsvRowExtras& extras) {
  textrec::write_formatted(channel, layout_a(), {std::string_view(csv_row(cell, extras))});
}

std::optional<std::vector<std::string>> read_csv_record(std::string_view text, std::size_t& at,
                                                        int& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (quoted) {
      if (c == '"' && at + 1 < text.size() && text[at + 1] == '"') {
        fields.back() += '"';
        ++at;
      } else if (c == '"') {
        quoted = false;
      } else {
        if (c == '\n') ++line;
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else if (c == '\n') {
      ++at;
      break;
    } else if (c != '\r') {
      fields.back() += c;
    }
  }
  if (quoted) return std::nullopt;
  return fields;
}

}  // namespace formats
