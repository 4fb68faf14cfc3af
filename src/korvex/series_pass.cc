#include "series_pass.h"

#include <string>
#include <utility>

#include "common/number_text.h"
#include "common/safe_text.h"
#include "formats/buffer_file.h"
#include "formats/cell_file.h"
#include "formats/csv_table.h"
#include "formats/dirax_scan.h"
#include "formats/listed_entry.h"
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

// A cell of another program's file as a table row, at the temperature it is
// taken at.
formats::CellRecord record_of(const crystal::CellEntry& entry) {
  formats::CellRecord record;
  record.temperature = static_cast<float>(entry.temperature.value_or(0));
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

// The listed file open on the DIRAX channel, read through the text-record
// layer: its first look is the first read the scan makes.
class ChannelFile final : public formats::ListedFile {
 public:
  explicit ChannelFile(std::string_view name) : name_(name) {}
  std::string_view start() override { return textrec::read_channel_start(formats::kDiraxChannel); }
  bool whole(std::string_view* bytes) override {
    const bool all =
        textrec::read_channel_bytes(formats::kDiraxChannel, formats::kCellFileLimit, &bytes_);
    read_whole_ = all;
    *bytes = bytes_;
    return all;
  }
  // Told to the run's error report, as the dialogue tells them; from the
  // bytes once the whole file has been read from the channel.
  formats::CellRecord scan_dirax(formats::CellChoice choice,
                                 std::vector<std::string>& /*told*/) override {
    if (read_whole_) return formats::scan_dirax_text(bytes_, choice, name_);
    return formats::scan_dirax_file(choice, name_);
  }
  bool interrupted() override { return textrec::pending_interrupt() != 0; }

 private:
  std::string_view name_;
  std::string bytes_;
  bool read_whole_ = false;
};

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

// Writes a row for each cell of a file of another format, telling the
// file's warnings.
void take_cell_file(const formats::ListedCells& read, std::int64_t line,
                    const PassSettings& settings, PassResult& result) {
  std::size_t taken = 0;
  for (const crystal::CellEntry& entry : read.cells) {
    // A file of many cells: the interrupt is asked as their rows go out.
    if (++taken % 4096 == 0) textrec::end_if_interrupted();
    const formats::CellRecord record = record_of(entry);
    if (!formats::table_volume_fits(record.volume)) {
      console_write({" !! ", common::safe_text(entry.source), ": the volume ",
                     common::shortest(record.volume),
                     " A^3 does not fit the F13.3 field of the table: written as *************"});
      ++result.warnings;
    }
    take_cell(record, {entry.su, entry.temperature_su, entry.source}, line, settings, result);
    ++result.other_rows;
  }
  for (const auto* told : {&read.warnings, &read.shared}) {
    for (const std::string& warning : *told) {
      console_write({" !! Warning: ", common::safe_text(warning)});
      ++result.warnings;
    }
  }
}

// Ends the run: the entry is one of the run's outputs. A listed file is a
// cell file, whatever its format: the outputs are none of them DIRAX output.
void refuse_output(std::string_view name, std::int64_t line) {
  textrec::report(textrec::Failure::kFileSystem,
                  "the cell file " + common::safe_text(trim_right(name)) + " on line " +
                      std::to_string(line) +
                      " of the buffer file is an output file of this program");
}

// The DIRAX cell of an entry, at the buffer file's temperature, or a word
// that the file gives none.
void take_dirax_cell(formats::CellRecord&& cell, std::string_view name, std::int64_t line,
                     const PassSettings& settings, PassResult& result) {
  if (formats::has_cell(cell)) {
    take_cell(std::move(cell), {{}, std::nullopt, name}, line, settings, result);
    textrec::close_channel(formats::kDiraxChannel);
  } else if (settings.tell_entries_without_cell) {
    console_write({" !! ", common::safe_text(name), " gives no ",
                   settings.choice == formats::CellChoice::kConventional ? "conventional cell"
                                                                         : "input cell"});
    ++result.without_cell;
  }
}

// Reads the listed file open on the DIRAX channel and writes its rows. False
// when the pass stops there: a cell file that cannot be read, unless the
// pass keeps going.
bool take_listed_file(std::string_view name, float temperature, std::int64_t line,
                      const PassSettings& settings, PassResult& result) {
  if (settings.outputs != nullptr &&
      settings.outputs->holds(textrec::channel_identity(formats::kDiraxChannel)))
    refuse_output(name, line);
  ChannelFile file(name);
  common::Expected<formats::ListedCells> read = formats::read_listed_file(
      {name, temperature, "the buffer file", line}, file, settings.choice);
  textrec::end_if_interrupted();
  if (read && read->unrecognised) {
    console_write({" !! ", formats::not_a_cell_file(common::safe_text(name))});
    ++result.warnings;
    return true;
  }
  if (read && read->format == formats::CellFormat::kDirax) {
    take_dirax_cell(std::move(*read->dirax), name, line, settings, result);
    return true;
  }
  textrec::close_channel(formats::kDiraxChannel);
  if (read) {
    take_cell_file(*read, line, settings, result);
    return true;
  }
  const std::string told = " !! " + common::safe_text(name) + " cannot be read " +
                           common::safe_text(read.error().message);
  if (settings.keep_going) {
    console_write({told, ": skipped"});
    ++result.skipped;
    return true;
  }
  console_write({told, " !!"});
  console_write({" "});
  result.end = PassEnd::kUnreadableCellFile;
  return false;
}

}  // namespace

