// korvex-expansion: the principal thermal-expansion coefficients of a series
// of cells, e.g. `korvex-expansion TK_parameters.xy`.
//
// It reads the table korvex wrote (or a whitespace table of T and the six
// cell parameters), computes each cell's strain against the reference cell,
// follows the three principal axes over the series, fits their strains and
// the volume against temperature, and reports the coefficients with their
// directions in the crystal; as text, JSON or CSV, with SVG pictures on
// request.
#include <getopt.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/expansion_pictures.h"
#include "chart/series_picture.h"
#include "common/files.h"
#include "common/safe_text.h"
#include "expansion/analysis.h"
#include "expansion/monte_carlo.h"
#include "inputs.h"
#include "report.h"

#ifndef KORVEX_VERSION
#define KORVEX_VERSION "dev"
#endif

namespace {

constexpr const char* kUsage =
    "usage: korvex-expansion [options] FILE...\n"
    "       korvex-expansion [options] --list BUFFER_FILE [FILE...]\n"
    "       korvex-expansion --help | --version\n"
    "Principal thermal-expansion coefficients of a series of cells. Each FILE is the\n"
    "TK_parameters.xy table korvex writes, a whitespace table of T a b c alpha beta\n"
    "gamma (or T sigma_T a b c alpha beta gamma) with # comments, or a cell file that\n"
    "gives its temperature. Where the cells carry SUs, they are carried into the\n"
    "results by Monte Carlo.\n"
    "\n"
    "  --list BUFFER_FILE    the cell files (DIRAX output among them) and their\n"
    "                        temperatures, in korvex's buffer-file format\n"
    "  --cell input|conventional\n"
    "                        the cell of the DIRAX files in the list\n"
    "  --lagrangian          Lagrangian strain (default Eulerian)\n"
    "  --infinitesimal       infinitesimal strain (default finite)\n"
    "  --reference K         the point at K kelvin is the reference (default the first)\n"
    "  --fit linear|quadratic|cubic\n"
    "                        polynomial of strain and volume in T (default linear)\n"
    "  --format text|json|csv\n"
    "                        what goes to standard output (default text)\n"
    "  --svg PREFIX          also write PREFIX_strain.svg, PREFIX_volume.svg and\n"
    "                        PREFIX_indicatrix.svg\n"
    "  --draws N             Monte Carlo draws of the cells' SUs (default 2000)\n"
    "  --seed S              where the draws start, 0 to 2^64-1 (default 1)\n"
    "  --weighted            weighted least squares, 1/su^2 from the draws\n"
    "  -h, --help            this text\n"
    "  --version             the version\n";

enum class Format { kText, kJson, kCsv };

struct Options {
  expansion::StrainMeasure measure;
  int degree = 1;
  Format format = Format::kText;
  std::optional<double> reference;
  std::optional<std::string> svg_prefix;
  korvex_expansion::InputNames inputs;
  expansion::Draws draws;
  bool weighted = false;
};

constexpr std::size_t kMostDraws = 10000000;

int usage_error(const std::string& message) {
  if (!message.empty()) std::fprintf(stderr, "korvex-expansion: %s\n", message.c_str());
  std::fputs(kUsage, stderr);
  return 2;
}

std::optional<double> parse_kelvin(const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || errno != 0 || !std::isfinite(v)) return std::nullopt;
  return v;
}

// A whole decimal number from `least` to `most`.
std::optional<unsigned long long> parse_count(const std::string& text, unsigned long long least,
                                              unsigned long long most) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const unsigned long long v = std::strtoull(text.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || v < least || v > most) return std::nullopt;
  return v;
}

