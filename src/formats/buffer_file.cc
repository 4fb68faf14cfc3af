#include "formats/buffer_file.h"

#include <limits>
#include <string_view>

#include "formats/cell_record.h"
#include "textrec/textrec.h"

namespace formats {
namespace {

// The number of records from the channel's next one to its end. The count ends
// silently at the first read that fails, whatever the reason.
std::int32_t count_remaining_records(int channel) {
  std::int32_t count = 0;
  for (;;) {
    std::string_view record;
    if (textrec::read_record(channel, &record, 0) != textrec::kStatusOk) return count;
    if (count < std::numeric_limits<std::int32_t>::max()) ++count;
  }
}

}  // namespace

BufferFileHead read_buffer_file_head() {
  BufferFileHead head{textrec::blank_text(kBufferTitleLength), 0};
  std::string line = textrec::blank_text(kBufferTitleLength);  // the lines after it, unused
  textrec::read_a(kBufferChannel, head.title);
  for (int i = 1; i < kBufferHeadLines; ++i) textrec::read_a(kBufferChannel, line);
  head.entry_count = count_remaining_records(kBufferChannel);
  rewind_to_first_entry();
  return head;
}

void rewind_to_first_entry() {
  // The head is read again as it was the first time, so that a file too short
  // for it is told the same way.
  std::string line = textrec::blank_text(kBufferTitleLength);
  textrec::rewind_channel(kBufferChannel);
  for (int i = 0; i < kBufferHeadLines; ++i) textrec::read_a(kBufferChannel, line);
}

}  // namespace formats