namespace {

// Whether the buffer file holds `text` anywhere (its head too), or is too
// large to be looked through; the buffer file is left at its third line.
bool buffer_file_holds(std::string_view text) {
  constexpr std::size_t kLook = std::size_t{64} << 20;
  std::string bytes;
  const bool read = textrec::read_channel_bytes(formats::kBufferChannel, kLook, &bytes);
  formats::rewind_to_first_entry();
  return !read || bytes.find(text) != std::string::npos;
}

}  // namespace

void refuse_outputs_among_entries(const OutputNames& outputs, std::int32_t entry_count) {
  if (entry_count == 0) return;
  // Read as entries only where the buffer file may name an output.
  if (const auto start = outputs.start_of_every_name(); start && !buffer_file_holds(*start)) return;
  std::string dirax_file_name;
  float temperature = 0.0F;
  std::int64_t last_failed_line = -1;
  for (;;) {
    const EntryRead entry = read_entry(dirax_file_name, temperature, last_failed_line);
    if (entry.status == textrec::kStatusOk) {
      if (outputs.entry_named_by(dirax_file_name)) refuse_output(dirax_file_name, entry.line);
    } else if (!entry.followed) {
      break;
    }
  }
  formats::rewind_to_first_entry();
}

namespace {

// An entry that cannot be read: told where the read failed, as the dialogue
// has always told it, or skipped under keep_going. Whether the pass goes on.
bool pass_unreadable_entry(const EntryRead& entry, const PassSettings& settings,
                           PassResult& result) {
  ++result.entries;
  result.unreadable_entry = true;
  if (!settings.keep_going) {
    console_write({" !! Line ", std::to_string(entry.last_line),
                   " of the buffer file cannot be read as a file name and a temperature !!"});
    return false;
  }
  console_write(
      {" !! Line ", std::to_string(entry.line), " of the buffer file cannot be read: skipped"});
  ++result.skipped;
  return entry.followed;
}

enum class Opening { kOpened, kSkipped, kStopped };

// The entry's file opened on the DIRAX channel: the existence check and the
// open are one open of the file. A missing file is told, with the folder
// names are taken relative to the first time (`folder_told`), and skipped
// under keep_going or ends the pass.
Opening open_entry_file(const std::string& name, const PassSettings& settings, bool& folder_told,
                        PassResult& result) {
  const auto shown = [&] { return common::safe_text(trim_right(name)); };
  const auto tell_folder = [&] {
    if (settings.current_folder.empty() || folder_told || name.starts_with('/')) return;
    folder_told = true;
    console_write({" !! the buffer file's names are taken relative to the current folder, ",
                   common::safe_text(settings.current_folder)});
  };
  if (settings.keep_going) {
    const textrec::OpenCheck opened = textrec::try_open_for_reading(formats::kDiraxChannel, name);
    if (opened.can_open) return Opening::kOpened;
    if (opened.missing) {
      console_write({" !! ", shown(), " does not exist: skipped"});
      tell_folder();
    } else {
      console_write({" !! ", shown(), " cannot be read: ", opened.reason, ": skipped"});
    }
    ++result.skipped;
    return Opening::kSkipped;
  }
  if (textrec::open_for_reading_if_exists(formats::kDiraxChannel, name)) return Opening::kOpened;
  console_write({" !! ", shown(), " does not exist !!"});
  tell_folder();
  console_write({" "});
  result.end = PassEnd::kMissingDiraxFile;
  return Opening::kStopped;
}

}  // namespace

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
      if (!pass_unreadable_entry(entry, settings, result)) return result;
      continue;
    }
    ++result.entries;
    const Opening opening = open_entry_file(dirax_file_name, settings, folder_told, result);
    if (opening == Opening::kStopped) return result;
    if (opening == Opening::kSkipped) continue;
    if (!take_listed_file(trim_right(dirax_file_name), temperature, entry.line, settings, result))
      return result;
    if (settings.progress != nullptr) settings.progress->entry_done(result.entries);
  }
}

formats::TableSources table_sources(const PassResult& pass) {
  if (pass.other_rows == 0) return formats::TableSources::kDirax;
  return pass.other_rows == pass.rows ? formats::TableSources::kOtherFiles
                                      : formats::TableSources::kBoth;
}

int least_exit_status(const PassResult& pass) {
  if (pass.unreadable_entry || pass.skipped > 0) return textrec::kExitError;
  return pass.warnings > 0 || pass.without_cell > 0 ? textrec::kExitWarning : textrec::kExitClean;
}

}  // namespace korvex
