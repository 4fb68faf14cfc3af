// Where korvex-expansion takes its points from: tables of cells against
// temperature (or pressure), cell files that give their own temperature (or
// pressure), and a list in korvex's buffer-file format that names cell files,
// DIRAX output among them, with their temperatures (or pressures).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/expected.h"
#include "crystal/cell.h"
#include "formats/cell_record.h"

namespace korvex_expansion {

struct InputNames {
  std::vector<std::string> files;           // named on the command line
  std::optional<std::string> list;          // --list
  std::optional<formats::CellChoice> cell;  // --cell, for DIRAX files in the list
  // --pressure: the series is in GPa; a cell file gives its pressure
  // (converted from the kilopascals of a CIF), the list's second field is a
  // pressure.
  bool pressure = false;
  [[nodiscard]] crystal::Abscissa abscissa() const {
    return pressure ? crystal::Abscissa::kPressure : crystal::Abscissa::kTemperature;
  }
};

struct Points {
  // By the abscissa (crystal::abscissa), each point's set; a table read
  // alone keeps its own order.
  std::vector<crystal::CellEntry> cells;
  std::string name;                // the inputs, as the report names them
  std::string title;               // the --list's title line, where it gives one
  std::vector<int> skipped_lines;  // table rows left out (overflow form)
  std::vector<std::string> warnings;
  std::vector<std::string> notes;  // how a table was read, where it had a choice
  // A warning that ends the run with status 4: a listed file's own
  // temperature against the list's, several of its cells at one temperature,
  // a temperature written with a decimal comma, a block taken of several.
  bool warned = false;
  bool comment_names_pressure = false;       // a table's "#" comment says "pressure"
  std::vector<std::string> read;             // every file read: those named, the list, its entries
  std::vector<crystal::CellEntry> left_out;  // outside --range, in the order read
};

// The points of every input. An error's message is whole, naming the file
// ("NAME: REASON", "NAME, line N: REASON").
[[nodiscard]] common::Expected<Points> read_points(const InputNames& names);

}  // namespace korvex_expansion
