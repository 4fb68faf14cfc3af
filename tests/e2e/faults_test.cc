// Faults of the file system and broken input, on the built korvex: for each,
// what the run tells, the exit status, and every entry left in the run folder
// (inputs unchanged, each output with the records it holds and whether it is
// ended, or absent).
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
  enum class Kind { kFile, kFolder, kLink, kOutput };
  Kind kind = Kind::kFile;
  std::string bytes;        // the content of a file, the target of a link
  Lines temperatures = {};  // of an output's data records
  bool ended = false;       // a plot file's end record
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
// An output file with a record at each temperature, a plot file ended or not.
Entry output(Lines temperatures, bool ended) {
  return {Entry::Kind::kOutput, {}, std::move(temperatures), ended};
}

using Folder = std::map<std::string, Entry>;

// Every entry of the run folder, no more and no fewer, each with its bytes or,
// for an output, its records.
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
    if (want.kind == Entry::Kind::kOutput) {
      EXPECT_EQ(static_cast<int>(Entry::Kind::kFile), static_cast<int>(got->second.kind)) << name;
      EXPECT_EQ(want.temperatures, e2e::temperatures_in(dir, name)) << name;
      if (name.ends_with(".pgf")) {
        EXPECT_EQ(want.ended, got->second.bytes.ends_with("\r\n# END OF FILE\r\n")) << name;
      }
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
const Lines kThreeRows = {"100.00", "200.00", "295.15"};

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

// The eight output files of a run, each with a record at each temperature.
Folder outputs(const Lines& temperatures, bool ended) {
  Folder files = {{"TK_parameters.xy", output(temperatures, ended)}};
  for (const std::string& plot : e2e::kPlotFiles) files[plot] = output(temperatures, ended);
  return files;
}

// What a run tells that stops with a severe error after both questions.
Lines severe(const std::string& message) {
  return {"buffer file?", "cell?", " !! Severe error: " + message, " !! Execution ended."};
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

// A plot file or the table that is a link to a device (one always full): no
// output is written to what is no regular file, so the run ends before it
// creates any, with the severe failure's diagnostic and exit 16, and the link
// is left as it was.
TEST(Faults, AnOutputThatLeadsToADeviceIsRefusedBeforeAnyIsCreated) {
  if (!testutil::file_exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this machine";
  const Folder inputs = with(kDiraxFiles, {{"three.lst", file(list_of(kThreeEntries))}});
  const struct {
    const char* name;
    int channel;
  } cases[] = {{"TK_cell_b.pgf", 15}, {"TK_parameters.xy", 13}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir dir;
    make_folder(dir, inputs);
    make_folder(dir, {{c.name, link("/dev/full")}});
    const auto run = e2e::run_korvex(dir, answers("three.lst"));
    EXPECT_EQ(severe(std::string("cannot create ") + c.name + " on channel " +
                     std::to_string(c.channel) + ": not a regular file"),
              e2e::told(run.out));
    EXPECT_EQ(16, run.exit_status);
    expect_folder(dir, with(inputs, {{c.name, link("/dev/full")}}));
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
  EXPECT_EQ(severe("cannot create TK_volume.pgf on channel 20: Operation not permitted"),
            e2e::told(run.out));
  EXPECT_EQ(16, run.exit_status);
  Folder expected = with(inputs, outputs({}, e2e::kNotEnded));
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
  EXPECT_EQ(severe("cannot create TK_parameters.xy on channel 13: Read-only file system"),
            e2e::told(run.out));
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
  EXPECT_EQ(severe("cannot open cells on channel 2: Is a directory"), e2e::told(run.out));
  EXPECT_EQ(16, run.exit_status);
  expect_folder(dir, with(inputs, outputs({"100.00"}, e2e::kNotEnded)));
}

// A buffer-file answer naming a folder passes the existence check; opening it is
// refused, which ends the run before any output file is made.
TEST(Faults, BufferFileThatIsAFolder) {
  ScopedTempDir dir;
  const Folder inputs = with(kDiraxFiles, {{"series", folder()}});
  make_folder(dir, inputs);
  const auto run = e2e::run_korvex(dir, answers("series"));
  EXPECT_EQ(severe("cannot open series on channel 1: Is a directory"), e2e::told(run.out));
  EXPECT_EQ(16, run.exit_status);
  expect_folder(dir, inputs);
}

// --- Console input that ends ------------------------------------------------------

// The console ends after the first k answers, for every k from one to all
// nine (with none, the buffer-file question comes again until the tenth end of
// data: Dialogue.EndOfInputAtBufferFileQuestionEndsTheRunAtTheTenth). At the
// cell choice the input cell is taken; at an offer the plot is not shown. Each
// end of data is an error (8); the first five are shown. Once the buffer file is
// named, the files are complete whatever else is missing.
TEST(Faults, ConsoleInputEndsAtEachQuestion) {
  const Lines all = e2e::join({{"three.lst", "1"}, kRefuseAll});
  const Folder inputs = with(kDiraxFiles, {{"three.lst", file(list_of(kThreeEntries))}});
  std::string input_cell_table;  // with every answer given
  for (std::size_t k = all.size(); k >= 1; --k) {
    SCOPED_TRACE("answers given: " + std::to_string(k));
    ScopedTempDir dir;
    make_folder(dir, inputs);
    const auto run = e2e::run_korvex(dir, e2e::lf(Lines(all.begin(), all.begin() + k)));

    int failures = 0;
    Lines expected = {"buffer file?", "cell?"};
    const auto end_of_data = [&] {
      if (++failures <= 5) expected = e2e::join({expected, e2e::shown(e2e::kConsoleEnd)});
    };
    if (k == 1) end_of_data();
    expected.push_back("created");
    for (std::size_t offer = 0; offer < e2e::kPlotFiles.size(); ++offer) {
      expected.push_back("offer " + e2e::kPlotFiles[offer]);
      if (k < offer + 3) end_of_data();
    }
    EXPECT_EQ(expected, e2e::told(run.out));
    EXPECT_EQ(failures == 0 ? 0 : 8, run.exit_status);
    expect_folder(dir, with(inputs, outputs(kThreeRows, e2e::kEnded)));
    if (k == all.size()) input_cell_table = testutil::read_file(dir.file("TK_parameters.xy"));
    EXPECT_EQ(input_cell_table, testutil::read_file(dir.file("TK_parameters.xy")));
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
  EXPECT_EQ(e2e::told_to_the_end(), e2e::told(run.out));
  EXPECT_EQ(0, run.exit_status);
  expect_folder(dir, with(inputs, outputs(kThreeRows, e2e::kEnded)));
}

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

  // The table row of those three lines, and what is left of it when some are cut short.
  const std::string whole = e2e::k100KInput.row;
  const std::string nul_in_system = whole.substr(0, 93) + std::string("hexa\0gonal", 10) + "     P";
  std::string nul_in_a = whole;
  nul_in_a.replace(6, 12, "     5.40321");
  std::string no_volume = whole;  // nor crystal system nor lattice
  no_volume.replace(78, 31, "        0.000" + std::string(18, ' '));

  struct Case {
    std::string name;
    std::string bytes;
    const std::string* row;
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
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(109U, c.row->size());
    ScopedTempDir dir;
    const Folder inputs = {{"one.lst", file(e2e::lf({kTitle, "file  T(K)", "cell.out  100.0"}))},
                           {"cell.out", file(c.bytes)}};
    make_folder(dir, inputs);
    const auto run = e2e::run_korvex(dir, answers("one.lst"));
    EXPECT_EQ(e2e::told_to_the_end(c.warnings), e2e::told(run.out));
    EXPECT_EQ(c.warnings.empty() ? 0 : 4, run.exit_status);
    expect_folder(dir, with(inputs, outputs({"100.00"}, e2e::kEnded)));
    EXPECT_EQ(Lines{*c.row}, e2e::records_in(dir, "TK_parameters.xy"));
  }
}

// 100 000 entries over three DIRAX files: every entry gives its row and its
// points, in list order, and every plot file declares 100 000 points.
TEST(Faults, BufferFileOfHundredThousandEntries) {
  constexpr int kEntries = 100000;
  Lines entries;
  Lines rows;
  for (int i = 0; i < kEntries; ++i) {
    entries.push_back(kThreeEntries[static_cast<std::size_t>(i % 3)]);
    rows.push_back(kThreeRows[static_cast<std::size_t>(i % 3)]);
  }
  ScopedTempDir dir;
  const Folder inputs = with(kDiraxFiles, {{"long.lst", file(list_of(entries))}});
  make_folder(dir, inputs);
  const auto run = e2e::run_korvex(dir, answers("long.lst"));
  EXPECT_EQ(e2e::told_to_the_end(), e2e::told(run.out));
  EXPECT_EQ(0, run.exit_status);
  expect_folder(dir, with(inputs, outputs(rows, e2e::kEnded)));
  for (const auto& plot : e2e::kPlotFiles)
    EXPECT_EQ(kEntries, e2e::declared_points(dir, plot)) << plot;
}

}  // namespace
