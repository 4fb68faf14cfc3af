// The built korvex-expansion under --pressure on a P-V table, whose points
// give volumes and no cells: the equations of state alone, in every output
// the options ask for, and nothing a point does not give.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "test_util.h"

namespace {

using testutil::run_program;
using testutil::ScopedTempDir;

// A BM3 series (V0 382.17, B0 33, B' 2) rounded to the digits a paper gives,
// with the c length alone.
constexpr const char* kTable =
    "p sigma_p V sigma_V c\n"
    "0.0001 0.0001 382.17 0.03 7.1\n"
    "0.5 0.02 376.55 0.03 7.08\n"
    "1.0 0.02 371.15 0.03 7.05\n"
    "1.5 0.02 365.95 0.03 7.03\n"
    "2.1 0.02 359.95 0.03 7.0\n"
    "2.8 0.02 353.27 0.03 6.98\n"
    "3.6 0.03 346.03 0.03 6.95\n"
    "4.5 0.03 338.38 0.03 6.92\n"
    "5.5 0.04 330.31 0.04 6.9\n";

TEST(ExpansionVolumes, PicturesPageAndJsonOfTheEquationsAlone) {
  ScopedTempDir dir;
  testutil::write_file(dir.file("pv.txt"), kTable);
  const auto r = run_program({EXPANSION_BIN, "--pressure", "--svg", "pv", "--html", "pv.html",
                              "--format", "json", "pv.txt"},
                             dir.path(), "");
  ASSERT_EQ(0, r.exit_status) << r.err;
  EXPECT_NE(std::string::npos, r.err.find("equations of state only, no principal axes")) << r.err;
  for (const char* written : {"pv_volume.svg", "pv_ff.svg", "pv_ellipses.svg", "pv.html"})
    EXPECT_TRUE(testutil::file_exists(dir.file(written))) << written;
  const std::string page = testutil::read_file(dir.file("pv.html"));
  EXPECT_NE(std::string::npos, page.find("data-key=\"eos.bm3.B0\"")) << page.substr(0, 400);
  EXPECT_NE(std::string::npos, page.find("figure-volume"));
  const auto j = nlohmann::json::parse(r.out);
  // One schema: what a series without cells has not is null, never invented.
  for (const char* none : {"strain", "symmetry", "axes", "volume", "draws"})
    EXPECT_TRUE(j[none].is_null()) << none;
  EXPECT_EQ("pressure", j["mode"]);
  EXPECT_EQ(9U, j["pressures_su"].size());
  for (const char* none : {"a", "b", "alpha", "beta", "gamma"})
    EXPECT_TRUE(j["cells"][1][none].is_null()) << none;
  EXPECT_DOUBLE_EQ(7.05, j["cells"][2]["c"].get<double>());
  EXPECT_NEAR(33, j["eos"]["bm3"]["B0"].get<double>(), 0.5);
}

}  // namespace
