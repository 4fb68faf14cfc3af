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
#include <cmath>
#include <cstdio>
#include <cstdlib>
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

#ifndef KORVEX_VERSION
#define KORVEX_VERSION "dev"
#endif

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

int run(const Options& opt) {
  const std::string shown = common::safe_text(opt.file);
  const auto read = formats::read_series_file(opt.file);
  if (!read) {
    const common::Error& err = read.error();
    const std::string where = err.line > 0 ? shown + ", line " + std::to_string(err.line) : shown;
    std::fprintf(stderr, "korvex-expansion: %s: %s\n", where.c_str(),
                 common::safe_text(err.message).c_str());
    return 1;
  }
  const formats::Series& series = *read;
  korvex_expansion::Source source{opt.file, {}};
  for (const formats::SkippedRow& s : series.skipped) {
    std::fprintf(stderr, "korvex-expansion: %s, line %d: row skipped: %s\n", shown.c_str(), s.line,
                 s.reason.c_str());
    source.skipped_lines.push_back(s.line);
  }
  std::vector<double> temperatures;
  std::vector<Eigen::Matrix3d> bases;
  for (const formats::SeriesRow& row : series.rows) {
    temperatures.push_back(row.temperature);
    bases.push_back(expansion::basis(row.cell));
  }
  std::size_t reference = 0;
  if (opt.reference) {
    const auto found = expansion::find_reference(temperatures, *opt.reference);
    if (!found) {
      std::fprintf(stderr, "korvex-expansion: %s: %s\n", shown.c_str(),
                   found.error().message.c_str());
      return 1;
    }
    reference = *found;
  }
  const auto result = expansion::analyse(temperatures, bases, reference, opt.measure, opt.degree);
  if (!result) {
    std::fprintf(stderr, "korvex-expansion: %s: %s\n", shown.c_str(),
                 result.error().message.c_str());
    return 1;
  }
  const expansion::Analysis& analysis = *result;

  std::string out;
  switch (opt.format) {
    case Format::kText:
      out = korvex_expansion::text_report(analysis, source);
      break;
    case Format::kJson:
      out = korvex_expansion::json_report(analysis, source);
      break;
    case Format::kCsv:
      out = korvex_expansion::csv_report(analysis);
      break;
  }
  int status = 0;
  if (opt.svg_prefix) {
    std::string written;
    for (const chart::Picture& p : chart::render_pictures(analysis, opt.file)) {
      const std::string path = *opt.svg_prefix + p.suffix;
      if (const auto wrote = common::write_file_replacing(path, p.svg); !wrote) {
        std::fprintf(stderr, "korvex-expansion: cannot write %s: %s\n",
                     common::safe_text(path).c_str(), wrote.error().message.c_str());
        status = 1;
      } else {
        written += (written.empty() ? "" : ", ") + common::safe_text(path);
      }
    }
    if (opt.format == Format::kText && !written.empty())
      out += "\n SVG pictures written: " + written + "\n";
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    std::fprintf(stderr, "korvex-expansion: cannot write the output: %s\n", std::strerror(errno));
    return 1;
  }
  return status;
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
    return run(*opt);
  } catch (const std::exception& e) {  // out of memory, say: told, not a crash
    std::fprintf(stderr, "korvex-expansion: %s\n", e.what());
    return 1;
  }
}
