// The pass over the entries of the buffer file, shared by the dialogue and the
// batch mode.
//
// For each entry: read the file name and the temperature, open the file, and
// tell its format by its first bytes (formats/cell_file.h). DIRAX output is
// scanned and, where a cell was found, gives its table row and plot points
// (and its CSV row when asked); a file of another program's format is read
// whole and gives one row for each cell it holds, at the temperature the one
// rule of formats/listed_entry.h takes it at, the volume computed from the
// cell. The output files are created
// before the pass and the plot files ended after it by the caller.
#pragma once

#include <cstdint>

#include "crystal/cell.h"
#include "formats/cell_record.h"
#include "formats/table_file.h"
#include "output_files.h"

namespace korvex {

// Told after each entry, with the count of entries taken so far.
class PassProgress {
 public:
  virtual ~PassProgress() = default;
  virtual void entry_done(std::int64_t entries) = 0;
};

// Given each cell found, by value, after its rows are written, with the SUs
// its file gives (none for DIRAX output).
class CellCollector {
 public:
  virtual ~CellCollector() = default;
  virtual void take(formats::CellRecord cell, const crystal::CellSu& su) = 0;
};

struct PassSettings {
  formats::CellChoice choice = formats::CellChoice::kInput;
  // Report a missing file, a cell file that cannot be read or an entry that
  // cannot be read, and go on with the next entry; otherwise the pass stops
  // there, as the dialogue does.
  bool keep_going = false;
  bool csv = false;  // a CSV row on the CSV channel too
  // Name each DIRAX file that gives no cell (a warning); the dialogue passes
  // over such an entry without a word.
  bool tell_entries_without_cell = false;
  // When given, the first missing file of a relative name is followed by a
  // line that tells the folder names are taken relative to: the batch mode's
  // outputs may go to another folder, its names never do.
  std::string_view current_folder{};
  PassProgress* progress = nullptr;
  CellCollector* cells = nullptr;
  // An entry whose file, as opened, is one of these ends the run as a severe
  // failure.
  const OutputNames* outputs = nullptr;
};

enum class PassEnd {
  kListEnded,           // every entry taken (or the list ended at one that cannot be read)
  kMissingDiraxFile,    // stopped at a DIRAX file that does not exist
  kUnreadableCellFile,  // stopped at a cell file that cannot be read
};

struct PassResult {
  PassEnd end = PassEnd::kListEnded;
  std::int64_t entries = 0;     // entries taken, skipped ones included
  std::int64_t rows = 0;        // cells found: table rows written
  std::int64_t other_rows = 0;  // those of other programs' cell files
  std::int64_t skipped = 0;     // entries reported and passed over (keep_going)
  // Told of the rows: a cell file's own warnings, a temperature written as
  // asterisks.
  std::int64_t warnings = 0;
  std::int64_t without_cell = 0;  // DIRAX files told to give no cell
  bool unreadable_entry = false;
};

[[nodiscard]] PassResult run_pass(const PassSettings& settings);

// Where the rows of the pass came from, as the table's notes say it.
[[nodiscard]] formats::TableSources table_sources(const PassResult& pass);

// The exit status a pass that went through the list calls for at least: 8 for
// an entry that could not be read or was skipped, 4 for a warning or a DIRAX
// file told to give no cell, else 0.
[[nodiscard]] int least_exit_status(const PassResult& pass);

// Reads the entries of the buffer file, which stands at its third line, ahead
// of the pass, before any output is created: a DIRAX name that is one of the
// outputs (OutputNames::entry_named_by) ends the run as a severe failure,
// since creating the outputs would empty it. The buffer file is left at its third line again.
// entry_count is that of the buffer file's head; with none there is nothing to read.
void refuse_outputs_among_entries(const OutputNames& outputs, std::int32_t entry_count);

}  // namespace korvex
