// --range: what it accepts, the points it fits, and every report naming the
// points it left out.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "expansion/series_range.h"
#include "test_util.h"

namespace {

using testutil::run_program;
using testutil::ScopedTempDir;

TEST(ExpansionRange, ReadAsLowColonHigh) {
  const struct {
    const char* text;
    const char* read;  // as range_text writes it back; "" for a refusal
  } cases[] = {{"95:170", "95:170"}, {":300", ":300"},      {"1.5e2:", "150:"},
               {"-1:2", "-1:2"},     {"170:95", ""},        {":", ""},
               {"95", ""},           {"0x10:20", ""},       {"1:2:3", ""},
               {"nan:2", ""},        {"100:100", "100:100"}};
  for (const auto& c : cases) {
    const auto r = expansion::parse_range(c.text);
    EXPECT_EQ(std::string(c.read), r ? expansion::range_text(*r) : std::string()) << c.text;
  }
}

// A series that is a line in T from 100 K to 250 K and turns at 300 K: the
// range that leaves the last two points out gives the line's coefficient.
TEST(ExpansionRange, FitsThePointsWithinAndNamesThoseLeftOut) {
  ScopedTempDir dir;
  std::string table = "# T a b c alpha beta gamma\n";
  for (const int t : {100, 150, 200, 250, 300, 350}) {
    const double a = t <= 250 ? 5 * (1 + 2e-5 * (t - 100)) : 5.02 - 1e-4 * (t - 250);
    table += std::to_string(t) + " " + std::to_string(a) + " 6 7 90 90 90\n";
  }
  testutil::write_file(dir.file("t.txt"), table);
  const auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), EXPANSION_BIN);
    args.push_back("t.txt");
    return run_program(args, dir.path(), "");
  };
  const auto text = run({"--range", ":260", "--strain", "lagrangian", "--infinitesimal"});
  EXPECT_EQ(0, text.exit_status) << text.err;
  EXPECT_NE(std::string::npos,
            text.out.find(" Range      : --range :260, 2 points left out: 300 K (t.txt:line 6),"
                          " 350 K (t.txt:line 7)\n"))
      << text.out;
  const auto json = nlohmann::json::parse(
      run({"--range", ":260", "--strain", "lagrangian", "--infinitesimal", "--format", "json"})
          .out);
  EXPECT_EQ(4, json["points"].get<int>());
  EXPECT_NEAR(20, json["axes"][2]["alpha"].get<double>(), 1e-6);
  EXPECT_TRUE(json["range"]["low"].is_null());
  EXPECT_EQ(350, json["range"]["left_out"][1]["T"].get<double>());
  run({"--range", "120:", "--html", "p.html"});
  EXPECT_NE(std::string::npos, testutil::read_file(dir.file("p.html"))
                                   .find("<dt>Range</dt><dd>--range 120:, 1 point left out: "
                                         "100 K (t.txt:line 2)</dd>"));
  const auto few = run({"--range", "310:"});
  EXPECT_EQ(1, few.exit_status);
  EXPECT_EQ(
      "korvex-expansion: t.txt: --range 310: holds 1 point of 6 (the series runs from 100 K "
      "to 350 K); a fit needs 2 at least\n",
      few.err);
}

}  // namespace
