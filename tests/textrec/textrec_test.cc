#include "textrec/textrec.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "textrec/memory_files.h"
#include "textrec/unit_util.h"

namespace textrec {
namespace {

using unittest::bar;
using unittest::ends_with;
using unittest::file_records;
using unittest::MemoryRun;
using Lines = std::vector<std::string>;

constexpr int kNotEnded = -1;
const std::string kContinue = "TAKEN TO (STANDARD) CORRECTIVE ACTION, EXECUTION CONTINUING.";
const std::string kEnded = " !! Execution ended.";
const std::string kMemoryEnd = " !! Error: end of data in a read from a memory record";

const Layout& layout_a() {
  static const Layout layout = parse_layout("A");
  return layout;
}

// One end of data: a real read from an empty memory record.
void memory_end_of_data() {
  float x = 1.0F;
  read_free(Source::Memory(""), {Target::Real(&x)});
  EXPECT_EQ(1.0F, x);
}

TEST(ConsoleWrite, OneBlankThenTheTextsBackToBack) {
  MemoryRun run;
  console_write({"  !! ", "x.out", " does not exist !!"});
  EXPECT_EQ("   !! x.out does not exist !!\n", run.out);  // shown at once
  console_write({" "});
  console_write({});
  console_write({"a ", "", " b  "});
  EXPECT_EQ((Lines{"   !! x.out does not exist !!", "  ", " ", " a  b  "}), run.console_lines());
}

TEST(ErrorReport, TenthEndOfDataEndsTheRun) {
  MemoryRun run;
  for (int i = 1; i <= 9; ++i) {
    ASSERT_EQ(kNotEnded, ends_with(memory_end_of_data)) << "failure " << i;
    EXPECT_EQ(kExitError, worst_status());
  }
  // The first five with the continuation line, the sixth to ninth silent.
  Lines expected;
  for (int i = 0; i < 5; ++i) {
    expected.push_back(kMemoryEnd);
    expected.push_back(kContinue);
  }
  EXPECT_EQ(expected, run.console_lines());

  EXPECT_EQ(kExitEnded, ends_with(memory_end_of_data));
  expected.push_back(kMemoryEnd);
  expected.push_back(" !! Execution ended: 10 ends of data in this run.");
  EXPECT_EQ(expected, run.console_lines());
}

TEST(ErrorReport, KindsAreCountedApart) {
  MemoryRun run;
  float x = 0.0F;
  for (int i = 0; i < 6; ++i) read_free(Source::Memory("5.4x21"), {Target::Real(&x)});
  EXPECT_FLOAT_EQ(5.4021F, x);
  EXPECT_EQ(kExitWarning, worst_status());
  for (int i = 0; i < 5; ++i) memory_end_of_data();
  const std::string warning =
      " !! Warning: the character \"x\" cannot belong to a number, read as 0, in a read from a "
      "memory record";
  Lines expected;
  for (int i = 0; i < 5; ++i) expected.insert(expected.end(), {warning, kContinue});
  for (int i = 0; i < 5; ++i) expected.insert(expected.end(), {kMemoryEnd, kContinue});
  EXPECT_EQ(expected, run.console_lines());
  EXPECT_EQ(kExitError, worst_status());
}

// A value echoed in a diagnostic is cut to its first 80 characters.
TEST(ErrorReport, AnEchoedValueIsCutTo80Characters) {
  MemoryRun run;
  float x = 0.0F;
  read_free(Source::Memory("'" + std::string(200, 'q') + "'"), {Target::Real(&x)});
  EXPECT_EQ((Lines{" !! Error: a quoted text given for a number: " + std::string(80, 'q') +
                       "... in a read from a memory record",
                   kContinue}),
            run.console_lines());
}

TEST(ErrorReport, StopGivesTheWorstSeverityReported) {
  struct Case {
    const char* name;
    std::function<void()> failures;
    int at_least;
    int status;
  };
  const Case cases[] = {
      {"clean", [] {}, kExitClean, kExitClean},
      {"clean, asked for 8", [] {}, kExitError, kExitError},
      {"warning",
       [] {
         float x = 0.0F;
         read_free(Source::Memory("1x"), {Target::Real(&x)});
       },
       kExitClean, kExitWarning},
      {"warning, asked for 8",
       [] {
         float x = 0.0F;
         read_free(Source::Memory("1x"), {Target::Real(&x)});
       },
       kExitError, kExitError},
      {"end of data", memory_end_of_data, kExitClean, kExitError},
      {"end of data after a warning",
       [] {
         float x = 0.0F;
         read_free(Source::Memory("1x"), {Target::Real(&x)});
         memory_end_of_data();
       },
       kExitWarning, kExitError},
      {"warning after an end of data",
       [] {
         memory_end_of_data();
         float x = 0.0F;
         read_free(Source::Memory("1x"), {Target::Real(&x)});
       },
       kExitClean, kExitError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryRun run;
    c.failures();
    // The orderly stop itself writes nothing.
    const std::size_t before = run.out.size();
    EXPECT_EQ(c.status, stop_run(c.at_least));
    EXPECT_EQ(before, run.out.size());
  }
}

TEST(ErrorReport, SevereFailureEndsTheRunAtOnce) {
  MemoryRun run;
  EXPECT_EQ(kExitEnded, ends_with([] { report(Failure::kFileSystem, "the disk is on fire"); }));
  EXPECT_EQ((Lines{" !! Severe error: the disk is on fire", kEnded}), run.console_lines());
}

TEST(Channels, OpenOrCreateRefused) {
  struct Case {
    std::function<void()> step;
    std::string diagnostic;
  };
  const Case cases[] = {
      {[] { open_for_reading(2, "missing.out  "); },
       " !! Severe error: cannot open missing.out on channel 2: " + std::string(strerror(ENOENT))},
      {[] { open_for_reading(1, "locked.lst"); },
       " !! Severe error: cannot open locked.lst on channel 1: Permission denied"},
      {[] { create_file(13, "TK_parameters.xy"); },
       " !! Severe error: cannot create TK_parameters.xy on channel 13: Read-only file system"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.diagnostic);
    MemoryRun run;
    run.fs.refuse["locked.lst"] = "Permission denied";
    run.fs.refuse["TK_parameters.xy"] = "Read-only file system";
    EXPECT_EQ(kExitEnded, ends_with(c.step));
    EXPECT_EQ((Lines{c.diagnostic, kEnded}), run.console_lines());
  }
}

TEST(Channels, WriteFailingWhenTheBufferIsWrittenOut) {
  const struct {
    const char* name;
    std::function<void()> step;
  } cases[] = {
      {"close", [] { close_channel(13); }},
      {"flush", [] { flush_channel(13); }},
      {"a write that fills the buffer",
       [] {
         for (int i = 0; i < 2000; ++i) write_formatted(13, layout_a(), {std::string(100, 'r')});
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryRun run;
    run.fs.fail_writes["t.xy"] = "No space left on device";
    create_file(13, "t.xy");
    write_formatted(13, layout_a(), {"a record"});
    EXPECT_EQ(kExitEnded, ends_with(c.step));
    EXPECT_EQ((Lines{" !! Severe error: cannot write channel 13 (t.xy): No space left on device",
                     kEnded}),
              run.console_lines());
  }
}

TEST(Channels, EndRunClosesEveryChannel) {
  MemoryRun run;
  run.fs.files["list.lst"] = "title\r\n";
  open_for_reading(1, "list.lst");
  create_file(13, "TK_parameters.xy");
  create_file(20, "TK_volume.pgf");
  write_formatted(13, layout_a(), {"! table"});
  write_formatted(20, layout_a(), {"# plot"});
  write_formatted(13, layout_a(), {"row"});
  EXPECT_EQ(kExitWarning, end_run(RunEnded{kExitWarning}));
  EXPECT_EQ("! table\r\nrow\r\n", run.fs.files["TK_parameters.xy"]);
  EXPECT_EQ("# plot\r\n", run.fs.files["TK_volume.pgf"]);
  EXPECT_EQ("", run.out);
  // The channels are free again.
  std::string line = blank_text(8);
  EXPECT_LT(0, read_a_with_status(1, line));
  EXPECT_EQ(kExitEnded, ends_with([] { write_formatted(13, layout_a(), {"late"}); }));
}

TEST(Channels, ARecordWhoseLayoutFailsLeavesNothingInTheFile) {
  MemoryRun run;
  create_file(13, "TK_parameters.xy");
  write_formatted(13, parse_layout("F6.2, F12.5"), {295.0f, 5.4321f});
  // The second item does not suit its field: a fault of the program, found
  // after the first field was already laid out.
  EXPECT_THROW(write_formatted(13, parse_layout("F6.2, F12.5"), {100.0f, std::string_view("x")}),
               std::logic_error);
  write_formatted(13, layout_a(), {"next"});
  EXPECT_EQ(kExitClean, end_run(RunEnded{kExitClean}));
  EXPECT_EQ("295.00     5.43210\r\nnext\r\n", run.fs.files["TK_parameters.xy"]);
}

TEST(Channels, AFileReadAfterALongerOneGivesOnlyItsOwnRecords) {
  MemoryRun run;
  run.fs.files["long.out"] = "Volume 1\nVolume 2\nVolume 3\nCell\nVolume 5\n";
  run.fs.files["short.out"] = "Volume 9\nx";
  const LineKeywords volume{"Volume"};
  for (const char* name : {"long.out", "short.out", "long.out"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(open_for_reading_if_exists(2, name));
    std::vector<std::string> records;
    KeywordRecord found;
    while (read_record_starting(2, &found, 256, volume) == kStatusOk)
      records.emplace_back(found.text);
    close_channel(2);
    EXPECT_EQ(std::string(name) == "long.out"
                  ? (Lines{"Volume 1", "Volume 2", "Volume 3", "Volume 5"})
                  : (Lines{"Volume 9"}),
              records);
  }
}

TEST(Channels, EndRunTurnsAFailedCloseIntoSixteen) {
  MemoryRun run;
  run.fs.fail_writes["TK_cell_b.pgf"] = "Input/output error";
  create_file(14, "TK_cell_a.pgf");
  create_file(15, "TK_cell_b.pgf");
  create_file(16, "TK_cell_c.pgf");
  for (const int channel : {14, 15, 16})
    write_formatted(channel, layout_a(), {"# MAIN LEGEND TEXT: "});
  EXPECT_EQ(kExitEnded, end_run(RunEnded{kExitClean}));
  EXPECT_EQ(
      (Lines{" !! Severe error: cannot write channel 15 (TK_cell_b.pgf): Input/output error"}),
      run.console_lines());
  // The channels before and after it are written out all the same.
  EXPECT_EQ("# MAIN LEGEND TEXT: \r\n", run.fs.files["TK_cell_a.pgf"]);
  EXPECT_EQ("# MAIN LEGEND TEXT: \r\n", run.fs.files["TK_cell_c.pgf"]);
}

TEST(Channels, OpeningAChannelClosesItsFileFirst) {
  MemoryRun run;
  run.fs.files["in.lst"] = "first\nsecond\n";
  create_file(2, "out.xy");
  write_formatted(2, layout_a(), {"kept"});
  open_for_reading(2, "in.lst");
  EXPECT_EQ("kept\r\n", run.fs.files["out.xy"]);
  std::string line = blank_text(6);
  read_a(2, line);
  EXPECT_EQ("first ", line);
  create_file(2, "out.xy");  // replaces the file of that name
  close_channel(2);
  EXPECT_EQ("", run.fs.files["out.xy"]);
}

TEST(ReadA, WithAndWithoutStatus) {
  MemoryRun run;
  const std::string long_line(300, 'L');
  run.fs.files["list.lst"] = "short\r\n" + long_line + "\r\n\r\nlast";
  open_for_reading(1, "list.lst");
  std::string text = blank_text(256);
  EXPECT_EQ(0, read_a_with_status(1, text));
  EXPECT_EQ(bar("short" + blank_text(251)), bar(text));
  EXPECT_EQ(0, read_a_with_status(1, text));
  EXPECT_EQ(long_line.substr(0, 256), text);
  read_a(1, text);  // the rest of the long line is not read
  EXPECT_EQ(blank_text(256), text);
  EXPECT_EQ(0, read_a_with_status(1, text));
  EXPECT_EQ(bar("last" + blank_text(252)), bar(text));
  EXPECT_EQ(kStatusEnd, read_a_with_status(1, text));
  EXPECT_EQ("", run.out);
  EXPECT_EQ(bar("last" + blank_text(252)), bar(text));

  read_a(1, text);
  EXPECT_EQ((Lines{" !! Error: end of data in a read from channel 1 (list.lst)", kContinue}),
            run.console_lines());
  EXPECT_EQ(bar("last" + blank_text(252)), bar(text));

  rewind_channel(1);
  read_a(1, text);
  EXPECT_EQ(bar("short" + blank_text(251)), bar(text));

  // A channel that holds no file: a positive status.
  EXPECT_LT(0, read_a_with_status(7, text));

  // From a memory record: its first characters, or padded with blanks.
  std::string system = blank_text(16);
  read_a(" orthorhombic-monoclinic", system);
  EXPECT_EQ(" orthorhombic-mo", system);
  read_a("", system);
  EXPECT_EQ(blank_text(16), system);
}

TEST(ReadFree, FromTheConsole) {
  MemoryRun run("\n   \n  my.lst  other\n\t5.5 ignored\n");
  std::string name = blank_text(64);
  read_free(Source::Console(), {Target::Text(&name)});
  EXPECT_EQ(bar("my.lst" + blank_text(58)), bar(name));
  float x = 0.0F;
  read_free(Source::Console(), {Target::Real(&x)});
  EXPECT_EQ(5.5F, x);
  EXPECT_EQ("", run.out);

  // The end of console input: the target keeps its value.
  read_free(Source::Console(), {Target::Text(&name)});
  EXPECT_EQ(bar("my.lst" + blank_text(58)), bar(name));
  EXPECT_EQ((Lines{" !! Error: end of data in a read from the console", kContinue}),
            run.console_lines());
  EXPECT_EQ(kStatusEnd, read_free_with_status(Source::Console(), {Target::Text(&name)}).status);
  EXPECT_EQ(2U, run.console_lines().size());
}

TEST(ReadFree, FromAChannel) {
  MemoryRun run;
  run.fs.files["list.lst"] = "a.out\r\n 100.5\r\nb.out 12x5\r\n";
  open_for_reading(1, "list.lst");
  std::string name = blank_text(64);
  float t = 0.0F;
  // A line holding only the name: the number comes from the next line.
  EXPECT_EQ(
      0, read_free_with_status(Source::Channel(1), {Target::Text(&name), Target::Real(&t)}).status);
  EXPECT_EQ(bar("a.out" + blank_text(59)), bar(name));
  EXPECT_EQ(100.5F, t);
  // With a status, a character that cannot belong to a number is a failure, not told.
  EXPECT_LT(
      0, read_free_with_status(Source::Channel(1), {Target::Text(&name), Target::Real(&t)}).status);
  EXPECT_EQ("", run.out);
}

TEST(WriteMemory, BlanksTheRecordThenWrites) {
  MemoryRun run;
  std::string command(128, 'x');
  write_memory(command, parse_layout("A, A"), {"vistrel ", "TK_cell_a.pgf"});
  EXPECT_EQ(bar("vistrel TK_cell_a.pgf" + blank_text(107)), bar(command));
  EXPECT_EQ("", run.out);

  // Too long for the memory record: cut, and told.
  std::string small(8, 'x');
  write_memory(small, parse_layout("A, A"), {"vistrel ", "TK_cell_a.pgf"});
  EXPECT_EQ("vistrel ", small);
  const Lines lines = run.console_lines();
  ASSERT_EQ(2U, lines.size());
  EXPECT_EQ(0U, lines[0].rfind(" !! Error: ", 0)) << lines[0];
  EXPECT_EQ(kContinue, lines[1]);
}

TEST(Exists, TrailingBlanksRemovedOnly) {
  MemoryRun run;
  run.fs.files["data.out"] = "";
  run.fs.files[" lead.out"] = "";
  const struct {
    std::string name;
    bool exists;
  } cases[] = {
      {"data.out", true},  {"data.out     ", true}, {" data.out", false},
      {"data", false},     {" lead.out  ", true},   {"", false},
      {"        ", false}, {"data.out\t", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.exists, file_exists(c.name)) << bar(c.name);
}

TEST(ProcessorCommandLine, ComspecThenSlashCThenTheCommand) {
  EXPECT_EQ("C:\\WINDOWS\\system32\\cmd.exe /c vistrel TK_cell_a.pgf",
            processor_command_line("C:\\WINDOWS\\system32\\cmd.exe", "vistrel TK_cell_a.pgf"));
  EXPECT_EQ("/bin/sh /c vistrel TK_volume.pgf",
            processor_command_line("/bin/sh", "vistrel TK_volume.pgf"));
}

}  // namespace
}  // namespace textrec
