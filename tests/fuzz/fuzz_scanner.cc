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
// keeps the value it had; the console holds diagnostics only. A scan that does
// not end the run must give the same cell as a plain second scanner, which
// works on each line as a 256-character text (padded, left-justified) with
// 1-based positions and ranges exactly as the line rules state them, and
// reads the values out of the ranges by the free-form read.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "formats/cell_record.h"
#include "formats/dirax_scan.h"
#include "fuzz_support.h"
#include "textrec/freeform.h"
#include "textrec/memory_files.h"
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

// What a scan starts from: a field whose line is missing keeps it.
constexpr float kBefore = 0.0f;

// --- The plain second scanner -------------------------------------------------

// Takes what a read without a status would report, and tells nobody.
class Quiet : public textrec::ProblemSink {
 public:
  void problem(textrec::Problem, std::string_view, float) override {}
};

struct Line {
  std::string text;  // 256 characters

  // Position of the first occurrence, from 1; 0 when absent.
  int p(std::string_view keyword) const {
    const std::size_t at = text.find(keyword);
    return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
  }
  int last_semicolon() const {
    const std::size_t at = text.rfind(';');
    return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
  }
  int last_non_blank() const {
    const std::size_t at = text.find_last_not_of(' ');
    return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
  }
  // Characters s to e, both counted from 1; empty when e < s.
  std::string range(int s, int e) const {
    if (e < s) return {};
    return text.substr(static_cast<std::size_t>(s - 1), static_cast<std::size_t>(e - s + 1));
  }
};

void read_real(const std::string& memory, float* x) {
  textrec::MemoryRecordSource source(memory);
  Quiet quiet;
  const textrec::Target targets[] = {textrec::Target::Real(x)};
  (void)textrec::read_free_form(source, targets, &quiet);
}

void cell_parameters(const Line& l, formats::CellRecord& cell) {
  read_real(l.range(l.p("a=") + 2, l.p("b=") - 1), &cell.a);
  read_real(l.range(l.p("b=") + 2, l.p("c=") - 1), &cell.b);
  read_real(l.range(l.p("c=") + 2, l.p("alpha=") - 1), &cell.c);
  read_real(l.range(l.p("alpha=") + 6, l.p("beta=") - 1), &cell.alpha);
  read_real(l.range(l.p("beta=") + 5, l.p("gamma=") - 1), &cell.beta);
  read_real(l.range(l.p("gamma=") + 6, l.last_non_blank() - 1), &cell.gamma);
}

void bravais(const Line& l, formats::CellRecord& cell) {
  const std::string memory = l.range(l.last_non_blank(), l.last_non_blank());
  textrec::MemoryRecordSource source(memory);
  Quiet quiet;
  const textrec::Target targets[] = {textrec::Target::Text(&cell.lattice)};
  (void)textrec::read_free_form(source, targets, &quiet);
}

void volume(const Line& l, formats::CellRecord& cell) {
  read_real(l.range(l.p(":") + 1, l.p(";") - 1), &cell.volume);
  std::string system = l.range(l.p("System:") + 7, l.last_semicolon() - 1);
  system.resize(16, ' ');
  const std::size_t lead = std::min(system.find_first_not_of(' '), system.size());
  cell.system = system.substr(lead) + std::string(lead, ' ');
}

void plain_scan(std::string_view bytes, int cell_choice, formats::CellRecord& cell) {
  for (const std::string& record : fuzzsupport::file_records(bytes)) {
    std::string text = record.substr(0, 256);
    text.resize(256, ' ');
    const std::size_t lead = std::min(text.find_first_not_of(' '), text.size());
    const Line l{text.substr(lead) + std::string(lead, ' ')};
    if (cell_choice != 0) {
      if (l.text.compare(0, 11, "{Input cell") == 0) {
        cell_parameters(l, cell);
      } else if (l.text.compare(0, 14, "Conventional :") == 0) {
        bravais(l, cell);
      } else if (l.text.compare(0, 6, "Volume") == 0) {
        volume(l, cell);
      }
    } else {
      if (l.text.compare(0, 14, "Conventional :") == 0) {
        cell_parameters(l, cell);
        bravais(l, cell);
      } else if (l.text.compare(0, 6, "Volume") == 0) {
        volume(l, cell);
      }
    }
  }
}

bool same_cell(const formats::CellRecord& x, const formats::CellRecord& y) {
  const float xs[] = {x.a, x.b, x.c, x.alpha, x.beta, x.gamma, x.volume};
  const float ys[] = {y.a, y.b, y.c, y.alpha, y.beta, y.gamma, y.volume};
  return std::memcmp(xs, ys, sizeof xs) == 0 && x.lattice == y.lattice && x.system == y.system;
}

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

  int status = 0;
  try {
    textrec::open_for_reading(formats::kDiraxChannel, "cell.out");
    for (int scan = 0; scan < scans; ++scan) {
      formats::CellRecord plain;
      const formats::CellRecord cell = formats::scan_dirax_file(
          cell_choice != 0 ? formats::CellChoice::kInput : formats::CellChoice::kConventional,
          "cell.out");
      plain_scan(bytes, cell_choice, plain);
      check(same_cell(plain, cell), "the scanner and the plain second scanner disagree");

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
      if (!kinds.conventional) check(cell.lattice == " ", "lattice set without its line");
      if (!kinds.volume) {
        check(unchanged(cell.volume), "volume set without a volume line");
        check(cell.system == std::string(16, ' '), "system set without a volume line");
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
