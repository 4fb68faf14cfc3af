#include "series_pass.h"

#include <string>
#include <utility>

#include "common/number_text.h"
#include "common/safe_text.h"
#include "formats/buffer_file.h"
#include "formats/cell_file.h"
#include "formats/csv_table.h"
#include "formats/dirax_scan.h"
#include "formats/table_file.h"
#include "output_files.h"
#include "textrec/textrec.h"

namespace korvex {

using textrec::console_write;
using textrec::Source;
using textrec::Target;
using textrec::trim_right;

namespace {

// One entry read from the buffer file.
struct EntryRead {
  int status = textrec::kStatusOk;
  int values = 0;              // values taken, as ReadOutcome::values
  std::int64_t line = 0;       // the line where the entry began
  std::int64_t last_line = 0;  // the line where it was complete, or failed
  // Whether a next entry may follow an entry that cannot be read: after a
  // value that could not be read, not at the end of the data or after a
  // failing read, nor where the last such entry began (no progress).
  bool followed = false;
};

// The next entry of the buffer file. An entry that gives no value for a name or
// a temperature keeps the one of the entry before. An entry that began on one
// line and failed on a later one, as a name without its temperature does on
// the next entry's name, leaves that line to be read as an entry of its own.
EntryRead read_entry(std::string& dirax_file_name, float& temperature,
                     std::int64_t& last_failed_line) {
  const textrec::ReadOutcome outcome = textrec::read_free_with_status(
      Source::Channel(formats::kBufferChannel),
      {Target::FileName(&dirax_file_name), Target::Real(&temperature)});
  EntryRead entry{outcome.status, outcome.values,
                  outcome.began > 0 ? outcome.began : outcome.record, outcome.record};
  if (outcome.status != textrec::kStatusBadValue || entry.line == last_failed_line) return entry;
  last_failed_line = entry.line;
  entry.followed = true;
  if (entry.line < outcome.record) textrec::repeat_record(formats::kBufferChannel);
  return entry;
}

// A cell of another program's file as a table row at the entry's temperature.
formats::CellRecord record_of(const crystal::CellEntry& entry, float temperature) {
  formats::CellRecord record;
  record.temperature = temperature;
  record.a = static_cast<float>(entry.cell.a);
  record.b = static_cast<float>(entry.cell.b);
  record.c = static_cast<float>(entry.cell.c);
  record.alpha = static_cast<float>(entry.cell.alpha);
  record.beta = static_cast<float>(entry.cell.beta);
  record.gamma = static_cast<float>(entry.cell.gamma);
  record.volume = static_cast<float>(crystal::cell_volume(entry.cell));
  textrec::set_text(record.lattice, entry.lattice);
  textrec::set_text(record.system, entry.system);
  return record;
}

// The SU of the temperature a row is written with: that of the file's own
// temperature, where the buffer file gives the same.
std::optional<double> temperature_su(const crystal::CellEntry& entry, float temperature) {
  if (entry.temperature && static_cast<float>(*entry.temperature) == temperature)
    return entry.temperature_su;
  return std::nullopt;
}

// The rows of a cell found, from the buffer file's line `line`: the table row,
// the plot points, the CSV row when asked; then the cell goes to the
// collector, if any. A temperature its F6.2 field cannot hold is warned of.
void take_cell(formats::CellRecord cell, const formats::CsvRowExtras& extras, std::int64_t line,
               const PassSettings& settings, PassResult& result) {
  if (!write_cell(cell)) {
    console_write(
        {" !! Line ", std::to_string(line), " of the buffer file: the temperature ",
         common::shortest(cell.temperature),
         " K does not fit the F6.2 field of the table and plot files: written as ******"});
    ++result.warnings;
  }
  if (settings.csv) formats::write_csv_row(formats::kCsvChannel, cell, extras);
  if (settings.cells != nullptr) settings.cells->take(std::move(cell), extras.su);
  ++result.rows;
}

// Reads the cell file open on the DIRAX channel whole and writes a row for
// each of its cells, telling the reader's warnings (not those about the
// temperature the file gives: the pass takes the buffer file's); the error
// says why it cannot be read.
common::Expected<void> take_cell_file(formats::CellFormat format, std::string_view name,
                                      float temperature, std::int64_t line,
                                      const PassSettings& settings, PassResult& result) {
  std::string bytes;
  const bool whole =
      textrec::read_channel_bytes(formats::kDiraxChannel, formats::kCellFileLimit, &bytes);
  textrec::close_channel(formats::kDiraxChannel);
  const std::string as = "as " + std::string(formats::format_name(format)) + ": ";
  if (!whole)
    return common::Error{0, as + "the file is larger than " +
                                std::to_string(formats::kCellFileLimit >> 20) + " MiB"};
  const common::Expected<formats::CellRead> read =
      formats::read_cells(format, bytes, name, [] { return textrec::pending_interrupt() != 0; });
  textrec::end_if_interrupted();
  if (!read) {
    const common::Error& error = read.error();
    return common::Error{
        error.line,
        as + (error.line > 0 ? "line " + std::to_string(error.line) + ": " : std::string()) +
            error.message};
  }
  for (const crystal::CellEntry& entry : read->entries) {
    const formats::CellRecord record = record_of(entry, temperature);
    if (!formats::table_volume_fits(record.volume)) {
      console_write({" !! ", common::safe_text(entry.source), ": the volume ",
                     common::shortest(record.volume),
                     " A^3 does not fit the F13.3 field of the table: written as *************"});
      ++result.warnings;
    }
    take_cell(record, {entry.su, temperature_su(entry, temperature), entry.source}, line, settings,
              result);
  }
  for (const formats::CellWarning& warning : read->warnings) {
    if (warning.temperature) continue;
    console_write({" !! Warning: ", common::safe_text(warning.message)});
    ++result.warnings;
  }
  return {};
}

}  // namespace

void refuse_outputs_among_entries(const OutputNames& outputs, std::int32_t entry_count) {
  if (entry_count == 0) return;
  std::string dirax_file_name;
  float temperature = 0.0F;
  std::int64_t last_failed_line = -1;
  for (;;) {
    const EntryRead entry = read_entry(dirax_file_name, temperature, last_failed_line);
    if (entry.status == textrec::kStatusOk) {
      if (outputs.named_by(dirax_file_name))
        textrec::report(textrec::Failure::kFileSystem,
                        "the DIRAX file " + common::safe_text(trim_right(dirax_file_name)) +
                            " on line " + std::to_string(entry.line) +
                            " of the buffer file is an output file of this program");
    } else if (!entry.followed) {
      break;
    }
  }
  formats::rewind_to_first_entry();
}

PassResult run_pass(const PassSettings& settings) {
  PassResult result;
  std::string dirax_file_name;
  float temperature = 0.0F;
  std::int64_t last_failed_line = -1;
  bool folder_told = false;
  for (;;) {
    // Before each entry, the skipped ones too.
    textrec::end_if_interrupted();
    const EntryRead entry = read_entry(dirax_file_name, temperature, last_failed_line);
    if (entry.status != textrec::kStatusOk) {
      // The end of the list is no fault; an entry that cannot be read is told,
      // and the run does not end clean.
      if (entry.status == textrec::kStatusEnd && entry.values == 0) return result;
      ++result.entries;
      result.unreadable_entry = true;
      if (!settings.keep_going) {
        // As the dialogue has always told it: where the read failed.
        console_write({" !! Line ", std::to_string(entry.last_line),
                       " of the buffer file cannot be read as a file name and a temperature !!"});
        return result;
      }
      console_write(
          {" !! Line ", std::to_string(entry.line), " of the buffer file cannot be read: skipped"});
      ++result.skipped;
      if (!entry.followed) return result;
      continue;
    }
    ++result.entries;
    // The existence check and the open are one open of the file.
    const auto shown = [&] { return common::safe_text(trim_right(dirax_file_name)); };
    const auto tell_folder = [&] {
      if (settings.current_folder.empty() || folder_told || dirax_file_name.starts_with('/'))
        return;
      folder_told = true;
      console_write({" !! the buffer file's names are taken relative to the current folder, ",
                     common::safe_text(settings.current_folder)});
    };
    if (settings.keep_going) {
      const textrec::OpenCheck opened =
          textrec::try_open_for_reading(formats::kDiraxChannel, dirax_file_name);
      if (!opened.can_open) {
        if (opened.missing) {
          console_write({" !! ", shown(), " does not exist: skipped"});
          tell_folder();
        } else {
          console_write({" !! ", shown(), " cannot be read: ", opened.reason, ": skipped"});
        }
        ++result.skipped;
        continue;
      }
    } else if (!textrec::open_for_reading_if_exists(formats::kDiraxChannel, dirax_file_name)) {
      console_write({" !! ", shown(), " does not exist !!"});
      tell_folder();
      console_write({" "});
      result.end = PassEnd::kMissingDiraxFile;
      return result;
    }
    // The look at the file's first bytes is the first read its scan makes.
    const formats::CellFormat format =
        formats::recognise(textrec::read_channel_start(formats::kDiraxChannel));
    if (format != formats::CellFormat::kDirax) {
      const common::Expected<void> taken = take_cell_file(
          format, trim_right(dirax_file_name), temperature, entry.line, settings, result);
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
      formats::CellRecord cell =
          formats::scan_dirax_file(settings.choice, trim_right(dirax_file_name));
      cell.temperature = temperature;
      if (formats::has_cell(cell)) {
        take_cell(std::move(cell), {{}, std::nullopt, trim_right(dirax_file_name)}, entry.line,
                  settings, result);
        textrec::close_channel(formats::kDiraxChannel);
      } else if (settings.tell_entries_without_cell) {
        console_write({" !! ", shown(), " gives no ",
                       settings.choice == formats::CellChoice::kConventional ? "conventional cell"
                                                                             : "input cell"});
        ++result.without_cell;
      }
    }
    if (settings.progress != nullptr) settings.progress->entry_done(result.entries);
  }
}

int least_exit_status(const PassResult& pass) {
  if (pass.unreadable_entry || pass.skipped > 0) return textrec::kExitError;
  return pass.warnings > 0 || pass.without_cell > 0 ? textrec::kExitWarning : textrec::kExitClean;
}

}  // namespace korvex
