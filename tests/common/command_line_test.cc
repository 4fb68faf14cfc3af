#include "common/command_line.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

enum : int { kCell, kKeep, kCsv, kFit, kFormat };
constexpr common::OptionRule kRules[] = {
    {kCell, 'c', "cell", true}, {kKeep, 'k', "keep-going", false}, {kCsv, '\0', "csv", false},
    {kFit, '\0', "fit", true},  {kFormat, '\0', "format", true},
};

// The options as "ID=VALUE" and the operands, or the error's message.
std::string parsed(const std::vector<std::string_view>& args) {
  const auto line = common::parse_command_line(kRules, args);
  if (!line) return "error: " + line.error().message;
  std::string text;
  for (const common::GivenOption& o : line->options)
    text += std::to_string(o.id) + "=" + o.value + " ";
  for (const std::string& operand : line->operands) text += "[" + operand + "] ";
  return text;
}

TEST(CommandLine, GetoptConventionsAndItsReasons) {
  struct Case {
    std::vector<std::string_view> args;
    std::string parsed;
  };
  const std::vector<Case> cases = {
      {{"-kc2", "a"}, "1= 0=2 [a] "},
      {{"a", "-c", "1", "b"}, "0=1 [a] [b] "},  // operands anywhere, in order
      {{"--cell=input", "--ce", "2", "--csv"}, "0=input 0=2 2= "},
      {{"-k", "--", "-c", "-"}, "1= [-c] [-] "},
      {{"--cell="}, "0= "},
      {{"-x"}, "error: invalid option -- 'x'"},
      {{"-kx"}, "error: invalid option -- 'x'"},
      {{"--colour=red"}, "error: unrecognized option '--colour'"},
      {{"--f", "x"}, "error: option '--f' is ambiguous; possibilities: '--fit' '--format'"},
      {{"a", "-c"}, "error: option requires an argument -- 'c'"},
      {{"--cell"}, "error: option '--cell' requires an argument"},
      {{"--fit"}, "error: option '--fit' requires an argument"},
      {{"--csv=yes"}, "error: option '--csv' doesn't allow an argument"},
  };
  // A second scan starts afresh, and the environment does not reorder it.
  setenv("POSIXLY_CORRECT", "1", 1);
  for (const Case& c : cases) EXPECT_EQ(c.parsed, parsed(c.args)) << c.args.front();
  unsetenv("POSIXLY_CORRECT");
  EXPECT_EQ("0=1 [a] [b] ", parsed({"a", "-c", "1", "b"}));
}

TEST(CommandLine, UsageErrorIsTheReasonAndWhereToLook) {
  EXPECT_EQ("korvex: --cell takes input, not '?]0;T?'\nTry 'korvex --help'.\n",
            common::usage_error_text("korvex", "--cell takes input, not '\x1b]0;T\x07'"));
}

}  // namespace
