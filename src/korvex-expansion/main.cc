// korvex-expansion: the principal thermal-expansion coefficients of a series
// of cells, e.g. `korvex-expansion TK_parameters.xy`.
//
// It reads the table korvex wrote (or a whitespace table of T and the six
// cell parameters), computes each cell's strain against the reference cell,
// follows the three principal axes over the series, fits their strains and
// the volume against temperature, and reports the coefficients with their
// directions in the crystal; as text, JSON or CSV, with SVG pictures on
// request.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"
#include "common/command_line.h"
#include "common/safe_text.h"
#include "run.h"

namespace {

constexpr int kExitWarning = 4;

// Tells the outcome and gives the exit status: 0, 4 after a warning, or 1
// after a failure.
int tell(const korvex_expansion::Outcome& outcome) {
  const auto to_stderr = [](const std::string& message) {
    std::fprintf(stderr, "korvex-expansion: %s\n", common::safe_text(message).c_str());
  };
  for (const std::string& note : outcome.notes) to_stderr(note);
  for (const std::string& warning : outcome.warnings) to_stderr(warning);
  bool failed = !outcome.failures.empty();
  std::fwrite(outcome.output.data(), 1, outcome.output.size(), stdout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    to_stderr(std::string("cannot write the output: ") + std::strerror(errno));
    failed = true;
  }
  for (const std::string& failure : outcome.failures) to_stderr(failure);
  if (failed) return 1;
  return outcome.warnings.empty() && !outcome.warned ? 0 : kExitWarning;
}

int run_command(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const common::Expected<korvex_expansion::Options> opt = korvex_expansion::parse_arguments(args);
  if (!opt) {
    std::fputs(common::usage_error_text("korvex-expansion", opt.error().message).c_str(), stderr);
    return common::kExitUsage;
  }
  if (opt->help) {
    std::fputs(korvex_expansion::kUsage, stdout);
    return 0;
  }
  if (opt->version) {
    std::puts("korvex-expansion " KORVEX_VERSION);
    return 0;
  }
  return tell(korvex_expansion::run(*opt));
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run_command(argc, argv);
  } catch (const std::exception& e) {  // out of memory, say: told, not a crash
    std::fprintf(stderr, "korvex-expansion: %s\n", e.what());
    return 1;
  }
}
