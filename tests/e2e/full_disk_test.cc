// A disk that fills while the outputs are written, on the built binaries: each
// run is made in a mount namespace of its own, over a small tmpfs mounted on
// a folder of the test's temporary folder (the mount is seen by that run
// alone). korvex ends with 16 and korvex-expansion with 1, each naming the
// file and the system's reason; a picture or page is whole or absent, never
// cut short under its name, and no temporary file is left beside it. Where
// the namespace or the mount is not permitted (a container), the test is
// skipped.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

namespace fs = std::filesystem;

// Runs args in dir with a tmpfs of `bytes` on dir/full, and copies what the
// run left there to dir/seen.
testutil::RunResult run_on_full_disk(const testutil::ScopedTempDir& dir, std::size_t bytes,
                                     const std::vector<std::string>& args) {
  fs::create_directories(dir.file("full"));
  fs::remove_all(dir.file("seen"));
  fs::create_directories(dir.file("seen"));
  std::vector<std::string> argv = {"/usr/bin/unshare",
                                   "--mount",
                                   "--propagation",
                                   "private",
                                   "/bin/sh",
                                   "-c",
                                   "mount -t tmpfs -o size=" + std::to_string(bytes) +
                                       " tmpfs full || exit 97; \"$@\"; "
                                       "s=$?; cp -a full/. seen/; exit $s",
                                   "sh"};
  argv.insert(argv.end(), args.begin(), args.end());
  return testutil::run_program(argv, dir.path(), "");
}

// The regular files of a folder and their bytes.
std::map<std::string, std::string> files_in(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(folder))
    files[e.path().filename().string()] = testutil::read_file(e.path().string());
  return files;
}

// A CIF of n blocks, one cell each at its own temperature.
std::string cif_of(int n) {
  std::string cif;
  for (int i = 0; i < n; ++i) {
    cif += "data_b" + std::to_string(i) +
           "\n_cell_length_a 5.1(1)\n_cell_length_b 6.2(1)\n_cell_length_c 7.3(1)\n"
           "_cell_angle_alpha 90\n_cell_angle_beta 91.5(2)\n_cell_angle_gamma 90\n"
           "_cell_measurement_temperature " +
           std::to_string(100 + i % 800) + "." + std::to_string(i / 800) + "\n";
  }
  return cif;
}

TEST(FullDisk, OutputsAreWholeOrAbsentAndTheRunFails) {
  testutil::ScopedTempDir dir;
  fs::create_directories(dir.file("full"));
  const testutil::RunResult probe = run_on_full_disk(dir, 16384, {"/bin/true"});
  if (probe.exit_status != 0)
    GTEST_SKIP() << "no private tmpfs mount here (status " << probe.exit_status
                 << "): " << probe.err;
  testutil::write_file(dir.file("cells.cif"), cif_of(1500));
  testutil::write_file(dir.file("series.lst"), "Series\nh\ncells.cif 100\n");
  testutil::write_file(dir.file("monoclinic.xy"),
                       testutil::read_file(TESTS_DIR "/korvex-expansion/worked/monoclinic.xy"));
  // The tables and plot files of the series, which the pictures follow: a
  // tmpfs of their pages holds them and nothing more.
  ASSERT_EQ(
      0, testutil::run_program(
             {KORVEX_BIN, "-c", "conventional", "-q", "-o", "tables", "series.lst"}, dir.path(), "")
             .exit_status);
  std::size_t tables = 0;
  for (const auto& [name, bytes] : files_in(dir.file("tables")))
    tables += (bytes.size() + 4095) / 4096 * 4096;
  struct Case {
    std::vector<std::string> args;  // the reference run's; "full" in place of "ref"
    std::size_t bytes;              // the tmpfs's size
    int status;
    std::string told;
    bool channel_files;  // korvex's tables and plot files, written in place
  };
  const std::vector<Case> cases = {
      {{KORVEX_BIN, "-c", "conventional", "-q", "-o", "ref", "series.lst"},
       65536,
       16,
       "(full/TK_",
       true},
      {{KORVEX_BIN, "-c", "conventional", "-q", "--svg", "-o", "ref", "series.lst"},
       tables,
       16,
       "cannot write full/TK_cell_a.svg: ",
       false},
      {{EXPANSION_BIN, "--svg", "ref/fig", "--html", "ref/page.html", "monoclinic.xy"},
       16384,
       1,
       "korvex-expansion: cannot write full/fig_",
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.told);
    fs::remove_all(dir.file("ref"));
    fs::create_directories(dir.file("ref"));
    testutil::run_program(c.args, dir.path(), "");
    std::vector<std::string> args = c.args;
    for (std::string& arg : args)
      if (arg.starts_with("ref")) arg.replace(0, 3, "full");
    const testutil::RunResult run = run_on_full_disk(dir, c.bytes, args);
    EXPECT_EQ(c.status, run.exit_status) << run.err;
    EXPECT_NE(std::string::npos, run.err.find(c.told)) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("No space left on device")) << run.err;
    const std::map<std::string, std::string> reference = files_in(dir.file("ref"));
    const std::map<std::string, std::string> seen = files_in(dir.file("seen"));
    if (!c.channel_files) {
      EXPECT_LT(seen.size(), reference.size()) << "nothing was left out";
    }
    for (const auto& [name, bytes] : seen) {
      ASSERT_TRUE(reference.contains(name)) << name << " is none of the outputs";
      // What the channel layer writes stays on disk as far as it went, as the
      // run's end closes every channel; any other output is whole.
      if (!c.channel_files) {
        EXPECT_EQ(reference.at(name), bytes) << name << " cut short";
      }
    }
  }
}

}  // namespace
