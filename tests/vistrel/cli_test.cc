// The viewer as korvex runs it: the built program on files in a temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "test_util.h"

namespace {

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
  const auto r = run_program({VISTREL_BIN, "TK_cell_a.pgf"}, dir.path(), "\n");
  EXPECT_EQ(0, r.exit_status) << r.err;
  EXPECT_EQ("", r.err);
  // Not a terminal: no plot, but the summary with the legends.
  EXPECT_TRUE(has(r.out, " Made-up crystal, cooling series\n")) << r.out;
  EXPECT_TRUE(has(r.out, " Points shown      : 3 of 4 declared\n")) << r.out;
  EXPECT_TRUE(has(r.out, "a = 5.00000 + 1.00000e-04 * T")) << r.out;
  EXPECT_TRUE(has(r.out, "1.9920e-05 1/K = 19.920 x 10^-6/K")) << r.out;
  EXPECT_TRUE(has(r.out, " Note: 4 points declared, 3 rows read")) << r.out;
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
  struct Case {
    const char* file;
    const char* message;
  };
  for (const Case& c :
       {Case{"TK_cell_b.pgf", "vistrel: TK_cell_b.pgf: cannot open the file: No such"},
        Case{"bad.pgf", "vistrel: bad.pgf, line 14: data row |200.00"}}) {
    const auto r = run_program({VISTREL_BIN, c.file}, dir.path(), "\n");
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
  EXPECT_EQ(0, r.exit_status);
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
      {{"--help"}, 0, "usage: vistrel FILE.pgf", ""},
      {{"--version"}, 0, "vistrel ", ""},
      {{}, 2, "", "usage: vistrel FILE.pgf"},
      {{"a.pgf", "b.pgf"}, 2, "", "usage: vistrel FILE.pgf"},
      {{"--colour"}, 2, "", "usage: vistrel FILE.pgf"},
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
