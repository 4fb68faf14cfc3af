// Runs that meet hostile names, a folder another run is writing, and other
// faults seen from outside: the user is told, and nothing is lost or invented.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "e2e/e2e_util.h"
#include "test_util.h"

namespace {

using e2e::Lines;
using testutil::ScopedTempDir;

// Escape sequences in a name reach the console as "?": no retitled or cleared
// terminal. The files keep their bytes. (Which characters are shown as "?" is
// SafeText.ControlsAreQuestionMarksInEveryCharset's concern.)
TEST(Hostile, ControlCharactersInEchoedNamesAreShownAsQuestionMarks) {
  const struct {
    std::string name;
    std::string shown;
  } cases[] = {
      {"\x1b]0;owned\x07.out", "?]0;owned?.out"},
      {"caf\xc3\xa9\x7f.out", "caf\xc3\xa9?.out"},  // UTF-8 kept, DEL shown as ?
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown);
    ScopedTempDir dir;
    e2e::make_files(dir, {{"s.lst", "T\nh\n'" + c.name + "' 100\n"}});
    const auto run = e2e::run_korvex(dir, e2e::answers("s.lst"));
    EXPECT_EQ(8, run.exit_status);
    const Lines lines = testutil::split_lines(run.out);
    EXPECT_NE(lines.end(),
              std::find(lines.begin(), lines.end(), "  !! " + c.shown + " does not exist !!"))
        << run.out;
    EXPECT_EQ(std::string::npos, run.out.find('\x1b'));
  }
  // At the buffer-file question too.
  ScopedTempDir dir;
  const auto run = e2e::run_korvex(dir, "'\x1b[2Jgone.lst'\n");
  EXPECT_NE(std::string::npos, run.out.find("   !! ?[2Jgone.lst does not exist !!"));
  EXPECT_EQ(std::string::npos, run.out.find('\x1b'));
}

// Two real runs in one folder. The first waits at its first plot offer, its
// files written and its lock held; a second run, in batch and in the dialogue,
// is refused and changes nothing. The first then ends as usual. Each wait of
// the script gives up after 20 s, so that a fault cannot hang the test.
TEST(Hostile, SecondRunInTheSameFolderIsRefused) {
  ScopedTempDir dir;
  e2e::make_files(dir, {{"s.lst", "T\nh\n100K.out 100\n"}, {"100K.out", e2e::kDirax100K}});
  const std::string script = R"(k=$1
{ printf 's.lst\n1\n'; i=0
  while [ ! -e others.done ] && [ $i -lt 400 ]; do sleep 0.05; i=$((i+1)); done
  printf 'n\nn\nn\nn\nn\nn\nn\n'; } | "$k" > first.out &
first=$!
i=0; until grep -q 'plot it' first.out || [ $i -ge 400 ]; do sleep 0.05; i=$((i+1)); done
"$k" -c 1 s.lst 2> batch.err; echo "batch $?"
printf 's.lst\n1\n' | "$k" > dialogue.out; echo "dialogue $?"
touch others.done
wait $first; echo "first $?")";
  const auto run = testutil::run_program({"/bin/sh", "-c", script, "sh", KORVEX_BIN}, dir.path(),
                                         "", {{"COMSPEC", ""}});
  EXPECT_EQ("batch 16\ndialogue 16\nfirst 0\n", run.out) << run.err;
  const std::string refused =
      " !! Severe error: another korvex run is writing TK_parameters.xy in this folder\n"
      " !! Execution ended.\n";
  EXPECT_EQ(refused, testutil::read_file(dir.file("batch.err")));
  EXPECT_TRUE(testutil::read_file(dir.file("dialogue.out")).ends_with(refused));
  EXPECT_EQ(e2e::told_to_the_end(), e2e::told(testutil::read_file(dir.file("first.out"))));
  e2e::expect_outputs(dir, {"100.00"}, e2e::kEnded);
}

}  // namespace

