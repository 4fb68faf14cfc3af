#include "formats/csv_table.h"

#include <array>
#include <charconv>

#include "formats/table_file.h"
#include "textrec/textrec.h"

namespace formats {
namespace {

void append_text(std::string& row, std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  text = first == std::string_view::npos ? std::string_view()
                                         : textrec::trim_right(text.substr(first));
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
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

struct CsvColumn {
  std::string_view name;
  void (*append)(std::string& row, const CellRecord& cell);
};

template <float CellRecord::*value>
void number(std::string& row, const CellRecord& cell) {
  row += csv_number(cell.*value);
}

constexpr std::array<CsvColumn, 10> kColumns{{
    {"T_K", number<&CellRecord::temperature>},
    {"a_A", number<&CellRecord::a>},
    {"b_A", number<&CellRecord::b>},
    {"c_A", number<&CellRecord::c>},
    {"alpha_deg", number<&CellRecord::alpha>},
    {"beta_deg", number<&CellRecord::beta>},
    {"gamma_deg", number<&CellRecord::gamma>},
    {"volume_A3", number<&CellRecord::volume>},
    {"system", [](std::string& row,
                  const CellRecord& cell) { append_table_field(row, "system", cell.system); }},
    {"bravais", [](std::string& row,
                   const CellRecord& cell) { append_table_field(row, "lattice", cell.lattice); }},
}};

const textrec::Layout& layout_a() {
  static const textrec::Layout layout = textrec::parse_layout("A");
  return layout;
}

}  // namespace

std::string csv_number(float value) {
  std::array<char, 32> text{};
  const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value);
  std::string number(text.data(), end);
  // An integral value gets its decimal point; "inf" and "nan" stay words.
  if (number.find_first_not_of("-0123456789") == std::string::npos) number += ".0";
  return number;
}

std::string csv_header() {
  std::string header;
  for (const CsvColumn& column : kColumns) {
    if (!header.empty()) header += ',';
    header += column.name;
  }
  return header;
}

std::string csv_row(const CellRecord& cell) {
  std::string row;
  for (std::size_t i = 0; i < kColumns.size(); ++i) {
    if (i > 0) row += ',';
    kColumns[i].append(row, cell);
  }
  return row;
}

void write_csv_header(int channel) {
  textrec::write_formatted(channel, layout_a(), {std::string_view(csv_header())});
}

void write_csv_row(int channel, const CellRecord& cell) {
  textrec::write_formatted(channel, layout_a(), {std::string_view(csv_row(cell))});
}

}  // namespace formats
