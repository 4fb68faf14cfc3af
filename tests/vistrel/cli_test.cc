// The viewer as korvex runs it: the built program on files in a temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

// A bound on the viewer's memory, so that a runaway shows as a failure; under
// AddressSanitizer, whose shadow memory needs terabytes of address space, the
// bound is left out (the sanitizer's own allocation limit still holds).
#if defined(__SANITIZE_ADDRESS__)
const std::string kMemoryLimit = "true";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
const std::string kMemoryLimit = "true";
#else
const std::string kMemoryLimit = "ulimit -v";
#endif
#else
const std::string kMemoryLimit = "ulimit -v";
#endif

using testutil::run_program;

const std::vector<std::string> kGoodFile = {
    "# MAIN LEGEND TEXT: Made-up crystal, cooling series",
    "# X LEGEND TEXT   : Temperature (K)",
    "# Y LEGEND TEXT   : a unit cell parameter (A)",
    "#   TK              a(A)",
    "# NUMBER OF PATTERNS: 1",
    "#--------------------------------------------------",
    "# >>>>>>>> PATTERN #: 1",
    "#             TITLE : a(A)=f(T)",
    "#  NUMBER OF POINTS :        4",
    "#            MARKER : 1",
    "#              SIZE : 2",
    "#   DATA: X Y",
    "100.00             5.01000",
    "200.00             5.02000",
    "300.00             5.03000",
    "# END OF FILE",
};

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(Vistrel, GoodFileGivesSummaryAndPicture) {
  testutil::ScopedTempDir dir;
  testutil::write_file(dir.file("TK_cell_a.pgf"), testutil::crlf(kGoodFile));
  const auto r = run_program({VISTREL_BIN, "TK_cell_a.pgf"}, dir.path(), "\n",
                             {{"LC_ALL", ""}, {"LC_CTYPE", ""}, {"LANG", "C"}});
  EXPECT_EQ(0, r.exit_status) << r.err;
  EXPECT_EQ("", r.err);
  // Not a terminal: no plot, but the summary with the legends.
  EXPECT_TRUE(has(r.out, " Made-up crystal, cooling series\n")) << r.out;
  EXPECT_TRUE(has(r.out, " Points shown      : 3 of 4 declared\n")) << r.out;
  EXPECT_TRUE(has(r.out, "a = 5.00000 + 1.00000e-04 * T")) << r.out;
  EXPECT_TRUE(
      has(r.out, "1.9920e-05 1/K = 19.920 x 10^-6/K (slope of ln(a/a_ref), a_ref at 100.00 K)"))
      << r.out;
  EXPECT_TRUE(has(r.out, " Note: 4 points declared, 3 rows read")) << r.out;
  EXPECT_TRUE(has(r.out, " Value range       : 5.01 to 5.03 A, mean 5.02\n")) << r.out;
  EXPECT_TRUE(has(r.out, " SVG picture written to TK_cell_a.svg\n")) << r.out;
  EXPECT_TRUE(has(r.out, "Press Enter to return")) << r.out;
  EXPECT_FALSE(has(r.out, "\u2502")) << r.out;  // no axis drawn
  const std::string svg = testutil::read_file(dir.file("TK_cell_a.svg"));
  EXPECT_TRUE(has(svg, "<circle class=\"point\"")) << svg;
  EXPECT_FALSE(testutil::file_exists(dir.file("TK_cell_a.svg.tmp")));
}

