// The buffer file: the list of DIRAX files of a series, on the buffer channel.
//
// Line 1 is the series title, line 2 is ignored, and every further line is an
// entry, a DIRAX file name and a temperature in kelvin. Every line after the
// second counts as an entry, blank or not: the count is the number of points
// every plot file declares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace formats {

// The lines before the first entry: the title and the line after it.
inline constexpr int kBufferHeadLines = 2;
// The title's characters kept, as the table's header writes it.
inline constexpr std::size_t kBufferTitleLength = 128;

struct BufferFileHead {
  std::string title;  // the first line, a kBufferTitleLength-character text
  std::int32_t entry_count = 0;
};

// Reads the title lines of the buffer file just opened on the buffer channel,
// counts its entries and puts it back at its third line, for the first entry.
[[nodiscard]] BufferFileHead read_buffer_file_head();

// Puts the buffer file back at its third line, for the first entry.
void rewind_to_first_entry();

}  // namespace formats
