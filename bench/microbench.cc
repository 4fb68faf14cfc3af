// Microbenchmarks of the paths that korvex runs once per line or once per value
// of a long series: splitting a DIRAX file into records (from memory and from a
// real file), the scanner over a typical DIRAX file, Fw.d editing and the table
// row, the free-form read of one number, and a whole run over a series held in
// memory.
//
// The DIRAX text is the kind bench/make_series.py writes: about 5 KB of log text
// and reflection list around the input-cell, conventional-cell and volume lines.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "formats/cell_record.h"
#include "formats/dirax_scan.h"
#include "korvex.h"
#include "textrec/memory_files.h"
#include "textrec/number.h"
#include "textrec/textrec.h"

namespace {

using textrec::kStatusOk;

// One DIRAX-like cell-output file; `index` moves the values a little.
std::string dirax_text(int index) {
  const double t = 90.0 + 0.31 * index;
  const double dt = t - 100.0;
  const double a = 10.2134 * (1 + 11.0e-6 * dt), b = 6.0871 * (1 + 4.0e-6 * dt);
  const double c = 8.3452 * (1 + 19.0e-6 * dt), beta = 105.312 + 0.00042 * dt;
  std::string text;
  char line[200];
  auto add = [&](const char* format, auto... values) {
    if constexpr (sizeof...(values) == 0) {
      text += format;
    } else {
      std::snprintf(line, sizeof line, format, values...);
      text += line;
    }
    text += '\n';
  };
  add("DIRAX-like indexing log (made-up data for the korvex benchmark series)");
  add("");
  add("Data set          : bench_%06d", index);
  add("Temperature       : %.3f K (nominal)", t);
  add("Reflections read  : %d", 1400 + index);
  add("Wavelength        : 0.71073");
  add("Detector distance : 60.00 mm");
  add("");
  add("   No.    h   k   l         x        y      phi  intensity   sigma  d(res)");
  std::srand(static_cast<unsigned>(index) + 1);
  for (int i = 0; i < 52; ++i) {
    add("%6d %4d%4d%4d %9.2f%9.2f%9.3f%11.1f%8.1f  %6.4f", 100 + i, std::rand() % 25 - 12,
        std::rand() % 17 - 8, std::rand() % 21 - 10, (std::rand() % 102000) / 100.0,
        (std::rand() % 102000) / 100.0, (std::rand() % 360000) / 1000.0,
        (std::rand() % 500000) / 10.0, (std::rand() % 2000) / 10.0, (std::rand() % 500) / 10000.0);
  }
  add("");
  add("Searching for periodicity in reciprocal space ...");
  add("  %d candidate vectors found, best figure of merit 0.9312", 12 + index % 3);
  add("   vector 1 :    5.94434  fit 0.991");
  add("   vector 2 :    5.94434  fit 0.987");
  add("   vector 3 :    8.34362  fit 0.979");
  add("Input cell selected from the best three vectors:");
  add("");
  add("   {Input cell  a=%10.5f  b=%10.5f  c=%10.5f  alpha=%9.3f  beta=%9.3f  gamma=%9.3f }",
      5.94434, 5.94434, c, 103.107, 103.107, 61.593);
  add("   Indexed : 1388 of 1400 reflections");
  add("");
  add("Lattice symmetry search (tolerance 0.5 deg):");
  add("   mC  monoclinic, C-centred     fit  0.12");
  add("   oC  orthorhombic, C-centred   fit  4.87");
  add("   mP  monoclinic                fit  0.00");
  add("   aP  triclinic                 fit  0.00");
  add("");
  add("Conventional cell chosen by the lowest fit above the primitive cells.");
  add("Conventional : a=%10.5f  b=%10.5f  c=%10.5f  alpha=%9.3f  beta=%9.3f  gamma=%9.3f   C", a, b,
      c, 90.0, beta, 90.0);
  add("Volume : %10.3f ; System: monoclinic ;", 500.245 + 0.01 * index);
  add("Primitive cell volume : %10.3f", 250.122);
  add("");
  add("Conventional cell written to the output file.");
  add("End of indexing run.");
  return text;
}

const std::string& typical_file() {
  static const std::string text = dirax_text(500);
  return text;
}

std::size_t count_lines(std::string_view text) {
  std::size_t n = 0;
  for (const char ch : text) n += ch == '\n';
  return n;
}

// A real file holding the typical DIRAX text, removed at exit.
struct TypicalFileOnDisk {
  TypicalFileOnDisk() {
    char path[] = "/tmp/korvex-microbench-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0 || write(fd, typical_file().data(), typical_file().size()) < 0) std::abort();
    ::close(fd);
    name = path;
  }
  ~TypicalFileOnDisk() { std::remove(name.c_str()); }
  std::string name;
};

const std::string& typical_file_on_disk() {
  static const TypicalFileOnDisk file;
  return file.name;
}

// --- Records ------------------------------------------------------------------

void BM_RecordReaderMemory(benchmark::State& state) {
  textrec::RecordReader reader(textrec::memory_source(typical_file()));
  std::string_view record;
  for (auto _ : state) {
    if (!reader.back_to_first_record()) state.SkipWithError("rewind");
    while (reader.next_record_prefix(&record, 256) == kStatusOk) benchmark::DoNotOptimize(record);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(typical_file().size()));
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(count_lines(typical_file())));
}
BENCHMARK(BM_RecordReaderMemory);