TEST(Vistrel, PlantedSymlinkAtTheTemporaryNameIsNotFollowed) {
  testutil::ScopedTempDir dir;
  testutil::write_file(dir.file("TK_cell_a.pgf"), testutil::crlf(kGoodFile));
  testutil::write_file(dir.file("victim"), "precious");
  ASSERT_EQ(0, symlink("victim", dir.file("TK_cell_a.svg.tmp").c_str()));
  const auto r = run_program({VISTREL_BIN, "TK_cell_a.pgf"}, dir.path(), "\n");
  EXPECT_EQ(0, r.exit_status) << r.err;
  EXPECT_EQ("precious", testutil::read_file(dir.file("victim")));
  struct stat st {};
  ASSERT_EQ(0, lstat(dir.file("TK_cell_a.svg").c_str(), &st));
  EXPECT_TRUE(S_ISREG(st.st_mode));
  ASSERT_EQ(0, lstat(dir.file("TK_cell_a.svg.tmp").c_str(), &st));
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

// Parses an SVG file with a real XML parser: "" when it is well-formed, the
// parser's complaint otherwise; nullopt when no parser is installed.
std::optional<std::string> xml_complaint(const std::string& path) {
  const auto r = run_program(
      {"/bin/sh", "-c",
       "if command -v xmllint >/dev/null; then exec xmllint --noout \"$0\"; "
       "elif command -v python3 >/dev/null; then "
       "exec python3 -c 'import sys, xml.dom.minidom as m; m.parse(sys.argv[1])' \"$0\"; "
       "else exit 77; fi",
       path},
      ".", "");
  if (r.exit_status == 77) return std::nullopt;
  return r.exit_status == 0 ? "" : r.err + " (status " + std::to_string(r.exit_status) + ")";
}

std::vector<std::string> with_rows(std::vector<std::string> lines, const std::string& main_legend,
                                   const std::vector<std::string>& rows) {
  lines[0] = "# MAIN LEGEND TEXT: " + main_legend;
  lines.erase(lines.begin() + 12, lines.end());
  lines.insert(lines.end(), rows.begin(), rows.end());
  lines.emplace_back("# END OF FILE");
  return lines;
}

// Input that once hung the viewer, exhausted its memory or gave a picture no
// XML reader accepts: each gives a summary, exit 0 and a well-formed picture.
TEST(Vistrel, HostileFilesGiveAWellFormedPicture) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"range too narrow for a tick step",
       with_rows(kGoodFile, "tiny", {"100.00 -5e-324", "200.00 5e-324"})},
      {"characters XML forbids in the title",
       with_rows(kGoodFile,
                 "bad \xEF\xBF\xBE \xEF\xBF\xBF \x01\x1b[2J\x7f Latin-1 \xC5\x85\x9f end",
                 {"100.00             5.01000", "200.00             5.02000"})},
  };
  for (const Case& c : cases) {
    testutil::ScopedTempDir dir;
    testutil::write_file(dir.file("TK_cell_a.pgf"), testutil::crlf(c.lines));
    // Bounded memory, so that a runaway shows as a failure, not a stalled machine.
    const auto r = run_program(
        {"/bin/sh", "-c", kMemoryLimit + " 1000000; exec \"$0\" TK_cell_a.pgf", VISTREL_BIN},
        dir.path(), "\n");
    EXPECT_EQ(0, r.exit_status) << c.name << ": " << r.err;
    EXPECT_TRUE(has(r.out, " SVG picture written to TK_cell_a.svg\n")) << c.name << r.out;
    const auto complaint = xml_complaint(dir.file("TK_cell_a.svg"));
    if (!complaint) GTEST_SKIP() << "neither xmllint nor python3 is installed to parse the SVG";
    EXPECT_EQ("", *complaint) << c.name;
  }
}

// A terminal that reports no size, and a huge one in the environment, as
// `script` gives when it runs without a terminal of its own.
TEST(Vistrel, HugeTerminalSizeIsClamped) {
  if (access("/usr/bin/script", X_OK) != 0) GTEST_SKIP() << "util-linux script is not installed";
  testutil::ScopedTempDir dir;
  testutil::write_file(dir.file("TK_cell_a.pgf"), testutil::crlf(kGoodFile));
  const auto r = run_program(
      {"/usr/bin/script", "-qec", std::string(VISTREL_BIN) + " TK_cell_a.pgf", "/dev/null"},
      dir.path(), "\n",
      {{"COLUMNS", "100000"}, {"LINES", "100000"}, {"LANG", "C"}, {"NO_COLOR", "1"}});
  EXPECT_EQ(0, r.exit_status) << r.err;
  const auto lines = testutil::split_lines(r.out);
  EXPECT_GE(lines.size(), 400u);  // a plot was drawn, as tall as the clamp allows
  EXPECT_LE(lines.size(), 510u);
  for (const std::string& line : lines) ASSERT_LE(line.size(), 1001u);
}

TEST(Vistrel, SvgOnlyWritesEachPictureWithoutShowingOrWaiting) {
  testutil::ScopedTempDir dir;
  testutil::write_file(dir.file("TK_cell_a.pgf"), testutil::crlf(kGoodFile));
  testutil::write_file(dir.file("TK_volume.pgf"), testutil::crlf(with_rows(kGoodFile, "x", {})));
  const auto r =
      run_program({VISTREL_BIN, "--svg-only", "TK_cell_a.pgf", "TK_volume.pgf", "TK_cell_b.pgf"},
                  dir.path(), "");
  EXPECT_EQ(1, r.exit_status);
  EXPECT_EQ(" SVG picture written to TK_cell_a.svg\n", r.out);
  EXPECT_EQ(
      "vistrel: TK_volume.pgf: no point to plot, so no SVG picture\n"
      "vistrel: TK_cell_b.pgf: cannot open the file: No such file or directory\n",
      r.err);
  EXPECT_TRUE(has(testutil::read_file(dir.file("TK_cell_a.svg")), "</svg>\n"));
  EXPECT_FALSE(testutil::file_exists(dir.file("TK_volume.svg")));
}

