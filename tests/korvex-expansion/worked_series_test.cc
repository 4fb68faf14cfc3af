// korvex-expansion on a monoclinic and a triclinic series worked independently
// of the program: worked/worked_series.py wrote both tables (temperatures such
// as 100.45 K, in both of korvex's headers) and, from the textbook definitions,
// what each run gives (worked/expected.json, its printed output). Each strain
// measure, with the reference at the first point, in mid-series and at the
// median point (a Lagrangian direction carried into the median cell): every
// strain at every point, each axis's coefficient, [uvw] and angles to a, b and
// c, the volumes and their coefficient.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <numbers>
#include <regex>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

const std::string kWorked = TESTS_DIR "/korvex-expansion/worked";

// The coefficients of expected.json are slopes divided by the fitted line's
// value at the reference temperature, as korvex-expansion divides them.
constexpr double kCoefficientTolerance = 1e-9;  // relative

void expect_near_all(const nlohmann::json& want, const nlohmann::json& got, double tolerance,
                     const std::string& what) {
  ASSERT_EQ(want.size(), got.size()) << what;
  for (std::size_t i = 0; i < want.size(); ++i)
    EXPECT_NEAR(want[i].get<double>(), got[i].get<double>(), tolerance) << what << " [" << i << "]";
}

TEST(ExpansionWorked, MonoclinicAndTriclinicSeries) {
  const auto runs = nlohmann::json::parse(testutil::read_file(kWorked + "/expected.json"));
  ASSERT_EQ(9U, runs.size());
  for (const nlohmann::json& want : runs) {
    const std::string file = want["file"], measure = want["strain"];
    SCOPED_TRACE(file + " " + measure + " reference " + want["reference"].dump());
    std::vector<std::string> argv = {EXPANSION_BIN, "--format", "json"};
    if (measure.starts_with("lagrangian")) argv.push_back("--lagrangian");
    if (measure.ends_with("infinitesimal")) argv.push_back("--infinitesimal");
    if (!want["reference"].is_null())
      argv.insert(argv.end(), {"--reference", want["reference"].dump()});
    argv.push_back(file);
    const auto r = testutil::run_program(argv, kWorked, "");
    ASSERT_EQ(0, r.exit_status) << r.err;
    const nlohmann::json got = nlohmann::json::parse(r.out);
    EXPECT_EQ(measure, got["strain"]);
    EXPECT_EQ(want["reference_temperature"], got["reference_temperature"]);
    EXPECT_EQ(want["median_temperature"], got["median_temperature"]);
    for (std::size_t k = 0; k < 3; ++k) {
      const std::string axis = "X" + std::to_string(k + 1);
      const nlohmann::json &w = want["axes"][k], &x = got["axes"][k];
      const double alpha = w["alpha"];
      EXPECT_NEAR(alpha, x["alpha"], kCoefficientTolerance * std::fabs(alpha)) << axis;
      expect_near_all(w["uvw"], x["uvw"], 1e-9, axis + " uvw");
      // acos gives an angle near 0 to ~1e-6 degrees only.
      expect_near_all(w["angles"], x["angles"], 1e-5, axis + " angles");
      expect_near_all(w["strains"], x["strains"], 1e-12, axis + " strains");
    }
    const double alpha = want["volume"]["alpha"];
    EXPECT_NEAR(alpha, got["volume"]["alpha"], kCoefficientTolerance * alpha);
    expect_near_all(want["volume"]["values"], got["volume"]["values"], 1e-9, "volumes");
  }
  const auto text =
      testutil::run_program({EXPANSION_BIN, "--reference", "250.35", "monoclinic.xy"}, kWorked, "");
  EXPECT_NE(
      std::string::npos,
      text.out.find(" Points     : 7, 100.45 K to 281.05 K, reference point 250.35 K (row 6)\n"))
      << text.out;
}

// The indicatrix's section through the two axes in the a-c plane of the
// monoclinic series shows a and c whole, drawn beta apart (105.357 degrees at
// the median point, 190.25 K).
TEST(ExpansionWorked, IndicatrixDrawsTheCrystalAxesAsTheyStand) {
  testutil::ScopedTempDir dir;
  ASSERT_EQ(0, testutil::run_program({EXPANSION_BIN, "--svg", dir.file("p"), "monoclinic.xy"},
                                     kWorked, "")
                   .exit_status);
  const std::string svg = testutil::read_file(dir.file("p_indicatrix.svg"));
  const std::regex line(
      R"re(<line class="crystal-axis" x1="([-\d.]+)" y1="([-\d.]+)" x2="([-\d.]+)" y2="([-\d.]+)")re");
  std::map<std::string, std::vector<std::pair<double, double>>> sections;  // by centre
  for (std::sregex_iterator m(svg.begin(), svg.end(), line), end; m != end; ++m) {
    const auto at = [&](int i) { return std::stod((*m)[i]); };
    sections[(*m)[1].str() + " " + (*m)[2].str()].emplace_back(at(3) - at(1), at(4) - at(2));
  }
  ASSERT_EQ(3U, sections.size());
  int ac = 0;
  for (const auto& [centre, axes] : sections) {
    if (axes.size() != 2) continue;  // a section through b shows b and parts of a and c
    ++ac;
    const auto [x0, y0] = axes[0];
    const auto [x1, y1] = axes[1];
    const double cosine = (x0 * x1 + y0 * y1) / std::hypot(x0, y0) / std::hypot(x1, y1);
    EXPECT_NEAR(105.357, std::acos(cosine) * 180 / std::numbers::pi, 0.05) << centre;
  }
  EXPECT_EQ(1, ac);
}

}  // namespace
