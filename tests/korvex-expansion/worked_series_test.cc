// korvex-expansion on series worked independently of the program:
// worked/worked_series.py wrote the tables (temperatures such as 100.45 K, in
// both of korvex's headers) and, from the textbook definitions, what each run
// gives (worked/expected.json, its printed output). Each strain measure, with
// the reference at the first point, in mid-series and at the median point (a
// Lagrangian direction carried into the direction point's cell); a series that
// returns to its first temperature; a pair. Every strain at every point, each
// axis's coefficient, [uvw] and angles to a, b and c, the volumes and their
// coefficient, and the point the directions are read at. The report runs, a
// polynomial or a line at an inner reference, pin every column of the text,
// CSV and JSON.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <numbers>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

const std::string kWorked = TESTS_DIR "/korvex-expansion/worked";

constexpr double kCoefficientTolerance = 1e-9;  // relative

// A temperature as the text report writes it, "%7.2f".
std::string kelvin_text(double t) {
  char text[32];
  std::snprintf(text, sizeof text, "%7.2f", t);
  return text;
}

void expect_near_all(const nlohmann::json& want, const nlohmann::json& got, double tolerance,
                     const std::string& what) {
  ASSERT_EQ(want.size(), got.size()) << what;
  for (std::size_t i = 0; i < want.size(); ++i)
    EXPECT_NEAR(want[i].get<double>(), got[i].get<double>(), tolerance) << what << " [" << i << "]";
}

// The run of korvex-expansion the worked case `want` stands for, its output
// in the given format.
std::string run_worked(const nlohmann::json& want, const std::string& format) {
  const std::string measure = want["strain"];
  std::vector<std::string> argv = {EXPANSION_BIN, "--format", format};
  argv.insert(argv.end(), {"--strain", measure.substr(0, measure.find('-'))});
  if (measure.ends_with("infinitesimal")) argv.push_back("--infinitesimal");
  if (!want["reference"].is_null())
    argv.insert(argv.end(), {"--reference", want["reference"].dump()});
  if (want.contains("fit")) argv.insert(argv.end(), {"--fit", want["fit"]});
  argv.push_back(want["file"]);
  const auto r = testutil::run_program(argv, kWorked, "");
  EXPECT_EQ(0, r.exit_status) << r.err;
  return r.out;
}

nlohmann::json worked_runs() {
  return nlohmann::json::parse(testutil::read_file(kWorked + "/expected.json"));
}

TEST(ExpansionWorked, MonoclinicAndTriclinicSeries) {
  const auto runs = worked_runs();
  ASSERT_EQ(18U, runs.size());
  for (const nlohmann::json& want : runs) {
    const std::string file = want["file"], measure = want["strain"];
    SCOPED_TRACE(file + " " + measure + " reference " + want["reference"].dump());
    const nlohmann::json got = nlohmann::json::parse(run_worked(want, "json"));
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

// A coefficient or standard error in MK^-1 as worked: to 1e-9 of itself for
// a coefficient, 1e-5 for a standard error (from residuals near rounding).
void expect_coefficient(double want, double got, bool su, const std::string& what) {
  EXPECT_NEAR(want, got, (su ? 1e-5 : 1e-9) * std::fabs(want) + 1e-12) << what;
}

// The words of a line of the text report.
std::vector<std::string> words_of(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string word; in >> word;) out.push_back(word);
  return out;
}

// A coefficient as the text writes it, "26.9331(48)", against the worked
// value and su, each to half the last place written; "4.002" alone where the
// su rounds to nothing in three decimals.
void expect_with_su(double value, double su, const std::string& text, const std::string& what) {
  const auto open = text.find('(');
  const std::string number = text.substr(0, open);
  const auto point = number.find('.');
  const int decimals = point == std::string::npos ? 0 : static_cast<int>(number.size() - point - 1);
  const double place = std::pow(10.0, -decimals);
  EXPECT_NEAR(value, std::stod(number), 0.51 * place) << what << ": " << text;
  if (open == std::string::npos) {
    EXPECT_LT(su, 0.0005) << what << ": " << text;
  } else {
    const double written = std::stod(text.substr(open + 1)) * place;
    EXPECT_NEAR(su, written, 0.51 * place) << what << ": " << text;
  }
}

// Each axis and the volume, as `json` holds the worked case: X1, X2, X3, V.
std::vector<nlohmann::json> rows_of(const nlohmann::json& want) {
  return {want["axes"][0], want["axes"][1], want["axes"][2], want["volume"]};
}

void expect_json_report(const nlohmann::json& want, const nlohmann::json& got) {
  for (const char* key : {"fit", "reference_temperature", "median_temperature", "temperatures"})
    EXPECT_EQ(want[key], got[key]) << key;
  const auto got_rows = rows_of(got);
  const auto want_rows = rows_of(want);
  for (std::size_t k = 0; k < 4; ++k) {
    const std::string name = k < 3 ? "X" + std::to_string(k + 1) : "V";
    const nlohmann::json &w = want_rows[k], &x = got_rows[k];
    expect_coefficient(w["alpha"], x["alpha"], false, name + " alpha");
    expect_coefficient(w["su"], x["su"], true, name + " su");
    expect_coefficient(w["su_fit"], x["su_fit"], true, name + " su_fit");
    EXPECT_TRUE(x["su_cells"].is_null()) << name;
    if (want["fit"] == "linear") {
      EXPECT_FALSE(x.contains("alpha_T")) << name;
      continue;
    }
    ASSERT_EQ(w["alpha_T"].size(), x["alpha_T"].size()) << name;
    for (std::size_t i = 0; i < w["alpha_T"].size(); ++i) {
      const std::string at = name + " at " + std::to_string(i);
      expect_coefficient(w["alpha_T"][i], x["alpha_T"][i], false, at);
      expect_coefficient(w["su_T"][i], x["su_T"][i], true, at + " su");
      expect_coefficient(w["su_fit_T"][i], x["su_fit_T"][i], true, at + " su_fit");
    }
    EXPECT_TRUE(x["su_cells_T"].is_null()) << name;
  }
  EXPECT_NEAR(want["volume"]["reference"].get<double>(), got["volume"]["reference"], 1e-9);
}

// Every CSV row: a line's one row per axis, a polynomial's one per axis at
// each temperature.
void expect_csv_report(const nlohmann::json& want, const std::string& csv) {
  const bool line = want["fit"] == "linear";
  const auto lines = testutil::split_lines(testutil::first_table(csv));
  const std::size_t n = line ? 1 : want["temperatures"].size();
  ASSERT_EQ(1 + 4 * n, lines.size()) << csv;
  const auto rows = rows_of(want);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t k = 0; k < 4; ++k) {
      std::vector<std::string> cells;
      std::istringstream in(lines[1 + 4 * i + k]);
      for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
      cells.resize(14);
      const std::string name = k < 3 ? "X" + std::to_string(k + 1) : "V";
      SCOPED_TRACE(lines[1 + 4 * i + k]);
      EXPECT_EQ(name, cells[0]);
      EXPECT_EQ(line ? "" : want["temperatures"][i].dump(), cells[1]);
      const nlohmann::json& w = rows[k];
      expect_coefficient(line ? w["alpha"] : w["alpha_T"][i], std::stod(cells[2]), false, "alpha");
      const double alpha = line ? w["alpha"] : w["alpha_T"][i];
      const double su = line ? w["su"] : w["su_T"][i];
      expect_coefficient(su, std::stod(cells[3]), true, "su");
      expect_coefficient(line ? w["su_fit"] : w["su_fit_T"][i], std::stod(cells[10]), true,
                         "su_fit");
      EXPECT_EQ("", cells[11]) << "su_cells";
      EXPECT_EQ("", cells[12]) << "direction_su";
      expect_with_su(alpha, su, cells[13], "alpha(su)");
      for (std::size_t c = 0; k < 3 && c < 3; ++c) {
        EXPECT_NEAR(w["uvw"][c].get<double>(), std::stod(cells[4 + c]), 1e-9);
        EXPECT_NEAR(w["angles"][c].get<double>(), std::stod(cells[7 + c]), 1e-5);
      }
    }
  }
}

