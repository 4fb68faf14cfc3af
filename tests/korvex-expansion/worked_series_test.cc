// korvex-expansion on a monoclinic and a triclinic series worked independently
// of the program: worked/worked_series.py wrote both tables (temperatures such
// as 100.45 K, in both of korvex's headers) and, from the textbook definitions,
// what each run gives (worked/expected.txt, its printed output). Each strain
// measure, with the reference at the first point, in mid-series and at the
// median point (a Lagrangian direction carried into the median cell): every
// strain at every point, each axis's coefficient, [uvw] and angles to a, b and
// c, the volumes and their coefficient.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

const std::string kWorked = TESTS_DIR "/korvex-expansion/worked";

// The coefficients of expected.txt are slopes divided by the fitted line's
// value at the reference temperature, as korvex-expansion divides them.
constexpr double kCoefficientTolerance = 1e-9;  // relative

struct ExpectedRun {
  std::vector<std::string> args;                      // the table, the measure, the reference
  std::map<std::string, std::vector<double>> values;  // "X1", "X1_strains", ..., "V"
};

std::vector<ExpectedRun> expected_runs() {
  std::vector<ExpectedRun> runs;
  std::istringstream lines(testutil::read_file(kWorked + "/expected.txt"));
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string key;
    words >> key;
    if (key == "run") {
      runs.emplace_back();
      for (std::string w; words >> w;) runs.back().args.push_back(w);
      continue;
    }
    std::vector<double>& values = runs.back().values[key];
    for (double v; words >> v;) values.push_back(v);
  }
  return runs;
}

void expect_near_all(const std::vector<double>& want, const nlohmann::json& got, double tolerance,
                     const std::string& what) {
  ASSERT_EQ(want.size(), got.size()) << what;
  for (std::size_t i = 0; i < want.size(); ++i)
    EXPECT_NEAR(want[i], got[i].get<double>(), tolerance) << what << " [" << i << "]";
}

TEST(ExpansionWorked, MonoclinicAndTriclinicSeries) {
  const std::vector<ExpectedRun> runs = expected_runs();
  ASSERT_EQ(9U, runs.size());
  for (const ExpectedRun& run : runs) {
    const std::string& file = run.args.at(0);
    const std::string& measure = run.args.at(1);
    const std::string& reference = run.args.at(2);
    SCOPED_TRACE(file + " " + measure + " reference " + reference);
    std::vector<std::string> argv = {EXPANSION_BIN, "--format", "json"};
    if (measure.starts_with("lagrangian")) argv.push_back("--lagrangian");
    if (measure.ends_with("infinitesimal")) argv.push_back("--infinitesimal");
    if (reference != "-") argv.insert(argv.end(), {"--reference", reference});
    argv.push_back(file);
    const auto r = testutil::run_program(argv, kWorked, "");
    ASSERT_EQ(0, r.exit_status) << r.err;
    const nlohmann::json got = nlohmann::json::parse(r.out);
    EXPECT_EQ(measure, got["strain"]);
    if (reference != "-") {
      EXPECT_EQ(std::stod(reference), got["reference_temperature"]);
    }

    for (std::size_t k = 0; k < 3; ++k) {
      const std::string axis = "X" + std::to_string(k + 1);
      // alpha, u v w, the angles (which acos gives to ~1e-6 degrees near 0)
      const std::vector<double>& want = run.values.at(axis);
      const nlohmann::json& x = got["axes"][k];
      EXPECT_NEAR(want[0], x["alpha"], kCoefficientTolerance * std::fabs(want[0])) << axis;
      expect_near_all({want.begin() + 1, want.begin() + 4}, x["uvw"], 1e-9, axis + " uvw");
      expect_near_all({want.begin() + 4, want.end()}, x["angles"], 1e-5, axis + " angles");
      expect_near_all(run.values.at(axis + "_strains"), x["strains"], 1e-12, axis + " strains");
    }
    const std::vector<double>& volume = run.values.at("V");  // alpha, the volumes
    EXPECT_NEAR(volume[0], got["volume"]["alpha"], kCoefficientTolerance * volume[0]);
    expect_near_all({volume.begin() + 1, volume.end()}, got["volume"]["values"], 1e-9, "volumes");
  }
  const auto text =
      testutil::run_program({EXPANSION_BIN, "--reference", "250.35", "monoclinic.xy"}, kWorked, "");
  EXPECT_NE(
      std::string::npos,
      text.out.find(" Points     : 7, 100.45 K to 281.05 K, reference point 250.35 K (row 6)\n"))
      << text.out;
}

}  // namespace
