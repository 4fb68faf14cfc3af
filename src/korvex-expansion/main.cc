// korvex-expansion: the principal thermal-expansion coefficients of a series
// of cells, e.g. `korvex-expansion TK_parameters.xy`.
//
// It reads the table korvex wrote (or a whitespace table of T and the six
// cell parameters), computes each cell's strain against the reference cell,
// follows the three principal axes over the series, fits their strains and
// the volume against temperature, and reports the coefficients with their
// directions in the crystal; as text, JSON or CSV, with SVG pictures on
// request.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "chart/expansion_pictures.h"
#include "chart/series_picture.h"
#include "common/command_line.h"
#include "common/files.h"
#include "common/number_text.h"
#include "common/safe_text.h"
#include "crystal/cell.h"
#include "expansion/analysis.h"
#include "expansion/monte_carlo.h"
#include "expansion/pressure_draws.h"
#include "expansion/series_checks.h"
#include "formats/cell_record.h"
#include "html_report.h"
#include "inputs.h"
#include "pressure_report.h"
#include "report.h"
#include "textrec/files.h"

namespace {

constexpr const char* kUsage =
    "usage: korvex-expansion [options] FILE...\n"
    "       korvex-expansion [options] --list BUFFER_FILE [FILE...]\n"
    "       korvex-expansion -h | --help | -V | --version\n"
    "Principal thermal-expansion coefficients of a series of cells. Each FILE is the\n"
    "TK_parameters.xy table korvex writes, a whitespace table of T a b c alpha beta\n"
    "gamma (or T sigma_T a b c alpha beta gamma, or T a b c alpha beta gamma V) with\n"
    "# comments, a table whose header row names its columns, or a cell file that\n"
    "gives its temperature. Cell files: DIRAX output (listed), CIF, .cif_od, DIALS\n"
    ".expt, XDS CORRECT.LP and XPARM.XDS, SAINT .p4p, SHELX .ins and .res, PASCal\n"
    "tables, korvex's TK_parameters.xy and .csv; told by their content, at most\n"
    "64 MiB each. Where the cells carry SUs, they are carried into the results by\n"
    "Monte Carlo. Exit status 0, 4 after a warning, 1 on a failure.\n"
    "\n"
    "  --list BUFFER_FILE    the cell files (DIRAX output among them) and their\n"
    "                        temperatures, in korvex's buffer-file format\n"
    "  --cell input|conventional\n"
    "                        the cell of the DIRAX files in the list\n"
    "  --strain natural|eulerian|lagrangian\n"
    "                        the strain measure (default natural, ln U)\n"
    "  --lagrangian          the same as --strain lagrangian\n"
    "  --infinitesimal       infinitesimal Eulerian or Lagrangian strain (default\n"
    "                        finite)\n"
    "  --reference K         the point at K kelvin is the reference (default the first;\n"
    "                        under --pressure, P GPa, default the lowest pressure)\n"
    "  --pressure            a pressure series: the first column (a CIF's ambient\n"
    "                        pressure, a list's second field) is a pressure in GPa;\n"
    "                        compressibilities and equations of state\n"
    "  --pc P                the critical pressure of the third-order equation of\n"
    "                        state with p_c, GPa (default the lowest pressure)\n"
    "  --fit linear|quadratic|cubic\n"
    "                        polynomial of strain and volume in T (default linear)\n"
    "  --format text|json|csv\n"
    "                        what goes to standard output (default text)\n"
    "  --svg PREFIX          also write PREFIX_strain.svg, PREFIX_volume.svg,\n"
    "                        PREFIX_lattice.svg and PREFIX_indicatrix.svg (under\n"
    "                        --pressure all but the lattice, with the equations of\n"
    "                        state and the compressibility indicatrix)\n"
    "  --html FILE           also write the whole analysis, with its pictures, as one\n"
    "                        HTML page that needs nothing beside it\n"
    "  --title TEXT          the pictures' title (default what each shows)\n"
    "  --no-title            pictures without title or subtitle\n"
    "  --size WxH            the pictures' size in pixels (1200x800) or mm (170x120mm)\n"
    "  --draws N             Monte Carlo draws of the cells' SUs (default 2000)\n"
    "  --seed S              where the draws start, 0 to 2^64-1 (default 1)\n"
    "  --weighted            weighted least squares, 1/su^2 from the draws\n"
    "  -h, --help            this text\n"
    "  -V, --version         the version\n";

enum class Format { kText, kJson, kCsv };

struct Options {
  expansion::StrainMeasure measure;
  int degree = 1;
  Format format = Format::kText;
  std::optional<double> reference;
  std::optional<std::string> svg_prefix;
  std::optional<std::string> html_file;
  chart::PictureOptions picture;
  korvex_expansion::InputNames inputs;
  expansion::Draws draws;
  bool weighted = false;
  std::optional<double> pc;  // GPa
  bool help = false;
  bool version = false;
};

enum Option : int {
  kStrain,
  kLagrangian,
  kInfinitesimal,
  kReference,
  kFit,
  kFormat,
  kSvg,
  kHtml,
  kTitle,
  kNoTitle,
  kSize,
  kList,
  kCell,
  kDraws,
  kStart,
  kWeighted,
  kPressure,
  kPc,
  kHelp,
  kVersion
};

constexpr int kExitWarning = 4;

constexpr unsigned long long kMostDraws = 1000000;

constexpr common::OptionRule kOptions[] = {
    {kStrain, '\0', "strain", true},
    {kLagrangian, '\0', "lagrangian", false},
    {kInfinitesimal, '\0', "infinitesimal", false},
    {kReference, '\0', "reference", true},
    {kFit, '\0', "fit", true},
    {kFormat, '\0', "format", true},
    {kSvg, '\0', "svg", true},
    {kHtml, '\0', "html", true},
    {kTitle, '\0', "title", true},
    {kNoTitle, '\0', "no-title", false},
    {kSize, '\0', "size", true},
    {kList, '\0', "list", true},
    {kCell, '\0', "cell", true},
    {kDraws, '\0', "draws", true},
    {kStart, '\0', "seed", true},
    {kWeighted, '\0', "weighted", false},
    {kPressure, '\0', "pressure", false},
    {kPc, '\0', "pc", true},
    {kHelp, 'h', "help", false},
    {kVersion, 'V', "version", false},
};

// A whole decimal number from `least` to `most`.
std::optional<unsigned long long> whole_number(const std::string& text, unsigned long long least,
                                               unsigned long long most) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  errno = 0;
  const unsigned long long v = std::strtoull(text.c_str(), nullptr, 10);
  if (errno != 0 || v < least || v > most) return std::nullopt;
  return v;
}

