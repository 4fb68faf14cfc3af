#include "inputs.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "common/files.h"
#include "common/number_text.h"
#include "formats/block_choice.h"
#include "formats/cell_file.h"
#include "formats/cell_list.h"
#include "formats/dirax_scan.h"
#include "formats/listed_entry.h"

namespace korvex_expansion {

namespace {

using Entries = std::vector<crystal::CellEntry>;

// The cells read, those of the block named alone; their warnings and skipped
// lines into the points, those of a listed file ending the run with status 4.
common::Expected<formats::FileCells> file_cells(const formats::NamedFile& named,
                                                formats::ListedCells read, bool listed,
                                                Points& points) {
  formats::FileCells file{
      named, read.format == formats::CellFormat::kCif || read.format == formats::CellFormat::kDials,
      std::move(read.cells)};
  // Blocks at one temperature are for choose_blocks to settle.
  if (!file.blocks)
    read.warnings.insert(read.warnings.end(), read.shared.begin(), read.shared.end());
  if (listed && !read.warnings.empty()) points.warned = true;
  points.warnings.insert(points.warnings.end(), read.warnings.begin(), read.warnings.end());
  points.notes.insert(points.notes.end(), read.notes.begin(), read.notes.end());
  points.skipped_lines.insert(points.skipped_lines.end(), read.skipped_lines.begin(),
                              read.skipped_lines.end());
  COMMON_TRY_VOID(formats::keep_named_block(file));
  return file;
}

// A file named on the command line: a table, or a cell file that gives its
// temperature.
// A "#" comment of a whitespace table speaks of pressure.
bool comment_names_pressure(std::string_view bytes) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t end = std::min(bytes.find('\n', at), bytes.size());
    const std::string_view line = bytes.substr(at, end - at);
    if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) {
      std::string comment(line.substr(hash));
      for (char& c : comment) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (comment.find("pressure") != std::string::npos) return true;
    }
    at = end + 1;
  }
  return false;
}

common::Expected<formats::FileCells> read_named(const formats::NamedFile& named,
                                                crystal::Abscissa abscissa, Points& points,
                                                bool& table) {
  const auto bytes = common::read_whole_file(named.file, formats::kCellFileLimit);
  if (!bytes) return common::in_file(named.file, bytes.error());
  COMMON_TRY(read, formats::read_dated_file(named.file, *bytes, abscissa));
  table = read->format == formats::CellFormat::kTkTable ||
          read->format == formats::CellFormat::kPascalTable;
  if (table && comment_names_pressure(*bytes)) points.comment_names_pressure = true;
  if (points.title.empty()) points.title = read->title;
  return file_cells(named, std::move(read).value(), false, points);
}

// A DIRAX file's cell of the choice, checked, at the list's temperature (or
// pressure).
common::Expected<Entries> dirax_cells(const formats::ListEntry& entry,
                                      const formats::CellRecord& record, formats::CellChoice choice,
                                      crystal::Abscissa abscissa) {
  const std::string& name = entry.name;
  const crystal::Cell cell = formats::dirax_cell(record);
  const char* which = choice == formats::CellChoice::kInput ? "input" : "conventional";
  if (!formats::has_cell(record))
    return common::Error{0, name + ": DIRAX output with no " + which + "-cell line"};
  if (const auto checked = crystal::check_cell(cell); !checked) {
    return common::Error{
        0, name + ": the DIRAX " + which + " cell is incomplete: " + checked.error().message};
  }
  crystal::CellEntry taken;
  taken.source = name;
  taken.cell = cell;
  crystal::abscissa(taken, abscissa) = entry.temperature;
  return Entries{std::move(taken)};
}

