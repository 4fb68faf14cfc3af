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
#include "expansion/cell.h"
#include "formats/series_table.h"
#include "report.h"

#ifndef KORVEX_VERSION
#define KORVEX_VERSION "dev"
#endif

namespace {

constexpr const char* kUsage =
    "usage: korvex-expansion [options] FILE\n"
    "       korvex-expansion --help | --version\n"
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
    "  --version             the version\n";

enum class Format { kText, kJson, kCsv };

struct Options {
  expansion::StrainMeasure measure;
  int degree = 1;
  Format format = Format::kText;
  std::optional<double> reference;
  std::optional<std::string> svg_prefix;
  std::string file;
};

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
  enum { kLagrangian = 256, kInfinitesimal, kReference, kFit, kFormat, kSvg, kVersion };
  static const option kOptions[] = {
      {"lagrangian", no_argument, nullptr, kLagrangian},
      {"infinitesimal", no_argument, nullptr, kInfinitesimal},
      {"reference", required_argument, nullptr, kReference},
      {"fit", required_argument, nullptr, kFit},
      {"format", required_argument, nullptr, kFormat},
      {"svg", required_argument, nullptr, kSvg},
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
      case ':':
        return usage_error(std::string(argv[optind - 1]) + " needs a value");
      default:
        return usage_error("unknown option " + (optopt != 0
                                                    ? std::string("-") + static_cast<char>(optopt)
                                                    : std::string(argv[optind - 1])));
    }
  }
  if (argc - optind != 1)
    return usage_error(argc - optind == 0 ? "no file named" : "one file only");
  opt.file = argv[optind];
  try {
    return run(opt);
  } catch (const std::exception& e) {  // out of memory, say: told, not a crash
    std::fprintf(stderr, "korvex-expansion: %s\n", e.what());
    return 1;
  }
}