// Applies one option; the reason when its value is not one it takes.
common::Expected<void> apply(const common::GivenOption& given, Options& opt) {
  const std::string& value = given.value;
  const auto refused = [&](const char* what) {
    return common::Error{0, std::string(what) + ", not '" + value + "'"};
  };
  switch (given.id) {
    case kStrain: {
      const auto kind = expansion::strain_kind_named(value);
      if (!kind) return refused("--strain is natural, eulerian or lagrangian");
      opt.measure.kind = *kind;
      break;
    }
    case kLagrangian:
      opt.measure.kind = expansion::StrainKind::kLagrangian;
      break;
    case kInfinitesimal:
      opt.measure.finite = false;
      break;
    case kReference:
      // Decimal only: strtod would take 0x96 for 150 K.
      opt.reference = common::parse_decimal(value);
      if (!opt.reference) return refused("--reference needs a temperature in kelvin");
      break;
    case kFit:
      if (value == "linear" || value == "quadratic" || value == "cubic")
        opt.degree = value == "linear" ? 1 : value == "quadratic" ? 2 : 3;
      else
        return refused("--fit is linear, quadratic or cubic");
      break;
    case kFormat:
      if (value == "text" || value == "json" || value == "csv")
        opt.format = value == "text"   ? Format::kText
                     : value == "json" ? Format::kJson
                                       : Format::kCsv;
      else
        return refused("--format is text, json or csv");
      break;
    case kSvg:
      if (value.empty()) return common::Error{0, "--svg needs a file name prefix"};
      opt.svg_prefix = value;
      break;
    case kHtml:
      if (value.empty()) return common::Error{0, "--html needs a file name"};
      opt.html_file = value;
      break;
    case kTitle:
      opt.picture.title = value;
      break;
    case kNoTitle:
      opt.picture.no_title = true;
      break;
    case kSize: {
      const auto size = chart::parse_picture_size(value);
      if (!size) return size.error();
      opt.picture.size = *size;
      break;
    }
    case kList:
      if (value.empty()) return common::Error{0, "--list needs a buffer file"};
      opt.inputs.list = value;
      break;
    case kCell:
      opt.inputs.cell = formats::cell_choice_named(value);
      if (!opt.inputs.cell) return refused("--cell takes input or conventional (or 1 or 2)");
      break;
    case kDraws: {
      const auto count = whole_number(value, 2, kMostDraws);
      if (!count)
        return refused(
            ("--draws takes a whole number from 2 to " + std::to_string(kMostDraws)).c_str());
      opt.draws.count = static_cast<std::size_t>(*count);
      break;
    }
    case kStart: {
      const auto start = whole_number(value, 0, ~0ULL);
      if (!start) return refused("--seed takes a whole number from 0 to 2^64-1");
      opt.draws.start = *start;
      break;
    }
    case kWeighted:
      opt.weighted = true;
      break;
    case kPressure:
      opt.inputs.pressure = true;
      break;
    case kPc:
      opt.pc = common::parse_decimal(value);
      if (!opt.pc || !std::isfinite(*opt.pc)) return refused("--pc needs a pressure in GPa");
      break;
    case kHelp:
      opt.help = true;
      break;
    case kVersion:
      opt.version = true;
      break;
  }
  return {};
}

