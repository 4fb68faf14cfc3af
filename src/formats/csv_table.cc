#include "formats/csv_table.h"

#include "common/number_text.h"
#include "textrec/textrec.h"

namespace formats {
namespace {

void append_su(std::string& row, std::optional<double> su) {
  row += ',';
  if (su) row += common::shortest(*su, common::Notation::kFixed);
}

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

const textrec::Layout& layout_a() {
  static const textrec::Layout layout = textrec::parse_layout("A");
  return layout;
}

}  // namespace

std::string csv_row(const CellRecord& cell, const CsvRowExtras& extras) {
  std::string row;
  for (const float value :
       {cell.temperature, cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma, cell.volume}) {
    row += common::shortest(value);
    row += ',';
  }
  append_text(row, cell.system);
  row += ',';
  append_text(row, cell.lattice);
  for (const std::optional<double> su : parameters(extras.su)) append_su(row, su);
  append_su(row, extras.temperature_su);
  row += ',';
  append_text(row, extras.source);
  return row;
}

void write_csv_header(int channel) {
  textrec::write_formatted(channel, layout_a(), {kCsvHeader});
}

void write_csv_row(int channel, const CellRecord& cell, const CsvRowExtras& extras) {
  textrec::write_formatted(channel, layout_a(), {std::string_view(csv_row(cell, extras))});
}

}  // namespace formats
