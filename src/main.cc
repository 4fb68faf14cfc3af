// korvex: unit-cell parameters against temperature from DIRAX cell-output files.
//
// The run itself takes no arguments; --help and --version only describe it.

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "korvex.h"
#include "textrec/textrec.h"

namespace {

constexpr const char* kUsage =
    "Usage: korvex\n"
    "\n"
    "Reads a buffer file that lists DIRAX cell-output files with their temperatures\n"
    "(line 1 a title, line 2 ignored, then one \"file temperature\" entry per line),\n"
    "asks for the cell to take (input or conventional), and writes in the current\n"
    "folder the table TK_parameters.xy and seven plot files TK_cell_a.pgf ...\n"
    "TK_volume.pgf, each of which it offers to the viewer vistrel.\n"
    "\n"
    "All answers are typed at the prompts; the program takes no other arguments.\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "Exit status: 0 clean run, 4 a warning, 8 an error was reported,\n"
    "16 the run was ended by a failure.\n";

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

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
      std::printf("korvex %s\n", KORVEX_VERSION);
      return 0;
    }
    std::fprintf(stderr, "korvex: unexpected argument '%s'\n\n%s", argv[1], kUsage);
    return 2;
  }

  textrec::install_posix();
  textrec::set_command_path_folder(own_folder());
  try {
    return korvex::run();
  } catch (const textrec::RunEnded& ended) {
    return textrec::end_run(ended);
  } catch (const std::exception& fault) {
    // A fault of the program itself: still close every file in order.
    std::fprintf(stdout, " !! Severe error: %s\n !! Execution ended.\n", fault.what());
    std::fflush(stdout);
    return textrec::end_run(textrec::RunEnded{textrec::kExitEnded});
  }
}
