// korvex-expansion on series worked independently of the program:
// worked/worked_series.py wrote the tables (temperatures such as 100.45 K, in
// both of korvex's headers) and, from the textbook definitions, what each run
// gives (worked/expected.json, its printed output). Each strain measure, with
// the reference at the first point, in mid-series and at the median point (a
// Lagrangian direction carried into the direction point's cell); a series that
// returns to its first temperature; a pair. Every strain at every point, each
// axis's coefficient, [uvw] and angles to a, b and c, the volumes and their
// coefficient, and the point the directions are read at.
#include <gtest/gtest.h>

#include <algorithm>
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

constexpr double kCoefficientTolerance = 1e-9;  // relative

void expect_near_all(const nlohmann::json& want, const nlohmann::json& got, double tolerance,
                     const std::string& what) {
  ASSERT_EQ(want.size(), got.size()) << what;
  for (std::size_t i = 0; i < want.size(); ++i)
    EXPECT_NEAR(want[i].get<double>(), got[i].get<double>(), tolerance) << what << " [" << i << "]";
}

TEST(ExpansionWorked, MonoclinicAndTriclinicSeries) {
  const auto runs = nlohmann::json::parse(testutil::read_file(kWorked + "/expected.json"));
  ASSERT_EQ(14U, runs.size());
  for (const nlohmann::json& want : runs) {
    const std::string file = want["file"], measure = want["strain"];
    SCOPED_TRACE(file + " " + measure + " reference " + want["reference"].dump());
    std::vector<std::string> argv = {EXPANSION_BIN, "--format", "json"};
    argv.insert(argv.end(), {"--strain", measure.substr(0, measure.find('-'))});
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
    EXPECT_EQ(want["direction_temperature"], got["direction_temperature"]);
    double sum = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      const std::string axis = "X" + std::to_string(k + 1);
      const nlohmann::json &w = want["axes"][k], &x = got["axes"][k];
      const double alpha = w["alpha"];
      EXPECT_NEAR(alpha, x["alpha"], kCoefficientTolerance * std::fabs(alpha)) << axis;
      expect_near_all(w["uvw"], x["uvw"], 1e-9, axis + " uvw");
      // acos gives an angle near 0 to ~1e-6 degrees only.
      expect_near_all(w["angles"], x["angles"], 1e-5, axis + " angles");
      expect_near_all(w["strains"], x["strains"], 1e-12, axis + " strains");
      sum += x["alpha"].get<double>();
      // Two points: a secant, whose su is the cells' (these have none).
      if (want["axes"][k]["strains"].size() == 2) {
        EXPECT_TRUE(x["su_fit"].is_null()) << axis;
      }
    }
    // Natural strain: the volume's coefficient is the sum of the axes'.
    if (measure == "natural") {
      EXPECT_NEAR(sum, got["volume"]["alpha"].get<double>(), 1e-9);
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
// monoclinic series (X2 and X3, b being X1) shows a and c whole: each drawn
// along (a.Xh, a.Xv), Xh the section's horizontal axis, Xv its vertical one
// (upwards), the cosines those of the angles the report gives.
TEST(ExpansionWorked, IndicatrixDrawsTheCrystalAxesAsTheyStand) {
  testutil::ScopedTempDir dir;
  const auto r = testutil::run_program(
      {EXPANSION_BIN, "--format", "json", "--svg", dir.file("p"), "monoclinic.xy"}, kWorked, "");
  ASSERT_EQ(0, r.exit_status);
  const nlohmann::json axes = nlohmann::json::parse(r.out)["axes"];
  const std::string svg = testutil::read_file(dir.file("p_indicatrix.svg"));
  const std::regex line(
      R"re(<line class="crystal-axis" x1="([-\d.]+)" y1="([-\d.]+)" x2="([-\d.]+)" y2="([-\d.]+)")re");
  std::map<double, std::vector<std::pair<double, double>>> sections;  // by the centre's x
  for (std::sregex_iterator m(svg.begin(), svg.end(), line), end; m != end; ++m) {
    const auto at = [&](int i) { return std::stod((*m)[i]); };
    const double dx = at(3) - at(1), dy = at(2) - at(4);
    sections[at(1)].emplace_back(dx / std::hypot(dx, dy), dy / std::hypot(dx, dy));
  }
  const auto ac = std::find_if(sections.begin(), sections.end(),
                               [](const auto& s) { return s.second.size() == 2; });
  ASSERT_NE(sections.end(), ac);
  // The horizontal axis is named just right of the section's reach.
  const std::regex label(
      R"re(<text class="axis-label" x="([-\d.]+)"[^>]*"start">X<tspan[^>]*>(\d))re");
  int h = 0;
  for (std::sregex_iterator m(svg.begin(), svg.end(), label), end; m != end; ++m) {
    const double x = std::stod((*m)[1]);
    if (x > ac->first && x < ac->first + 200) h = std::stoi((*m)[2]) - 1;
  }
  ASSERT_TRUE(h == 1 || h == 2) << h;
  const auto cosine = [&](int axis, int crystal) {
    return std::cos(axes[axis]["angles"][crystal].get<double>() * std::numbers::pi / 180);
  };
  for (const int crystal : {0, 2}) {  // a, c
    const std::pair<double, double> want{cosine(h, crystal), cosine(3 - h, crystal)};
    const auto& drawn = ac->second;
    EXPECT_TRUE(std::any_of(drawn.begin(), drawn.end(),
                            [&](const auto& d) {
                              return std::hypot(d.first - want.first, d.second - want.second) <
                                     1e-3;
                            }))
        << "crystal axis "
        << "ac"[crystal / 2] << " (" << want.first << ", " << want.second << ")";
  }
}

}  // namespace
