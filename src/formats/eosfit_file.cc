#include "formats/eosfit_file.h"

#include <optional>
#include <string>
#include <vector>

#include "common/safe_text.h"
#include "formats/pv_table.h"
#include "formats/reader_parts.h"

namespace formats {
namespace {

// The line without its comment and the blanks around it.
std::string_view significant(std::string_view line) {
  return common::trim(line.substr(0, line.find_first_of("!#")));
}

// Whether the line's first word is `keyword`, in any case.
bool opens_with(std::string_view line, std::string_view keyword) {
  if (line.size() < keyword.size()) return false;
  for (std::size_t i = 0; i < keyword.size(); ++i) {
    const char c = line[i];
    if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != keyword[i]) return false;
  }
  return line.size() == keyword.size() || line[keyword.size()] == ' ' ||
         line[keyword.size()] == '\t';
}

// The fields of a row: between blanks, tabs or commas.
std::vector<std::string_view> row_fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t at = 0;
  while (at < line.size()) {
    at = line.find_first_not_of(" \t,", at);
    if (at == std::string_view::npos) break;
    const std::size_t end = std::min(line.find_first_of(" \t,", at), line.size());
    fields.push_back(line.substr(at, end - at));
    at = end;
  }
  return fields;
}

// The columns a FORMAT line names, after its optional whole number.
common::Expected<std::vector<PvColumn>> format_columns(std::string_view line, int number) {
  std::vector<std::string_view> codes = row_fields(line.substr(6));
  if (!codes.empty() && codes.front().find_first_not_of("0123456789") == std::string_view::npos)
    codes.erase(codes.begin());
  auto columns = pv_columns(codes);
  if (!columns) return common::Error{number, "FORMAT: " + columns.error().message};
  return columns;
}

}  // namespace

bool is_eosfit_file(std::string_view start) {
  LineCursor lines(start);
  bool titled = false;
  while (const auto line = lines.next()) {
    const std::string_view text = significant(*line);
    if (text.empty()) continue;
    if (!titled) {
      if (!opens_with(text, "TITLE")) return false;
      titled = true;
      continue;
    }
    return opens_with(text, "FORMAT");
  }
  return false;
}

common::Expected<CellRead> read_eosfit_file(std::string_view bytes, std::string_view source) {
  LineCursor lines(bytes);
  std::optional<std::vector<PvColumn>> columns;
  CellRead read;
  while (const auto line = lines.next()) {
    const int number = lines.line_number();
    const std::string_view text = significant(*line);
    if (text.empty()) continue;
    if (opens_with(text, "TITLE")) {
      read.title = common::trim(text.substr(5));
      continue;
    }
    if (opens_with(text, "FORMAT")) {
      if (columns) return common::Error{number, "a second FORMAT line"};
      auto named = format_columns(text, number);
      if (!named) return named.error();
      columns = std::move(named).value();
      continue;
    }
    const std::vector<std::string_view> fields = row_fields(text);
    // A word that opens a line of another kind: refused, not read as a row.
    const char first = text.front();
    const bool word = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
    if (word && (!columns || fields.size() != columns->size()))
      return common::Error{number, std::string(fields.front()) + " is not a line read here"};
    if (!columns) return common::Error{number, "a row before the FORMAT line"};
    if (fields.size() != columns->size()) {
      return common::Error{number, std::to_string(fields.size()) +
                                       " numbers where the FORMAT line names " +
                                       std::to_string(columns->size()) + " columns"};
    }
    auto point =
        pv_point(fields, *columns, number, std::string(source) + ":line " + std::to_string(number));
    if (!point) return point.error();
    read.entries.push_back(std::move(point).value());
  }
  if (!columns) return common::Error{0, "no FORMAT line"};
  if (read.entries.empty()) return common::Error{0, "no row gives a point"};
  return read;
}

}  // namespace formats
