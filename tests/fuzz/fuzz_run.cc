// Fuzz target: a whole run on arbitrary console answers, buffer file and DIRAX
// files, all held in memory.
//
// Input: sections separated by the line "%%": the console input, the buffer file
// "list", the DIRAX files "d1.out" to "d4.out", and an optional last section
// whose first byte makes one output file fail: refused at its creation, or
// failing every write.
//
// Checks, whatever the input:
// - the exit status is 0, 4, 8 or 16, and 16 whenever an output file fails;
// - every output file is absent or made only of records ended by CR LF;
// - no output file holds a NUL byte unless the buffer file or a DIRAX file did,
//   and the console none unless some input did;
// - every table row is 109 characters and every plot data row 26;
// - a run that ends 0 or 4 leaves all eight files complete: each plot file ends
//   with its end record and holds as many data rows as the table;
// - the table's title record, each plot file's main legend and its declared
//   point count come from one and the same input file: its first line, and the
//   number of its lines after the second;
// - the console holds only free-form lines, diagnostics and continuation lines.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/cell_record.h"
#include "formats/plot_series.h"
#include "formats/table_file.h"
#include "fuzz_support.h"
#include "korvex.h"
#include "textrec/memory_files.h"
#include "textrec/textrec.h"

namespace {

using fuzzsupport::check;

constexpr std::array<const char*, 4> kDiraxNames = {"d1.out", "d2.out", "d3.out", "d4.out"};

std::vector<std::string> output_names() {
  std::vector<std::string> names = {formats::kTableFileName};
  for (const auto& plot : formats::kPlotSeries) names.emplace_back(plot.file);
  return names;
}

// The records of a written file; fails when it is not made of CR LF records.
std::vector<std::string> written_records(const std::string& name, const std::string& bytes) {
  std::vector<std::string> records;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t lf = bytes.find('\n', start);
    check(lf != std::string::npos, name + " does not end with a line end");
    check(lf > start && bytes[lf - 1] == '\r', name + " holds a line feed without CR before it");
    records.push_back(bytes.substr(start, lf - 1 - start));
    start = lf + 1;
  }
  return records;
}

// What one input file gives when it is taken as the buffer file: the title
// (its first line, cut to 128 characters, trailing blanks removed) and the
// point-count record.
struct AsBufferFile {
  std::string title;
  std::string count_record;
};

AsBufferFile as_buffer_file(const std::string& bytes) {
  const std::vector<std::string> records = fuzzsupport::file_records(bytes);
  AsBufferFile got;
  if (!records.empty()) {
    got.title = records.front().substr(0, 128);
    got.title.erase(got.title.find_last_not_of(' ') + 1);
  }
  std::string count = std::to_string(records.size() > 2 ? records.size() - 2 : 0);
  if (count.size() > 8) count = "********";
  got.count_record = "#  NUMBER OF POINTS : " + std::string(8 - count.size(), ' ') + count;
  return got;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A viewer that cannot be started: a "y" to an offer starts no process.
  setenv("COMSPEC", "/nonexistent/korvex-fuzz-viewer", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> sections =
      fuzzsupport::split(std::string_view(reinterpret_cast<const char*>(data), size), "\n%%\n");
  textrec::MemoryFileSystem fs;
  bool nul_in_input = false;
  if (sections.size() > 1) {
    fs.files["list"] = sections[1];
    nul_in_input |= sections[1].find('\0') != std::string::npos;
  }
  for (std::size_t i = 0; i < kDiraxNames.size() && i + 2 < sections.size(); ++i) {
    fs.files[kDiraxNames[i]] = sections[i + 2];
    nul_in_input |= sections[i + 2].find('\0') != std::string::npos;
  }
  std::vector<AsBufferFile> buffer_files;
  for (const auto& [name, bytes] : fs.files) buffer_files.push_back(as_buffer_file(bytes));
  const std::vector<std::string> outputs = output_names();
  bool fault = false;
  if (sections.size() > 6 && !sections[6].empty()) {
    const auto choice = static_cast<unsigned char>(sections[6][0]) % 24;
    if (choice < 16) {
      fault = true;
      const std::string& name = outputs[choice % 8];
      if (choice < 8) {
        fs.refuse[name] = "Permission denied";
      } else {
        fs.fail_writes[name] = "No space left on device";
      }
    }
  }

  std::string console;
  textrec::install(textrec::memory_source(sections[0]), textrec::memory_sink(&console), fs);
  int exit_status = -1;
  try {
    exit_status = korvex::run_dialogue(nullptr);
  } catch (const textrec::RunEnded& ended) {
    exit_status = textrec::end_run(ended);
  }

  check(exit_status == 0 || exit_status == 4 || exit_status == 8 || exit_status == 16,
        "exit status " + std::to_string(exit_status));
  if (fault) check(exit_status == 16, "a failing output file did not end the run with 16");
  fuzzsupport::check_console(console);
  if (!nul_in_input && sections[0].find('\0') == std::string::npos)
    check(console.find('\0') == std::string::npos, "the console shows a NUL byte");

  const bool complete = exit_status == 0 || exit_status == 4;
  std::size_t table_rows = 0;
  std::string title_record;  // the table's first record, when it has one
  for (std::size_t k = 0; k < outputs.size(); ++k) {
    const std::string& name = outputs[k];
    const auto it = fs.files.find(name);
    if (it == fs.files.end()) {
      check(!complete, name + " missing after a complete run");
      continue;
    }
    if (!nul_in_input)
      check(it->second.find('\0') == std::string::npos, name + " holds a NUL byte");
    const std::vector<std::string> records = written_records(name, it->second);
    std::size_t rows = 0;
    for (const std::string& record : records) {
      if (k == 0 && !record.starts_with("!")) {
        check(record.size() == 109, "table row of " + std::to_string(record.size()));
        ++rows;
      }
      if (k > 0 && !record.starts_with("#")) {
        check(record.size() == 26, name + " data row of " + std::to_string(record.size()));
        ++rows;
      }
    }
    if (k == 0 && !records.empty()) title_record = records.front();
    if (k > 0 && records.size() >= 9 && !title_record.empty()) {
      bool found = false;
      for (const AsBufferFile& b : buffer_files)
        found |= title_record == "! " + b.title && records[0] == "# MAIN LEGEND TEXT: " + b.title &&
                 records[8] == b.count_record;
      check(found, name + ": title or point count from no input file");
    }
    if (complete && fs.fail_writes.count(name) == 0) {
      if (k == 0) {
        table_rows = rows;
      } else {
        check(!records.empty() && records.back() == "# END OF FILE",
              name + " lacks its end record after a complete run");
        check(rows == table_rows, name + " holds another number of points than the table");
      }
    }
  }
  return 0;
}
