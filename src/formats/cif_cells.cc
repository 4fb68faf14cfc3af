#include "formats/cif_cells.h"

#include <array>
#include <charconv>
#include <exception>
#include <gemmi/cif.hpp>
#include <string>

#include "formats/reader_parts.h"
#include "formats/value_su.h"

namespace formats {
namespace {

namespace cif = gemmi::cif;

// An item's value as written, the line of its tag, and its name.
struct Found {
  std::string text;  // quotes and text-field markers removed
  int line = 0;
  std::string tag;
};

// The first of the tags the block gives a value for, "?" and "." being none.
std::optional<Found> find_item(cif::Block& block, std::initializer_list<const char*> tags) {
  for (const char* tag : tags) {
    cif::Column column = block.find_values(tag);
    // A loop gives a block's cell only when it holds one row.
    if (column.item() == nullptr || column.length() != 1) continue;
    const std::string& raw = column[0];
    if (cif::is_null(raw)) continue;
    return Found{cif::as_string(raw), column.item()->line_number, tag};
  }
  return std::nullopt;
}

struct CellTags {
  const char* cif1;
  const char* ddlm;
};
constexpr std::array<CellTags, 6> kCellTags = {{{"_cell_length_a", "_cell.length_a"},
                                                {"_cell_length_b", "_cell.length_b"},
                                                {"_cell_length_c", "_cell.length_c"},
                                                {"_cell_angle_alpha", "_cell.angle_alpha"},
                                                {"_cell_angle_beta", "_cell.angle_beta"},
                                                {"_cell_angle_gamma", "_cell.angle_gamma"}}};

common::Expected<ValueWithSu> number_of(const Found& found, const std::string& name) {
  const std::optional<ValueWithSu> value = parse_value_with_su(found.text);
  if (!value)
    return common::Error{found.line, name + ": " + found.tag + " is not a number: " + found.text};
  return *value;
}

// The temperature of a block, with a warning when its two items disagree.
common::Expected<std::optional<ValueWithSu>> temperature_of(cif::Block& block,
                                                            const std::string& name,
                                                            std::vector<CellWarning>& warnings) {
  const std::optional<Found> cell =
      find_item(block, {"_cell_measurement_temperature", "_cell_measurement.temperature"});
  const std::optional<Found> ambient =
      find_item(block, {"_diffrn_ambient_temperature", "_diffrn.ambient_temperature"});
  std::optional<ValueWithSu> taken;
  if (cell) {
    auto value = number_of(*cell, name);
    if (!value) return value.error();
    taken = *value;
  }
  if (ambient) {
    auto value = number_of(*ambient, name);
    if (!value) return value.error();
    if (!taken) {
      taken = *value;
    } else if (value->value != taken->value) {
      warnings.push_back({name + ": " + cell->tag + " " + cell->text + " and " + ambient->tag +
                              " " + ambient->text + " differ; " + cell->text + " K taken",
                          true});
    }
  }
  return taken;
}

// The block's cell entry; nothing for a block that gives none of the six.
common::Expected<std::optional<CellEntry>> block_entry(cif::Block& block, std::string_view source,
                                                       std::vector<CellWarning>& warnings) {
  std::array<std::optional<Found>, 6> items;
  int given = 0;
  int first_line = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    items[i] = find_item(block, {kCellTags[i].cif1, kCellTags[i].ddlm});
    if (!items[i]) continue;
    if (given++ == 0) first_line = items[i]->line;
  }
  if (given == 0) return std::optional<CellEntry>();
  CellEntry entry;
  entry.source = std::string(source) + ":" + block.name;
  std::array<double, 6> values{};
  std::array<std::optional<double>, 6> sus;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!items[i])
      return common::Error{first_line, entry.source + ": " + kCellTags[i].cif1 + " is not given"};
    auto value = number_of(*items[i], entry.source);
    if (!value) return value.error();
    values[i] = value->value;
    sus[i] = su_if_refined(value->su);
  }
  entry.cell = cell_of(values);
  entry.su = cell_su_of(sus);
  auto temperature = temperature_of(block, entry.source, warnings);
  if (!temperature) return temperature.error();
  if (const std::optional<ValueWithSu>& t = *temperature) {
    entry.temperature = t->value;
    entry.temperature_su = su_if_refined(t->su);
  }
  // The ambient pressure is given in kilopascals.
  if (const auto pressure =
          find_item(block, {"_diffrn_ambient_pressure", "_diffrn.ambient_pressure"})) {
    auto value = number_of(*pressure, entry.source);
    if (!value) return value.error();
    entry.pressure = value->value * 1e-6;
  }
  if (const auto system = find_item(
          block,
          {"_space_group_crystal_system", "_space_group.crystal_system", "_symmetry_cell_setting"}))
    entry.system = system_named(system->text);
  if (const auto hm = find_item(block, {"_space_group_name_H-M_alt", "_space_group.name_H-M_alt",
                                        "_symmetry_space_group_name_H-M"})) {
    entry.lattice = lattice_of_symbol(hm->text);
  } else if (const auto hall = find_item(block, {"_space_group_name_Hall", "_space_group.name_Hall",
                                                 "_symmetry_space_group_name_Hall"})) {
    entry.lattice = lattice_of_symbol(hall->text);
  }
  auto checked = checked_entry(std::move(entry), first_line);
  if (!checked) return checked.error();
  return std::optional<CellEntry>(std::move(checked).value());
}

// gemmi says where it failed as "NAME:LINE:COLUMN: WHAT" or "NAME:LINE in
// data_BLOCK: WHAT", NAME being the one given to it.
common::Error parse_failure(std::string_view what, std::string_view name) {
  // (Built as C++17: no starts_with.)
  if (what.substr(0, name.size()) != name || what.size() == name.size() || what[name.size()] != ':')
    return common::Error{0, std::string(what)};
  what.remove_prefix(name.size() + 1);
  int line = 0;
  const auto [end, error] = std::from_chars(what.data(), what.data() + what.size(), line);
  if (error == std::errc()) what.remove_prefix(static_cast<std::size_t>(end - what.data()));
  if (!what.empty() && what.front() == ':') {  // the column
    what.remove_prefix(1);
    while (!what.empty() && what.front() >= '0' && what.front() <= '9') what.remove_prefix(1);
  }
  while (!what.empty() && (what.front() == ':' || what.front() == ' ')) what.remove_prefix(1);
  if (what.substr(0, 3) == "in ") what.remove_prefix(3);
  return common::Error{line, std::string(what)};
}

}  // namespace

common::Expected<CellRead> read_cif_cells(std::string_view bytes, std::string_view source) {
  constexpr const char* kName = "cif";
  cif::Document document;
  try {
    document = cif::read_memory(bytes.data(), bytes.size(), kName);
  } catch (const std::exception& e) {
    return parse_failure(e.what(), kName);
  }
  CellRead read;
  for (cif::Block& block : document.blocks) {
    auto entry = block_entry(block, source, read.warnings);
    if (!entry) return entry.error();
    if (*entry) read.entries.push_back(**entry);
  }
  if (read.entries.empty())
    return common::Error{0, "no data block gives a cell (_cell_length_a ...)"};
  return read;
}

}  // namespace formats
