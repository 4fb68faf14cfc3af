#include "formats/cell_list.h"

#include <array>

#include "common/number_text.h"
#include "textrec/textrec.h"

namespace formats {

common::Expected<std::vector<ListEntry>> parse_cell_list(std::string_view bytes) {
  textrec::RecordReader reader(textrec::bytes_source(bytes));
  std::string_view head;
  for (int i = 0; i < 2; ++i) {
    if (reader.next_record_prefix(&head, 0) != textrec::kStatusOk) return std::vector<ListEntry>();
  }
  std::vector<ListEntry> entries;
  std::string name;
  float temperature = 0.0F;
  const std::array<textrec::Target, 2> targets = {textrec::Target::FileName(&name),
                                                  textrec::Target::Real(&temperature)};
  for (;;) {
    const textrec::ReadOutcome entry = textrec::read_free_form(reader, targets, nullptr);
    if (entry.status == textrec::kStatusEnd && entry.values == 0) return entries;
    if (entry.status != textrec::kStatusOk) {
      return common::Error{static_cast<int>(entry.record),
                           "cannot be read as a file name and a temperature"};
    }
    entries.push_back(
        {name, common::as_decimal(temperature), static_cast<int>(reader.record_number())});
  }
}

}  // namespace formats
