// A file named in the list of a series (korvex's buffer file, the --list of
// korvex-expansion), from its bytes to the cells it gives, each at the
// temperature (or, for a pressure series, the pressure) it is written at.
//
// The file is recognised by its content (cell_file.h). DIRAX output gives one
// cell, scanned as korvex scans it, at the list's temperature; so does a file
// that holds DIRAX cell lines where the reader of the format its first line
// suggests fails or skips lines. A file of
// another format is read whole and gives each of its cells with its SUs, and
// the temperatures are reconciled with the list's by one rule:
//
// - A file that gives one cell: the cell is taken at the list's temperature.
//   Where the file states its own temperature and it differs from the list's
//   by more than three times its SU (0.5 K where it has none), a warning names
//   the file, both temperatures and the list's line. The temperature's SU
//   goes with the cell only where the file's temperature agrees with the
//   list's: otherwise it is the SU of a temperature not used.
//
// A pressure series (a list whose second field is a pressure in GPa) takes
// the pressures by the same rule, 0.05 GPa where the file's has no SU; a
// file's temperature is then not compared with the list.
// - A file that gives several cells (table rows, CIF blocks, the crystals of
//   an experiment list): each cell that states its own temperature is taken at
//   it, with its SU; the others at the list's. Where two or more of its cells
//   end at one temperature a warning says so ("NAME gives 3 cells; all written
//   at 100.00 K").
//
// A cell file is read whole up to kCellFileLimit bytes, in both programs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/expected.h"
#include "crystal/cell.h"
#include "formats/cell_file.h"
#include "formats/cell_record.h"

namespace formats {

// How the bytes of a listed file are had: korvex reads the file open on its
// DIRAX channel, korvex-expansion bytes it read whole.
class ListedFile {
 public:
  virtual ~ListedFile() = default;
  // The start of the file, enough to tell its format (recognise()).
  [[nodiscard]] virtual std::string_view start() = 0;
  // The whole file, which stays valid as long as this object; false when it
  // is larger than kCellFileLimit bytes.
  [[nodiscard]] virtual bool whole(std::string_view* bytes) = 0;
  // The cell DIRAX output gives for the choice, also after whole(); a value
  // that is no plain number is told to the run's error report (korvex) or
  // put into `told`.
  [[nodiscard]] virtual CellRecord scan_dirax(CellChoice choice,
                                              std::vector<std::string>& told) = 0;
  // Whether a long read is to stop: the run has been asked to end.
  [[nodiscard]] virtual bool interrupted() { return false; }
};

// A listed file whose bytes are in memory; they must outlive it.
class ListedBytes final : public ListedFile {
 public:
  ListedBytes(std::string_view bytes, std::string_view name) : bytes_(bytes), name_(name) {}
  std::string_view start() override { return bytes_; }
  bool whole(std::string_view* bytes) override;
  CellRecord scan_dirax(CellChoice choice, std::vector<std::string>& told) override;

 private:
  std::string_view bytes_;
  std::string_view name_;
};

// An entry of the list as the reconciling rule needs it.
struct ListedName {
  std::string_view name;  // the file as listed
  double value = 0;       // the list's temperature (K) or pressure (GPa)
  std::string_view list;  // the list, as messages name it ("the buffer file")
  std::int64_t line = 0;  // the list's line that gives the entry
  crystal::Abscissa abscissa = crystal::Abscissa::kTemperature;  // what `value` is
};

struct ListedCells {
  CellFormat format = CellFormat::kDirax;
  // DIRAX output: the scanned cell, its temperature the list's (has_cell()
  // false where the file gives none); `warnings` what the scan told. None
  // for a file of any other format or kind.
  std::optional<CellRecord> dirax;
  // Any other format: the cells, each at the temperature (or pressure) it is
  // taken at.
  std::vector<crystal::CellEntry> cells;
  std::vector<std::string> warnings;  // whole messages, each naming the file
  // The warnings of cells that end at one temperature, whole messages.
  std::vector<std::string> shared;
  std::vector<int> skipped_lines;  // table rows left out
  std::vector<std::string> notes;  // how a table was read, where it had a choice
  std::string title;               // the file's own title, where it gives one
  // A file of another kind (of_another_kind: a picture, an archive, ...):
  // no cell, for the caller to tell (not_a_cell_file).
  bool unrecognised = false;
};

// The cells of a listed file. The error (of line 0) says why it cannot be
// read: "as CIF: line 55: ...", "as CIF: the file is larger than 64 MiB".
[[nodiscard]] common::Expected<ListedCells> read_listed_file(const ListedName& entry,
                                                             ListedFile& file, CellChoice choice);

// The cells of a file that gives its own temperatures (a table, a CIF, ...),
// as korvex-expansion takes a file named alone: recognised, read whole, its
// warnings told. The error is told in the file (common::in_file). For a
// pressure series a table's first column is the pressure (GPa), and a cell
// file must give its pressure.
[[nodiscard]] common::Expected<ListedCells> read_dated_file(
    std::string_view name, std::string_view bytes,
    crystal::Abscissa abscissa = crystal::Abscissa::kTemperature);

}  // namespace formats
