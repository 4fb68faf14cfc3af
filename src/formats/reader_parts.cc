#include "formats/reader_parts.h"

#include <array>
#include <cmath>
#include <exception>
#include <gemmi/symmetry.hpp>

#include "common/number_text.h"

namespace formats {

std::optional<std::string_view> LineCursor::next() {
  if (rest_.empty()) return std::nullopt;
  std::size_t end = rest_.find_first_of("\r\n");
  // CRs before an LF belong to its line end; a CR before anything else ends a
  // line of its own.
  std::size_t next = end;
  if (end != std::string_view::npos) {
    next = rest_.find_first_not_of('\r', end);
    next = next != std::string_view::npos && rest_[next] == '\n' ? next + 1 : end + 1;
  }
  const std::string_view line = rest_.substr(0, end);
  rest_.remove_prefix(next == std::string_view::npos ? rest_.size() : next);
  ++line_;
  return line;
}

namespace {

// Whether a CR ends a line of its own somewhere: one not followed by LF, nor
// by more CRs and an LF.
bool has_lone_cr(std::string_view bytes) {
  for (std::size_t at = bytes.find('\r'); at != std::string_view::npos;) {
    const std::size_t after = bytes.find_first_not_of('\r', at);
    if (after == std::string_view::npos || bytes[after] != '\n') return true;
    at = bytes.find('\r', after);
  }
  return false;
}

}  // namespace

std::string_view plain_text(std::string_view bytes, std::string& storage) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  while (!bytes.empty() && bytes.back() == '\x1A') bytes.remove_suffix(1);
  if (!has_lone_cr(bytes)) return bytes;
  storage.clear();
  storage.reserve(bytes.size());
  LineCursor lines(bytes);
  while (const auto line = lines.next()) {
    storage.append(*line);
    storage += '\n';
  }
  return storage;
}

std::vector<std::string_view> fields_of(std::string_view line) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  std::vector<std::string_view> fields;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && blank(line[at])) ++at;
    std::size_t end = at;
    while (end < line.size() && !blank(line[end])) ++end;
    if (end > at) fields.push_back(line.substr(at, end - at));
    at = end;
  }
  return fields;
}

common::Expected<crystal::CellEntry> checked_entry(crystal::CellEntry entry, int line,
                                                   std::string_view part) {
  const auto error = [&](const std::string& message) {
    return common::Error{line, part.empty() ? message : std::string(part) + ": " + message};
  };
  const std::array<double, 6> values = crystal::parameters(entry.cell);
  const std::array<std::optional<double>, 6> sus = crystal::parameters(entry.su);
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (!std::isfinite(values[i])) return error("a cell parameter is not a finite number");
    if (sus[i] && !(*sus[i] <= std::abs(values[i])))
      return error(std::string("the SU of ") + crystal::kCellParameterNames[i] + ", " +
                   common::shortest(*sus[i]) + ", is larger than its value");
  }
  if (const auto cell = crystal::check_cell(entry.cell); !cell) return error(cell.error().message);
  if (entry.temperature) {
    if (const auto t = crystal::check_temperature(*entry.temperature); !t)
      return error(t.error().message);
    if (entry.temperature_su && !(*entry.temperature_su <= std::abs(*entry.temperature)))
      return error("the SU of the temperature, " + common::shortest(*entry.temperature_su) +
                   " K, is larger than its value");
  }
  return entry;
}

std::string system_of_space_group(int number) {
  struct Range {
    int last;
    const char* system;
  };
  static constexpr std::array<Range, 7> kRanges = {{{2, "triclinic"},
                                                    {15, "monoclinic"},
                                                    {74, "orthorhombic"},
                                                    {142, "tetragonal"},
                                                    {167, "trigonal"},
                                                    {194, "hexagonal"},
                                                    {230, "cubic"}}};
  if (number < 1) return {};
  for (const Range& range : kRanges)
    if (number <= range.last) return range.system;
  return {};
}

std::string lattice_of_space_group(int number) {
  if (number < 1 || number > 230) return {};
  const gemmi::SpaceGroup* group = gemmi::find_spacegroup_by_number(number);
  return group == nullptr ? std::string() : lattice_of_symbol(group->hm);
}

std::string system_of_hall_symbol(const std::string& hall) {
  try {
    const gemmi::SpaceGroup* group =
        gemmi::find_spacegroup_by_ops(gemmi::symops_from_hall(hall.c_str()));
    return group == nullptr ? std::string() : system_of_space_group(group->number);
  } catch (const std::exception&) {
    return {};
  }
}

std::string system_named(std::string_view text) {
  static constexpr std::array<std::string_view, 8> kSystems = {
      "triclinic", "monoclinic",   "orthorhombic", "tetragonal",
      "trigonal",  "rhombohedral", "hexagonal",    "cubic"};
  std::string word;
  for (const char c : text) {
    if (c == '\'' || c == '"' || c == ' ' || c == '\t') {
      if (word.empty()) continue;
      break;
    }
    if (c == '(') break;
    word += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  for (const std::string_view system : kSystems)
    if (word == system) return word;
  return {};
}

std::string lattice_of_symbol(std::string_view symbol) {
  std::size_t at = symbol.find_first_not_of(" \t'\"-");
  if (at == std::string_view::npos) return {};
  char c = symbol[at];
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (std::string_view("PABCIFR").find(c) == std::string_view::npos) return {};
  return std::string(1, c);
}

common::Expected<std::vector<ValueWithSu>> numbers_of(const std::vector<std::string_view>& fields,
                                                      std::size_t from, std::size_t count, int line,
                                                      std::string_view record) {
  std::vector<ValueWithSu> numbers;
  for (std::size_t i = from; i < from + count; ++i) {
    if (i >= fields.size()) {
      return common::Error{line,
                           std::string(record) + " holds " +
                               std::to_string(fields.size() > from ? fields.size() - from : 0) +
                               " numbers where " + std::to_string(count) + " are needed"};
    }
    const std::optional<ValueWithSu> value = parse_value_with_su(fields[i]);
    if (!value)
      return common::Error{line, std::string(record) + ": not a number: " + std::string(fields[i])};
    numbers.push_back(*value);
  }
  return numbers;
}

crystal::Cell cell_from(const std::vector<ValueWithSu>& values) {
  std::array<double, 6> parameters{};
  for (std::size_t i = 0; i < parameters.size() && i < values.size(); ++i)
    parameters[i] = values[i].value;
  return crystal::cell_of(parameters);
}

common::Expected<crystal::CellSu> cell_su_from(const std::vector<ValueWithSu>& values, int line,
                                               std::string_view record) {
  std::array<std::optional<double>, 6> sus;
  for (std::size_t i = 0; i < sus.size() && i < values.size(); ++i) {
    if (values[i].value < 0) return common::Error{line, std::string(record) + ": a negative SU"};
    sus[i] = su_if_refined(values[i].value);
  }
  return crystal::cell_su_of(sus);
}

}  // namespace formats
