#include "formats/table_file.h"

#include <stdexcept>
#include <string>

#include "textrec/textrec.h"

namespace formats {
namespace {

using textrec::Layout;

const Layout& row_layout() {
  static const Layout layout = textrec::parse_layout(kTableRowLayout);
  return layout;
}

std::vector<TableColumn> columns_of_row() {
  std::vector<TableColumn> columns;
  std::size_t from = 0;
  for (const textrec::FieldCode& field : row_layout().fields) {
    const auto width = static_cast<std::size_t>(field.w);
    if (field.code != textrec::Code::kX) {
      columns.push_back({kTableColumnNames.at(columns.size()), from, width});
    }
    from += width;
  }
  if (columns.size() != kTableColumnNames.size())
    throw std::logic_error("the table's column names do not match its row layout");
  return columns;
}

void write_text(std::string_view text) {
  static const Layout a = textrec::parse_layout("A");
  textrec::write_formatted(kTableChannel, a, {text});
}

}  // namespace

const std::vector<TableColumn>& table_columns() {
  static const std::vector<TableColumn> columns = columns_of_row();
  return columns;
}

const TableColumn& table_column(std::string_view name) {
  for (const TableColumn& column : table_columns()) {
    if (column.name == name) return column;
  }
  throw std::logic_error("no table column " + std::string(name));
}

void write_table_header(std::string_view series_title, CellChoice choice, TableSources sources) {
  std::string title(kTableTitlePrefix);
  title += textrec::trim_right(series_title);
  write_text(title);
  if (sources != TableSources::kOtherFiles && choice == CellChoice::kInput) {
    write_text(kTableInputCellNote);
    write_text(kTableInputCellVolumeNote);
  } else if (sources != TableSources::kOtherFiles) {
    write_text(kTableConventionalCellNote);
  }
  if (sources != TableSources::kDirax) write_text(kTableOtherFilesNote);
  write_text(kTableHeading);
  textrec::write_rule(kTableChannel, "!", "-", kTableRuleLength);  // A1, 200A1
}

bool table_volume_fits(float volume) {
  // The layout's field of the column: the volume is its eighth value.
  std::size_t values = 0;
  for (const textrec::FieldCode& field : row_layout().fields) {
    if (field.code == textrec::Code::kX || kTableColumnNames.at(values++) != "volume") continue;
    std::string text;
    textrec::edit_f(text, volume, field.w, field.d);
    return text.find('*') == std::string::npos;
  }
  return true;
}

void write_table_row(const CellRecord& cell) {
  textrec::write_formatted(
      kTableChannel, row_layout(),
      {cell.temperature, cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma, cell.volume,
       std::string_view(cell.system), std::string_view(cell.lattice)});
}

}  // namespace formats