// The text's table of coefficients, to its decimals, and a polynomial's
// coefficients at each temperature.
void expect_text_report(const nlohmann::json& want, const std::string& text) {
  const auto lines = testutil::split_lines(text);
  const auto rows = rows_of(want);
  const auto line_of = [&](const std::string& start) {
    const auto at = std::find_if(lines.begin(), lines.end(),
                                 [&](const std::string& l) { return l.starts_with(start); });
    return at == lines.end() ? std::string() : *at;
  };
  // X1 X2 X3: alpha(su) su_fit su_cells u v w angles su_dir; V to su_cells.
  for (std::size_t k = 0; k < 4; ++k) {
    const std::string name = k < 3 ? "X" + std::to_string(k + 1) : "V";
    const std::vector<std::string> got = words_of(line_of(" " + name + " "));
    const nlohmann::json& w = rows[k];
    ASSERT_EQ(k < 3 ? 11U : 4U, got.size()) << name << " in\n" << text;
    expect_with_su(w["alpha"], w["su"], got[1], name);
    EXPECT_NEAR(w["su_fit"].get<double>(), std::stod(got[2]), 0.00051) << name;
    EXPECT_EQ("-", got[3]) << name << " su_cells";
    for (std::size_t c = 0; k < 3 && c < 3; ++c) {
      EXPECT_NEAR(w["uvw"][c].get<double>(), std::stod(got[4 + c]), 0.000051) << name;
      EXPECT_NEAR(w["angles"][c].get<double>(), std::stod(got[7 + c]), 0.0051) << name;
    }
    if (k < 3) {
      EXPECT_EQ("-", got[10]) << name << " su_dir";
    }
  }
  if (want["fit"] == "linear") return;
  for (std::size_t i = 0; i < want["temperatures"].size(); ++i) {
    const std::string t = kelvin_text(want["temperatures"][i].get<double>());
    const std::vector<std::string> got = words_of(line_of(" " + t));
    ASSERT_EQ(5U, got.size()) << t << " in\n" << text;
    for (std::size_t k = 0; k < 4; ++k) {
      expect_with_su(rows[k]["alpha_T"][i], rows[k]["su_T"][i], got[1 + k],
                     t + " " + std::to_string(k));
    }
  }
}

TEST(ExpansionWorked, ReportColumnsAtAnInnerReferenceAndForPolynomials) {
  for (const nlohmann::json& want : worked_runs()) {
    if (!want.contains("fit")) continue;
    SCOPED_TRACE(want["file"].get<std::string>() + " " + want["fit"].get<std::string>() +
                 " reference " + want["reference"].dump());
    expect_json_report(want, nlohmann::json::parse(run_worked(want, "json")));
    expect_csv_report(want, run_worked(want, "csv"));
    expect_text_report(want, run_worked(want, "text"));
  }
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