TEST(Vistrel, EndOfInputEndsTheWait) {
  testutil::ScopedTempDir dir;
  testutil::write_file(dir.file("TK_cell_a.pgf"), testutil::crlf(kGoodFile));
  // No typed line at all: the viewer must not hang.
  EXPECT_EQ(0, run_program({VISTREL_BIN, "TK_cell_a.pgf"}, dir.path(), "").exit_status);
}

TEST(Vistrel, MissingOrMalformedFileIsExit1WithAMessage) {
  testutil::ScopedTempDir dir;
  std::vector<std::string> bad = kGoodFile;
  bad[13] = "200.00             5.0x000";
  testutil::write_file(dir.file("bad.pgf"), testutil::crlf(bad));
  // A FIFO with no writer would hold an open that waits.
  ASSERT_EQ(0, mkfifo(dir.file("fifo.pgf").c_str(), 0600));
  struct Case {
    const char* file;
    const char* message;
  };
  for (const Case& c :
       {Case{"TK_cell_b.pgf", "vistrel: TK_cell_b.pgf: cannot open the file: No such"},
        Case{"bad.pgf", "vistrel: bad.pgf, line 14: data row |200.00"},
        Case{"/dev/zero", "vistrel: /dev/zero: not a regular file"},
        Case{"fifo.pgf", "vistrel: fifo.pgf: not a regular file"}}) {
    // Bounded memory, so that a runaway read shows as a failure.
    const auto r = run_program(
        {"/bin/sh", "-c", kMemoryLimit + " 1500000; exec \"$0\" \"$1\"", VISTREL_BIN, c.file},
        dir.path(), "\n");
    EXPECT_EQ(1, r.exit_status) << c.file;
    EXPECT_TRUE(has(r.err, c.message)) << r.err;
    EXPECT_FALSE(testutil::file_exists(dir.file("bad.svg")));
  }
}

TEST(Vistrel, PictureThatCannotBeWrittenStillShowsThePlot) {
  testutil::ScopedTempDir dir;
  testutil::write_file(dir.file("TK_volume.pgf"), testutil::crlf(kGoodFile));
  // A folder where the picture belongs cannot be replaced, even by root.
  ASSERT_EQ(0, mkdir(dir.file("TK_volume.svg").c_str(), 0755));
  const auto r = run_program({VISTREL_BIN, "TK_volume.pgf"}, dir.path(), "\n");
  EXPECT_EQ(1, r.exit_status);
  EXPECT_TRUE(has(r.err, "vistrel: cannot write the SVG picture TK_volume.svg: Is a directory"))
      << r.err;
  EXPECT_TRUE(has(r.out, " Points shown      : 3 of 4 declared\n")) << r.out;
  EXPECT_TRUE(has(r.out, "Press Enter to return")) << r.out;
}

TEST(Vistrel, CommandLine) {
  testutil::ScopedTempDir dir;
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* out;
    const char* err;
  };
  const std::vector<Case> cases = {
      {{"--help"}, 0, "usage: vistrel [picture options] FILE.pgf", ""},
      {{"-h"}, 0, "usage: vistrel [picture options] FILE.pgf", ""},
      {{"--size", "10x10", "a.pgf"}, 2, "", "vistrel: --size takes WIDTHxHEIGHT"},
      {{"--version"}, 0, "vistrel ", ""},
      {{"-V"}, 0, "vistrel ", ""},
      {{"-x"}, 2, "", "vistrel: invalid option -- 'x'\nTry 'vistrel --help'.\n"},
      {{"--svg-only"}, 2, "", "vistrel: no plot file named\nTry 'vistrel --help'.\n"},
      {{"--svg-only", "--colour", "a.pgf"}, 2, "", "vistrel: unrecognized option '--colour'\n"},
      {{}, 2, "", "vistrel: no plot file named\n"},
      {{"a.pgf", "b.pgf"}, 2, "", "vistrel: one plot file at a time (--svg-only takes several)\n"},
      {{"--", "-odd.pgf"}, 1, "", "vistrel: -odd.pgf: cannot open"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> argv = {VISTREL_BIN};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const auto r = run_program(argv, dir.path(), "");
    EXPECT_EQ(c.status, r.exit_status) << (c.args.empty() ? "(none)" : c.args[0]);
    EXPECT_TRUE(has(r.out, c.out)) << r.out;
    EXPECT_TRUE(has(r.err, c.err)) << r.err;
  }
}

}  // namespace
