// A signal noted where the run does not wait is heard at the next entry, the
// next picture or the stop. Each case runs in a child process, since a noted
// signal stays for the life of the process.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "formats/buffer_file.h"
#include "svg_pictures.h"
#include "test_util.h"
#include "textrec/unit_util.h"

namespace korvex {
namespace {

// Does the work with SIGTERM noted: exits 42 when the run ends by it.
template <typename Work>
[[noreturn]] void with_sigterm_noted(Work work) {
  textrec::catch_interrupts();
  std::raise(SIGTERM);
  try {
    work();
  } catch (const textrec::RunEnded& ended) {
    std::_Exit(ended.signal == SIGTERM ? 42 : 1);
  }
  std::_Exit(0);
}

TEST(InterruptDeathTest, HeardWhileKeepGoingSkipsEntries) {
  EXPECT_EXIT(with_sigterm_noted([] {
                unittest::MemoryRun run;
                run.fs.files["s.lst"] = "T\nh\ngone.out 100\n";
                textrec::open_for_reading(formats::kBufferChannel, "s.lst");
                (void)formats::read_buffer_file_head();
                (void)run_pass({.keep_going = true});
              }),
              testing::ExitedWithCode(42), "");
}

TEST(InterruptDeathTest, HeardAfterThePictureBeingWritten) {
  const testutil::ScopedTempDir dir;
  SeriesPictures pictures("T");
  pictures.take(formats::CellRecord{.a = 5.0F}, {});
  EXPECT_EXIT(with_sigterm_noted([&] { (void)pictures.write(dir.path(), "footnote"); }),
              testing::ExitedWithCode(42), "");
  EXPECT_TRUE(testutil::file_exists(dir.file("TK_cell_a.svg")));
  EXPECT_FALSE(testutil::file_exists(dir.file("TK_cell_b.svg")));
}

TEST(InterruptDeathTest, HeardAtTheOrderlyStop) {
  EXPECT_EXIT(with_sigterm_noted([] {
                unittest::MemoryRun run;
                (void)textrec::stop_run();
              }),
              testing::KilledBySignal(SIGTERM), "");
}

}  // namespace
}  // namespace korvex
