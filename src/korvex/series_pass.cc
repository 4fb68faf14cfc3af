#include "series_pass.h"

#include <array>
#include <charconv>
#include <string>

#include "console_text.h"
#include "formats/buffer_file.h"
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

// The next entry of the buffer file. An entry that gives no value for a name or
// a temperature keeps the one of the entry before.
textrec::ReadOutcome read_entry(std::string& dirax_file_name, float& temperature) {
  return textrec::read_free_with_status(
      Source::Channel(formats::kBufferChannel),
      {Target::FileName(&dirax_file_name), Target::Real(&temperature)});
}

// The shortest text that reads back to the value.
std::string shortest_text(float value) {
  std::array<char, 32> text{};
  const auto end = std::to_chars(text.data(), text.data() + text.size(), value).ptr;
  return {text.data(), end};
}

}  // namespace

int pass_status(const PassResult& pass) {
  if (pass.unreadable_entry || pass.skipped > 0) return textrec::kExitError;
  return pass.wide_temperatures > 0 || pass.without_cell > 0 ? textrec::kExitWarning
                                                             : textrec::kExitClean;
}

void refuse_outputs_among_entries(const OutputNames& outputs, std::int32_t entry_count) {
  if (entry_count == 0) return;
  std::string dirax_file_name;
  float temperature = 0.0F;
  std::int64_t last_failed_record = -1;
  for (;;) {
    const textrec::ReadOutcome entry = read_entry(dirax_file_name, temperature);
    if (entry.status == textrec::kStatusOk) {
      if (outputs.named_by(dirax_file_name))
        textrec::report(textrec::Failure::kFileSystem,
                        "the DIRAX file " + shown_on_console(trim_right(dirax_file_name)) +
                            " on line " + std::to_string(entry.record) +
                            " of the buffer file is an output file of this program");
      continue;
    }
    // The pass goes on past an entry that cannot be read only where it can.
    if (entry.status != textrec::kStatusBadValue || entry.record == last_failed_record) break;
    last_failed_record = entry.record;
  }
  formats::rewind_to_first_entry();
}

PassResult run_pass(const PassSettings& settings) {
  PassResult result;
  std::string dirax_file_name;
  float temperature = 0.0F;
  std::int64_t last_failed_record = -1;
  for (;;) {
    const textrec::ReadOutcome entry = read_entry(dirax_file_name, temperature);
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
    const auto shown = [&] { return shown_on_console(trim_right(dirax_file_name)); };
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
    formats::CellRecord cell =
        formats::scan_dirax_file(settings.choice, trim_right(dirax_file_name));
    cell.temperature = temperature;
    if (formats::has_cell(cell)) {
      if (!write_cell(cell)) {
        console_write(
            {" !! Line ", std::to_string(entry.record), " of the buffer file: the temperature ",
             shortest_text(temperature),
             " K does not fit the F6.2 field of the table and plot files: written as ******"});
        ++result.wide_temperatures;
      }
      if (settings.csv) formats::write_csv_row(formats::kCsvChannel, cell);
      ++result.rows;
      textrec::close_channel(formats::kDiraxChannel);
    } else if (settings.tell_entries_without_cell) {
      console_write({" !! ", shown(), " gives no ",
                     settings.choice == formats::CellChoice::kConventional ? "conventional cell"
                                                                           : "input cell"});
      ++result.without_cell;
    }
    if (settings.progress != nullptr) settings.progress->entry_done(result.entries);
    textrec::end_if_interrupted();
  }
}

}  // namespace korvex