// A file named in the list, reconciled with the list's temperature (or
// pressure: the list's second field is the series' abscissa).
common::Expected<formats::FileCells> read_listed(const std::string& list,
                                                 const formats::ListEntry& entry,
                                                 const InputNames& names, Points& points) {
  const std::optional<formats::CellChoice> choice = names.cell;
  const formats::NamedFile named = formats::named_file(entry.name);
  const std::string& name = named.file;
  const auto bytes = common::read_whole_file(name, formats::kCellFileLimit);
  if (!bytes) return common::in_file(name, bytes.error());
  const bool dirax = formats::recognise(*bytes) == formats::CellFormat::kDirax;
  if (dirax && !formats::holds_dirax_cell(*bytes)) {
    return common::Error{0, name +
                                ": no cell: not a cell file korvex-expansion reads, nor DIRAX "
                                "output with a cell line"};
  }
  formats::ListedBytes file(*bytes, name);
  auto read =
      formats::read_listed_file({name, entry.temperature, list, entry.line, names.abscissa()}, file,
                                choice.value_or(formats::CellChoice::kInput));
  if (!read) return common::Error{0, name + " cannot be read " + read.error().message};
  if (read->format == formats::CellFormat::kDirax && !choice) {
    return common::Error{0,
                         name + " is DIRAX output: choose its cell with --cell input|conventional"};
  }
  if (read->unrecognised) return common::Error{0, formats::not_a_cell_file(name)};
  if (read->format == formats::CellFormat::kDirax) {
    COMMON_TRY(cells, dirax_cells(entry, *read->dirax, *choice, names.abscissa()));
    if (!read->warnings.empty()) points.warned = true;
    points.warnings.insert(points.warnings.end(), read->warnings.begin(), read->warnings.end());
    return formats::FileCells{named, false, std::move(cells).value()};
  }
  return file_cells(named, std::move(read).value(), true, points);
}

// The cells of every input, file by file.
common::Expected<std::vector<formats::FileCells>> read_files(const InputNames& names,
                                                             Points& points, bool& one_table) {
  std::vector<formats::FileCells> files;
  for (const std::string& name : names.files) {
    bool table = false;
    const formats::NamedFile named = formats::named_file(name);
    points.read.push_back(named.file);
    COMMON_TRY(read, read_named(named, names.abscissa(), points, table));
    files.push_back(std::move(read).value());
    one_table = table && names.files.size() == 1 && !names.list;
  }
  if (!names.list) return files;
  const std::string& list = *names.list;
  points.read.push_back(list);
  const auto bytes = common::read_whole_file(list);
  if (!bytes) return common::in_file(list, bytes.error());
  const auto entries = formats::parse_cell_list(*bytes);
  if (!entries) return common::in_file(list, entries.error());
  points.title = entries->title;
  for (const formats::ListEntry& entry : entries->entries) {
    if (entry.decimal_comma) {
      points.warnings.push_back(
          common::where_in_file(list, entry.line) + ": " + common::shortest(entry.temperature) +
          " is followed by a comma and digits, a decimal comma?; read as " +
          common::shortest(entry.temperature) + " " + crystal::abscissa_unit(names.abscissa()));
      points.warned = true;
    }
    COMMON_TRY(read, read_listed(list, entry, names, points));
    points.read.push_back(read->named.file);
    files.push_back(std::move(read).value());
  }
  return files;
}

}  // namespace

common::Expected<Points> read_points(const InputNames& names) {
  Points points;
  bool one_table = false;
  COMMON_TRY(read, read_files(names, points, one_table));
  std::vector<formats::FileCells> files = std::move(read).value();
  const crystal::Abscissa abscissa = names.abscissa();
  COMMON_TRY(taken, formats::choose_blocks(files, abscissa));
  if (!taken->empty()) points.warned = true;
  points.warnings.insert(points.warnings.end(), taken->begin(), taken->end());
  for (formats::FileCells& file : files) {
    if (points.cells.empty()) {
      points.cells = std::move(file.cells);
      continue;
    }
    points.cells.insert(points.cells.end(), std::make_move_iterator(file.cells.begin()),
                        std::make_move_iterator(file.cells.end()));
  }
  // The inputs as named, the first and last of a long row of files alone.
  std::vector<std::string> named = names.files;
  if (names.list) named.push_back(*names.list);
  if (named.size() > 3) {
    points.name =
        named.front() + " ... " + named.back() + " (" + std::to_string(named.size()) + " files)";
  } else {
    for (const std::string& n : named) points.name += (points.name.empty() ? "" : ", ") + n;
  }
  for (const crystal::CellEntry& e : points.cells) {
    if (!std::isfinite(*crystal::abscissa(e, abscissa))) {
      return common::Error{
          0, e.source + ": the " + crystal::abscissa_name(abscissa) + " is not a number"};
    }
  }
  if (!one_table) {
    std::stable_sort(points.cells.begin(), points.cells.end(),
                     [&](const crystal::CellEntry& x, const crystal::CellEntry& y) {
                       return *crystal::abscissa(x, abscissa) < *crystal::abscissa(y, abscissa);
                     });
  }
  return points;
}

}  // namespace korvex_expansion
