#include "formats/csv_table.h"

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

void append_text(std::string& row, std::string_view raw) {
  const std::size_t first = raw.find_first_not_of(' ');
  raw =
      first == std::string_view::npos ? std::string_view() : textrec::trim_right(raw.substr(first));
  const std::string text = valid_utf8(raw);
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
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
void su(std::string& row, const CellRecord&, const CsvRowExtras& extras) {
  if (const std::optional<double> s = parameters(extras.su)[parameter]) row += csv_number(*s);
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
     [](std::string& row, const CellRecord&, const CsvRowExtras& extras) {
       if (extras.temperature_su) row += csv_number(*extras.temperature_su);
     }},
    {"source", [](std::string& row, const CellRecord&,
                  const CsvRowExtras& extras) { append_text(row, extras.source); }},
}};

std::string csv_number(float value) {
  return as_real(common::shortest(value));
}

std::string csv_number(double value) {
  return as_real(common::shortest(value, common::Notation::kFixed));
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

}  // namespace formats
