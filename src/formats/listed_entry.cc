#include "formats/listed_entry.h"

#include <cmath>
#include <map>
#include <utility>

#include "common/number_text.h"
#include "formats/cell_tables.h"
#include "formats/dirax_scan.h"

namespace formats {
namespace {

using crystal::Abscissa;

// Whether a file's own temperature (or pressure) agrees with the list's:
// within three times its SU, or 0.5 K (0.05 GPa) where it has none.
bool agrees(const ListedName& listed, double own, std::optional<double> su) {
  const double unsure = listed.abscissa == Abscissa::kPressure ? 0.05 : 0.5;
  const double allowed = su && *su > 0 ? 3 * *su : unsure;
  return std::abs(own - listed.value) <= allowed;
}

// A file of one cell: taken at the list's temperature (or pressure), its own
// one's SU kept only where the two agree.
void take_one_cell(const ListedName& listed, crystal::CellEntry& cell,
                   std::vector<std::string>& warnings) {
  std::optional<double>& own = crystal::abscissa(cell, listed.abscissa);
  std::optional<double>& own_su = crystal::abscissa_su(cell, listed.abscissa);
  if (!own || !agrees(listed, *own, own_su)) {
    if (own) {
      const std::string unit = std::string(" ") + crystal::abscissa_unit(listed.abscissa);
      warnings.push_back(std::string(listed.name) + " states " + common::with_su(*own, own_su) +
                         unit + " but " + common::where_in_file(listed.list, listed.line) +
                         " gives " + common::shortest(static_cast<float>(listed.value)) + unit +
                         "; the list's " + crystal::abscissa_name(listed.abscissa) + " is used");
    }
    own_su.reset();
  }
  own = listed.value;
}

// "100.00 K", "0.5 GPa": where the cells of a file are written.
std::string written_at(double value, Abscissa abscissa) {
  if (abscissa == Abscissa::kPressure) return common::shortest(value) + " GPa";
  return common::fixed(value, 2) + " K";
}

// A file of several cells: each at its own temperature (or pressure) where it
// states one, else at the list's; cells that end at one are warned of.
void take_several_cells(const ListedName& listed, std::vector<crystal::CellEntry>& cells,
                        std::vector<std::string>& shared) {
  std::map<double, std::size_t> at;
  for (crystal::CellEntry& cell : cells) {
    std::optional<double>& own = crystal::abscissa(cell, listed.abscissa);
    if (!own) {
      own = listed.value;
      crystal::abscissa_su(cell, listed.abscissa).reset();
    }
    ++at[*own];
  }
  for (const auto& [value, count] : at) {
    if (count < 2) continue;
    shared.push_back(std::string(listed.name) + " gives " + std::to_string(cells.size()) +
                     " cells; " + (count == cells.size() ? "all" : std::to_string(count)) +
                     " written at " + written_at(value, listed.abscissa));
  }
}

// The reader's cells and warnings into `out`; those about the file's own
// temperature only where `own_temperature`.
void take_read(CellRead read, bool own_temperature, ListedCells& out) {
  out.cells = std::move(read.entries);
  out.notes = std::move(read.notes);
  out.title = std::move(read.title);
  for (CellWarning& warning : read.warnings) {
    if (warning.skipped_line > 0) out.skipped_lines.push_back(warning.skipped_line);
    if (own_temperature || !warning.temperature) out.warnings.push_back(std::move(warning.message));
  }
}

// Volumes (and cells) against pressure, read under --pressure alone.
bool of_pressures(CellFormat format) {
  return format == CellFormat::kEosFit || format == CellFormat::kPvTable;
}

bool is_table(CellFormat format) {
  return format == CellFormat::kTkTable || format == CellFormat::kPascalTable;
}

}  // namespace

bool ListedBytes::whole(std::string_view* bytes) {
  *bytes = bytes_;
  return bytes_.size() <= kCellFileLimit;
}

CellRecord ListedBytes::scan_dirax(CellChoice choice, std::vector<std::string>& told) {
  return scan_dirax_text(bytes_, choice, name_, &told);
}

namespace {

// The DIRAX cell of the file, at the list's temperature; built in the value
// returned, which is every DIRAX entry's.
common::Expected<ListedCells> scanned(ListedFile& file, const ListedName& entry,
                                      CellChoice choice) {
  common::Expected<ListedCells> out = ListedCells{};
  out->dirax = file.scan_dirax(choice, out->warnings);
  out->dirax->temperature = static_cast<float>(entry.value);
  return out;
}

}  // namespace

common::Expected<ListedCells> read_listed_file(const ListedName& entry, ListedFile& file,
                                               CellChoice choice) {
  std::string_view start = file.start();
  std::string_view bytes;
  const Recognition look = recognise_look(start);
  CellFormat format = look.format;
  // A comment header longer than the first look: the whole file decides.
  const bool whole = !look.seen && file.whole(&bytes);
  if (whole) {
    start = bytes;
    format = recognise(start);
  }
  if (format == CellFormat::kDirax) {
    if (of_another_kind(start)) {
      ListedCells other;
      other.unrecognised = true;
      return other;
    }
    return scanned(file, entry, choice);
  }
  const std::string as = "as " + std::string(format_name(format)) + ": ";
  if (of_pressures(format) && entry.abscissa != Abscissa::kPressure)
    return common::Error{0, as + "volumes against pressure, not cells against temperature"};
  if (!whole && !file.whole(&bytes)) {
    return common::Error{
        0, as + "the file is larger than " + std::to_string(kCellFileLimit >> 20) + " MiB"};
  }
  auto read = read_cells(format, bytes, entry.name, [&file] { return file.interrupted(); });
  if (!read && file.interrupted()) return read.error();  // the run ends; nothing more to say
  // DIRAX output whose first line looks like another format's (a title
  // "TITL ...", "data_...", seven numbers) is read as the DIRAX output it is,
  // also where its cell line gives no cell.
  if ((!read || !read->warnings.empty()) && holds_dirax_cell_line(bytes))
    return scanned(file, entry, choice);
  if (!read) {
    const common::Error& error = read.error();
    return common::Error{
        error.line,
        as + (error.line > 0 ? "line " + std::to_string(error.line) + ": " : std::string()) +
            error.message};
  }
  ListedCells out;
  out.format = format;
  const bool several = read->entries.size() > 1;
  take_read(std::move(read).value(), several, out);
  if (several) {
    take_several_cells(entry, out.cells, out.shared);
  } else {
    for (crystal::CellEntry& cell : out.cells) take_one_cell(entry, cell, out.warnings);
  }
  return out;
}

common::Expected<ListedCells> read_dated_file(std::string_view name, std::string_view bytes,
                                              Abscissa abscissa) {
  ListedCells out;
  out.format = recognise(bytes);
  if (bytes.size() > kCellFileLimit) {
    return common::in_file(
        name, {0, "the file is larger than " + std::to_string(kCellFileLimit >> 20) + " MiB"});
  }
  // What no other format claims is read as a whitespace table, unless it is
  // DIRAX output.
  const bool table = is_table(out.format) || out.format == CellFormat::kDirax;
  auto read = table ? read_series_cells(bytes, name) : read_cells(out.format, bytes, name);
  if (!read) {
    if (out.format == CellFormat::kDirax && holds_dirax_cell(bytes)) {
      return common::in_file(name, {0,
                                    "DIRAX output gives no temperature; name it with its "
                                    "temperature in a --list file"});
    }
    return common::in_file(name, read.error());
  }
  if (out.format == CellFormat::kDirax) out.format = CellFormat::kPascalTable;
  if (of_pressures(out.format) && abscissa != Abscissa::kPressure) {
    return common::in_file(name, {0, std::string(format_name(out.format)) +
                                         " of volumes against pressure: run with --pressure"});
  }
  take_read(std::move(read).value(), true, out);
  const std::string what = crystal::abscissa_name(abscissa);
  for (crystal::CellEntry& cell : out.cells) {
    // A table's first column is the series' abscissa, whichever it is.
    if (table && abscissa == Abscissa::kPressure) {
      cell.pressure = std::exchange(cell.temperature, std::nullopt);
      cell.pressure_su = std::exchange(cell.temperature_su, std::nullopt);
      cell.given.set(crystal::GivenTexts::kPressure, cell.given[crystal::GivenTexts::kTemperature]);
      cell.given.set(crystal::GivenTexts::kTemperature, {});
    }
    if (!crystal::abscissa(cell, abscissa)) {
      return common::Error{0, cell.source + ": the file gives no " + what + "; name it with its " +
                                  what + " in a --list file"};
    }
  }
  return out;
}

}  // namespace formats
