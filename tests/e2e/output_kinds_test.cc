// Every writer of the three programs, on the built binaries: an output whose
// name leads to what is no regular file (a FIFO, a device node, a link to
// nothing) ends the run with the status of a failed output, the node left as
// it was and no output written; and korvex-expansion's outputs never collide.
// The nodes are made in the test's own folder; the device node has the
// numbers of /dev/null.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

enum class Node { kFifo, kDevice, kDanglingLink, kNone };

bool make_node(Node node, const std::string& path) {
  switch (node) {
    case Node::kFifo:
      return mkfifo(path.c_str(), 0600) == 0;
    case Node::kDevice:
      return mknod(path.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    case Node::kDanglingLink:
      return symlink("nowhere", path.c_str()) == 0;
    case Node::kNone:
      return true;
  }
  return false;
}

std::vector<std::string> regular_files(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    if (e.is_regular_file() && !e.is_symlink()) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(OutputKinds, EveryWriterRefusesWhatIsNoRegularFile) {
  struct Case {
    std::vector<std::string> args;  // the program first
    Node node;
    const char* name;  // of the node
    int status;
    std::string told;
  };
  const std::string kList = "series.lst";
  const std::vector<Case> cases = {
      {{KORVEX_BIN, "-c", "conventional", "--svg", kList},
       Node::kFifo,
       "TK_volume.svg",
       16,
       "cannot write TK_volume.svg: not a regular file"},
      {{KORVEX_BIN, "-c", "conventional", kList},
       Node::kDevice,
       "TK_cell_c.pgf",
       16,
       "cannot create TK_cell_c.pgf on channel 16: not a regular file"},
      {{KORVEX_BIN, "-c", "conventional", "--csv", kList},
       Node::kDanglingLink,
       "TK_parameters.csv",
       16,
       "a symbolic link that leads to no file"},
      {{VISTREL_BIN, "--svg-only", "TK_cell_a.pgf"},
       Node::kFifo,
       "TK_cell_a.svg",
       1,
       "vistrel: TK_cell_a.svg: cannot write the SVG picture: not a regular file"},
      {{EXPANSION_BIN, "--svg", "fig", "--html", "page.html", "monoclinic.xy"},
       Node::kDevice,
       "page.html",
       1,
       "korvex-expansion: cannot write page.html: not a regular file"},
      {{EXPANSION_BIN, "--svg", "fig", "monoclinic.xy"},
       Node::kDanglingLink,
       "fig_lattice.svg",
       1,
       "cannot write fig_lattice.svg: a symbolic link that leads to no file"},
      {{EXPANSION_BIN, "--svg", "fig", "--html", "fig_strain.svg", "monoclinic.xy"},
       Node::kNone,
       "",
       1,
       "korvex-expansion: fig_strain.svg names two outputs: nothing written"},
      {{EXPANSION_BIN, "--svg", "fig", "--html", "./fig_volume.svg", "monoclinic.xy"},
       Node::kNone,
       "",
       1,
       "korvex-expansion: fig_volume.svg and ./fig_volume.svg are one file: nothing written"},
  };
  for (const Case& c : cases) {
    testutil::ScopedTempDir dir;
    testutil::copy_examples(dir);
    testutil::write_file(dir.file("monoclinic.xy"),
                         testutil::read_file(TESTS_DIR "/korvex-expansion/worked/monoclinic.xy"));
    if (c.args[0] == VISTREL_BIN) {
      ASSERT_EQ(0, testutil::run_program({KORVEX_BIN, "-c", "conventional", kList}, dir.path(), "")
                       .exit_status);
    }
    const std::vector<std::string> before = regular_files(dir.path());
    if (!make_node(c.node, dir.file(c.name))) {
      // Only root makes a device node; elsewhere the case is left out.
      EXPECT_EQ(Node::kDevice, c.node) << "cannot make " << c.name;
      continue;
    }
    const testutil::RunResult run = testutil::run_program(c.args, dir.path(), "");
    const std::string told = run.out + run.err;
    EXPECT_EQ(c.status, run.exit_status) << c.name << told;
    EXPECT_NE(std::string::npos, told.find(c.told)) << told;
    EXPECT_EQ(before, regular_files(dir.path())) << c.args[0] << " " << c.name;
    struct stat st {};
    const bool kept = lstat(dir.file(c.name).c_str(), &st) == 0;
    if (c.node == Node::kFifo) {
      EXPECT_TRUE(kept && S_ISFIFO(st.st_mode)) << c.name;
    } else if (c.node == Node::kDevice) {
      EXPECT_TRUE(kept && S_ISCHR(st.st_mode)) << c.name;
    }
  }
}

}  // namespace
