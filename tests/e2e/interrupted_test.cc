// Interrupts typed at the terminal: SIGINT goes to every process of the
// foreground group, korvex and the viewer it waits for alike.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "e2e/e2e_util.h"
#include "test_util.h"

namespace {

using testutil::ScopedTempDir;

// timeout(1) sends the signal to korvex and then to its process group, as a
// terminal's ^C does.
TEST(Interrupted, SigintWhileTheViewerRunsEndsTheRun) {
  if (!testutil::file_exists("/usr/bin/timeout")) GTEST_SKIP() << "no timeout(1) here";
  ScopedTempDir dir;
  e2e::make_files(dir, {{"s.lst", "T\nh\n100K.out 100\n"},
                        {"100K.out", e2e::kDirax100K},
                        {"bin/vistrel", "#!/bin/sh\necho $$ > viewer.pid\nexec sleep 30\n"}});
  ASSERT_EQ(0, ::chmod(dir.file("bin/vistrel").c_str(), 0755));
  const char* path = std::getenv("PATH");
  const auto run = testutil::run_program(
      {"/bin/sh", "-c",
       "{ printf 's.lst\\n1\\ny\\nn\\nn\\nn\\nn\\nn\\nn\\n'; sleep 1.5; } | "
       "exec timeout --preserve-status -s INT 0.5 " KORVEX_BIN},
      dir.path(), "", {{"COMSPEC", ""}, {"PATH", dir.file("bin") + ":" + (path ? path : "/bin")}});
  EXPECT_EQ(128 + SIGINT, run.exit_status);
  EXPECT_TRUE(
      run.out.ends_with(" !! Execution interrupted by SIGINT: the output files are incomplete\n"))
      << run.out;
  const int viewer = std::atoi(testutil::read_file(dir.file("viewer.pid")).c_str());
  ASSERT_LT(0, viewer);
  for (int wait = 0; wait < 40 && ::kill(viewer, 0) == 0; ++wait) ::usleep(50000);
  EXPECT_NE(0, ::kill(viewer, 0)) << "the viewer is still running";
}

// Before any output is open the run has nothing incomplete to tell of.
TEST(Interrupted, BeforeAnyOutputNoFileIsSaidToBeIncomplete) {
  if (!testutil::file_exists("/usr/bin/timeout")) GTEST_SKIP() << "no timeout(1) here";
  ScopedTempDir dir;
  const auto run = testutil::run_program(
      {"/bin/sh", "-c", "sleep 1 | exec timeout --preserve-status -s TERM 0.3 " KORVEX_BIN},
      dir.path(), "");
  EXPECT_EQ(128 + SIGTERM, run.exit_status);
  EXPECT_TRUE(run.out.ends_with(e2e::buffer_question().back() + "\n" +
                                " !! Execution interrupted by SIGTERM: no file was written\n"))
      << run.out;
}

}  // namespace
