// korvex: unit-cell parameters against temperature from DIRAX cell-output files.
//
// Without arguments the dialogue runs; with a buffer file and options, the batch
// mode (see command_line.h).

#include <unistd.h>

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"
#include "common/command_line.h"
#include "korvex.h"
#include "textrec/textrec.h"

namespace {

// The folder that holds this executable, so that the viewer installed beside it
// is found when no other is on PATH.
std::string own_folder() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  std::string exe(path, static_cast<std::size_t>(n));
  const std::size_t slash = exe.rfind('/');
  return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

template <typename Run>
int run_ending_in_order(Run run) {
  try {
    return run();
  } catch (const textrec::RunEnded& ended) {
    return textrec::end_run(ended);
  } catch (const std::exception& fault) {
    // A fault of the program itself: still close every file in order.
    textrec::console_write({"!! Severe error: ", fault.what()});
    textrec::console_write({"!! Execution ended."});
    return textrec::end_run(textrec::RunEnded{textrec::kExitEnded});
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const auto parsed = korvex::parse_command_line(args);
  if (!parsed) {
    std::fputs(common::usage_error_text("korvex", parsed.error().message).c_str(), stderr);
    return common::kExitUsage;
  }
  const korvex::CommandLine& command = *parsed;
  if (std::holds_alternative<korvex::ShowHelp>(command)) {
    std::fputs(korvex::usage_text().data(), stdout);
    return 0;
  }
  if (std::holds_alternative<korvex::ShowVersion>(command)) {
    std::printf("korvex %s\n", KORVEX_VERSION);
    return 0;
  }

  textrec::install_posix();
  textrec::set_command_path_folder(own_folder());
  // Held until every file is closed, and released as the process ends.
  korvex::OutputLock lock;
  if (const auto* batch = std::get_if<korvex::BatchOptions>(&command))
    return run_ending_in_order([&] { return korvex::run_batch(*batch, &lock); });
  return run_ending_in_order([&] { return korvex::run_dialogue(&lock); });
}
