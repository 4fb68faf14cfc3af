// One command-line parser for the three programs: getopt_long behind a table
// of option rules.
//
// The conventions are getopt_long's: short options may be bundled (-kq) and
// take a value attached or as the next argument (-c2, -c 2); long ones take
// theirs as --cell=2 or --cell 2 and may be shortened to any prefix that names
// one option alone; "--" ends the options, and a lone "-" is an operand.
// Options and operands may come in any order, whatever POSIXLY_CORRECT says.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/expected.h"

namespace common {

inline constexpr int kExitUsage = 2;

struct OptionRule {
  int id = 0;                  // the program's name for the option
  char short_name = '\0';      // '\0': none
  std::string_view long_name;  // empty: none
  bool takes_value = false;
};

struct GivenOption {
  int id = 0;
  std::string value;  // for an option that takes one
};

struct ParsedCommandLine {
  std::vector<GivenOption> options;   // in the order given
  std::vector<std::string> operands;  // in the order given
};

// The arguments after the program's name, read by the rules. A command line
// that does not follow them is an error whose message is the reason in
// getopt's words: "invalid option -- 'x'", "unrecognized option '--colour'",
// "option '--f' is ambiguous; possibilities: '--fit' '--format'", "option
// requires an argument -- 'c'", "option '--cell' requires an argument",
// "option '--csv' doesn't allow an argument".
[[nodiscard]] Expected<ParsedCommandLine> parse_command_line(
    std::span<const OptionRule> rules, std::span<const std::string_view> args);

// A usage error as the programs tell it on standard error: the reason on one
// line, made safe to show (safe_text), and how to get help on a second:
// "korvex: REASON\nTry 'korvex --help'.\n".
[[nodiscard]] std::string usage_error_text(std::string_view program, std::string_view reason);

}  // namespace common