// The arguments after the program name; the reason when they cannot be run.
common::Expected<Options> parse_arguments(std::span<const std::string_view> args) {
  const auto parsed = common::parse_command_line(kOptions, args);
  if (!parsed) return parsed.error();
  Options opt;
  for (const common::GivenOption& given : parsed->options) {
    if (auto applied = apply(given, opt); !applied) return applied.error();
  }
  if (opt.help || opt.version) return opt;
  if (!opt.measure.finite && opt.measure.kind == expansion::StrainKind::kNatural)
    return common::Error{0, "--infinitesimal takes --strain eulerian or --strain lagrangian"};
  opt.inputs.files = parsed->operands;
  if (opt.inputs.files.empty() && !opt.inputs.list) return common::Error{0, "no file named"};
  if (opt.pc && !opt.inputs.pressure)
    return common::Error{0, "--pc is for a series under --pressure"};
  if (opt.inputs.pressure && opt.weighted)
    return common::Error{0, "--weighted is for a temperature series, not under --pressure"};
  return opt;
}

// What a run gives: the text for standard output, and what to tell on
// standard error: warnings, which make the exit status 4, and failures, each
// of which makes it 1. A failure of the read, the checks or the analysis
// leaves no output; one of a picture leaves the others and the report.
struct Outcome {
  std::string output;
  std::vector<std::string> notes;  // told first, the status left as it is
  std::vector<std::string> warnings;
  std::vector<std::string> failures;
  bool warned = false;  // a warning that ends the run with status 4
};

// "FILE: MESSAGE", or "FILE, line N: MESSAGE" for an error of a line.
std::string about_file(const std::string& file, const common::Error& error) {
  return common::in_file(file, error).message;
}