namespace {

// A buffer file that is one of the outputs, by any name, would be emptied as
// the table is created: it is refused like a missing one, and asked for again.
TEST(Hostile, BufferFileThatIsAnOutputIsRefused) {
  const std::string list = "T\nh\n100K.out 100\n";
  for (const std::string name : {"TK_parameters.xy", "./TK_volume.pgf", "link.lst"}) {
    SCOPED_TRACE(name);
    ScopedTempDir dir;
    e2e::make_files(dir, {{"TK_parameters.xy", list},
                          {"TK_volume.pgf", list},
                          {"s.lst", list},
                          {"100K.out", e2e::kDirax100K}});
    ASSERT_EQ(0, ::symlink("TK_parameters.xy", dir.file("link.lst").c_str()));
    const auto run = e2e::run_korvex(dir, e2e::answers(name + "\ns.lst"));
    EXPECT_EQ(0, run.exit_status);
    EXPECT_EQ(
        e2e::join({{"buffer file?", "   !! " + name + " is an output file of this program !!"},
                   e2e::told_to_the_end()}),
        e2e::told(run.out));
  }
  ScopedTempDir dir;
  e2e::make_files(dir, {{"out/TK_parameters.xy", list}, {"100K.out", e2e::kDirax100K}});
  const auto run = testutil::run_program({KORVEX_BIN, "-c1", "-o", "out", "out/TK_parameters.xy"},
                                         dir.path(), "");
  EXPECT_EQ(16, run.exit_status);
  EXPECT_EQ(
      " !! Severe error: the buffer file out/TK_parameters.xy is an output file of this program",
      testutil::split_lines(run.err).at(0));
  EXPECT_EQ(list, testutil::read_file(dir.file("out/TK_parameters.xy")));
}

}  // namespace

