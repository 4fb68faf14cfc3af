// The command line.
//
// With no arguments korvex runs the dialogue. With a buffer file it runs the
// same pass without asking anything (the batch mode), set by options read by
// common::parse_command_line (getopt_long's conventions).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "common/expected.h"
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

using CommandLine = std::variant<RunDialogue, BatchOptions, ShowHelp, ShowVersion>;

// The arguments after the program name; for a command line that cannot be
// run, the reason in one line.
[[nodiscard]] common::Expected<CommandLine> parse_command_line(
    std::span<const std::string_view> args);

// The text of --help.
[[nodiscard]] std::string_view usage_text();

}  // namespace korvex
