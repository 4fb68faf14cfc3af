// The pass over the entries of the buffer file, shared by the dialogue and the
// batch mode.
//
// For each entry: read the DIRAX file name and the temperature, open the file,
// scan it and, where a cell was found, write its table row and plot points
// (and its CSV row when asked). The output files are created before the pass
// and the plot files ended after it by the caller.
#pragma once

#include <cstdint>

#include "formats/cell_record.h"
#include "output_files.h"

namespace korvex {

// Told after each entry, with the count of entries taken so far.
class PassProgress {
 public:
  virtual ~PassProgress() = default;
  virtual void entry_done(std::int64_t entries) = 0;
};

struct PassSettings {
  formats::CellChoice choice = formats::CellChoice::kInput;
  // Report a missing DIRAX file or an entry that cannot be read, and go on with
  // the next entry; otherwise the pass stops there, as the dialogue does.
  bool keep_going = false;
  bool csv = false;  // a CSV row on the CSV channel too
  // Name each DIRAX file that gives no cell (a warning); the dialogue passes
  // over such an entry without a word.
  bool tell_entries_without_cell = false;
  PassProgress* progress = nullptr;
};

enum class PassEnd {
  kListEnded,         // every entry taken (or the list ended at one that cannot be read)
  kMissingDiraxFile,  // stopped at a DIRAX file that does not exist
};

struct PassResult {
  PassEnd end = PassEnd::kListEnded;
  std::int64_t entries = 0;  // entries taken, skipped ones included
  std::int64_t rows = 0;     // cells found: table rows written
  std::int64_t skipped = 0;  // entries reported and passed over (keep_going)
  // Rows whose temperature did not fit its field: warned of, written as asterisks.
  std::int64_t wide_temperatures = 0;
  std::int64_t without_cell = 0;  // entries told to give no cell
  bool unreadable_entry = false;
};

// The least exit status the pass calls for: an error for an entry skipped or
// that could not be read, a warning for a temperature written as asterisks or
// an entry told to give no cell.
[[nodiscard]] int pass_status(const PassResult& pass);

[[nodiscard]] PassResult run_pass(const PassSettings& settings);

// Reads the entries of the buffer file, which stands at its third line, ahead
// of the pass, before any output is created: a DIRAX name that is one of the
// outputs ends the run as a severe failure, since creating the outputs would
// empty it. The buffer file is left at its third line again. entry_count is
// that of the buffer file's head; with none there is nothing to read.
void refuse_outputs_among_entries(const OutputNames& outputs, std::int32_t entry_count);

}  // namespace korvex
