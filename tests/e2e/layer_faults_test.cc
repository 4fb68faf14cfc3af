// Input that once gave a wrong result behind a clean status, on the built
// korvex: a quoted value never closed, a read that fails, lines ended by CR CR
// LF, a console answer without end, an output that is a FIFO (a name that
// cannot be followed: Hostile.NamesThatCannotBeFollowedAreNotCalledMissing).

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/e2e_util.h"
#include "test_util.h"

namespace {

using testutil::ScopedTempDir;

// The console lines that hold "!!".
std::string diagnostics(const std::string& out) {
  std::string lines;
  for (const std::string& line : testutil::split_lines(out))
    if (line.find("!!") != std::string::npos) lines += line + "\n";
  return lines;
}

// Every line of the example list, with `entry` put in place of its line `n`
// (counted from 1).
std::string list_with(const ScopedTempDir& dir, int n, const std::string& entry) {
  std::string out;
  int line = 0;
  for (const std::string& text : testutil::split_lines(testutil::read_file(dir.file("series.lst"))))
    out += (++line == n ? entry : text) + "\n";
  return out;
}

TEST(LayerFaults, EachIsToldWithItsStatus) {
  const struct {
    const char* what;
    int line;           // the line of the list replaced
    std::string entry;  // by this
    int status;
    std::string diagnostics;
  } cases[] = {
      {"a quoted value never closed", 5, "'ex_150K_dirax_cell.out  150.0", 8,
       "  !! Line 5 of the buffer file cannot be read as a file name and a temperature !!\n"},
      {"a file whose read fails", 4, "/proc/self/mem 125.0", 16,
       " !! Severe error: cannot read /proc/self/mem on channel 2: Input/output error\n"
       " !! Execution ended.\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedTempDir dir;
    testutil::copy_examples(dir);
    testutil::write_file(dir.file("q.lst"), list_with(dir, c.line, c.entry));
    const testutil::RunResult run = e2e::run_korvex(dir, e2e::answers("q.lst"));
    EXPECT_EQ(c.status, run.exit_status);
    EXPECT_EQ(c.diagnostics, diagnostics(run.out));
  }
}

// A read that fails while the entries of the buffer file are counted, injected
// by strace at the read that fetches the list's second 64 KB: the reads before
// it are counted on a run without the fault.
TEST(LayerFaults, AReadErrorWhileCountingTheEntriesEndsTheRun) {
  const std::string strace = "/usr/bin/strace";
  if (access(strace.c_str(), X_OK) != 0) GTEST_SKIP() << "no " << strace << " to inject the fault";
  ScopedTempDir dir;
  testutil::copy_examples(dir);
  testutil::write_file(dir.file("long.lst"),
                       testutil::read_file(dir.file("series.lst")) + std::string(70'000, '\n'));
  const auto traced = [&](const std::string& inject) {
    std::vector<std::string> argv = {
        strace, "-qq", "-o", dir.file("trace"), "-e", "trace=read,openat"};
    if (!inject.empty()) argv.insert(argv.end(), {"-e", inject});
    argv.push_back(KORVEX_BIN);
    // The leak checker of a sanitizer build does not run under a tracer.
    return testutil::run_program(argv, dir.path(), e2e::answers("long.lst"),
                                 {{"COMSPEC", ""}, {"ASAN_OPTIONS", "detect_leaks=0"}});
  };
  ASSERT_EQ(0, traced("").exit_status);
  // The reads up to the second read of the list's descriptor.
  const std::string trace = testutil::read_file(dir.file("trace"));
  int reads = 0, list_reads = 0;
  std::string list_read;  // "read(FD," once the list is open
  std::size_t start = 0;
  for (std::size_t nl; (nl = trace.find('\n', start)) != std::string::npos; start = nl + 1) {
    const std::string line = trace.substr(start, nl - start);
    if (line.starts_with("openat(AT_FDCWD, \"long.lst\""))
      list_read = "read(" + line.substr(line.rfind("= ") + 2) + ",";
    if (!line.starts_with("read(")) continue;
    ++reads;
    if (!list_read.empty() && line.starts_with(list_read) && ++list_reads == 2) break;
  }
  ASSERT_EQ(2, list_reads) << trace;
  const testutil::RunResult run = traced("inject=read:error=EIO:when=" + std::to_string(reads));
  EXPECT_EQ(16, run.exit_status);
  EXPECT_EQ(
      " !! Severe error: cannot read long.lst on channel 1: Input/output error\n"
      " !! Execution ended.\n",
      diagnostics(run.out));
}

TEST(LayerFaults, CarriageReturnsBeforeTheLineFeedEndTheLine) {
  ScopedTempDir lf, crcrlf;
  testutil::copy_examples(lf);
  testutil::copy_examples(crcrlf);
  for (const auto& entry : std::filesystem::directory_iterator(crcrlf.path())) {
    std::string bytes = testutil::read_file(entry.path().string()), doubled;
    for (const char c : bytes) doubled += c == '\n' ? std::string("\r\r\n") : std::string(1, c);
    testutil::write_file(entry.path().string(), doubled);
  }
  const testutil::RunResult a = e2e::run_korvex(lf, e2e::answers("series.lst", "2"));
  const testutil::RunResult b = e2e::run_korvex(crcrlf, e2e::answers("series.lst", "2"));
  EXPECT_EQ(0, b.exit_status);
  EXPECT_EQ(a.out, b.out);
  for (const char* name : {"TK_parameters.xy", "TK_volume.pgf"})
    EXPECT_EQ(testutil::read_file(lf.file(name)), testutil::read_file(crcrlf.file(name))) << name;
}

TEST(LayerFaults, AConsoleAnswerWithoutEndIsRefused) {
  const std::string part(600'000, 'x');
  const struct {
    std::string typed;
    int line;
  } cases[] = {
      {std::string(3 << 20, 'x'), 1},
      {"\n\n" + std::string(3 << 20, 'x') + "\n", 3},
      // A quoted value that runs over lines is held as one record would be.
      {"'" + part + "\n" + part + "\n" + part + "\n", 1},
  };
  for (const auto& c : cases) {
    ScopedTempDir dir;
    const testutil::RunResult run = e2e::run_korvex(dir, c.typed);
    EXPECT_EQ(16, run.exit_status);
    EXPECT_EQ(" !! Severe error: line " + std::to_string(c.line) +
                  " of the console is longer than 1048576 characters\n"
                  " !! Execution ended.\n",
              diagnostics(run.out));
  }
}

TEST(LayerFaults, AnOutputThatIsAFifoEndsTheRun) {
  ScopedTempDir dir;
  testutil::copy_examples(dir);
  ASSERT_EQ(0, mkfifo(dir.file("TK_cell_a.pgf").c_str(), 0600));
  const testutil::RunResult run = e2e::run_korvex(dir, e2e::answers("series.lst"));
  EXPECT_EQ(16, run.exit_status);
  EXPECT_EQ(
      " !! Severe error: cannot create TK_cell_a.pgf on channel 14: not a regular file\n"
      " !! Execution ended.\n",
      diagnostics(run.out));
}

}  // namespace
