// Faults of the file system and broken input, on the built korvex: for each, the
// console the user sees, the exit status, and the bytes of every file left in
// the run folder (inputs unchanged, outputs complete, cut short or absent).
//
// Tests run as root, where permission bits stop nothing: a file that cannot be
// written is made immutable, a folder that cannot be written is a read-only
// mount in a mount namespace of the run's own. Where the machine allows neither,
// the case is skipped with the reason.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "e2e/e2e_util.h"
#include "test_util.h"

namespace {

using e2e::answers;
using e2e::Cell;
using e2e::kRefuseAll;
using e2e::Lines;
using testutil::ScopedTempDir;

// --- What a run folder holds --------------------------------------------------

struct Entry {
  enum class Kind { kFile, kFolder, kLink };
  Kind kind = Kind::kFile;
  std::string bytes;  // the content of a file, the target of a link
};

Entry file(std::string bytes) {
  return {Entry::Kind::kFile, std::move(bytes)};
}
Entry folder() {
  return {Entry::Kind::kFolder, {}};
}
Entry link(std::string target) {
  return {Entry::Kind::kLink, std::move(target)};
}

using Folder = std::map<std::string, Entry>;

// Every entry of the run folder, no more and no fewer, each with its bytes.
void expect_folder(const ScopedTempDir& dir, const Folder& expected) {
  namespace fs = std::filesystem;
  Folder actual;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if (entry.is_symlink()) {
      actual[name] = link(fs::read_symlink(entry.path()).string());
    } else if (entry.is_directory()) {
      actual[name] = folder();
    } else {
      actual[name] = file(testutil::read_file(entry.path().string()));
    }
  }
  for (const auto& [name, want] : expected) {
    const auto got = actual.find(name);
    if (got == actual.end()) {
      ADD_FAILURE() << name << " is missing";
      continue;
    }
    EXPECT_EQ(static_cast<int>(want.kind), static_cast<int>(got->second.kind)) << name;
    // Large files are compared by size first, so that a failure stays readable.
    ASSERT_EQ(want.bytes.size(), got->second.bytes.size()) << name;
    EXPECT_TRUE(want.bytes == got->second.bytes) << name << " differs";
  }
  for (const auto& [name, entry] : actual)
    EXPECT_TRUE(expected.count(name) != 0) << name << " was not expected";
}

// --- The series of these tests ----------------------------------------------------

const std::string kTitle = "Fault series";

const Folder kDiraxFiles = {
    {"100K.out", file(e2e::kDirax100K)},
    {"200K.out", file(e2e::kDirax200K)},
    {"300K.out", file(e2e::kDirax300K)},
};

std::string list_of(const Lines& entries) {
  return e2e::lf(e2e::join({{kTitle, "file  T(K)"}, entries}));
}

const Lines kThreeEntries = {"100K.out  100.0", "200K.out  200.0", "300K.out  295.15"};
const std::vector<const e2e::Expected*> kThreeRows = {&e2e::k100KInput, &e2e::k200KInput,
                                                      &e2e::k300KInput};

void make_folder(const ScopedTempDir& dir, const Folder& entries) {
  for (const auto& [name, entry] : entries) {
    if (entry.kind == Entry::Kind::kFolder) {
      std::filesystem::create_directory(dir.file(name));
    } else if (entry.kind == Entry::Kind::kLink) {
      std::filesystem::create_symlink(entry.bytes, dir.file(name));
    } else {
      testutil::write_file(dir.file(name), entry.bytes);
    }
  }
}

Folder with(Folder base, const Folder& more) {
  for (const auto& [name, entry] : more) base[name] = entry;
  return base;
}

std::string table(const std::vector<const e2e::Expected*>& rows) {
  return testutil::crlf(
      e2e::join({e2e::table_header(kTitle, Cell::kInput), e2e::table_rows(rows)}));
}

std::string plot(std::size_t series, int count, const std::vector<const e2e::Expected*>& points,
                 bool ended) {
  e2e::Lines rows;
  for (const e2e::Expected* entry : points) rows.push_back(entry->points[series]);
  return e2e::pgf_text(e2e::kPlotLabels[series], kTitle, count, rows, ended);
}

