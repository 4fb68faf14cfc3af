// korvex-expansion: the principal thermal-expansion coefficients of a series
// of cells, e.g. `korvex-expansion TK_parameters.xy`.
//
// It reads the table korvex wrote (or a whitespace table of T and the six
// cell parameters), computes each cell's strain against the reference cell,
// follows the three principal axes over the series, fits their strains and
// the volume against temperature, and reports the coefficients with their
// directions in the crystal; as text, JSON or CSV, with SVG pictures on
// request.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
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
#include "expansion/analysis.h"
#include "expansion/cell.h"
#include "formats/series_table.h"
#include "report.h"

namespace {

constexpr const char* kUsage =
    "usage: korvex-expansion [options] FILE\n"
    "       korvex-expansion -h | --help | -V | --version\n"
    "Principal thermal-expansion coefficients of a series of cells: FILE is the\n"
    "TK_parameters.xy table korvex writes, or a whitespace table of\n"
    "T a b c alpha beta gamma (or T sigma_T a b c alpha beta gamma) with # comments.\n"
    "\n"
    "  --lagrangian          Lagrangian strain (default Eulerian)\n"
    "  --infinitesimal       infinitesimal strain (default finite)\n"
    "  --reference K         the point at K kelvin is the reference (default the first)\n"
    "  --fit linear|quadratic|cubic\n"
    "                        polynomial of strain and volume in T (default linear)\n"
    "  --format text|json|csv\n"
    "                        what goes to standard output (default text)\n"
    "  --svg PREFIX          also write PREFIX_strain.svg, PREFIX_volume.svg and\n"
    "                        PREFIX_indicatrix.svg\n"
    "  -h, --help            this text\n"
    "  -V, --version         the version\n";

enum class Format { kText, kJson, kCsv };

struct Options {
  expansion::StrainMeasure measure;
  int degree = 1;
  Format format = Format::kText;
  std::optional<double> reference;
  std::optional<std::string> svg_prefix;
  std::string file;
  bool help = false;
  bool version = false;
};

enum Option : int { kLagrangian, kInfinitesimal, kReference, kFit, kFormat, kSvg, kHelp, kVersion };

constexpr common::OptionRule kOptions[] = {
    {kLagrangian, '\0', "lagrangian", false},
    {kInfinitesimal, '\0', "infinitesimal", false},
    {kReference, '\0', "reference", true},
    {kFit, '\0', "fit", true},
    {kFormat, '\0', "format", true},
    {kSvg, '\0', "svg", true},
    {kHelp, 'h', "help", false},
    {kVersion, 'V', "version", false},
};

// Applies one option; the reason when its value is not one it takes.
common::Expected<void> apply(const common::GivenOption& given, Options& opt) {
  const std::string& value = given.value;
  const auto refused = [&](const char* what) {
    return common::Error{0, std::string(what) + ", not '" + value + "'"};
  };
  switch (given.id) {
    case kLagrangian:
      opt.measure.lagrangian = true;
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
  if (parsed->operands.size() != 1)
    return common::Error{0, parsed->operands.empty() ? "no file named" : "one file only"};
  opt.file = parsed->operands.front();
  return opt;
}

// What a run gives: the text for standard output, and what to tell on
// standard error: warnings, and failures, each of which makes the exit
// status 1. A failure of the read or the analysis leaves no output; one of
// a picture leaves the others and the report.
struct Outcome {
  std::string output;
  std::vector<std::string> warnings;
  std::vector<std::string> failures;
};

// "FILE: MESSAGE", or "FILE, line N: MESSAGE" for an error of a line.
std::string about_file(const std::string& file, const common::Error& error) {
  return file + (error.line > 0 ? ", line " + std::to_string(error.line) : std::string()) + ": " +
         error.message;
}

common::Expected<expansion::Analysis> analysis_of(const formats::Series& series,
                                                  const Options& opt) {
  std::vector<double> temperatures;
  std::vector<Eigen::Matrix3d> bases;
  for (const formats::SeriesRow& row : series.rows) {
    temperatures.push_back(row.temperature);
    bases.push_back(expansion::basis(row.cell));
  }
  std::size_t reference = 0;
  if (opt.reference) {
    const auto found = expansion::find_reference(temperatures, *opt.reference);
    if (!found) return found.error();
    reference = *found;
  }
  return expansion::analyse(temperatures, bases, reference, opt.measure, opt.degree);
}

Outcome run(const Options& opt) {
  Outcome outcome;
  const auto read = formats::read_series_file(opt.file);
  if (!read) {
    outcome.failures.push_back(about_file(opt.file, read.error()));
    return outcome;
  }
  korvex_expansion::Source source{opt.file, {}};
  for (const formats::SkippedRow& s : read->skipped) {
    outcome.warnings.push_back(about_file(opt.file, {s.line, "row skipped: " + s.reason}));
    source.skipped_lines.push_back(s.line);
  }
  const auto analysed = analysis_of(*read, opt);
  if (!analysed) {
    outcome.failures.push_back(about_file(opt.file, analysed.error()));
    return outcome;
  }
  const expansion::Analysis& analysis = *analysed;
  switch (opt.format) {
    case Format::kText:
      outcome.output = korvex_expansion::text_report(analysis, source);
      break;
    case Format::kJson:
      outcome.output = korvex_expansion::json_report(analysis, source);
      break;
    case Format::kCsv:
      outcome.output = korvex_expansion::csv_report(analysis);
      break;
  }
  if (opt.svg_prefix) {
    std::string written;
    for (const chart::Picture& p : chart::render_pictures(analysis, opt.file)) {
      const std::string path = *opt.svg_prefix + p.suffix;
      if (const auto wrote = common::write_file_replacing(path, p.svg); !wrote) {
        outcome.failures.push_back("cannot write " + path + ": " + wrote.error().message);
      } else {
        written += (written.empty() ? "" : ", ") + common::safe_text(path);
      }
    }
    if (opt.format == Format::kText && !written.empty())
      outcome.output += "\n SVG pictures written: " + written + "\n";
  }
  return outcome;
}

// Tells the outcome and gives the exit status: 0, or 1 after a failure.
int tell(const Outcome& outcome) {
  const auto to_stderr = [](const std::string& message) {
    std::fprintf(stderr, "korvex-expansion: %s\n", common::safe_text(message).c_str());
  };
  for (const std::string& warning : outcome.warnings) to_stderr(warning);
  bool failed = !outcome.failures.empty();
  std::fwrite(outcome.output.data(), 1, outcome.output.size(), stdout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    to_stderr(std::string("cannot write the output: ") + std::strerror(errno));
    failed = true;
  }
  for (const std::string& failure : outcome.failures) to_stderr(failure);
  return failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
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
  try {
    return tell(run(*opt));
  } catch (const std::exception& e) {  // out of memory, say: told, not a crash
    std::fprintf(stderr, "korvex-expansion: %s\n", e.what());
    return 1;
  }
}
