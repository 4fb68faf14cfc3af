#include "command_line.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "common/command_line.h"
#include "common/number_text.h"
#include "formats/cell_record.h"

namespace korvex_expansion {

const char* const kUsage =
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
    "  --strain natural|eulerian|lagrangian|pascal\n"
    "                        the strain measure (default natural, ln U; pascal:\n"
    "                        PASCal's Eulerian finite)\n"
    "  --lagrangian          the same as --strain lagrangian\n"
    "  --infinitesimal       infinitesimal Eulerian, Lagrangian or PASCal's strain\n"
    "                        (default finite)\n"
    "  --reference K         the point at K kelvin is the reference (default the first;\n"
    "                        under --pressure, P GPa, default the lowest pressure)\n"
    "  --range LOW:HIGH      fit only the points from LOW to HIGH (kelvin, or GPa\n"
    "                        under --pressure); either side may be empty\n"
    "  --pressure            a pressure series: the first column (a CIF's ambient\n"
    "                        pressure, a list's second field) is a pressure in GPa;\n"
    "                        compressibilities and equations of state\n"
    "  --pc P                fit also BM3 with the critical pressure P GPa (bm3_pc,\n"
    "                        PASCal's form)\n"
    "  --eos LIST            the equations of state, comma-separated: bm2, bm3, bm4,\n"
    "                        vinet, murnaghan, tait, ns3, ns4, bm3_pc (with --pc);\n"
    "                        all (all but bm3_pc); default bm2,bm3,vinet (and bm3_pc\n"
    "                        with --pc)\n"
    "  --weights pv|p|none   the weights of the equations of state: effective\n"
    "                        variance of p and V, 1/sigma_p^2, or none (default pv\n"
    "                        where the volumes have SUs, else p where the pressures\n"
    "                        have, else none)\n"
    "  --fix Bp=X|V0=X       hold K' of every third-order equation, or V0 (A^3)\n"
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
    "                        (default 800x520; 800x820 for a lattice with angles)\n"
    "  --draws N             Monte Carlo draws of the cells' SUs (default 2000)\n"
    "  --seed S              where the draws start, 0 to 2^64-1 (default 1)\n"
    "  --weighted            weighted least squares, 1/su^2 from the draws\n"
    "  -h, --help            this text\n"
    "  -V, --version         the version\n";

namespace {

enum Option : int {
  kStrain,
  kLagrangian,
  kInfinitesimal,
  kReference,
  kRange,
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
  kEos,
  kWeights,
  kFix,
  kHelp,
  kVersion
};

constexpr unsigned long long kMostDraws = 1000000;

constexpr common::OptionRule kOptions[] = {
    {kStrain, '\0', "strain", true},
    {kLagrangian, '\0', "lagrangian", false},
    {kInfinitesimal, '\0', "infinitesimal", false},
    {kReference, '\0', "reference", true},
    {kRange, '\0', "range", true},
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
    {kEos, '\0', "eos", true},
    {kWeights, '\0', "weights", true},
    {kFix, '\0', "fix", true},
    {kHelp, 'h', "help", false},
    {kVersion, 'V', "version", false},
};

// The reason an option's value is refused: what it takes, and the value.
common::Error refused(const std::string& what, const std::string& value) {
  return common::Error{0, what + ", not '" + value + "'"};
}

// The options that choose the analysis: strain, reference, range, fit, mode.
common::Expected<void> apply_analysis(const common::GivenOption& given, Options& opt) {
  const std::string& value = given.value;
  switch (given.id) {
    case kStrain: {
      const auto kind = expansion::strain_kind_named(value);
      if (!kind) return refused("--strain is natural, eulerian, lagrangian or pascal", value);
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
      if (!opt.reference)
        return refused("--reference needs a temperature in kelvin (GPa under --pressure)", value);
      break;
    case kRange: {
      COMMON_TRY(range, expansion::parse_range(value));
      opt.range = *range;
      break;
    }
    case kFit:
      if (value != "linear" && value != "quadratic" && value != "cubic")
        return refused("--fit is linear, quadratic or cubic", value);
      opt.degree = value == "linear" ? 1 : value == "quadratic" ? 2 : 3;
      break;
    case kWeighted:
      opt.weighted = true;
      break;
    case kPressure:
      opt.inputs.pressure = true;
      break;
    default:
      break;
  }
  return {};
}

// The Monte Carlo draws of the cells' SUs: how many, and where they start.
common::Expected<void> apply_draws(const common::GivenOption& given, Options& opt) {
  const std::string& value = given.value;
  if (given.id == kDraws) {
    const auto count = common::parse_whole(value, 2, kMostDraws);
    if (!count)
      return refused("--draws takes a whole number from 2 to " + std::to_string(kMostDraws), value);
    opt.draws.count = static_cast<std::size_t>(*count);
  } else {
    const auto start = common::parse_whole(value, 0, ~0ULL);
    if (!start) return refused("--seed takes a whole number from 0 to 2^64-1", value);
    opt.draws.start = *start;
  }
  return {};
}

// The outputs: the report's format, the pictures, the page.
common::Expected<void> apply_output(const common::GivenOption& given, Options& opt) {
  const std::string& value = given.value;
  switch (given.id) {
    case kFormat:
      if (value != "text" && value != "json" && value != "csv")
        return refused("--format is text, json or csv", value);
      opt.format = value == "text" ? Format::kText : value == "json" ? Format::kJson : Format::kCsv;
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
      COMMON_TRY(size, chart::parse_picture_size(value));
      opt.picture.size = *size;
      break;
    }
    default:
      break;
  }
  return {};
}

// The equations of state: which, their weights, p_c and fixed parameters.
common::Expected<void> apply_eos(const common::GivenOption& given, Options& opt) {
  const std::string& value = given.value;
  switch (given.id) {
    case kPc:
      opt.pc = common::parse_decimal(value);
      if (!opt.pc || !std::isfinite(*opt.pc)) return refused("--pc needs a pressure in GPa", value);
      break;
    case kEos: {
      COMMON_TRY(list, expansion::equations_named(value));
      opt.eos.equations = std::move(list.value());
      break;
    }
    case kWeights:
      opt.eos.weights = expansion::weights_named(value);
      if (!opt.eos.weights) return refused("--weights is pv, p or none", value);
      break;
    case kFix:
      return expansion::apply_fix(value, opt.eos);
    default:
      break;
  }
  return {};
}

// Applies one option; the reason when its value is not one it takes.
common::Expected<void> apply(const common::GivenOption& given, Options& opt) {
  switch (given.id) {
    case kFormat:
    case kSvg:
    case kHtml:
    case kTitle:
    case kNoTitle:
    case kSize:
      return apply_output(given, opt);
    case kDraws:
    case kStart:
      return apply_draws(given, opt);
    case kPc:
    case kEos:
    case kWeights:
    case kFix:
      return apply_eos(given, opt);
    case kList:
      if (given.value.empty()) return common::Error{0, "--list needs a buffer file"};
      opt.inputs.list = given.value;
      return {};
    case kCell:
      opt.inputs.cell = formats::cell_choice_named(given.value);
      if (!opt.inputs.cell)
        return refused("--cell takes input or conventional (or 1 or 2)", given.value);
      return {};
    case kHelp:
      opt.help = true;
      return {};
    case kVersion:
      opt.version = true;
      return {};
    default:
      return apply_analysis(given, opt);
  }
}

}  // namespace

common::Expected<Options> parse_arguments(std::span<const std::string_view> args) {
  COMMON_TRY(parsed, common::parse_command_line(kOptions, args));
  Options opt;
  for (const common::GivenOption& given : parsed->options) {
    COMMON_TRY_VOID(apply(given, opt));
  }
  if (opt.help || opt.version) return opt;
  if (!opt.measure.finite && opt.measure.kind == expansion::StrainKind::kNatural)
    return common::Error{0, "--infinitesimal takes --strain eulerian, lagrangian or pascal"};
  opt.inputs.files = parsed->operands;
  if (opt.inputs.files.empty() && !opt.inputs.list) return common::Error{0, "no file named"};
  if (opt.pc && !opt.inputs.pressure)
    return common::Error{0, "--pc is for a series under --pressure"};
  if (!opt.inputs.pressure &&
      (!opt.eos.equations.empty() || opt.eos.weights || opt.eos.fix_bp || opt.eos.fix_v0))
    return common::Error{0, "--eos, --weights and --fix are for a series under --pressure"};
  const auto& listed = opt.eos.equations;
  const bool pc_listed =
      std::find(listed.begin(), listed.end(), expansion::Eos::kBm3Pc) != listed.end();
  if (pc_listed && !opt.pc) return common::Error{0, "--eos bm3_pc needs --pc P"};
  if (listed.empty()) {
    opt.eos.equations = {expansion::Eos::kBm2, expansion::Eos::kBm3, expansion::Eos::kVinet};
    if (opt.pc) opt.eos.equations.push_back(expansion::Eos::kBm3Pc);
  }
  opt.eos.pc = opt.pc.value_or(0);
  if (opt.inputs.pressure && opt.weighted)
    return common::Error{0, "--weighted is for a temperature series, not under --pressure"};
  const auto fit_given = [](const common::GivenOption& given) { return given.id == kFit; };
  if (opt.inputs.pressure && std::any_of(parsed->options.begin(), parsed->options.end(), fit_given))
    return common::Error{0,
                         "--fit is for a temperature series: under --pressure each strain is "
                         "fitted by the empirical form eps0 + lambda (p - p_c)^nu"};
  return opt;
}

}  // namespace korvex_expansion
