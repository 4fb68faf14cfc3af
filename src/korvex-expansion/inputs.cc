#include "inputs.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "common/files.h"
#include "formats/cell_file.h"
#include "formats/cell_list.h"
#include "formats/dirax_scan.h"
#include "formats/series_table.h"

namespace korvex_expansion {

namespace {

using Entries = std::vector<formats::CellEntry>;

// "NAME: REASON", "NAME, line N: REASON"; made safe to show where it is told.
common::Error told(const std::string& name, const common::Error& e) {
  const std::string where = e.line > 0 ? name + ", line " + std::to_string(e.line) : name;
  return {0, where + ": " + e.message};
}

// The cells of a file of another program, its warnings told; those about
// the temperature only where the file's temperature is taken.
common::Expected<Entries> read_other(formats::CellFormat format, std::string_view bytes,
                                     const std::string& name, bool own_temperature,
                                     Points& points) {
  auto read = formats::read_cells(format, bytes, name);
  if (!read) return told(name, read.error());
  for (const formats::CellWarning& w : read->warnings) {
    if (own_temperature || !w.temperature) points.warnings.push_back(w.message);
  }
  return std::move(read).value().entries;
}

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

bool holds_dirax_cell(std::string_view bytes) {
  return formats::has_cell(formats::scan_dirax_text(bytes, formats::CellChoice::kConventional)) ||
         formats::has_cell(formats::scan_dirax_text(bytes, formats::CellChoice::kInput));
}

// A file named on the command line: a table, or a cell file that gives its
// temperature.
common::Expected<Entries> read_named(const std::string& name, bool pressure, Points& points,
                                     bool& table) {
  const auto bytes = common::read_whole_file(name);
  if (!bytes) return told(name, bytes.error());
  const formats::CellFormat format = formats::recognise(*bytes);
  if (format != formats::CellFormat::kDirax && format != formats::CellFormat::kTkTable &&
      format != formats::CellFormat::kPascalTable) {
    auto read = read_other(format, *bytes, name, true, points);
    if (!read) return read.error();
    Entries cells = std::move(read).value();
    for (formats::CellEntry& e : cells) {
      if (pressure) {
        if (!e.pressure)
          return common::Error{0, e.source +
                                      ": the file gives no pressure; name it with its "
                                      "pressure in a --list file"};
        e.temperature = e.pressure;
        e.temperature_su.reset();
      }
      if (!e.temperature) {
        return common::Error{0, e.source +
                                    ": the file gives no temperature; name it with its "
                                    "temperature in a --list file"};
      }
    }
    return cells;
  }
  // Tables, and what no other format claims: told by the table's reader
  // unless it is DIRAX output.
  const auto series = formats::parse_series(*bytes);
  if (!series) {
    if (format == formats::CellFormat::kDirax && holds_dirax_cell(*bytes)) {
      return common::Error{0, name +
                                  ": DIRAX output gives no temperature; name it with its "
                                  "temperature in a --list file"};
    }
    return told(name, series.error());
  }
  table = true;
  points.comment_names_pressure = points.comment_names_pressure || comment_names_pressure(*bytes);
  for (const formats::SkippedRow& s : series->skipped) {
    points.warnings.push_back(name + ", line " + std::to_string(s.line) +
                              ": row skipped: " + s.reason);
    points.skipped_lines.push_back(s.line);
  }
  Entries out;
  for (const formats::SeriesRow& row : series->rows) {
    out.push_back({name + ":line " + std::to_string(row.line),
                   row.temperature,
                   row.temperature_su,
                   row.cell,
                   row.su,
                   {},
                   {},
                   {}});
  }
  return out;
}

// A file named in the list, at the list's temperature.
common::Expected<Entries> read_listed(const formats::ListEntry& entry,
                                      std::optional<formats::CellChoice> choice, Points& points) {
  const std::string& name = entry.name;
  const auto bytes = common::read_whole_file(name);
  if (!bytes) return told(name, bytes.error());
  if (const formats::CellFormat format = formats::recognise(*bytes);
      format != formats::CellFormat::kDirax) {
    auto cells = read_other(format, *bytes, name, false, points);
    if (!cells) return cells.error();
    Entries out = std::move(cells).value();
    for (formats::CellEntry& e : out) {
      e.temperature = entry.temperature;
      e.temperature_su.reset();
    }
    return out;
  }
  if (!holds_dirax_cell(*bytes)) {
    return common::Error{0, name +
                                ": no cell: not a cell file korvex-expansion reads, nor DIRAX "
                                "output with a cell line"};
  }
  if (!choice) {
    return common::Error{0,
                         name + " is DIRAX output: choose its cell with --cell input|conventional"};
  }
  const formats::CellRecord record = formats::scan_dirax_text(*bytes, *choice, name);
  const formats::Cell cell = formats::dirax_cell(record);
  const char* which = *choice == formats::CellChoice::kInput ? "input" : "conventional";
  if (!formats::has_cell(record))
    return common::Error{0, name + ": DIRAX output with no " + which + "-cell line"};
  if (const auto checked = formats::check_cell(cell); !checked) {
    return common::Error{
        0, name + ": the DIRAX " + which + " cell is incomplete: " + checked.error().message};
  }
  return Entries{{name, entry.temperature, std::nullopt, cell, {}, {}, {}, {}}};
}

}  // namespace

common::Expected<Points> read_points(const InputNames& names) {
  Points points;
  bool one_table = false;
  for (const std::string& name : names.files) {
    bool table = false;
    const auto read = read_named(name, names.pressure, points, table);
    if (!read) return read.error();
    points.cells.insert(points.cells.end(), read->begin(), read->end());
    one_table = table && names.files.size() == 1 && !names.list;
  }
  if (names.list) {
    const std::string& list = *names.list;
    const auto bytes = common::read_whole_file(list);
    if (!bytes) return told(list, bytes.error());
    const auto entries = formats::parse_cell_list(*bytes);
    if (!entries) return told(list, entries.error());
    for (const formats::ListEntry& entry : *entries) {
      const auto read = read_listed(entry, names.cell, points);
      if (!read) return read.error();
      points.cells.insert(points.cells.end(), read->begin(), read->end());
    }
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
  for (const formats::CellEntry& e : points.cells) {
    if (!std::isfinite(*e.temperature))
      return common::Error{0, e.source + ": the temperature is not a number"};
  }
  if (!one_table) {
    std::stable_sort(points.cells.begin(), points.cells.end(),
                     [](const formats::CellEntry& x, const formats::CellEntry& y) {
                       return *x.temperature < *y.temperature;
                     });
  }
  return points;
}

}  // namespace korvex_expansion
