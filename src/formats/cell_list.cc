#include "formats/cell_list.h"

#include <array>

#include "common/number_text.h"
#include "formats/buffer_file.h"
#include "formats/reader_parts.h"
#include "textrec/textrec.h"

namespace formats {
namespace {

bool is_separator(char c) {
  return c == ' ' || c == '\t' || c == ',' || c == '/';
}

// The line at `at`, past any blanks and at most one comma.
std::size_t past_separators(std::string_view line, std::size_t at) {
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  if (at < line.size() && line[at] == ',') ++at;
  while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  return at;
}

// Whether the temperature on `line` (after the name when `name_first`) is
// followed at once by a comma and a digit: a decimal comma, of which the
// free-form read takes the whole part alone.
bool has_decimal_comma(std::string_view line, bool name_first) {
  std::size_t at = past_separators(line, 0);
  if (name_first && at < line.size()) {
    const char quote = line[at];
    if (quote == '\'' || quote == '"') {
      at = line.find(quote, at + 1);
      at = at == std::string_view::npos ? line.size() : at + 1;
    } else {
      while (at < line.size() && !is_separator(line[at])) ++at;
    }
    at = past_separators(line, at);
  }
  while (at < line.size() && !is_separator(line[at])) ++at;
  return at + 1 < line.size() && line[at] == ',' && line[at + 1] >= '0' && line[at + 1] <= '9';
}

}  // namespace

common::Expected<CellList> parse_cell_list(std::string_view bytes) {
  textrec::RecordReader reader(textrec::bytes_source(bytes));
  CellList list;
  std::string_view head;
  for (int i = 0; i < kBufferHeadLines; ++i) {
    if (reader.next_record_prefix(&head, kBufferTitleLength) != textrec::kStatusOk) return list;
    if (i == 0) list.title = textrec::trim_right(head);
  }
  std::vector<ListEntry>& entries = list.entries;
  LineCursor lines(bytes);
  std::string name;
  float temperature = 0.0F;
  const std::array<textrec::Target, 2> targets = {textrec::Target::FileName(&name),
                                                  textrec::Target::Real(&temperature)};
  for (;;) {
    const textrec::ReadOutcome entry = textrec::read_free_form(reader, targets, nullptr);
    if (entry.status == textrec::kStatusEnd && entry.values == 0) return list;
    if (entry.status != textrec::kStatusOk) {
      // At the line the entry began on: a name without its temperature fails
      // on the next line, the next entry's name.
      return common::Error{static_cast<int>(entry.began > 0 ? entry.began : entry.record),
                           "cannot be read as a file name and a temperature"};
    }
    const int line = static_cast<int>(reader.record_number());
    std::optional<std::string_view> text;
    while (lines.line_number() < line && (text = lines.next())) {
    }
    entries.push_back({name, common::as_decimal(temperature), line,
                       text && has_decimal_comma(*text, entry.began == entry.record)});
  }
}

}  // namespace formats