// The eight output files of a run over `rows`, the plot files ended or not.
Folder outputs(int count, const std::vector<const e2e::Expected*>& rows, bool ended) {
  Folder files = {{"TK_parameters.xy", file(table(rows))}};
  for (std::size_t i = 0; i < e2e::kPlotFiles.size(); ++i)
    files[e2e::kPlotFiles[i]] = file(plot(i, count, rows, ended));
  return files;
}

Lines severe(const std::string& message) {
  return {" !! Severe error: " + message, " !! Execution ended."};
}

// --- Immutable files and read-only folders ------------------------------------------

// Sets or clears the immutable attribute, which stops writes by root too. An
// empty result is success, otherwise the reason it cannot be done here.
std::string set_immutable(const std::string& path, bool on) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::string("open: ") + std::strerror(errno);
  int flags = 0;
  std::string why;
  if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
    why = std::string("reading the attributes: ") + std::strerror(errno);
  } else {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) != 0)
      why = std::string("setting the immutable attribute: ") + std::strerror(errno);
  }
  ::close(fd);
  return why;
}

// Clears the attribute again, so that the temporary folder can be removed.
struct ImmutableGuard {
  std::string path;
  ~ImmutableGuard() { (void)set_immutable(path, false); }
};

// Runs argv inside a mount namespace of its own in which `folder` is mounted
// read-only, with `folder` as its current folder.
testutil::RunResult run_in_read_only_folder(const std::string& folder,
                                            const std::vector<std::string>& argv,
                                            const std::string& input) {
  std::vector<std::string> command = {
      "/usr/bin/unshare",
      "--mount",
      "--propagation",
      "private",
      "/bin/sh",
      "-c",
      "d=$1; shift; mount --bind \"$d\" \"$d\" && mount -o remount,bind,ro \"$d\" && "
      "cd \"$d\" && exec \"$@\"",
      "sh",
      folder};
  command.insert(command.end(), argv.begin(), argv.end());
  return testutil::run_program(command, folder, input, {{"COMSPEC", ""}});
}

// --- Output that cannot be written --------------------------------------------------