namespace {

// The shell line that runs korvex with `seconds` of open, silent console input
// before it ends, and sends it SIGTERM after `after` seconds.
std::vector<std::string> terminated_after(const std::string& after, const std::string& typed,
                                          const std::string& args = "") {
  return {"/bin/sh", "-c",
          "{ printf '" + typed + "'; sleep 1.5; } | exec timeout --preserve-status -s TERM " +
              after + " " KORVEX_BIN " " + args};
}

bool every_row_whole(const std::string& table, std::size_t* rows) {
  const Lines lines = testutil::split_lines(table);
  *rows = 0;
  for (const std::string& line : lines) {
    if (line.starts_with("!")) continue;
    if (line.size() != 110 || !line.ends_with('\r')) return false;
    ++*rows;
  }
  return table.ends_with("\r\n");
}

// SIGTERM ends the run in order: what the files hold is written out, the user
// is told, and the shell sees the signal.
TEST(Hostile, InterruptedRunsWriteOutTheirFilesAndEndByTheSignal) {
  if (!testutil::file_exists("/usr/bin/timeout")) GTEST_SKIP() << "no timeout(1) here";
  const std::string told = " !! Execution interrupted by SIGTERM: the output files are incomplete";
  {
    // Waiting at the first plot offer: the pass is done and the table whole.
    ScopedTempDir dir;
    e2e::make_files(dir, {{"s.lst", "T\nh\n100K.out 100\n"}, {"100K.out", e2e::kDirax100K}});
    const auto run = testutil::run_program(terminated_after("0.5", "s.lst\\n1\\n"), dir.path(), "");
    EXPECT_EQ(128 + 15, run.exit_status);
    EXPECT_TRUE(run.out.ends_with(told + "\n")) << run.out;
    std::size_t rows = 0;
    EXPECT_TRUE(every_row_whole(testutil::read_file(dir.file("TK_parameters.xy")), &rows));
    EXPECT_EQ(1U, rows);
  }
  {
    // While the viewer runs: it is ended too, not left reading the terminal.
    ScopedTempDir dir;
    e2e::make_files(dir, {{"s.lst", "T\nh\n100K.out 100\n"},
                          {"100K.out", e2e::kDirax100K},
                          {"bin/vistrel", "#!/bin/sh\necho $$ > viewer.pid\nexec sleep 30\n"}});
    ASSERT_EQ(0, ::chmod(dir.file("bin/vistrel").c_str(), 0755));
    const char* path = std::getenv("PATH");
    const auto run = testutil::run_program(
        terminated_after("0.5", "s.lst\\n1\\ny\\n"), dir.path(), "",
        {{"COMSPEC", ""}, {"PATH", dir.file("bin") + ":" + (path ? path : "/bin")}});
    EXPECT_EQ(128 + 15, run.exit_status);
    EXPECT_TRUE(run.out.ends_with(told + "\n")) << run.out;
    const int viewer = std::atoi(testutil::read_file(dir.file("viewer.pid")).c_str());
    ASSERT_LT(0, viewer);
    // Ended; its parent gone, it may stand as a zombie a moment before it is reaped.
    for (int wait = 0; wait < 40 && ::kill(viewer, 0) == 0; ++wait) ::usleep(50000);
    EXPECT_NE(0, ::kill(viewer, 0)) << "the viewer is still running";
  }
  {
    // In the middle of a long pass: every row written is whole, and every plot
    // file holds as many points as the table rows. The signal is sent once the
    // table holds rows on disk, however slow the build or the machine.
    ScopedTempDir dir;
    std::string list = "Long\nh\n";
    for (int i = 0; i < 400000; ++i) list += "100K.out 100\n";
    e2e::make_files(dir, {{"s.lst", list}, {"100K.out", e2e::kDirax100K}});
    const std::string in_the_pass =
        "{ n=0; while [ \"$(wc -c < TK_parameters.xy 2> /dev/null || echo 0)\" -lt 20000 ] && "
        "[ $n -lt 1200 ]; do sleep 0.05; n=$((n + 1)); done; kill -TERM $$; } & "
        "exec " KORVEX_BIN " -c 1 s.lst < /dev/null";
    const auto run = testutil::run_program({"/bin/sh", "-c", in_the_pass}, dir.path(), "");
    EXPECT_EQ(128 + 15, run.exit_status);
    EXPECT_EQ(told, testutil::split_lines(run.err).back());
    std::size_t rows = 0;
    EXPECT_TRUE(every_row_whole(testutil::read_file(dir.file("TK_parameters.xy")), &rows));
    EXPECT_LT(0U, rows);
    EXPECT_GT(400000U, rows);
    const Lines points = testutil::split_lines(testutil::read_file(dir.file("TK_volume.pgf")));
    EXPECT_EQ(rows + 12, points.size());
  }
}

}  // namespace

namespace {

// A name that cannot be followed (here a loop of links; a folder that cannot be
// entered is the other case) is not said to be missing: the reason is shown.
TEST(Hostile, NamesThatCannotBeFollowedAreNotCalledMissing) {
  ScopedTempDir dir;
  e2e::make_files(dir,
                  {{"s.lst", "T\nh\nloop.out 100\n100K.out 100\n"}, {"100K.out", e2e::kDirax100K}});
  ASSERT_EQ(0, ::symlink("loop.out", dir.file("loop.out").c_str()));
  ASSERT_EQ(0, ::symlink("loop.lst", dir.file("loop.lst").c_str()));
  const std::string reason = "Too many levels of symbolic links";

  const auto asked = e2e::run_korvex(dir, e2e::answers("loop.lst\ns.lst"));
  EXPECT_NE(std::string::npos, asked.out.find("   !! loop.lst cannot be opened: " + reason +
                                              " !!\n    press Enter key to continue \n"))
      << asked.out;
  EXPECT_NE(std::string::npos,
            asked.out.find(" !! Severe error: cannot open loop.out on channel 2: " + reason));
  EXPECT_EQ(16, asked.exit_status);

  const auto kept = testutil::run_program({KORVEX_BIN, "-q", "-k", "-c1", "s.lst"}, dir.path(), "");
  EXPECT_EQ(8, kept.exit_status);
  EXPECT_EQ((Lines{"  !! loop.out cannot be read: " + reason + ": skipped"}),
            testutil::split_lines(kept.err));
}

}  // namespace