int run(const Options& opt) {
  const auto points = korvex_expansion::read_points(opt.inputs);
  if (!points) {
    std::fprintf(stderr, "korvex-expansion: %s\n", points.error().message.c_str());
    return 1;
  }
  for (const std::string& warning : points->warnings)
    std::fprintf(stderr, "korvex-expansion: %s\n", warning.c_str());
  const std::string shown = common::safe_text(points->name);
  std::vector<double> temperatures;
  for (const formats::CellEntry& e : points->cells) temperatures.push_back(*e.temperature);
  expansion::Settings settings{0, opt.measure, opt.degree, opt.weighted};
  if (opt.reference) {
    const auto found = expansion::find_reference(temperatures, *opt.reference);
    if (!found) {
      std::fprintf(stderr, "korvex-expansion: %s: %s\n", shown.c_str(),
                   found.error().message.c_str());
      return 1;
    }
    settings.reference = *found;
  }
  const auto result = expansion::analyse_series(points->cells, settings, opt.draws);
  if (!result) {
    std::fprintf(stderr, "korvex-expansion: %s: %s\n", shown.c_str(),
                 common::safe_text(result.error().message).c_str());
    return 1;
  }
  const korvex_expansion::Source source{points->name, points->skipped_lines, points->cells};

  std::string out;
  switch (opt.format) {
    case Format::kText:
      out = korvex_expansion::text_report(*result, source);
      break;
    case Format::kJson:
      out = korvex_expansion::json_report(*result, source);
      break;
    case Format::kCsv:
      out = korvex_expansion::csv_report(*result);
      break;
  }
  int status = 0;
  if (opt.svg_prefix) {
    std::string written;
    for (const chart::Picture& p : chart::render_pictures(
             result->analysis, result->sus ? &*result->sus : nullptr, points->name)) {
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
  enum {
    kLagrangian = 256,
    kInfinitesimal,
    kReference,
    kFit,
    kFormat,
    kSvg,
    kList,
    kCell,
    kDraws,
    kStart,
    kWeighted,
    kVersion
  };
  static const option kOptions[] = {
      {"lagrangian", no_argument, nullptr, kLagrangian},
      {"infinitesimal", no_argument, nullptr, kInfinitesimal},
      {"reference", required_argument, nullptr, kReference},
      {"fit", required_argument, nullptr, kFit},
      {"format", required_argument, nullptr, kFormat},
      {"svg", required_argument, nullptr, kSvg},
      {"list", required_argument, nullptr, kList},
      {"cell", required_argument, nullptr, kCell},
      {"draws", required_argument, nullptr, kDraws},
      {"seed", required_argument, nullptr, kStart},
      {"weighted", no_argument, nullptr, kWeighted},
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, kVersion},
      {nullptr, 0, nullptr, 0},
  };
  Options opt;
  opterr = 0;
  for (int c; (c = getopt_long(argc, argv, ":h", kOptions, nullptr)) != -1;) {
    const std::string_view arg = optarg != nullptr ? optarg : "";
    switch (c) {
      case 'h':
        std::fputs(kUsage, stdout);
        return 0;
      case kVersion:
        std::puts("korvex-expansion " KORVEX_VERSION);
        return 0;
      case kLagrangian:
        opt.measure.lagrangian = true;
        break;
      case kInfinitesimal:
        opt.measure.finite = false;
        break;
      case kReference:
        opt.reference = parse_kelvin(std::string(arg));
        if (!opt.reference)
          return usage_error("--reference needs a temperature in kelvin, not '" + std::string(arg) +
                             "'");
        break;
      case kFit:
        if (arg == "linear")
          opt.degree = 1;
        else if (arg == "quadratic")
          opt.degree = 2;
        else if (arg == "cubic")
          opt.degree = 3;
        else
          return usage_error("--fit is linear, quadratic or cubic, not '" + std::string(arg) + "'");
        break;
      case kFormat:
        if (arg == "text")
          opt.format = Format::kText;
        else if (arg == "json")
          opt.format = Format::kJson;
        else if (arg == "csv")
          opt.format = Format::kCsv;
        else
          return usage_error("--format is text, json or csv, not '" + std::string(arg) + "'");
        break;
      case kSvg:
        if (arg.empty()) return usage_error("--svg needs a file name prefix");
        opt.svg_prefix = std::string(arg);
        break;
      case kList:
        if (arg.empty()) return usage_error("--list needs a buffer file");
        opt.inputs.list = std::string(arg);
        break;
      case kCell:
        if (arg == "input" || arg == "1")
          opt.inputs.cell = formats::CellChoice::kInput;
        else if (arg == "conventional" || arg == "2")
          opt.inputs.cell = formats::CellChoice::kConventional;
        else
          return usage_error("--cell takes input or conventional (or 1 or 2), not '" +
                             std::string(arg) + "'");
        break;
      case kDraws: {
        const auto count = parse_count(std::string(arg), 2, kMostDraws);
        if (!count)
          return usage_error("--draws takes a whole number from 2 to " +
                             std::to_string(kMostDraws) + ", not '" + std::string(arg) + "'");
        opt.draws.count = static_cast<std::size_t>(*count);
        break;
      }
      case kStart: {
        const auto start = parse_count(std::string(arg), 0, ~0ULL);
        if (!start)
          return usage_error("--seed takes a whole number from 0 to 2^64-1, not '" +
                             std::string(arg) + "'");
        opt.draws.start = *start;
        break;
      }
      case kWeighted:
        opt.weighted = true;
        break;
      case ':':
        return usage_error(std::string(argv[optind - 1]) + " needs a value");
      default:
        return usage_error("unknown option " + (optopt != 0
                                                    ? std::string("-") + static_cast<char>(optopt)
                                                    : std::string(argv[optind - 1])));
    }
  }
  for (int i = optind; i < argc; ++i) opt.inputs.files.emplace_back(argv[i]);
  if (opt.inputs.files.empty() && !opt.inputs.list) return usage_error("no file named");
  try {
    return run(opt);
  } catch (const std::exception& e) {  // out of memory, say: told, not a crash
    std::fprintf(stderr, "korvex-expansion: %s\n", e.what());
    return 1;
  }
}
