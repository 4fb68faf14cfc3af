// Helpers shared by the fuzz targets: splitting an input into records the way a
// file is read (at LF, the CRs before the LF dropped, 0x1A ending the data), and the
// checks that every console transcript must pass.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace fuzzsupport {

// Prints what failed and stops the fuzzer with a crash it records.
[[noreturn]] inline void fail(const std::string& what) {
  std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
  std::abort();
}

inline void check(bool holds, const std::string& what) {
  if (!holds) fail(what);
}

// The records of a file's bytes, split independently of the record reader: the
// data end at the first 0x1A, records end at LF with the CRs before it dropped,
// and bytes after the last LF form one more record when there are any.
inline std::vector<std::string> file_records(std::string_view bytes) {
  const std::size_t mark = bytes.find('\x1A');
  if (mark != std::string_view::npos) bytes = bytes.substr(0, mark);
  std::vector<std::string> records;
  std::size_t start = 0;
  for (;;) {
    const std::size_t lf = bytes.find('\n', start);
    if (lf == std::string_view::npos) break;
    std::string record(bytes.substr(start, lf - start));
    while (!record.empty() && record.back() == '\r') record.pop_back();
    records.push_back(record);
    start = lf + 1;
  }
  if (start < bytes.size()) records.emplace_back(bytes.substr(start));
  return records;
}

// Splits at every occurrence of the separator.
inline std::vector<std::string> split(std::string_view bytes, std::string_view separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = bytes.find(separator, start);
    if (at == std::string_view::npos) break;
    parts.emplace_back(bytes.substr(start, at - start));
    start = at + separator.size();
  }
  parts.emplace_back(bytes.substr(start));
  return parts;
}

// Every console line is a free-form write (a leading blank), a diagnostic (" !! ")
// or the continuation line, and ends with LF.
inline void check_console(const std::string& console) {
  if (console.empty()) return;
  check(console.back() == '\n', "console output does not end with a line feed");
  std::size_t start = 0;
  while (start < console.size()) {
    const std::size_t lf = console.find('\n', start);
    const std::string_view line(console.data() + start, lf - start);
    check(line.starts_with(" ") ||
              line == "TAKEN TO (STANDARD) CORRECTIVE ACTION, EXECUTION CONTINUING.",
          "console line of unknown form: " + std::string(line));
    start = lf + 1;
  }
}

}  // namespace fuzzsupport
