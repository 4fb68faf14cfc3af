#include "series_pass.h"

#include <string>
#include <utility>

#include "common/safe_text.h"
#include "formats/cell_file.h"
#include "formats/csv_table.h"
#include "formats/dirax_scan.h"
#include "output_files.h"
#include "textrec/textrec.h"

namespace korvex {

using textrec::console_write;
using textrec::Source;
using textrec::Target;
using textrec::trim_right;

namespace {

// A cell of another program's file as a table row at the entry's temperature.
formats::CellRecord record_of(const formats::CellEntry& entry, float temperature) {
  formats::CellRecord record;
  record.temperature = temperature;
  record.a = static_cast<float>(entry.cell.a);
  record.b = static_cast<float>(entry.cell.b);
  record.c = static_cast<float>(entry.cell.c);
  record.alpha = static_cast<float>(entry.cell.alpha);
  record.beta = static_cast<float>(entry.cell.beta);
  record.gamma = static_cast<float>(entry.cell.gamma);
  record.volume = static_cast<float>(formats::cell_volume(entry.cell));
  textrec::set_text(record.lattice, entry.lattice);
  textrec::set_text(record.system, entry.system);
  return record;
}

// The SU of the temperature a row is written with: that of the file's own
// temperature, where the buffer file gives the same.
std::optional<double> temperature_su(const formats::CellEntry& entry, float temperature) {
  if (entry.temperature && static_cast<float>(*entry.temperature) == temperature)
    return entry.temperature_su;
  return std::nullopt;
}

// The rows of a cell found: the table row, the plot points, the CSV row when
// asked; then the cell goes to the collector, if any.
void take_cell(formats::CellRecord cell, const formats::CsvRowExtras& extras,
               const PassSettings& settings, PassResult& result) {
  write_cell(cell);
  if (settings.csv) formats::write_csv_row(formats::kCsvChannel, cell, extras);
  if (settings.cells != nullptr) settings.cells->take(std::move(cell));
  ++result.rows;
}

// Reads the cell file open on the DIRAX channel whole and writes a row for
// each of its cells, telling the reader's warnings (not those about the
// temperature the file gives: the pass takes the buffer file's); the error
// says why it cannot be read.
common::Expected<void> take_cell_file(formats::CellFormat format, std::string_view name,
                                      float temperature, const PassSettings& settings,
                                      PassResult& result) {
  std::string bytes;
  const bool whole =
      textrec::read_channel_bytes(formats::kDiraxChannel, formats::kCellFileLimit, &bytes);
  textrec::close_channel(formats::kDiraxChannel);
  const std::string as = "as " + std::string(formats::format_name(format)) + ": ";
  if (!whole)
    return common::Error{0,
                         as + "larger than " + std::to_string(formats::kCellFileLimit) + " bytes"};
  const common::Expected<formats::CellRead> read = formats::read_cells(format, bytes, name);
  if (!read) {
    const common::Error& error = read.error();
    return common::Error{
        error.line,
        as + (error.line > 0 ? "line " + std::to_string(error.line) + ": " : std::string()) +
            error.message};
  }
  for (const formats::CellEntry& entry : read->entries) {
    take_cell(record_of(entry, temperature),
              {entry.su, temperature_su(entry, temperature), entry.source}, settings, result);
  }
  for (const formats::CellWarning& warning : read->warnings) {
    if (warning.temperature) continue;
    console_write({" !! Warning: ", common::safe_text(warning.message)});
    ++result.warnings;
  }
  return {};
}

}  // namespace

PassResult run_pass(const PassSettings& settings) {
  PassResult result;
  // An entry that gives no value for a name or a temperature keeps the one of
  // the entry before.
  std::string dirax_file_name;
  float temperature = 0.0F;
  std::int64_t last_failed_record = -1;
  for (;;) {
    const textrec::ReadOutcome entry = textrec::read_free_with_status(
        Source::Channel(formats::kBufferChannel),
        {Target::FileName(&dirax_file_name), Target::Real(&temperature)});
    const int list_status = entry.status;
    if (list_status != textrec::kStatusOk) {
      // The end of the list is no fault; an entry that cannot be read is told,
      // and the run does not end clean.
      if (list_status == textrec::kStatusEnd && entry.values == 0) return result;
      ++result.entries;
      result.unreadable_entry = true;
      const std::string line = std::to_string(entry.record);
      if (!settings.keep_going) {
        console_write({" !! Line ", line,
                       " of the buffer file cannot be read as a file name and a temperature !!"});
        return result;
      }
      console_write({" !! Line ", line, " of the buffer file cannot be read: skipped"});
      ++result.skipped;
      // A read that failed inside a record goes on with the next one; at the
      // end of the data, or where the source itself failed, nothing follows.
      if (list_status != textrec::kStatusBadValue || entry.record == last_failed_record)
        return result;
      last_failed_record = entry.record;
      continue;
    }
    ++result.entries;
    // The existence check and the open are one open of the file.
    const auto shown = [&] { return common::safe_text(trim_right(dirax_file_name)); };
    if (settings.keep_going) {
      const textrec::OpenCheck opened =
          textrec::try_open_for_reading(formats::kDiraxChannel, dirax_file_name);
      if (!opened.can_open) {
        if (opened.missing) {
          console_write({" !! ", shown(), " does not exist: skipped"});
        } else {
          console_write({" !! ", shown(), " cannot be read: ", opened.reason, ": skipped"});
        }
        ++result.skipped;
        continue;
      }
    } else if (!textrec::open_for_reading_if_exists(formats::kDiraxChannel, dirax_file_name)) {
      console_write({" !! ", shown(), " does not exist !!"});
      console_write({" "});
      result.end = PassEnd::kMissingDiraxFile;
      return result;
    }
    // The look at the file's first bytes is the first read its scan makes.
    const formats::CellFormat format =
        formats::recognise(textrec::read_channel_start(formats::kDiraxChannel));
    if (format != formats::CellFormat::kDirax) {
      const common::Expected<void> taken =
          take_cell_file(format, trim_right(dirax_file_name), temperature, settings, result);
      const std::string fault = taken ? std::string() : common::safe_text(taken.error().message);
      if (!taken && !settings.keep_going) {
        console_write({" !! ", shown(), " cannot be read ", fault, " !!"});
        console_write({" "});
        result.end = PassEnd::kUnreadableCellFile;
        return result;
      }
      if (!taken) {
        console_write({" !! ", shown(), " cannot be read ", fault, ": skipped"});
        ++result.skipped;
      }
    } else {
      formats::CellRecord cell = formats::scan_dirax_file(settings.choice);
      cell.temperature = temperature;
      if (formats::has_cell(cell)) {
        take_cell(std::move(cell), {{}, std::nullopt, trim_right(dirax_file_name)}, settings,
                  result);
        textrec::close_channel(formats::kDiraxChannel);
      }
    }
    if (settings.progress != nullptr) settings.progress->entry_done(result.entries);
    textrec::end_if_interrupted();
  }
}

int least_exit_status(const PassResult& pass) {
  if (pass.unreadable_entry || pass.skipped > 0) return textrec::kExitError;
  return pass.warnings > 0 ? textrec::kExitWarning : textrec::kExitClean;
}

}  // namespace korvex