// The draws' progress on a terminal, shown once they will take more than a
// second in all, redrawn a few times a second, and erased when they end.
class DrawProgress {
 public:
  DrawProgress() = default;
  DrawProgress(const DrawProgress&) = delete;
  DrawProgress& operator=(const DrawProgress&) = delete;
  ~DrawProgress() {
    if (shown_) std::fputs("\r\033[K", stderr);
  }
  void operator()(std::size_t done, std::size_t total) {
    using namespace std::chrono_literals;
    const auto now = std::chrono::steady_clock::now();
    const std::chrono::duration<double> spent = now - begun_;
    if (!shown_ && spent * static_cast<double>(total) / static_cast<double>(done) < 1s) return;
    if (shown_ && now - drawn_ < 250ms && done != total) return;
    drawn_ = now;
    shown_ = true;
    std::fprintf(stderr, "\rkorvex-expansion: draw %zu of %zu", done, total);
    std::fflush(stderr);
  }

 private:
  std::chrono::steady_clock::time_point begun_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point drawn_;
  bool shown_ = false;
};

// The draws the options ask for, their progress shown on a terminal.
expansion::Draws shown_draws(const Options& opt, DrawProgress& progress) {
  expansion::Draws draws = opt.draws;
  if (::isatty(STDERR_FILENO) == 1)
    draws.progress = [&progress](std::size_t done, std::size_t total) { progress(done, total); };
  return draws;
}

common::Expected<expansion::SeriesAnalysis> analysis_of(const korvex_expansion::Points& points,
                                                        const Options& opt) {
  expansion::Settings settings{0, opt.measure, opt.degree, opt.weighted};
  if (opt.reference) {
    std::vector<double> temperatures;
    for (const crystal::CellEntry& e : points.cells) temperatures.push_back(*e.temperature);
    const auto found = expansion::find_reference(temperatures, *opt.reference);
    if (!found) return found.error();
    settings.reference = *found;
  }
  DrawProgress progress;
  auto result = expansion::analyse_series(points.cells, settings, shown_draws(opt, progress));
  if (result && result.value().sus) result.value().sus->draws.progress = nullptr;
  return result;
}

// The checks before a fit: temperatures that can be told apart, and changes
// of phase or setting, told as warnings; false after a failure.
bool checked_series(const korvex_expansion::Points& points, Outcome& outcome) {
  if (const auto t = expansion::check_temperatures(points.cells); !t) {
    outcome.failures.push_back(t.error().message);
    return false;
  }
  const expansion::SeriesChanges changes = expansion::check_changes(points.cells);
  for (const std::string& w : changes.warnings)
    outcome.warnings.push_back(about_file(points.name, {0, "warning: " + w}));
  for (const std::string& u : changes.unmatched)
    outcome.failures.push_back(about_file(points.name, {0, u}));
  return changes.unmatched.empty();
}

// The first of the outputs that is one of the files read (by device and
// inode, whatever the names), or "" when none is.
std::string input_among(const std::vector<std::string>& outputs,
                        const std::vector<std::string>& inputs) {
  textrec::FileSystem& files = textrec::posix_file_system();
  std::vector<textrec::FileIdentity> read;
  for (const std::string& output : outputs) {
    const auto identity = files.identity(output);
    if (!identity) continue;
    if (read.empty()) {
      for (const std::string& input : inputs)
        if (const auto i = files.identity(input)) read.push_back(*i);
    }
    if (std::find(read.begin(), read.end(), *identity) != read.end()) return output;
  }
  return {};
}

// Writes the pictures (--svg) and the page (--html) the options ask for, the
// page made by `page` from the warnings the run tells (those of writing it
// aside); says which in a text report, and counts what cannot be written a
// failure.
void write_pictures(const Options& opt, const std::vector<chart::Picture>& pictures,
                    const std::function<std::string(const std::vector<std::string>&)>& page,
                    const std::vector<std::string>& inputs, Outcome& outcome) {
  std::vector<std::string> paths;
  if (opt.svg_prefix)
    for (const chart::Picture& p : pictures) paths.push_back(*opt.svg_prefix + p.suffix);
  if (opt.html_file) paths.push_back(*opt.html_file);
  if (const auto input = input_among(paths, inputs); !input.empty()) {
    outcome.output.clear();
    outcome.failures.push_back(input + " is one of the inputs: nothing written");
    return;
  }
  const auto write = [&](const std::string& path, const std::string& bytes) {
    const auto wrote = common::write_file_replacing(path, bytes);
    if (!wrote) outcome.failures.push_back("cannot write " + path + ": " + wrote.error().message);
    return wrote.has_value();
  };
  std::string written;
  if (opt.svg_prefix) {
    for (const chart::Picture& p : pictures) {
      const std::string path = *opt.svg_prefix + p.suffix;
      if (write(path, p.svg)) written += (written.empty() ? "" : ", ") + common::safe_text(path);
    }
    if (!written.empty()) written = "\n SVG pictures written: " + written + "\n";
  }
  if (opt.html_file && write(*opt.html_file, page(outcome.warnings))) {
    written += std::string(written.empty() ? "\n" : "") +
               " HTML page written: " + common::safe_text(*opt.html_file) + "\n";
  }
  if (opt.format == Format::kText) outcome.output += written;
}

