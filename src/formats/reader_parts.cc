#include "formats/reader_parts.h"

#include <array>
#include <cmath>

namespace formats {

std::optional<std::string_view> LineCursor::next() {
  if (rest_.empty()) return std::nullopt;
  const std::size_t end = rest_.find('\n');
  std::string_view line = rest_.substr(0, end);
  rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
  while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  ++line_;
  return line;
}

std::vector<std::string_view> fields_of(std::string_view line) {
  constexpr std::string_view kBlanks = " \t";
  std::vector<std::string_view> fields;
  for (std::size_t at = line.find_first_not_of(kBlanks); at != std::string_view::npos;) {
    const std::size_t end = std::min(line.find_first_of(kBlanks, at), line.size());
    fields.push_back(line.substr(at, end - at));
    at = line.find_first_not_of(kBlanks, end);
  }
  return fields;
}

common::Expected<crystal::CellEntry> checked_entry(crystal::CellEntry entry, int line) {
  for (const double parameter : parameters(entry.cell))
    if (!std::isfinite(parameter))
      return common::Error{line, entry.source + ": a cell parameter is not a finite number"};
  if (const auto cell = check_cell(entry.cell); !cell)
    return common::Error{line, entry.source + ": " + cell.error().message};
  if (entry.temperature) {
    if (const auto t = crystal::check_temperature(*entry.temperature); !t)
      return common::Error{line, entry.source + ": " + t.error().message};
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
