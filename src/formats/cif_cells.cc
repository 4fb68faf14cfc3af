#include "formats/cif_cells.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <exception>
#include <gemmi/cif.hpp>
#include <string>
#include <unordered_set>
#include <variant>

#include "formats/reader_parts.h"
#include "formats/value_su.h"

namespace formats {
namespace {

namespace cif = gemmi::cif;

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// An item's value as written, the line of its tag, and its name.
struct Found {
  std::string text;  // quotes and text-field markers removed
  int line = 0;
  std::string tag;
};

// Why a block gives no value for an item it names.
struct Unusable {
  std::string reason;  // "is unknown (?)", "is in a loop of 2 rows"
  int line = 0;
  std::string tag;
};

// The first of the tags the block gives a value for; else why the first tag
// it names gives none, or nothing when it names none.
std::variant<std::monostate, Found, Unusable> find_item(cif::Block& block,
                                                        std::initializer_list<const char*> tags) {
  std::optional<Unusable> unusable;
  for (const char* tag : tags) {
    cif::Column column = block.find_values(tag);
    if (column.item() == nullptr) continue;
    const int line = column.item()->line_number;
    // A loop gives a block's cell only when it holds one row.
    if (column.length() != 1) {
      if (!unusable)
        unusable =
            Unusable{"is in a loop of " + std::to_string(column.length()) + " rows", line, tag};
      continue;
    }
    const std::string& raw = column[0];
    if (cif::is_null(raw)) {
      if (!unusable)
        unusable = Unusable{raw == "?" ? "is unknown (?)" : "is inapplicable (.)", line, tag};
      continue;
    }
    // A text field's value without the line ends around it.
    std::string text = cif::as_string(raw);
    if (raw.front() == ';') text = std::string(trimmed(text));
    return Found{std::move(text), line, tag};
  }
  if (unusable) return *unusable;
  return std::monostate();
}

std::optional<Found> found(const std::variant<std::monostate, Found, Unusable>& item) {
  if (const Found* f = std::get_if<Found>(&item)) return *f;
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

common::Expected<ValueWithSu> number_of(const Found& found, const std::string& block) {
  const std::optional<ValueWithSu> value = parse_value_with_su(found.text);
  if (!value)
    return common::Error{found.line, block + ": " + found.tag + " is not a number: " + found.text};
  if (value->su && *value->su > std::abs(value->value))
    return common::Error{
        found.line, block + ": " + found.tag + " " + found.text + ": an SU larger than its value"};
  return *value;
}

// The ambient pressure, written in kPa, in GPa with its SU, their digits as
// written. An SU larger than its value is taken for a pressure near zero
// (below kNearAmbient): a gauge read at ambient pressure gives 100(50000).
constexpr double kNearAmbient = 0.01;  // GPa
common::Expected<ValueWithSu> gigapascals_of(const Found& found, const std::string& block) {
  const std::optional<ValueWithSu> kilopascals = parse_value_with_su(found.text);
  if (!kilopascals)
    return common::Error{found.line, block + ": " + found.tag + " is not a number: " + found.text};
  ValueWithSu value{scaled_decimal(kilopascals->value, -6), std::nullopt};
  if (kilopascals->su) value.su = scaled_decimal(*kilopascals->su, -6);
  if (value.su && *value.su > std::abs(value.value) && !(std::abs(value.value) < kNearAmbient))
    return common::Error{
        found.line, block + ": " + found.tag + " " + found.text + ": an SU larger than its value"};
  return value;
}

// A temperature's number as written, without its unit: "293" of "293K".
std::string_view kelvin_text(const Found& found) {
  std::string_view text = trimmed(found.text);
  if (!text.empty() && (text.back() == 'K' || text.back() == 'k'))
    text = trimmed(text.substr(0, text.size() - 1));
  return text;
}

std::optional<ValueWithSu> kelvin_of(const Found& found) {
  const std::optional<ValueWithSu> value = parse_value_with_su(kelvin_text(found));
  if (!value || (value->su && *value->su > std::abs(value->value))) return std::nullopt;
  return value;
}

// The temperature of a block: _cell_measurement_temperature, else
// _diffrn_ambient_temperature; a warning when the two differ, and for one that
// is no temperature (which the read does without).
// `text` the number as written.
std::optional<ValueWithSu> temperature_of(cif::Block& block, const std::string& name,
                                          std::vector<CellWarning>& warnings, std::string& text) {
  std::optional<ValueWithSu> taken;
  std::optional<Found> taken_item;
  for (const auto& tags : {std::initializer_list<const char*>{"_cell_measurement_temperature",
                                                              "_cell_measurement.temperature"},
                           std::initializer_list<const char*>{"_diffrn_ambient_temperature",
                                                              "_diffrn.ambient_temperature"}}) {
    const std::optional<Found> item = found(find_item(block, tags));
    if (!item) continue;
    const std::optional<ValueWithSu> value = kelvin_of(*item);
    if (!value) {
      warnings.push_back({name + ", line " + std::to_string(item->line) + ": " + item->tag + " " +
                              item->text + " is no temperature: not used",
                          true});
    } else if (!taken) {
      taken = value;
      taken_item = item;
      text = std::string(kelvin_text(*item));
    } else if (value->value != taken->value) {
      warnings.push_back({name + ": " + taken_item->tag + " " + taken_item->text + " and " +
                              item->tag + " " + item->text + " differ; " + taken_item->text +
                              " K taken",
                          true});
    }
  }
  return taken;
}

// The six items of the cell: each found, or an error naming the first that is
// not; nothing when the block names none of them.
common::Expected<std::optional<std::array<Found, 6>>> cell_items(cif::Block& block,
                                                                 const std::string& name) {
  std::array<std::variant<std::monostate, Found, Unusable>, 6> items;
  int first_line = 0;
  bool named = false;
  for (std::size_t i = 0; i < items.size(); ++i) {
    items[i] = find_item(block, {kCellTags[i].cif1, kCellTags[i].ddlm});
    if (std::holds_alternative<std::monostate>(items[i])) continue;
    const int line = found(items[i]) ? found(items[i])->line : std::get<Unusable>(items[i]).line;
    if (!named) first_line = line;
    named = true;
  }
  if (!named) return std::optional<std::array<Found, 6>>();
  std::array<Found, 6> cell;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (const Unusable* u = std::get_if<Unusable>(&items[i]))
      return common::Error{u->line, name + ": " + u->tag + " " + u->reason};
    if (!found(items[i]))
      return common::Error{first_line, name + ": " + kCellTags[i].cif1 + " is not given"};
    cell[i] = *found(items[i]);
  }
  return std::optional<std::array<Found, 6>>(cell);
}

// The crystal system and lattice letter where the block gives them.
void symmetry_of(cif::Block& block, crystal::CellEntry& entry) {
  if (const auto system =
          found(find_item(block, {"_space_group_crystal_system", "_space_group.crystal_system",
                                  "_symmetry_cell_setting"})))
    entry.system = system_named(system->text);
  if (const auto hm =
          found(find_item(block, {"_space_group_name_H-M_alt", "_space_group.name_H-M_alt",
                                  "_symmetry_space_group_name_H-M"}))) {
    entry.lattice = lattice_of_symbol(hm->text);
    entry.space_group = hm->text;
  } else if (const auto hall =
                 found(find_item(block, {"_space_group_name_Hall", "_space_group.name_Hall",
                                         "_symmetry_space_group_name_Hall"}))) {
    entry.lattice = lattice_of_symbol(hall->text);
  }
}

// The block's cell entry; nothing for a block that gives none of the six.
// Errors name the block (data_NAME), warnings the entry.
common::Expected<std::optional<crystal::CellEntry>> block_entry(
    cif::Block& block, std::string_view source, std::vector<CellWarning>& warnings) {
  const std::string block_name = "data_" + block.name;
  COMMON_TRY(items, cell_items(block, block_name));
  if (!*items) return std::optional<crystal::CellEntry>();
  crystal::CellEntry entry;
  entry.source = std::string(source) + ":" + block.name;
  std::array<double, 6> values{};
  std::array<std::optional<double>, 6> sus;
  std::array<crystal::GivenText, 8> texts;
  for (std::size_t i = 0; i < values.size(); ++i) {
    COMMON_TRY(value, number_of((**items)[i], block_name));
    values[i] = value->value;
    sus[i] = su_if_refined(value->su);
    texts[i].value = (**items)[i].text;
  }
  entry.cell = crystal::cell_of(values);
  entry.su = crystal::cell_su_of(sus);
  if (const std::optional<ValueWithSu> t = temperature_of(
          block, entry.source, warnings, texts[crystal::GivenTexts::kTemperature].value)) {
    entry.temperature = t->value;
    entry.temperature_su = su_if_refined(t->su);
  }
  entry.given = crystal::GivenTexts::of(texts);
  if (const auto pressure =
          found(find_item(block, {"_diffrn_ambient_pressure", "_diffrn.ambient_pressure"}))) {
    COMMON_TRY(value, gigapascals_of(*pressure, entry.source));
    entry.pressure = value->value;
    entry.pressure_su = su_if_refined(value->su);
  }
  symmetry_of(block, entry);
  COMMON_TRY(checked, checked_entry(std::move(entry), (**items)[0].line, block_name));
  return std::optional<crystal::CellEntry>(std::move(checked).value());
}

// The end of the CIF 2.0 value that begins at `at` (a list, a table, a
// quoted or triple-quoted text), the values nested in it passed over; the
// text's end when it is never closed.
std::size_t cif2_value_end(std::string_view text, std::size_t at) {
  const char open = text[at];
  if (open == '\'' || open == '"') {
    const std::string_view quote =
        text.substr(at, 3) == std::string(3, open) ? text.substr(at, 3) : text.substr(at, 1);
    const std::size_t close = text.find(quote, at + quote.size());
    return close == std::string_view::npos ? text.size() : close + quote.size();
  }
  int depth = 0;
  while (at < text.size()) {
    const char c = text[at];
    if (c == '\'' || c == '"') {
      at = cif2_value_end(text, at);
      continue;
    }
    if (c == '[' || c == '{') ++depth;
    if ((c == ']' || c == '}') && --depth == 0) return at + 1;
    ++at;
  }
  return text.size();
}

// Thrown from a parse that the interrupt stops.
struct InterruptedParse {};

// A CIF 2.0 file as CIF 1.1 for the items read here: each list ([...]) and
// table ({...}) becomes the text "(a CIF 2.0 list)", and each triple-quoted
// text a quoted one when it fits one line, that text otherwise; the lines a
// value spanned follow it blank, so that every item keeps its line.
std::string as_cif1(std::string_view text, const Interrupted& interrupted) {
  std::string out;
  out.reserve(text.size());
  bool token_start = true;
  std::size_t steps = 0;
  for (std::size_t at = 0; at < text.size();) {
    if (asked_to_stop(interrupted, ++steps)) throw InterruptedParse{};
    const char c = text[at];
    const bool line_start = at == 0 || text[at - 1] == '\n';
    if (line_start && c == ';') {  // a text field, to the line that begins with ';'
      std::size_t end = text.find("\n;", at);
      end = end == std::string_view::npos ? text.size() : end + 2;
      out.append(text.substr(at, end - at));
      at = end;
      token_start = false;
    } else if (c == '#' && token_start) {
      const std::size_t end = std::min(text.find('\n', at), text.size());
      out.append(text.substr(at, end - at));
      at = end;
    } else if (token_start && (c == '[' || c == '{' || text.substr(at, 3) == "\'\'\'" ||
                               text.substr(at, 3) == "\"\"\"")) {
      const std::size_t end = cif2_value_end(text, at);
      const std::string_view value = text.substr(at, end - at);
      const std::string_view inner = value.size() >= 6 ? value.substr(3, value.size() - 6) : "";
      if (c == '[' || c == '{')
        out += "'(a CIF 2.0 list)'";
      else if (inner.find_first_of("'\r\n") == std::string_view::npos)
        out += "'" + std::string(inner) + "'";
      else
        out += "'(a CIF 2.0 text)'";
      out.append(static_cast<std::size_t>(std::count(value.begin(), value.end(), '\n')), '\n');
      at = end;
      token_start = false;
    } else {
      out += c;
      token_start = c == ' ' || c == '\t' || c == '\n' || c == '\r';
      ++at;
    }
  }
  return out;
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

// The document as gemmi builds it, with the question asked while it does.
struct AskingDocument : cif::Document {
  const Interrupted* interrupted = nullptr;
  std::size_t values = 0;
};

// Asks the interrupt after every 4096 values and at every block, so that a
// parse of the largest file read stops within moments of the ask.
void ask(AskingDocument& document, bool block) {
  if ((block || ++document.values % 4096 == 0) && *document.interrupted &&
      (*document.interrupted)())
    throw InterruptedParse{};
}

// gemmi's actions, asking between values and blocks.
template <typename Rule>
struct AskingAction : cif::Action<Rule> {};
template <>
struct AskingAction<cif::rules::datablockname> {
  template <typename Input>
  static void apply(const Input& in, AskingDocument& out) {
    ask(out, true);
    cif::Action<cif::rules::datablockname>::apply(in, out);
  }
};
template <>
struct AskingAction<cif::rules::loop_value> {
  template <typename Input>
  static void apply(const Input& in, AskingDocument& out) {
    ask(out, false);
    cif::Action<cif::rules::loop_value>::apply(in, out);
  }
};
template <>
struct AskingAction<cif::rules::item_value> {
  template <typename Input>
  static void apply(const Input& in, AskingDocument& out) {
    ask(out, false);
    cif::Action<cif::rules::item_value>::apply(in, out);
  }
};

// gemmi's checks of a parsed document, asking between blocks: a tag without
// a value, and a block name, tag or frame name given twice (in gemmi's words).
// Each block's names go in sets of their own, so that the checks take time in
// proportion to the file (gemmi's clear one set, as large as the number of
// blocks, for every block).
void check_document(AskingDocument& document) {
  std::unordered_set<std::string> blocks;
  for (const cif::Block& block : document.blocks) {
    ask(document, true);
    cif::check_for_missing_values_in_block(block, document.source);
    if (!blocks.insert(gemmi::to_lower(block.name)).second && !block.name.empty())
      gemmi::fail(document.source + ": duplicate block name: ", block.name);
    std::unordered_set<std::string> tags;
    std::unordered_set<std::string> frames;
    const auto once = [&](std::unordered_set<std::string>& names, const std::string& name,
                          const cif::Item& item, const char* what) {
      if (!names.insert(gemmi::to_lower(name)).second)
        cif::cif_fail(document.source, block, item, what + name);
    };
    for (const cif::Item& item : block.items) {
      if (item.type == cif::ItemType::Pair) once(tags, item.pair[0], item, "duplicate tag ");
      if (item.type == cif::ItemType::Frame) once(frames, item.frame.name, item, "duplicate save_");
      if (item.type != cif::ItemType::Loop) continue;
      for (const std::string& tag : item.loop.tags) once(tags, tag, item, "duplicate tag ");
    }
  }
}

// The document, as gemmi's read_memory makes it.
AskingDocument parse_document(std::string_view bytes, const char* name,
                              const Interrupted& interrupted) {
  tao::pegtl::memory_input<> in(bytes.data(), bytes.size(), name);
  AskingDocument document;
  document.interrupted = &interrupted;
  document.source = in.source();
  tao::pegtl::parse<cif::rules::file, AskingAction, cif::Errors>(in, document);
  check_document(document);
  return document;
}

}  // namespace

common::Expected<CellRead> read_cif_cells(std::string_view bytes, std::string_view source,
                                          const Interrupted& interrupted) {
  constexpr const char* kName = "cif";
  constexpr std::string_view kCif2 = "#\\#CIF_2.0";
  const bool cif2 = bytes.substr(0, kCif2.size()) == kCif2;
  std::string cif1;
  AskingDocument document;
  try {
    if (cif2) {
      cif1 = as_cif1(bytes, interrupted);
      bytes = cif1;
    }
    document = parse_document(bytes, kName, interrupted);
  } catch (const InterruptedParse&) {
    return common::Error{0, "interrupted"};
  } catch (const std::exception& e) {
    common::Error error = parse_failure(e.what(), kName);
    if (cif2) error.message += " (read as CIF 2.0)";
    return error;
  }
  CellRead read;
  for (cif::Block& block : document.blocks) {
    if (interrupted && interrupted()) return common::Error{0, "interrupted"};
    COMMON_TRY(entry, block_entry(block, source, read.warnings));
    if (*entry) read.entries.push_back(**entry);
  }
  if (read.entries.empty())
    return common::Error{0, "no data block gives a cell (_cell_length_a ...)"};
  return read;
}

}  // namespace formats