// The point at `gpa` (to within 0.00005 GPa), else the lowest pressure.
common::Expected<std::size_t> pressure_reference(const std::vector<double>& p,
                                                 std::optional<double> gpa) {
  if (!gpa) return static_cast<std::size_t>(std::min_element(p.begin(), p.end()) - p.begin());
  for (std::size_t i = 0; i < p.size(); ++i)
    if (std::fabs(p[i] - *gpa) <= 0.00005) return i;
  return common::Error{0, "no point at " + common::shortest(*gpa) + " GPa for the reference"};
}

// The analysis of a pressure series, its SUs drawn where the cells carry them.
common::Expected<expansion::PressureSeries> pressure_analysis_of(
    const Options& opt, const korvex_expansion::Points& points) {
  std::vector<double> p, sigma_p;
  bool all_sus = true;
  for (const crystal::CellEntry& e : points.cells) {
    p.push_back(*e.temperature);
    sigma_p.push_back(e.temperature_su.value_or(0));
    all_sus = all_sus && sigma_p.back() > 0;
  }
  // Without an SU at every point, every point weighs the same.
  if (!all_sus) std::fill(sigma_p.begin(), sigma_p.end(), 1.0);
  const auto reference = pressure_reference(p, opt.reference);
  if (!reference) return reference.error();
  DrawProgress progress;
  return expansion::analyse_pressure_series(points.cells, sigma_p, *reference, opt.measure,
                                            opt.pc.value_or(*std::min_element(p.begin(), p.end())),
                                            shown_draws(opt, progress));
}

// A pressure series: compressibilities and equations of state.
Outcome run_pressure(const Options& opt, const korvex_expansion::Points& points, Outcome outcome) {
  // The message names the point's source.
  if (const auto checked = expansion::check_pressures(points.cells); !checked) {
    outcome.failures.push_back(checked.error().message);
    return outcome;
  }
  const auto result = pressure_analysis_of(opt, points);
  if (!result) {
    outcome.failures.push_back(about_file(points.name, result.error()));
    return outcome;
  }
  const korvex_expansion::Source source{points.name, points.skipped_lines, points.cells,
                                        points.title};
  switch (opt.format) {
    case Format::kText:
      outcome.output = korvex_expansion::pressure_text_report(*result, source);
      break;
    case Format::kJson:
      outcome.output = korvex_expansion::pressure_json_report(*result, source);
      break;
    case Format::kCsv:
      outcome.output = korvex_expansion::pressure_csv_report(*result);
      break;
  }
  if (opt.svg_prefix || opt.html_file) {
    const std::vector<chart::Picture> pictures =
        chart::render_pressure_pictures(*result, points.name, opt.picture);
    write_pictures(
        opt, pictures,
        [&](const std::vector<std::string>& warnings) {
          return korvex_expansion::pressure_html_report(*result, source, warnings, pictures);
        },
        points.read, outcome);
  }
  return outcome;
}

// A warning where a series read as temperatures looks like one of pressures.
std::optional<std::string> pressure_hint(const korvex_expansion::Points& points) {
  const bool cold = std::all_of(points.cells.begin(), points.cells.end(),
                                [](const crystal::CellEntry& e) { return *e.temperature < 20; });
  if (!cold && !points.comment_names_pressure) return std::nullopt;
  return points.name + ": warning: " +
         (cold ? "every temperature lies below 20 K" : "the file's comment speaks of pressure") +
         "; if the series is one of pressure in GPa, run with --pressure";
}

