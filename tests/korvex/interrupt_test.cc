// A signal noted where the run does not wait is heard at the next entry, the
// next picture or the stop; each case runs in a child process of its own, since
// a noted signal stays for the life of the process.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>

#include "formats/buffer_file.h"
#include "formats/cell_record.h"
#include "series_pass.h"
#include "svg_pictures.h"
#include "test_util.h"
#include "textrec/textrec.h"
#include "textrec/unit_util.h"

namespace korvex {
namespace {

constexpr int kHeard = 42;

// Runs `work` with SIGTERM noted and not yet acted on; exits kHeard when the
// run ends by it, 0 when the work returns.
template <typename Work>
[[noreturn]] void with_signal_noted(Work work) {
  textrec::catch_interrupts();
  std::raise(SIGTERM);
  try {
    work();
  } catch (const textrec::RunEnded& ended) {
    std::_Exit(ended.signal == SIGTERM ? kHeard : 1);
  }
  std::_Exit(0);
}

TEST(InterruptDeathTest, HeardWhileKeepGoingSkipsEntries) {
  EXPECT_EXIT(with_signal_noted([] {
                unittest::MemoryRun run;
                run.fs.files["s.lst"] = "T\nh\ngone.out 100\ngone.out 200\n";
                textrec::open_for_reading(formats::kBufferChannel, "s.lst");
                (void)formats::read_buffer_file_head();
                (void)run_pass({.keep_going = true});
              }),
              testing::ExitedWithCode(kHeard), "");
}

// The picture being written is finished; no other is begun.
TEST(InterruptDeathTest, HeardAfterThePictureBeingWritten) {
  const testutil::ScopedTempDir dir;
  SeriesPictures pictures("T");
  formats::CellRecord cell;
  cell.a = 5.0F;
  pictures.take(cell);
  EXPECT_EXIT(with_signal_noted([&] { (void)pictures.write(dir.path(), "footnote"); }),
              testing::ExitedWithCode(kHeard), "");
  EXPECT_TRUE(testutil::file_exists(dir.file("TK_cell_a.svg")));
  EXPECT_FALSE(testutil::file_exists(dir.file("TK_cell_b.svg")));
}

TEST(InterruptDeathTest, HeardAtTheOrderlyStop) {
  EXPECT_EXIT(with_signal_noted([] {
                unittest::MemoryRun run;
                (void)textrec::stop_run();
              }),
              testing::KilledBySignal(SIGTERM), "");
}

}  // namespace
}  // namespace korvex