// A plot file or the table pointing at a device that is always full: the header
// records are held back in the buffer, so the fault shows when the file is
// written out (the plot file at its close after the pass, the table where the
// program writes it out after the final message). Either is a severe failure:
// its diagnostic with the system's text and exit 16, never a clean end.
TEST(Faults, DiskFullFoundWhenAnOutputFileIsWrittenOut) {
  if (!testutil::file_exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this machine";
  const Folder inputs = with(kDiraxFiles, {{"three.lst", file(list_of(kThreeEntries))}});
  {
    SCOPED_TRACE("TK_cell_b.pgf on /dev/full");
    ScopedTempDir dir;
    make_folder(dir, inputs);
    make_folder(dir, {{"TK_cell_b.pgf", link("/dev/full")}});
    const auto run = e2e::run_korvex(dir, answers("three.lst"));
    e2e::expect_console(
        e2e::join({e2e::dialogue(),
                   severe("cannot write channel 15 (TK_cell_b.pgf): No space left on device")}),
        run.out);
    EXPECT_EQ(16, run.exit_status);
    // The table and the plot files after the failing one are closed by the end of
    // the run: all their records so far, but no end record.
    Folder expected = with(inputs, outputs(3, kThreeRows, e2e::kNotEnded));
    expected["TK_cell_a.pgf"] = file(plot(0, 3, kThreeRows, e2e::kEnded));
    expected["TK_cell_b.pgf"] = link("/dev/full");
    expect_folder(dir, expected);
  }
  {
    SCOPED_TRACE("TK_parameters.xy on /dev/full");
    ScopedTempDir dir;
    make_folder(dir, inputs);
    make_folder(dir, {{"TK_parameters.xy", link("/dev/full")}});
    const auto run = e2e::run_korvex(dir, answers("three.lst"));
    e2e::expect_console(
        e2e::join({e2e::dialogue(), e2e::final_message(),
                   severe("cannot write channel 13 (TK_parameters.xy): No space left on device")}),
        run.out);
    EXPECT_EQ(16, run.exit_status);
    Folder expected = with(inputs, outputs(3, kThreeRows, e2e::kEnded));
    expected["TK_parameters.xy"] = link("/dev/full");
    expect_folder(dir, expected);
  }
}

// An existing plot file that not even root may replace: its creation is refused,
// which ends the run at once. The files created before it keep their headers,
// the refused one its old bytes, and the later ones are never made.
TEST(Faults, ReadOnlyOutputFile) {
  ScopedTempDir dir;
  const Folder inputs = with(kDiraxFiles, {{"three.lst", file(list_of(kThreeEntries))},
                                           {"TK_volume.pgf", file("older run\r\n")}});
  make_folder(dir, inputs);
  ImmutableGuard guard{dir.file("TK_volume.pgf")};
  if (const std::string why = set_immutable(guard.path, true); !why.empty())
    GTEST_SKIP() << "cannot make a file read-only for root here: " << why;

  const auto run = e2e::run_korvex(dir, answers("three.lst"));
  e2e::expect_console(
      e2e::join({e2e::dialogue(),
                 severe("cannot create TK_volume.pgf on channel 20: Operation not permitted")}),
      run.out);
  EXPECT_EQ(16, run.exit_status);
  Folder expected = with(inputs, outputs(3, {}, e2e::kNotEnded));
  expected["TK_volume.pgf"] = file("older run\r\n");
  expect_folder(dir, expected);
}

// A run folder on a read-only mount: the buffer file and the DIRAX files can be
// read, the table cannot be created. The run ends at once and the folder is as
// it was.
TEST(Faults, OutputFolderThatCannotBeWritten) {
  ScopedTempDir dir;
  const Folder inputs = with(kDiraxFiles, {{"three.lst", file(list_of(kThreeEntries))}});
  make_folder(dir, inputs);
  // Writing a file must fail in the read-only mount, or the case cannot be made.
  const auto probe = run_in_read_only_folder(
      dir.path(), {"/bin/sh", "-c", "if touch probe 2>/dev/null; then exit 1; fi"}, "");
  if (probe.exit_status != 0)
    GTEST_SKIP() << "cannot mount a read-only folder here (status " << probe.exit_status
                 << "): " << probe.err;
  expect_folder(dir, inputs);

  const auto run = run_in_read_only_folder(dir.path(), {KORVEX_BIN}, answers("three.lst"));
  e2e::expect_console(
      e2e::join({e2e::dialogue(),
                 severe("cannot create TK_parameters.xy on channel 13: Read-only file system")}),
      run.out);
  EXPECT_EQ(16, run.exit_status);
  expect_folder(dir, inputs);
}

// --- Names that are folders --------------------------------------------------------

// A listed DIRAX name that is a folder exists, but cannot be opened: the run ends
// at once after the rows of the entries before it.
TEST(Faults, DiraxNameThatIsAFolder) {
  ScopedTempDir dir;
  const Folder inputs =
      with(kDiraxFiles,
           {{"three.lst", file(list_of({"100K.out  100.0", "cells  150.0", "200K.out  200.0"}))},
            {"cells", folder()}});
  make_folder(dir, inputs);
  const auto run = e2e::run_korvex(dir, answers("three.lst"));
  e2e::expect_console(
      e2e::join({e2e::dialogue(), severe("cannot open cells on channel 2: Is a directory")}),
      run.out);
  EXPECT_EQ(16, run.exit_status);
  expect_folder(dir, with(inputs, outputs(3, {&e2e::k100KInput}, e2e::kNotEnded)));
}

// A buffer-file answer naming a folder passes the existence check; opening it is
// refused, which ends the run before any output file is made.
TEST(Faults, BufferFileThatIsAFolder) {
  ScopedTempDir dir;
  const Folder inputs = with(kDiraxFiles, {{"series", folder()}});
  make_folder(dir, inputs);
  const auto run = e2e::run_korvex(dir, answers("series"));
  e2e::expect_console(
      e2e::join({e2e::dialogue(), severe("cannot open series on channel 1: Is a directory")}),
      run.out);
  EXPECT_EQ(16, run.exit_status);
  expect_folder(dir, inputs);
}

// --- Console input that ends ------------------------------------------------------

// The console ends after the first k answers, for every k from none to all nine.
// At the buffer-file question the tenth end of data ends the run (16); at the cell
// choice the input cell is taken; at an offer the plot is not shown. Each end of
// data is an error (8); the first five are shown. Once the buffer file is named,
// the files are complete whatever else is missing.
TEST(Faults, ConsoleInputEndsAtEachQuestion) {
  const Lines all = e2e::join({{"three.lst", "1"}, kRefuseAll});
  const Folder inputs = with(kDiraxFiles, {{"three.lst", file(list_of(kThreeEntries))}});
  for (std::size_t k = 0; k <= all.size(); ++k) {
    SCOPED_TRACE("answers given: " + std::to_string(k));
    ScopedTempDir dir;
    make_folder(dir, inputs);
    const auto run = e2e::run_korvex(dir, e2e::lf(Lines(all.begin(), all.begin() + k)));

    int failures = 0;
    auto end_of_data = [&failures](Lines& lines) {
      if (++failures <= 5) lines = e2e::join({lines, e2e::shown(e2e::kConsoleEnd)});
    };
    Lines expected = e2e::banner();
    if (k == 0) {
      for (int i = 1; i < 10; ++i) {
        expected = e2e::join({expected, e2e::buffer_question()});
        end_of_data(expected);
        expected = e2e::join({expected, e2e::buffer_file_missing("")});
      }
      expected = e2e::join({expected, e2e::buffer_question(), {e2e::kConsoleEnd, e2e::kTenthEnd}});
      e2e::expect_console(expected, run.out);
      EXPECT_EQ(16, run.exit_status);
      expect_folder(dir, inputs);
      continue;
    }
    expected = e2e::join({expected, e2e::buffer_question(), e2e::cell_question()});
    if (k == 1) end_of_data(expected);
    expected = e2e::join({expected, e2e::final_message()});
    for (std::size_t offer = 0; offer < e2e::kPlotFiles.size(); ++offer) {
      expected.push_back(e2e::offer(e2e::kPlotFiles[offer]));
      if (k < offer + 3) end_of_data(expected);
    }
    e2e::expect_console(expected, run.out);
    EXPECT_EQ(failures == 0 ? 0 : 8, run.exit_status);
    expect_folder(dir, with(inputs, outputs(3, kThreeRows, e2e::kEnded)));
  }
}

// The last answer needs no line end: it is still read.
TEST(Faults, LastAnswerWithoutLineEnd) {
  ScopedTempDir dir;
  const Folder inputs = with(kDiraxFiles, {{"three.lst", file(list_of(kThreeEntries))}});
  make_folder(dir, inputs);
  std::string typed = answers("three.lst");
  typed.pop_back();
  const auto run = e2e::run_korvex(dir, typed);
  e2e::expect_console(e2e::join({e2e::dialogue(), e2e::final_message(), e2e::offers()}), run.out);
  EXPECT_EQ(0, run.exit_status);
  expect_folder(dir, with(inputs, outputs(3, kThreeRows, e2e::kEnded)));
}

// --- Broken DIRAX files -------------------------------------------------------------

// Each file below is listed at 100.0 K alone. Bytes that the scanner skips have
// no effect; a NUL byte is a character like any other (in a number it cannot
// belong there: a warning, read as 0); nothing after a 0x1A is read. The run
// goes to its end with the row and points of what was read.
TEST(Faults, DiraxFilesWithBrokenBytes) {
  const std::string input_cell =
      "   {Input cell  a=   5.43210  b=   5.43210  c=  12.34560  alpha=   90.000  beta=   90.000  "
      "gamma=  120.000 }";
  const std::string conventional =
      "Conventional : a=   5.43210  b=   9.40868  c=  12.34560  alpha=   90.000  beta=   90.000  "
      "gamma=   90.000   P";
  const std::string volume = "Volume :    315.4321 ; System: hexagonal ;";
  const std::string ten_megabytes(10 * 1024 * 1024, 'x');

  // What those three lines give, and what is left of it when some are cut short.
  const e2e::Expected& whole = e2e::k100KInput;
  e2e::Expected nul_in_system = whole;
  nul_in_system.row = whole.row.substr(0, 93) + std::string("hexa\0gonal", 10) + "     P";
  e2e::Expected nul_in_a = whole;
  nul_in_a.row.replace(6, 12, "     5.40321");
  nul_in_a.points[0] = "100.00             5.40321";
  e2e::Expected no_volume = whole;  // nor crystal system nor lattice
  no_volume.row.replace(78, 31, "        0.000" + std::string(18, ' '));
  no_volume.points[6] = "100.00             0.00000";

  struct Case {
    std::string name;
    std::string bytes;
    const e2e::Expected* entry;
    Lines warnings = {};  // shown before the final message
  };
  const Case cases[] = {
      {"no line end at the end", e2e::lf({"DIRAX", input_cell, conventional}) + volume, &whole},
      {"NUL bytes in skipped lines and before a keyword",
       e2e::lf({std::string("\0\0\0", 3), std::string("\0{Input cell a= 1 b= 2 }", 24), input_cell,
                conventional, std::string("Indexed\0:", 9), volume}),
       &whole},
      {"a NUL byte in the crystal-system name",
       e2e::lf({input_cell, conventional,
                std::string("Volume :    315.4321 ; System: hexa\0gonal ;", 43)}),
       &nul_in_system},
      {"a NUL byte in a number",
       e2e::lf({std::string("{Input cell  a=   5.4\0"
                            "321  b=   5.43210  c=  12.34560  alpha=   90.000  "
                            "beta=   90.000  gamma=  120.000 }",
                            105),
                conventional, volume}),
       &nul_in_a,
       e2e::shown(" !! Warning: the character \"\\x00\" cannot belong to a number, read as 0, in "
                  "\"5.4\\x00321\" on line 1 of cell.out")},
      {"a line of 10 MB before and after the cell",
       e2e::lf({ten_megabytes, input_cell, conventional, volume, ten_megabytes}), &whole},
      {"a line of 10 MB without line end at the end",
       e2e::lf({input_cell, conventional, volume}) + ten_megabytes, &whole},
      {"0x1A in the middle of a line ends the data",
       e2e::lf({input_cell, "   Indexed : 1388\x1A of 1400", conventional, volume}), &no_volume},
      {"0x1A with CR LF lines",
       testutil::crlf({input_cell, conventional, volume}) + "\x1A" + testutil::crlf({input_cell}),
       &whole},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(109U, c.entry->row.size());
    ScopedTempDir dir;
    const Folder inputs = {{"one.lst", file(e2e::lf({kTitle, "file  T(K)", "cell.out  100.0"}))},
                           {"cell.out", file(c.bytes)}};
    make_folder(dir, inputs);
    const auto run = e2e::run_korvex(dir, answers("one.lst"));
    e2e::expect_console(
        e2e::join({e2e::dialogue(), c.warnings, e2e::final_message(), e2e::offers()}), run.out);
    EXPECT_EQ(c.warnings.empty() ? 0 : 4, run.exit_status);
    expect_folder(dir, with(inputs, outputs(1, {c.entry}, e2e::kEnded)));
  }
}

// --- A long buffer file -------------------------------------------------------------

// 100 000 entries over three DIRAX files: every entry gives its row and its
// points, in list order, and every plot file declares 100 000 points.
TEST(Faults, BufferFileOfHundredThousandEntries) {
  constexpr int kEntries = 100000;
  Lines entries;
  std::vector<const e2e::Expected*> rows;
  for (int i = 0; i < kEntries; ++i) {
    entries.push_back(kThreeEntries[static_cast<std::size_t>(i % 3)]);
    rows.push_back(kThreeRows[static_cast<std::size_t>(i % 3)]);
  }
  ScopedTempDir dir;
  const Folder inputs = with(kDiraxFiles, {{"long.lst", file(list_of(entries))}});
  make_folder(dir, inputs);
  const auto run = e2e::run_korvex(dir, answers("long.lst"));
  e2e::expect_console(e2e::join({e2e::dialogue(), e2e::final_message(), e2e::offers()}), run.out);
  EXPECT_EQ(0, run.exit_status);
  expect_folder(dir, with(inputs, outputs(kEntries, rows, e2e::kEnded)));
}

}  // namespace
