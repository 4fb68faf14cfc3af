// The seven plot offers at the end of a run. A stand-in `vistrel`, first on
// PATH, records its arguments in a log and tells on the console which file it
// was given and how many of the run's files it found open; a stand-in command
// processor records its arguments when COMSPEC names it.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "e2e/e2e_util.h"
#include "test_util.h"

namespace {

using e2e::Lines;
using testutil::ScopedTempDir;

// Writes the stand-ins into dir/bin; both append to dir/viewer.log.
void install_stand_ins(const ScopedTempDir& dir) {
  const std::string log = dir.file("viewer.log");
  const std::string record_args =
      "for arg in \"$@\"; do printf ' [%s]' \"$arg\"; done; printf '\\n'; } >> '" + log + "'\n";
  e2e::make_files(dir, {{"bin/vistrel",
                         "#!/bin/sh\n"
                         "{ printf 'vistrel'; " +
                             record_args +
                             "open=0\n"
                             "for fd in /proc/$$/fd/*; do\n"
                             "  case \"$(readlink \"$fd\")\" in\n"
                             "    *.lst|*.out|*.xy|*.pgf) open=$((open + 1)) ;;\n"
                             "  esac\n"
                             "done\n"
                             "echo \"  stand-in viewer: $1, $open files of the run open\"\n"},
                        {"bin/comspec", "#!/bin/sh\n{ printf 'comspec'; " + record_args}});
  chmod(dir.file("bin/vistrel").c_str(), 0755);
  chmod(dir.file("bin/comspec").c_str(), 0755);
}

std::map<std::string, std::string> stand_in_path(const ScopedTempDir& dir) {
  const char* path = std::getenv("PATH");
  return {{"PATH", dir.file("bin") + ":" + (path ? path : "/usr/bin:/bin")}};
}

std::string viewer_shows(const std::string& file) {
  return "  stand-in viewer: " + file + ", 0 files of the run open";
}

// The second entry yields no cell, so its DIRAX file is still open on its
// channel during the offers, like the buffer file and the table.
const std::map<std::string, std::string> kRunFiles = {
    {"one.lst", e2e::lf({"Offers", "file  T(K)", "100K.out  100.0", "nocell.out  150"})},
    {"100K.out", e2e::kDirax100K},
    {"nocell.out", e2e::kDiraxNoCell},
};

TEST(Viewer, RepliesDecideEachOffer) {
  struct Case {
    std::string name;
    std::string replies;
    std::vector<int> started;  // indices into the plot files
  };
  const Case cases[] = {
      {"all y", e2e::lf(Lines(7, "y")), {0, 1, 2, 3, 4, 5, 6}},
      {"whole reply compared", e2e::lf({"Y", "n", "  y", "yes", "YES", "y2", "y"}), {0, 2, 6}},
      {"all refused", e2e::lf(Lines(7, "n")), {}},
      // No value keeps the previous reply: nothing yet at the first offer.
      {"comma and slash", e2e::lf({",", "y", ",", "n", "/", "y", ","}), {1, 2, 5, 6}},
      // Blank lines keep the program waiting for the reply.
      {"blank lines", e2e::lf({"", "   ", "y", "", "n", "n", "n", "n", "n", "y"}), {0, 6}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir dir;
    e2e::make_files(dir, kRunFiles);
    install_stand_ins(dir);
    const auto run = e2e::run_korvex(dir, "one.lst\n1\n" + c.replies, stand_in_path(dir));

    Lines console = {"buffer file?", "cell?", "created"};
    Lines log;
    std::size_t next = 0;
    for (int i = 0; i < 7; ++i) {
      const std::string& file = e2e::kPlotFiles[static_cast<std::size_t>(i)];
      console.push_back("offer " + file);
      if (next < c.started.size() && c.started[next] == i) {
        console.push_back(viewer_shows(file));
        log.push_back("vistrel [" + file + "]");
        ++next;
      }
    }
    EXPECT_EQ(console, e2e::told(run.out));
    EXPECT_EQ(0, run.exit_status);
    EXPECT_EQ(e2e::lf(log), testutil::read_file(dir.file("viewer.log")));
  }
}

// COMSPEC names the command processor: it is started with "/c" and the command's
// words; one that cannot be started is not reported.
TEST(Viewer, CommandGoesThroughComspecWhenSet) {
  ScopedTempDir dir;
  e2e::make_files(dir, kRunFiles);
  install_stand_ins(dir);
  auto env = stand_in_path(dir);
  env["COMSPEC"] = dir.file("bin/comspec");
  const std::string replies = e2e::lf({"y", "n", "n", "n", "n", "n", "Y"});
  auto run = e2e::run_korvex(dir, "one.lst\n1\n" + replies, env);
  EXPECT_EQ(e2e::told_to_the_end(), e2e::told(run.out));
  EXPECT_EQ(0, run.exit_status);
  EXPECT_EQ(
      e2e::lf({"comspec [/c] [vistrel] [TK_cell_a.pgf]", "comspec [/c] [vistrel] [TK_volume.pgf]"}),
      testutil::read_file(dir.file("viewer.log")));

  env["COMSPEC"] = dir.file("bin/no-such-processor");
  run = e2e::run_korvex(dir, "one.lst\n1\n" + replies, env);
  EXPECT_EQ(e2e::told_to_the_end(), e2e::told(run.out));
  EXPECT_EQ(0, run.exit_status);
  EXPECT_EQ(
      e2e::lf({"comspec [/c] [vistrel] [TK_cell_a.pgf]", "comspec [/c] [vistrel] [TK_volume.pgf]"}),
      testutil::read_file(dir.file("viewer.log")));
}

// Console input ends after the first reply: every later offer is decided on the
// reply kept, "y"; five failures are shown, the sixth only counted.
TEST(Viewer, EndOfInputDuringTheOffersKeepsTheLastReply) {
  ScopedTempDir dir;
  e2e::make_files(dir, kRunFiles);
  install_stand_ins(dir);
  const auto run = e2e::run_korvex(dir, "one.lst\n1\ny\n", stand_in_path(dir));

  Lines console = {"buffer file?", "cell?", "created"};
  Lines log;
  for (std::size_t i = 0; i < 7; ++i) {
    console.push_back("offer " + e2e::kPlotFiles[i]);
    if (i >= 1 && i <= 5) console = e2e::join({console, e2e::shown(e2e::kConsoleEnd)});
    console.push_back(viewer_shows(e2e::kPlotFiles[i]));
    log.push_back("vistrel [" + e2e::kPlotFiles[i] + "]");
  }
  EXPECT_EQ(console, e2e::told(run.out));
  EXPECT_EQ(8, run.exit_status);
  EXPECT_EQ(e2e::lf(log), testutil::read_file(dir.file("viewer.log")));
}

// Six ends of data in the scan (bare "Volume" lines), then console input ends
// after the first reply: the tenth end of data comes at the fifth offer and ends
// the run; the last two files are not offered.
TEST(Viewer, TenthEndOfDataDuringTheOffersEndsTheRun) {
  ScopedTempDir dir;
  e2e::make_files(dir, {{"one.lst", e2e::lf({"Offers", "file  T(K)", "100K.out  100.0"})},
                        {"100K.out", e2e::lf(Lines(6, "Volume")) + e2e::kDirax100K}});
  install_stand_ins(dir);
  const auto run = e2e::run_korvex(dir, "one.lst\n1\ny\n", stand_in_path(dir));

  Lines console = e2e::join(
      {{"buffer file?", "cell?"}, e2e::repeat(e2e::shown(e2e::kMemoryEnd), 5), {"created"}});
  Lines log;
  for (std::size_t i = 0; i < 4; ++i) {
    console.push_back("offer " + e2e::kPlotFiles[i]);
    console.push_back(viewer_shows(e2e::kPlotFiles[i]));
    log.push_back("vistrel [" + e2e::kPlotFiles[i] + "]");
  }
  console = e2e::join({console, {"offer TK_cell_beta.pgf", e2e::kConsoleEnd, e2e::kTenthEnd}});
  EXPECT_EQ(console, e2e::told(run.out));
  EXPECT_EQ(16, run.exit_status);
  EXPECT_EQ(e2e::lf(log), testutil::read_file(dir.file("viewer.log")));
  // The output files were complete before the offers.
  e2e::expect_outputs(dir, {"100.00"}, e2e::kEnded);
}

#ifdef VISTREL_BIN
// With no other vistrel on PATH the bundled one, installed beside korvex, shows
// the plot and writes its picture beside the plot file.
TEST(Viewer, BundledViewerBesideTheProgramIsFound) {
  ScopedTempDir dir;
  e2e::make_files(dir, kRunFiles);
  const auto run =
      e2e::run_korvex(dir, "one.lst\n1\n" + e2e::lf({"y", "n", "n", "n", "n", "n", "n"}),
                      {{"PATH", "/usr/bin:/bin"}});
  EXPECT_EQ(0, run.exit_status);
  EXPECT_TRUE(testutil::file_exists(dir.file("TK_cell_a.svg")));
  EXPECT_FALSE(testutil::file_exists(dir.file("TK_cell_b.svg")));
  EXPECT_NE(std::string::npos, run.out.find(e2e::offer("TK_volume.pgf")));
}
#endif

}  // namespace
