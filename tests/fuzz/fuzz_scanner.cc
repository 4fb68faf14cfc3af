// Fuzz target: the DIRAX scanner on arbitrary file bytes, in both modes.
//
// Input: a byte whose lowest bit is the cell choice and whose next bits give how
// many times the same file is scanned (1 to 4, so that the tenth end of data of
// a run is reached too), then the bytes of the DIRAX file. The file is read on
// channel 2 from files held in memory.
//
// Checks: only the RunEnded of the error report leaves the scanner; the texts
// keep their lengths and `system` stays left-justified; a field whose line kind
// does not occur in the file (its first 256 characters, leading blanks removed)
// keeps the value it had; the console holds diagnostics only.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "read_out_module.h"
#include "recherche_unit_cell.h"
#include "textrec/textrec.h"

namespace {

using fuzzsupport::check;

struct LineKinds {
  bool input_cell = false;
  bool conventional = false;
  bool volume = false;
};

LineKinds line_kinds(std::string_view bytes) {
  LineKinds kinds;
  for (const std::string& record : fuzzsupport::file_records(bytes)) {
    std::string_view line(record);
    line = line.substr(0, 256);
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    kinds.input_cell |= line.substr(0, 11) == "{Input cell";
    kinds.conventional |= line.substr(0, 14) == "Conventional :";
    kinds.volume |= line.substr(0, 6) == "Volume";
  }
  return kinds;
}

constexpr float kBefore = -3.25f;

bool unchanged(float v) {
  return std::memcmp(&v, &kBefore, sizeof v) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const int cell_choice = data[0] & 1;
  const int scans = 1 + ((data[0] >> 1) & 3);
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  const LineKinds kinds = line_kinds(bytes);

  textrec::MemoryFileSystem fs;
  fs.files["cell.out"] = bytes;
  std::string console;
  textrec::install(textrec::memory_source(""), textrec::memory_sink(&console), fs);
  korvex::reset_read_out_module();
  korvex::CellRecord& cell = korvex::read_out_module.cell;

  int status = 0;
  try {
    textrec::open_read(korvex::kDiraxChannel, "cell.out");
    for (int scan = 0; scan < scans; ++scan) {
      cell.a = cell.b = cell.c = cell.alpha = cell.beta = cell.gamma = cell.volume = kBefore;
      cell.lattice = "%";
      cell.system = "%%%%%%%%%%%%%%%%";
      korvex::recherche_unit_cell(cell_choice);

      check(cell.lattice.size() == 1, "lattice changed length");
      check(cell.system.size() == 16, "system changed length");
      check(cell.system.front() != ' ' || cell.system.find_first_not_of(' ') == std::string::npos,
            "system is not left-justified");
      const bool cell_line = cell_choice != 0 ? kinds.input_cell : kinds.conventional;
      if (!cell_line) {
        check(unchanged(cell.a) && unchanged(cell.b) && unchanged(cell.c) &&
                  unchanged(cell.alpha) && unchanged(cell.beta) && unchanged(cell.gamma),
              "cell parameters set without a cell line");
      }
      if (!kinds.conventional) check(cell.lattice == "%", "lattice set without its line");
      if (!kinds.volume) {
        check(unchanged(cell.volume), "volume set without a volume line");
        check(cell.system == "%%%%%%%%%%%%%%%%", "system set without a volume line");
      }
    }
    status = textrec::worst_status();
    check(status == textrec::kExitClean || status == textrec::kExitWarning ||
              status == textrec::kExitError,
          "worst status out of its set");
    check(textrec::end_run(textrec::RunEnded{status}) == status, "closing changed the status");
  } catch (const textrec::RunEnded& ended) {
    // Only the tenth end of data can end a scan of a file held in memory.
    check(ended.exit_status == textrec::kExitEnded, "run ended with another status");
    check(console.find(" !! Execution ended: 10 ends of data in this run.\n") != std::string::npos,
          "run ended without the tenth end of data");
    (void)textrec::end_run(ended);
  }
  fuzzsupport::check_console(console);
  return 0;
}
