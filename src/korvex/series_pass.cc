#include "series_pass.h"

#include <string>

#include "common/safe_text.h"
#include "formats/csv_table.h"
#include "formats/dirax_scan.h"
#include "output_files.h"
#include "textrec/textrec.h"

namespace korvex {

using textrec::console_write;
using textrec::Source;
using textrec::Target;
using textrec::trim_right;

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
    formats::CellRecord cell = formats::scan_dirax_file(settings.choice);
    cell.temperature = temperature;
    if (formats::has_cell(cell)) {
      write_cell(cell);
      if (settings.csv) formats::write_csv_row(formats::kCsvChannel, cell);
      ++result.rows;
      textrec::close_channel(formats::kDiraxChannel);
    }
    if (settings.progress != nullptr) settings.progress->entry_done(result.entries);
    textrec::end_if_interrupted();
  }
}

}  // namespace korvex