Outcome run(const Options& opt) {
  Outcome outcome;
  const auto points = korvex_expansion::read_points(opt.inputs);
  if (!points) {
    outcome.failures.push_back(points.error().message);
    return outcome;
  }
  outcome.notes = points->notes;
  outcome.warnings = points->warnings;
  outcome.warned = points->warned;
  if (opt.inputs.pressure) return run_pressure(opt, *points, std::move(outcome));
  if (const auto hint = pressure_hint(*points)) outcome.warnings.push_back(*hint);
  if (!checked_series(*points, outcome)) return outcome;
  const auto analysed = analysis_of(*points, opt);
  if (!analysed) {
    outcome.failures.push_back(about_file(points->name, analysed.error()));
    return outcome;
  }
  const expansion::SeriesAnalysis& result = *analysed;
  const korvex_expansion::Source source{points->name, points->skipped_lines, points->cells,
                                        points->title};
  for (const std::string& w : expansion::check_scatter(result))
    outcome.warnings.push_back(about_file(points->name, {0, "warning: " + w}));
  // A pair's report says itself that its coefficients are secants.
  if (!result.analysis.standard_errors && result.analysis.temperatures.size() > 2) {
    outcome.warnings.push_back(
        about_file(points->name,
                   {0, std::string("warning: a ") + expansion::fit_name(opt.degree) +
                           " fit through " + std::to_string(result.analysis.temperatures.size()) +
                           " points has no spare point, so the fit gives no standard errors"}));
  }
  switch (opt.format) {
    case Format::kText:
      outcome.output = korvex_expansion::text_report(result, source);
      break;
    case Format::kJson:
      outcome.output = korvex_expansion::json_report(result, source);
      break;
    case Format::kCsv:
      outcome.output = korvex_expansion::csv_report(result);
      break;
  }
  if (opt.svg_prefix || opt.html_file) {
    const std::vector<chart::Picture> pictures =
        chart::render_pictures(result.analysis, result.sus ? &*result.sus : nullptr, source.cells,
                               source.name, opt.picture);
    write_pictures(
        opt, pictures,
        [&](const std::vector<std::string>& warnings) {
          return korvex_expansion::html_report(result, source, warnings, pictures);
        },
        points->read, outcome);
  }
  return outcome;
}

// Tells the outcome and gives the exit status: 0, 4 after a warning, or 1
// after a failure.
int tell(const Outcome& outcome) {
  const auto to_stderr = [](const std::string& message) {
    std::fprintf(stderr, "korvex-expansion: %s\n", common::safe_text(message).c_str());
  };
  for (const std::string& note : outcome.notes) to_stderr(note);
  for (const std::string& warning : outcome.warnings) to_stderr(warning);
  bool failed = !outcome.failures.empty();
  std::fwrite(outcome.output.data(), 1, outcome.output.size(), stdout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    to_stderr(std::string("cannot write the output: ") + std::strerror(errno));
    failed = true;
  }
  for (const std::string& failure : outcome.failures) to_stderr(failure);
  if (failed) return 1;
  return outcome.warnings.empty() && !outcome.warned ? 0 : kExitWarning;
}

}  // namespace

namespace {

int run_command(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const common::Expected<Options> opt = parse_arguments(args);
  if (!opt) {
    std::fputs(common::usage_error_text("korvex-expansion", opt.error().message).c_str(), stderr);
    return common::kExitUsage;
  }
  if (opt->help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (opt->version) {
    std::puts("korvex-expansion " KORVEX_VERSION);
    return 0;
  }
  return tell(run(*opt));
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run_command(argc, argv);
  } catch (const std::exception& e) {  // out of memory, say: told, not a crash
    std::fprintf(stderr, "korvex-expansion: %s\n", e.what());
    return 1;
  }
}
