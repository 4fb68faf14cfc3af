#include "command_line.h"

#include <array>
#include <optional>

#include "common/command_line.h"

namespace korvex {
namespace {

enum Option : int { kCell, kOutputFolder, kKeepGoing, kCsv, kSvg, kQuiet, kHelp, kVersion };

constexpr std::array<common::OptionRule, 8> kOptions{{
    {kCell, 'c', "cell", true},
    {kOutputFolder, 'o', "output-dir", true},
    {kKeepGoing, 'k', "keep-going", false},
    {kCsv, '\0', "csv", false},
    {kSvg, '\0', "svg", false},
    {kQuiet, 'q', "quiet", false},
    {kHelp, 'h', "help", false},
    {kVersion, 'V', "version", false},
}};

struct Seen {
  BatchOptions batch;
  bool cell_given = false;
  bool help = false;
  bool version = false;
};

// Applies one option; the reason when it cannot be applied.
common::Expected<void> apply(int option, std::string_view value, Seen& seen) {
  switch (option) {
    case kCell: {
      const auto choice = formats::cell_choice_named(value);
      if (!choice) {
        return common::Error{
            0, "--cell takes input or conventional (or 1 or 2), not '" + std::string(value) + "'"};
      }
      seen.batch.choice = *choice;
      seen.cell_given = true;
      break;
    }
    case kOutputFolder:
      if (value.empty()) return common::Error{0, "--output-dir needs a folder name"};
      seen.batch.output_folder = value;
      break;
    case kKeepGoing:
      seen.batch.keep_going = true;
      break;
    case kCsv:
      seen.batch.csv = true;
      break;
    case kSvg:
      seen.batch.svg = true;
      break;
    case kQuiet:
      seen.batch.quiet = true;
      break;
    case kHelp:
      seen.help = true;
      break;
    case kVersion:
      seen.version = true;
      break;
  }
  return {};
}

}  // namespace

common::Expected<CommandLine> parse_command_line(std::span<const std::string_view> args) {
  if (args.empty()) return CommandLine{RunDialogue{}};
  COMMON_TRY(parsed, common::parse_command_line(kOptions, args));
  Seen seen;
  for (const common::GivenOption& given : parsed->options) {
    COMMON_TRY_VOID(apply(given.id, given.value, seen));
  }
  if (seen.help) return CommandLine{ShowHelp{}};
  if (seen.version) return CommandLine{ShowVersion{}};
  const auto usage_error = [](const char* reason) { return common::Error{0, reason}; };
  if (parsed->operands.empty()) return usage_error("no buffer file given");
  if (parsed->operands.size() > 1) return usage_error("more than one buffer file given");
  if (!seen.cell_given)
    return usage_error("--cell input|conventional is required with a buffer file");
  seen.batch.buffer_file = parsed->operands.front();
  return CommandLine{seen.batch};
}

std::string_view usage_text() {
  return "Usage: korvex\n"
         "       korvex -c input|conventional [-o DIR] [-k] [--csv] [--svg] [-q] BUFFER_FILE\n"
         "       korvex -h | -V\n"
         "\n"
         "Reads a buffer file that lists cell files with their temperatures (line 1 a\n"
         "title, line 2 ignored, then one \"file temperature\" entry per line) and writes\n"
         "the table TK_parameters.xy and seven plot files TK_cell_a.pgf ... TK_volume.pgf.\n"
         "A cell file is DIRAX cell output, a CIF or .cif_od, a DIALS .expt, an XDS\n"
         "CORRECT.LP or XPARM.XDS, a SAINT .p4p, a SHELX .ins or .res, a PASCal table, or\n"
         "korvex's own TK_parameters.xy or .csv, told by its content (at most 64 MiB).\n"
         "\n"
         "Without arguments korvex asks for the buffer file and the cell at the console,\n"
         "and offers each plot to the viewer vistrel. With a buffer file it asks nothing:\n"
         "\n"
         "  -c, --cell input|conventional  the cell the parameters come from (also 1|2);\n"
         "                                 required with a buffer file\n"
         "  -o, --output-dir DIR  write the files into DIR (made when missing); the\n"
         "                        DIRAX names of the buffer file stay relative to the\n"
         "                        current folder, as in the dialogue\n"
         "  -k, --keep-going      report a missing or unreadable cell file, or an entry\n"
         "                        that cannot be read, and go on with the next entry\n"
         "      --csv             also write TK_parameters.csv\n"
         "      --svg             also write the seven pictures TK_cell_a.svg ...\n"
         "  -q, --quiet           no progress and no closing line; diagnostics only\n"
         "  -h, --help            show this text and exit\n"
         "  -V, --version         show the version and exit\n"
         "\n"
         "Exit status: 0 clean run, 4 a warning, 8 an error was reported (or an entry\n"
         "skipped), 16 the run was ended by a failure, 2 a command line that cannot be run.\n";
}

}  // namespace korvex
