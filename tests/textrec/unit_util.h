// A run of the text-record layer over a console and files held in memory.
//
// The routines of the program work on the layer's one state for the run; a test
// installs a typed console, a console transcript and a MemoryFileSystem, and
// reads back what the routines left in the files.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "textrec/memory_files.h"
#include "textrec/textrec.h"

namespace unittest {

class MemoryRun {
 public:
  explicit MemoryRun(std::string typed = {}) {
    textrec::install(textrec::memory_source(std::move(typed)), textrec::memory_sink(&out), fs);
  }
  // Leaves the layer on files and a console of its own, so that nothing of the
  // run points into this object once it is gone.
  ~MemoryRun() {
    static textrec::MemoryFileSystem idle_fs;
    static std::string idle_out;
    textrec::install(textrec::memory_source({}), textrec::memory_sink(&idle_out), idle_fs);
  }
  MemoryRun(const MemoryRun&) = delete;
  MemoryRun& operator=(const MemoryRun&) = delete;

  // The console transcript, one entry per line (each ended by LF).
  [[nodiscard]] std::vector<std::string> console_lines() const {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t nl; (nl = out.find('\n', start)) != std::string::npos; start = nl + 1)
      lines.push_back(out.substr(start, nl - start));
    EXPECT_EQ(out.size(), start) << "console output not ended by a line feed";
    return lines;
  }

  textrec::MemoryFileSystem fs;
  std::string out;
};

// The records of a file the program wrote: every record must be ended by CR LF,
// and no other CR or LF may stand in the file.
[[nodiscard]] inline std::vector<std::string> file_records(const std::string& bytes) {
  std::vector<std::string> records;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "record not ended by CR LF: " << bytes.substr(start);
      break;
    }
    std::string record = bytes.substr(start, end - start);
    EXPECT_EQ(std::string::npos, record.find_first_of("\r\n")) << "stray CR or LF in " << record;
    records.push_back(std::move(record));
    start = end + 2;
  }
  return records;
}

// A text followed by a bar, so that trailing blanks show in a failure message.
[[nodiscard]] inline std::string bar(std::string_view text) {
  return std::string(text) + "|";
}

// The exit status a step ended the run with, or -1 when it did not end it.
[[nodiscard]] inline int ends_with(const std::function<void()>& step) {
  try {
    step();
  } catch (const textrec::RunEnded& ended) {
    return ended.exit_status;
  }
  return -1;
}

}  // namespace unittest