// The same file, handing out only the records that can be a cell, conventional-
// cell or volume line, as the scanner asks for them in input-cell mode.
void BM_RecordReaderStarting(benchmark::State& state) {
  textrec::RecordReader reader(textrec::memory_source(typical_file()));
  const textrec::LineKeywords keywords{"Conventional :", "Volume", "{Input cell"};
  textrec::KeywordRecord found;
  for (auto _ : state) {
    if (!reader.back_to_first_record()) state.SkipWithError("rewind");
    while (reader.next_record_starting(&found, 256, keywords) == kStatusOk)
      benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(typical_file().size()));
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(count_lines(typical_file())));
}
BENCHMARK(BM_RecordReaderStarting);

// The floor under every listed file: open, read to the end and close with the
// bare system calls, no records.
void BM_OpenReadCloseFloor(benchmark::State& state) {
  const std::string& name = typical_file_on_disk();
  static char buffer[64 * 1024];
  for (auto _ : state) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) state.SkipWithError("open");
    while (::read(fd, buffer, sizeof buffer) > 0) {
    }
    ::close(fd);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(typical_file().size()));
}
BENCHMARK(BM_OpenReadCloseFloor);

// Open, read to the end and close a real file of 5 KB, as for each listed file.
void BM_RecordReaderFile(benchmark::State& state) {
  const std::string& name = typical_file_on_disk();
  std::string_view record;
  for (auto _ : state) {
    textrec::Opened<textrec::ByteSource> opened = textrec::posix_file_system().open_source(name);
    if (!opened.file) state.SkipWithError(opened.reason.c_str());
    textrec::RecordReader reader(std::move(opened.file));
    while (reader.next_record_prefix(&record, 256) == kStatusOk) benchmark::DoNotOptimize(record);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(typical_file().size()));
}
BENCHMARK(BM_RecordReaderFile);

// --- The scanner ----------------------------------------------------------------

// The scanner over the typical file held in memory; argument: the cell choice.
void BM_Scanner(benchmark::State& state) {
  textrec::MemoryFileSystem fs;
  fs.files["typical.out"] = typical_file();
  std::string console;
  textrec::install(textrec::memory_source(""), textrec::memory_sink(&console), fs);
  textrec::open_for_reading(formats::kDiraxChannel, "typical.out");
  const formats::CellChoice choice =
      state.range(0) != 0 ? formats::CellChoice::kInput : formats::CellChoice::kConventional;
  // One scan checked before the timed ones: the file must yield a cell quietly.
  const float a = formats::scan_dirax_file(choice, "typical.out").a;
  if (a < formats::kMinCellA || !console.empty()) {
    static std::string why;
    why = "the scanner found no cell (a = " + std::to_string(a) +
          "), or reported a failure: " + console.substr(0, 200);
    state.SkipWithError(why.c_str());
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(formats::scan_dirax_file(choice, "typical.out"));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(typical_file().size()));
}
BENCHMARK(BM_Scanner)->Arg(1)->Arg(0);

// What the main program does per listed file, the writes aside: find and open
// the file on channel 2, scan it, close it, on a real file. Argument 1: one open
// that is the existence check too, as korvex does; 0: a separate existence
// check before the open.
void BM_CheckOpenScanClose(benchmark::State& state) {
  const std::string& name = typical_file_on_disk();
  std::string console;
  textrec::install(textrec::memory_source(""), textrec::memory_sink(&console),
                   textrec::posix_file_system());
  formats::CellRecord cell;
  const bool one_open = state.range(0) != 0;
  for (auto _ : state) {
    if (one_open) {
      if (!textrec::open_for_reading_if_exists(formats::kDiraxChannel, name))
        state.SkipWithError("file missing");
    } else {
      if (!textrec::file_exists(name)) state.SkipWithError("file missing");
      textrec::open_for_reading(formats::kDiraxChannel, name);
    }
    cell = formats::scan_dirax_file(formats::CellChoice::kInput, name);
    textrec::close_channel(formats::kDiraxChannel);
  }
  if (!formats::has_cell(cell)) state.SkipWithError("the scanner found no cell");
}
BENCHMARK(BM_CheckOpenScanClose)->Arg(0)->Arg(1);

// --- Writing ----------------------------------------------------------------------

