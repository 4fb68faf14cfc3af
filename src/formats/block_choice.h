// The cells of a series' files, one point a file: a CIF's blocks or a
// DIALS file's crystals are several cells, of which a series takes one per
// temperature (or pressure). A file is named as it is ("a.cif") or by one of
// its blocks ("a.cif:b293"); a file whose blocks give several cells at one
// temperature is never two points of the series: the block every file of
// the series gives is taken where there is one such name, and said;
// otherwise the series stops, naming the file and its blocks.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/expected.h"
#include "crystal/cell.h"

namespace formats {

// A file as named, "FILE:BLOCK" for one block (or crystal) of it.
struct NamedFile {
  std::string file;
  std::optional<std::string> block;
};

// A name that is no file but whose part before its last ":" is one names a
// block of that file.
[[nodiscard]] NamedFile named_file(const std::string& name);

// The file's cells, for the choice of blocks.
struct FileCells {
  NamedFile named;
  bool blocks = false;  // the cells are the blocks of a CIF or the crystals of a DIALS file
  std::vector<crystal::CellEntry> cells;
};

// The name of a cell's block (or crystal) in its file; "" for a file's one
// cell.
[[nodiscard]] std::string block_of(const FileCells& file, const crystal::CellEntry& cell);

// The cells of the block the file is named by, alone; a file named without
// a block keeps all. Fails where the file has no such block, naming those it
// has.
[[nodiscard]] common::Expected<void> keep_named_block(FileCells& file);

// The block every file takes where one gives several cells at one abscissa;
// the warnings that say which was taken. Fails where the files share no one
// block name, naming the file and its blocks.
[[nodiscard]] common::Expected<std::vector<std::string>> choose_blocks(
    std::vector<FileCells>& files, crystal::Abscissa abscissa);

}  // namespace formats
