// ^C during a run on the largest CIF read, on the built korvex: the run ends
// by the signal within moments, at whatever stage the signal finds it (the
// parse, the check of its blocks, their cells, the rows written), and leaves
// no temporary file beside its outputs.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>

#include "test_util.h"

namespace {

TEST(LongRead, SigintDuringALargeCifEndsTheRunAtOnce) {
  testutil::ScopedTempDir dir;
  // Some 60 MB in 430 000 blocks, just within the limit of a cell file read:
  // the whole run takes seconds here.
  std::string cif;
  for (int i = 0; cif.size() < (std::size_t{60} << 20); ++i) {
    cif += "data_b" + std::to_string(i) +
           "\n_cell_length_a 5.1(1)\n_cell_length_b 6.2(1)\n_cell_length_c 7.3(1)\n"
           "_cell_angle_alpha 90\n_cell_angle_beta 91.5(2)\n_cell_angle_gamma 90\n";
  }
  testutil::write_file(dir.file("big.cif"), cif);
  cif.clear();
  testutil::write_file(dir.file("s.lst"), "Series\nh\nbig.cif 100\n");
  // Early in the parse, and later, in the stages after it.
  for (const char* after : {"0.5", "1.5"}) {
    SCOPED_TRACE(after);
    const auto start = std::chrono::steady_clock::now();
    const testutil::RunResult run =
        testutil::run_program({"/usr/bin/timeout", "--preserve-status", "-s", "INT", after,
                               KORVEX_BIN, "-c", "conventional", "-k", "s.lst"},
                              dir.path(), "");
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(128 + SIGINT, run.exit_status) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("Execution interrupted by SIGINT")) << run.err;
    // Acts within a second on a quiet machine; twice that allows for a
    // loaded one, where a run that waited for a stage's end would take many.
    EXPECT_LT(seconds - std::stod(after), 2.0);
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      EXPECT_EQ(std::string::npos, e.path().filename().string().find(".svg.")) << e.path();
  }
}

}  // namespace