struct FieldCase {
  float x;
  int w, d;
};
// The fields of one table row and one plot point.
constexpr std::array<FieldCase, 10> kFields{{{90.31F, 6, 2},
                                             {5.94434F, 12, 5},
                                             {8.34362F, 12, 5},
                                             {103.107F, 12, 3},
                                             {61.593F, 12, 3},
                                             {500.245F, 13, 3},
                                             {500.245F, 20, 5},
                                             {1234.56789F, 20, 5},
                                             {-0.004F, 6, 2},
                                             {1000.0F, 6, 2}}};

void BM_EditF(benchmark::State& state) {
  std::string out;
  out.reserve(256);
  for (auto _ : state) {
    out.clear();
    for (const FieldCase& f : kFields) textrec::edit_f(out, f.x, f.w, f.d);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kFields.size()));
}
BENCHMARK(BM_EditF);

void BM_FormatTableRow(benchmark::State& state) {
  const textrec::Layout layout = textrec::parse_layout("F6.2, 3F12.5, 3F12.3, F13.3, 2X, A12, A4");
  const std::array<textrec::Item, 10> items{90.31F,
                                            5.94434F,
                                            5.94434F,
                                            8.34362F,
                                            103.107F,
                                            103.107F,
                                            61.593F,
                                            500.245F,
                                            std::string_view("monoclinic      "),
                                            std::string_view("C")};
  std::string out;
  out.reserve(256);
  for (auto _ : state) {
    out.clear();
    textrec::format_record(out, layout, items);
    benchmark::DoNotOptimize(out.data());
  }
  if (out.size() != 109) state.SkipWithError("the row is not 109 characters");
}
BENCHMARK(BM_FormatTableRow);

// --- The free-form read of a number -------------------------------------------------

constexpr std::array<std::string_view, 4> kNumbers{"5.94434", "103.107", "500.245", "61.593"};

void BM_ConvertNumber(benchmark::State& state) {
  float x = 0;
  std::vector<textrec::NumberFlaw> flaws;
  for (auto _ : state) {
    for (const std::string_view number : kNumbers) {
      if (!textrec::convert_number(number, &x, flaws)) state.SkipWithError("out of range");
      benchmark::DoNotOptimize(x);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kNumbers.size()));
}
BENCHMARK(BM_ConvertNumber);

// One real out of a range of a cell line, as the scanner cuts it.
constexpr std::string_view kRange = "   5.94434  ";

void BM_ReadFreeFormNumber(benchmark::State& state) {
  float x = 0;
  const textrec::Target target = textrec::Target::Real(&x);
  for (auto _ : state) {
    textrec::MemoryRecordSource source(kRange);
    const textrec::ReadOutcome outcome =
        textrec::read_free_form(source, std::span<const textrec::Target>(&target, 1), nullptr);
    benchmark::DoNotOptimize(outcome);
  }
  if (x != 5.94434F) state.SkipWithError("wrong value");
}
BENCHMARK(BM_ReadFreeFormNumber);

// The same through the run's layer, failures going to the error report, as the
// scanner reads every value.
void BM_ReadFreeMemoryRecord(benchmark::State& state) {
  textrec::MemoryFileSystem fs;
  std::string console;
  textrec::install(textrec::memory_source(""), textrec::memory_sink(&console), fs);
  float x = 0;
  for (auto _ : state) {
    textrec::read_free(textrec::Source::Memory(kRange), {textrec::Target::Real(&x)});
    benchmark::DoNotOptimize(x);
  }
  if (x != 5.94434F || !console.empty()) state.SkipWithError("wrong value or a report");
}
BENCHMARK(BM_ReadFreeMemoryRecord);

// --- A whole run ---------------------------------------------------------------------

// korvex::run over a series of N files held in memory, answers piped in; the
// output files are written to memory too. Argument: N.
void BM_RunMemorySeries(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  textrec::MemoryFileSystem fs;
  std::string list = "Benchmark series\nfile  temperature(K)\n";
  for (int i = 0; i < n; ++i) {
    const std::string name = "dx/b" + std::to_string(i) + "_dirax_cell.out";
    fs.files[name] = dirax_text(i);
    char temperature[32];
    std::snprintf(temperature, sizeof temperature, "  %.2f\n", 90.0 + 0.31 * i);
    list += name + temperature;
  }
  fs.files["series.lst"] = list;
  std::string console;
  for (auto _ : state) {
    console.clear();
    textrec::install(textrec::memory_source("series.lst\n1\nn\nn\nn\nn\nn\nn\nn\n"),
                     textrec::memory_sink(&console), fs);
    int status = -1;
    try {
      status = korvex::run_dialogue(nullptr);
    } catch (const textrec::RunEnded& ended) {
      status = textrec::end_run(ended);
    }
    if (status != textrec::kExitClean) state.SkipWithError("the run did not end clean");
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_RunMemorySeries)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
