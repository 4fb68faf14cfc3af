// The command line.
//
// With no arguments korvex runs the dialogue. With a buffer file it runs the
// same pass without asking anything (the batch mode), set by options in the
// manner of getopt_long: short options may be bundled (-kq) and take their value
// attached or as the next argument (-c2, -c 2), long ones as --cell=2 or
// --cell 2, and "--" ends the options.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "formats/cell_record.h"

namespace korvex {

struct BatchOptions {
  std::string buffer_file;
  formats::CellChoice choice = formats::CellChoice::kInput;
  std::string output_folder;  // empty: the current folder
  bool keep_going = false;
  bool csv = false;
  bool svg = false;
  bool quiet = false;
};

struct RunDialogue {};
struct ShowHelp {};
struct ShowVersion {};
// A command line that cannot be run: the reason, in one line.
struct UsageError {
  std::string reason;
};

using CommandLine = std::variant<RunDialogue, BatchOptions, ShowHelp, ShowVersion, UsageError>;

// The arguments after the program name.
[[nodiscard]] CommandLine parse_command_line(std::span<const std::string_view> args);

// The text of --help.
[[nodiscard]] std::string_view usage_text();

}  // namespace korvex
