#include "formats/table_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/files.h"
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

std::vector<std::string_view> table_notes(CellChoice choice, TableSources sources) {
  std::vector<std::string_view> notes;
  if (sources != TableSources::kOtherFiles && choice == CellChoice::kInput) {
    notes = {kTableInputCellNote, kTableInputCellVolumeNote};
  } else if (sources != TableSources::kOtherFiles) {
    notes = {kTableConventionalCellNote};
  }
  if (sources != TableSources::kDirax) notes.push_back(kTableOtherFilesNote);
  return notes;
}

void write_table_header(std::string_view series_title, CellChoice choice, TableSources sources) {
  std::string title(kTableTitlePrefix);
  title += textrec::trim_right(series_title);
  write_text(title);
  for (const std::string_view note : table_notes(choice, sources)) write_text(note);
  write_text(kTableHeading);
  textrec::write_rule(kTableChannel, "!", "-", kTableRuleLength);  // A1, 200A1
}

bool set_table_sources(const std::string& path, CellChoice choice, TableSources sources) {
  const auto bytes = common::read_whole_file(path, kTableRewriteLimit);
  if (!bytes) return false;
  const std::size_t title_end = bytes->find('\n');
  if (title_end == std::string::npos) return false;
  // The records' own line end, as the text layer wrote them.
  const std::string end = title_end > 0 && (*bytes)[title_end - 1] == '\r' ? "\r\n" : "\n";
  const std::size_t heading = bytes->find("\n" + std::string(kTableHeading) + end);
  if (heading == std::string::npos) return false;
  std::string table = bytes->substr(0, title_end + 1);
  for (const std::string_view note : table_notes(choice, sources)) (table += note) += end;
  table.append(*bytes, heading + 1);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  const bool written =
      ::pwrite(fd, table.data(), table.size(), 0) == static_cast<ssize_t>(table.size()) &&
      ::ftruncate(fd, static_cast<off_t>(table.size())) == 0;
  return ::close(fd) == 0 && written;
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
