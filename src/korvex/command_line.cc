#include "command_line.h"

#include <array>
#include <optional>

namespace korvex {
namespace {

enum class Option { kCell, kOutputFolder, kKeepGoing, kCsv, kSvg, kQuiet, kHelp, kVersion };

struct OptionRule {
  Option option;
  char short_name;  // '\0' for none
  std::string_view long_name;
  bool takes_value;
};

constexpr std::array<OptionRule, 8> kOptions{{
    {Option::kCell, 'c', "cell", true},
    {Option::kOutputFolder, 'o', "output-dir", true},
    {Option::kKeepGoing, 'k', "keep-going", false},
    {Option::kCsv, '\0', "csv", false},
    {Option::kSvg, '\0', "svg", false},
    {Option::kQuiet, 'q', "quiet", false},
    {Option::kHelp, 'h', "help", false},
    {Option::kVersion, 'V', "version", false},
}};

const OptionRule* find_short(char name) {
  for (const OptionRule& rule : kOptions)
    if (rule.short_name == name) return &rule;
  return nullptr;
}

// A long option may be abbreviated, as getopt_long allows, when the prefix
// names one option only.
const OptionRule* find_long(std::string_view name, std::string* reason) {
  const OptionRule* found = nullptr;
  for (const OptionRule& rule : kOptions) {
    if (rule.long_name == name) return &rule;
    if (rule.long_name.starts_with(name)) {
      if (found != nullptr) {
        *reason = "option '--" + std::string(name) + "' is ambiguous";
        return nullptr;
      }
      found = &rule;
    }
  }
  if (found == nullptr) *reason = "unrecognized option '--" + std::string(name) + "'";
  return found;
}

std::optional<formats::CellChoice> cell_choice_named(std::string_view value) {
  if (value == "input" || value == "1") return formats::CellChoice::kInput;
  if (value == "conventional" || value == "2") return formats::CellChoice::kConventional;
  return std::nullopt;
}

struct Seen {
  BatchOptions batch;
  bool cell_given = false;
  bool help = false;
  bool version = false;
};

// Applies one option; the reason when it cannot be applied.
std::optional<std::string> apply(Option option, std::string_view value, Seen& seen) {
  switch (option) {
    case Option::kCell: {
      const auto choice = cell_choice_named(value);
      if (!choice)
        return "--cell takes input or conventional (or 1 or 2), not '" + std::string(value) + "'";
      seen.batch.choice = *choice;
      seen.cell_given = true;
      break;
    }
    case Option::kOutputFolder:
      if (value.empty()) return "--output-dir needs a folder name";
      seen.batch.output_folder = value;
      break;
    case Option::kKeepGoing:
      seen.batch.keep_going = true;
      break;
    case Option::kCsv:
      seen.batch.csv = true;
      break;
    case Option::kSvg:
      seen.batch.svg = true;
      break;
    case Option::kQuiet:
      seen.batch.quiet = true;
      break;
    case Option::kHelp:
      seen.help = true;
      break;
    case Option::kVersion:
      seen.version = true;
      break;
  }
  return std::nullopt;
}

}  // namespace

CommandLine parse_command_line(std::span<const std::string_view> args) {
  if (args.empty()) return RunDialogue{};
  Seen seen;
  std::optional<std::string> buffer_file;
  bool options_ended = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    std::optional<std::string> failure;
    if (options_ended || arg == "-" || !arg.starts_with('-')) {
      if (buffer_file) return UsageError{"more than one buffer file given"};
      buffer_file = std::string(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    if (arg.starts_with("--")) {
      const std::string_view body = arg.substr(2);
      const std::size_t equals = body.find('=');
      std::string reason;
      const OptionRule* rule = find_long(body.substr(0, equals), &reason);
      if (rule == nullptr) return UsageError{reason};
      std::string_view value;
      if (equals != std::string_view::npos) {
        if (!rule->takes_value)
          return UsageError{"option '--" + std::string(rule->long_name) +
                            "' doesn't allow an argument"};
        value = body.substr(equals + 1);
      } else if (rule->takes_value) {
        if (i + 1 == args.size())
          return UsageError{"option '--" + std::string(rule->long_name) + "' requires an argument"};
        value = args[++i];
      }
      failure = apply(rule->option, value, seen);
    } else {
      // One or more short options bundled; one that takes a value takes the
      // rest of the argument, or the next argument.
      for (std::size_t at = 1; at < arg.size() && !failure; ++at) {
        const OptionRule* rule = find_short(arg[at]);
        if (rule == nullptr)
          return UsageError{"invalid option -- '" + std::string(1, arg[at]) + "'"};
        if (!rule->takes_value) {
          failure = apply(rule->option, {}, seen);
          continue;
        }
        std::string_view value = arg.substr(at + 1);
        if (value.empty()) {
          if (i + 1 == args.size())
            return UsageError{"option requires an argument -- '" + std::string(1, arg[at]) + "'"};
          value = args[++i];
        }
        failure = apply(rule->option, value, seen);
        break;
      }
    }
    if (failure) return UsageError{*failure};
  }
  if (seen.help) return ShowHelp{};
  if (seen.version) return ShowVersion{};
  if (!buffer_file) return UsageError{"no buffer file given"};
  if (!seen.cell_given)
    return UsageError{"--cell input|conventional is required with a buffer file"};
  seen.batch.buffer_file = *buffer_file;
  return seen.batch;
}

std::string_view usage_text() {
  return "Usage: korvex\n"
         "       korvex -c input|conventional [-o DIR] [-k] [--csv] [--svg] [-q] BUFFER_FILE\n"
         "       korvex -h | -V\n"
         "\n"
         "Reads a buffer file that lists DIRAX cell-output files with their temperatures\n"
         "(line 1 a title, line 2 ignored, then one \"file temperature\" entry per line)\n"
         "and writes the table TK_parameters.xy and seven plot files TK_cell_a.pgf ...\n"
         "TK_volume.pgf.\n"
         "\n"
         "Without arguments korvex asks for the buffer file and the cell at the console,\n"
         "and offers each plot to the viewer vistrel. With a buffer file it asks nothing:\n"
         "\n"
         "  -c, --cell input|conventional  the cell the parameters come from (also 1|2);\n"
         "                                 required with a buffer file\n"
         "  -o, --output-dir DIR  write the files into DIR (made when missing); the\n"
         "                        DIRAX names of the buffer file stay relative to the\n"
         "                        current folder, as in the dialogue\n"
         "  -k, --keep-going      report a missing or unreadable DIRAX file, or an entry\n"
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
