#include "common/command_line.h"

#include <getopt.h>

#include "common/safe_text.h"

namespace common {
namespace {

// getopt_long's code for an option without a short name.
constexpr int kLongOnly = 256;

int code_of(const OptionRule& rule, std::size_t index) {
  return rule.short_name != '\0' ? static_cast<unsigned char>(rule.short_name)
                                 : kLongOnly + static_cast<int>(index);
}

const OptionRule* rule_of_code(std::span<const OptionRule> rules, int code) {
  for (std::size_t i = 0; i < rules.size(); ++i) {
    if (code_of(rules[i], i) == code) return &rules[i];
  }
  return nullptr;
}

// Why getopt_long refused a long option that no rule takes: none matches the
// name, or several begin with it.
std::string unknown_long_option(std::span<const OptionRule> rules, std::string_view argument) {
  std::string_view name = argument.substr(2);
  name = name.substr(0, name.find('='));
  std::string matches;
  int count = 0;
  for (const OptionRule& rule : rules) {
    if (!rule.long_name.empty() && rule.long_name.starts_with(name)) {
      matches += " '--" + std::string(rule.long_name) + "'";
      ++count;
    }
  }
  if (count > 1)
    return "option '--" + std::string(name) + "' is ambiguous; possibilities:" + matches;
  return "unrecognized option '--" + std::string(name) + "'";
}

// getopt_long's tables of the rules: the short options ("-": operands come
// back in order, as code 1; ":": a missing value is ':') and the long ones,
// whose names `long_names` keeps.
struct GetoptTables {
  std::string short_options = "-:";
  std::vector<std::string> long_names;
  std::vector<option> long_options;
};

GetoptTables getopt_tables(std::span<const OptionRule> rules) {
  GetoptTables t;
  t.long_names.reserve(rules.size());
  for (std::size_t i = 0; i < rules.size(); ++i) {
    const OptionRule& rule = rules[i];
    if (rule.short_name != '\0') {
      t.short_options += rule.short_name;
      if (rule.takes_value) t.short_options += ':';
    }
    if (rule.long_name.empty()) continue;
    t.long_names.emplace_back(rule.long_name);
    t.long_options.push_back({t.long_names.back().c_str(),
                              rule.takes_value ? required_argument : no_argument, nullptr,
                              code_of(rule, i)});
  }
  t.long_options.push_back({nullptr, 0, nullptr, 0});
  return t;
}

// The fault getopt_long told by `code` ('?' or ':'), as GNU programs word it.
// It has passed `argument`, which holds a faulty long option, or whose last
// character is a faulty short option.
Error option_fault(std::span<const OptionRule> rules, int code, std::string_view argument) {
  const bool long_form = argument.starts_with("--");
  const OptionRule* rule = rule_of_code(rules, optopt);
  if (optopt == 0) return Error{0, unknown_long_option(rules, argument)};
  if (rule == nullptr) return Error{0, "invalid option -- '" + std::string(1, optopt) + "'"};
  const std::string name = "'--" + std::string(rule->long_name) + "'";
  if (code == '?') return Error{0, "option " + name + " doesn't allow an argument"};
  if (long_form) return Error{0, "option " + name + " requires an argument"};
  return Error{0, "option requires an argument -- '" + std::string(1, rule->short_name) + "'"};
}

}  // namespace

Expected<ParsedCommandLine> parse_command_line(std::span<const OptionRule> rules,
                                               std::span<const std::string_view> args) {
  // getopt_long wants a C argv whose pointers it may reorder, and names that
  // end in NUL.
  std::vector<std::string> words{"program"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const GetoptTables tables = getopt_tables(rules);
  const int argc = static_cast<int>(words.size());
  // The C library keeps the scan's place in globals; 0 starts a new scan.
  optind = 0;
  opterr = 0;
  ParsedCommandLine parsed;
  for (;;) {
    const int code = getopt_long(argc, argv.data(), tables.short_options.c_str(),
                                 tables.long_options.data(), nullptr);
    if (code == -1) break;
    if (code == 1) {
      parsed.operands.emplace_back(optarg);
      continue;
    }
    if (code == '?' || code == ':')
      return option_fault(rules, code, argv[static_cast<std::size_t>(optind - 1)]);
    const OptionRule* rule = rule_of_code(rules, code);
    parsed.options.push_back({rule->id, rule->takes_value ? std::string(optarg) : std::string()});
  }
  for (int i = optind; i < argc; ++i)
    parsed.operands.emplace_back(argv[static_cast<std::size_t>(i)]);
  return parsed;
}

std::string usage_error_text(std::string_view program, std::string_view reason) {
  return std::string(program) + ": " + safe_text(reason) + "\nTry '" + std::string(program) +
         " --help'.\n";
}

}  // namespace common
