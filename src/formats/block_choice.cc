#include "formats/block_choice.h"

#include <filesystem>
#include <set>
#include <unordered_map>

#include "common/number_text.h"

namespace formats {
namespace {

// The first temperature (or pressure) at which the file gives more than one
// cell.
std::optional<double> shared_abscissa(const std::vector<crystal::CellEntry>& cells,
                                      crystal::Abscissa abscissa) {
  std::unordered_map<double, int> count;
  for (const crystal::CellEntry& cell : cells) ++count[*crystal::abscissa(cell, abscissa)];
  for (const crystal::CellEntry& cell : cells)
    if (count[*crystal::abscissa(cell, abscissa)] > 1) return crystal::abscissa(cell, abscissa);
  return std::nullopt;
}

// "100.00 K", "0.5 GPa": where cells are written.
std::string written_at(double value, crystal::Abscissa abscissa) {
  if (abscissa == crystal::Abscissa::kPressure) return common::shortest(value) + " GPa";
  return common::fixed(value, 2) + " K";
}

// The names of the blocks every file gives (of a file of one cell, "").
std::set<std::string> blocks_everywhere(const std::vector<FileCells>& files) {
  std::optional<std::set<std::string>> everywhere;
  for (const FileCells& file : files) {
    std::set<std::string> names;
    for (const crystal::CellEntry& cell : file.cells) names.insert(block_of(file, cell));
    if (!everywhere) everywhere = names;
    std::erase_if(*everywhere, [&](const std::string& n) { return !names.contains(n); });
  }
  return everywhere.value_or(std::set<std::string>());
}

}  // namespace

NamedFile named_file(const std::string& name) {
  std::error_code error;
  const std::size_t colon = name.rfind(':');
  if (colon == std::string::npos || colon == 0 || std::filesystem::exists(name, error))
    return {name, std::nullopt};
  const std::string file = name.substr(0, colon);
  if (!std::filesystem::exists(file, error)) return {name, std::nullopt};
  return {file, name.substr(colon + 1)};
}

std::string block_of(const FileCells& file, const crystal::CellEntry& cell) {
  const std::string prefix = file.named.file + ":";
  return cell.source.starts_with(prefix) ? cell.source.substr(prefix.size()) : std::string();
}

common::Expected<void> keep_named_block(FileCells& file) {
  if (!file.named.block) return {};
  std::string blocks;
  for (const crystal::CellEntry& cell : file.cells)
    blocks += (blocks.empty() ? "" : ", ") + block_of(file, cell);
  std::erase_if(file.cells, [&](const crystal::CellEntry& c) {
    return block_of(file, c) != *file.named.block;
  });
  if (file.cells.empty()) {
    return common::Error{
        0, file.named.file + " has no block " + *file.named.block + "; its blocks: " + blocks};
  }
  return {};
}

common::Expected<std::vector<std::string>> choose_blocks(std::vector<FileCells>& files,
                                                         crystal::Abscissa abscissa) {
  std::vector<std::string> warnings;
  // Made only where a file needs a choice: a table's rows are no blocks.
  std::optional<std::set<std::string>> everywhere;
  for (FileCells& file : files) {
    if (!file.blocks || file.named.block) continue;
    const std::optional<double> shared = shared_abscissa(file.cells, abscissa);
    if (!shared) continue;
    if (!everywhere) everywhere = blocks_everywhere(files);
    std::string blocks;
    for (const crystal::CellEntry& cell : file.cells)
      blocks += (blocks.empty() ? "" : ", ") + block_of(file, cell);
    const std::string what = file.named.file + " gives " + std::to_string(file.cells.size()) +
                             " cells, " + written_at(*shared, abscissa) + " shared (" + blocks +
                             ")";
    if (everywhere->size() != 1) {
      return common::Error{0, what + ": choose one as " + file.named.file +
                                  ":BLOCK, on the command line or in the list"};
    }
    const std::string& taken = *everywhere->begin();
    std::erase_if(file.cells,
                  [&](const crystal::CellEntry& c) { return block_of(file, c) != taken; });
    std::string told = what;
    told.append(": ").append(taken).append(" taken, the one every file of the series gives");
    warnings.push_back(std::move(told));
  }
  return warnings;
}

}  // namespace formats
