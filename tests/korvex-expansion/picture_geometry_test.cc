// The strain and volume pictures read as a user reads them: every point of
// the report lies inside the frame, where the ticks' labels put its value.
// The scale is read from the picture alone (the tick marks and their labels,
// the unit named in the axis label), so that any layout passes that draws
// the numbers where they belong.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

struct Scale {
  std::vector<double> pixel, value;  // tick marks and their labels, paired in order
  // The pixel of a value, by the line through the outermost ticks.
  double at(double v) const {
    return pixel.front() +
           (v - value.front()) * (pixel.back() - pixel.front()) / (value.back() - value.front());
  }
};

// A tick label's number: U+2212 read as a minus sign.
double label_value(std::string text) {
  for (std::size_t at; (at = text.find("\u2212")) != std::string::npos;) text.replace(at, 3, "-");
  return std::stod(text);
}

struct Picture {
  double left = 0, top = 0, right = 0, bottom = 0;  // the frame
  Scale x, y;
  std::string y_label;
  std::vector<std::pair<std::string, std::pair<double, double>>> circles;  // class, centre
  std::vector<std::pair<std::string, std::array<double, 3>>> bars;         // class, x, two ends' y
  std::vector<std::pair<double, double>> curve;  // every fitted curve's points
};

Picture read_picture(const std::string& svg) {
  Picture p;
  std::smatch m;
  const std::regex frame(
      R"re(<rect class="frame" x="([-\d.]+)" y="([-\d.]+)" width="([-\d.]+)" height="([-\d.]+)")re");
  EXPECT_TRUE(std::regex_search(svg, m, frame));
  p.left = std::stod(m[1]), p.top = std::stod(m[2]);
  p.right = p.left + std::stod(m[3]), p.bottom = p.top + std::stod(m[4]);
  const std::regex tick(
      R"re(<line class="tick" x1="([-\d.]+)" y1="([-\d.]+)" x2="([-\d.]+)" y2="([-\d.]+)")re");
  for (std::sregex_iterator i(svg.begin(), svg.end(), tick), end; i != end; ++i) {
    const auto& t = *i;
    if (t[2] == t[4])
      p.y.pixel.push_back(std::stod(t[2]));
    else
      p.x.pixel.push_back(std::stod(t[1]));
  }
  const std::regex label(R"re(<text class="tick-label"[^>]*text-anchor="(\w+)"[^>]*>([^<]*)<)re");
  for (std::sregex_iterator i(svg.begin(), svg.end(), label), end; i != end; ++i)
    ((*i)[1] == "end" ? p.y.value : p.x.value).push_back(label_value((*i)[2]));
  const std::regex axis_label(R"re(<text class="axis-label"[^>]*>([^<]*)<)re");
  for (std::sregex_iterator i(svg.begin(), svg.end(), axis_label), end; i != end; ++i)
    p.y_label = (*i)[1];  // the Y label comes second
  const std::regex circle(R"re(<circle class="([^"]+)" cx="([-\d.]+)" cy="([-\d.]+)")re");
  for (std::sregex_iterator i(svg.begin(), svg.end(), circle), end; i != end; ++i)
    p.circles.push_back({(*i)[1], {std::stod((*i)[2]), std::stod((*i)[3])}});
  const std::regex bar(
      R"re(<line class="(s\d) su" x1="([-\d.]+)" y1="([-\d.]+)" x2="([-\d.]+)" y2="([-\d.]+)")re");
  for (std::sregex_iterator i(svg.begin(), svg.end(), bar), end; i != end; ++i) {
    if ((*i)[2] == (*i)[4])
      p.bars.push_back({(*i)[1], {std::stod((*i)[2]), std::stod((*i)[3]), std::stod((*i)[5])}});
  }
  const std::regex polyline(R"re(<polyline class="fit[^"]*" points="([^"]*)")re");
  const std::regex pair(R"re(([-\d.]+),([-\d.]+))re");
  for (std::sregex_iterator i(svg.begin(), svg.end(), polyline), end; i != end; ++i) {
    const std::string points = (*i)[1];
    for (std::sregex_iterator j(points.begin(), points.end(), pair); j != end; ++j)
      p.curve.emplace_back(std::stod((*j)[1]), std::stod((*j)[2]));
  }
  EXPECT_EQ(p.x.pixel.size(), p.x.value.size());
  EXPECT_EQ(p.y.pixel.size(), p.y.value.size());
  EXPECT_GE(p.y.pixel.size(), 2U);
  EXPECT_GE(p.x.pixel.size(), 2U);
  return p;
}

// The factor from a strain to the unit the axis label names.
double strain_unit(const std::string& label) {
  if (label.find('%') != std::string::npos) return 100;
  if (label.find("\u2030") != std::string::npos ||
      label.find("10\u207b\u00b3") != std::string::npos)
    return 1000;
  if (label.find("10\u207b\u2076") != std::string::npos) return 1e6;
  return 1;
}

bool inside(const Picture& p, double x, double y) {
  return x >= p.left && x <= p.right && y >= p.top && y <= p.bottom;
}

// Each point, and its bar of +-su where `su` is given, at its place; the
// fitted curves within the frame's width.
void expect_points(const Picture& p, const std::string& cls, const std::vector<double>& t,
                   const std::vector<double>& v, const std::vector<double>& su = {}) {
  for (const auto& [x, y] : p.curve)
    EXPECT_TRUE(x >= p.left && x <= p.right) << "curve at " << x << ", " << y;
  for (std::size_t i = 0; i < su.size(); ++i) {
    if (!(su[i] > 0)) continue;
    const double x = p.x.at(t[i]), top = p.y.at(v[i] + su[i]), bottom = p.y.at(v[i] - su[i]);
    EXPECT_TRUE(inside(p, x, top) && inside(p, x, bottom)) << cls << " bar " << i;
    EXPECT_TRUE(std::any_of(p.bars.begin(), p.bars.end(),
                            [&](const auto& b) {
                              const auto& [bx, y1, y2] = b.second;
                              return b.first == cls && std::fabs(bx - x) < 1 &&
                                     std::fabs(std::min(y1, y2) - std::min(top, bottom)) < 1 &&
                                     std::fabs(std::max(y1, y2) - std::max(top, bottom)) < 1;
                            }))
        << cls << " no bar " << i << " from " << top << " to " << bottom;
  }
  for (std::size_t i = 0; i < t.size(); ++i) {
    const double x = p.x.at(t[i]), y = p.y.at(v[i]);
    SCOPED_TRACE(cls + " point " + std::to_string(i) + " at " + std::to_string(t[i]) + " K");
    EXPECT_TRUE(inside(p, x, y)) << x << ", " << y;
    EXPECT_TRUE(std::any_of(p.circles.begin(), p.circles.end(),
                            [&](const auto& c) {
                              return c.first == cls &&
                                     std::hypot(c.second.first - x, c.second.second - y) < 1.0;
                            }))
        << "no circle at " << x << ", " << y;
  }
}

// The pictures PREFIX_strain.svg and PREFIX_volume.svg against the run's
// JSON: strains, volumes and, where the cells carry them, their drawn SUs.
void expect_pictures(const std::string& prefix, const nlohmann::json& json) {
  const std::vector<double> t = json["temperatures"];
  const auto values = [](const nlohmann::json& v, double unit) {
    std::vector<double> out = v.is_null() ? std::vector<double>() : v.get<std::vector<double>>();
    for (double& x : out) x *= unit;
    return out;
  };
  const Picture strain = read_picture(testutil::read_file(prefix + "_strain.svg"));
  const double unit = strain_unit(strain.y_label);
  for (std::size_t k = 0; k < 3; ++k) {
    const nlohmann::json& axis = json["axes"][k];
    expect_points(strain, "s" + std::to_string(k), t, values(axis["strains"], unit),
                  values(axis["strains_su"], unit));
  }
  const Picture volume = read_picture(testutil::read_file(prefix + "_volume.svg"));
  expect_points(volume, "s0", t, values(json["volume"]["values"], 1),
                values(json["volume"]["values_su"], 1));
}

TEST(ExpansionPictures, PointsLieInsideTheFrameOnTheTicksScale) {
  testutil::ScopedTempDir dir;
  const std::string table = TESTS_DIR "/korvex-expansion/worked/monoclinic.xy";
  for (const std::string reference : {"100.45", "190.25"}) {
    SCOPED_TRACE("reference " + reference);
    const auto r =
        testutil::run_program({EXPANSION_BIN, "--lagrangian", "--format", "json", "--reference",
                               reference, "--fit", "quadratic", "--svg", dir.file("p"), table},
                              dir.path(), "");
    ASSERT_EQ(0, r.exit_status) << r.err;
    expect_pictures(dir.file("p"), nlohmann::json::parse(r.out));
  }
}

const std::string kSuTable =
    "100 5.0000(10) 6.0000(8) 7.0000(12) 90 90 90\n"
    "150 5.0021(12) 6.0018(9) 7.0049(10) 90 90 90\n"
    "200 5.0050(10) 6.0032(8) 7.0102(15) 90 90 90\n"
    "250 5.0091(14) 6.0041(10) 7.0160(12) 90 90 90\n";

// A series whose cells carry SUs: each bar spans the point's value +- its
// drawn SU, inside the frame; in the lattice picture each length and the
// volume over its value at the reference point, the bar its SU over the same.
TEST(ExpansionPictures, ErrorBarsSpanTheDrawnSus) {
  testutil::ScopedTempDir dir;
  testutil::write_file(dir.file("su.txt"), kSuTable);
  const auto r = testutil::run_program(
      {EXPANSION_BIN, "--lagrangian", "--format", "json", "--draws", "200", "--svg", "p", "su.txt"},
      dir.path(), "");
  ASSERT_EQ(0, r.exit_status) << r.err;
  const nlohmann::json json = nlohmann::json::parse(r.out);
  expect_pictures(dir.file("p"), json);

  const std::vector<double> t = {100, 150, 200, 250};
  const std::array<std::array<double, 4>, 3> lengths = {
      {{5, 5.0021, 5.0050, 5.0091}, {6, 6.0018, 6.0032, 6.0041}, {7, 7.0049, 7.0102, 7.0160}}};
  const std::array<std::array<double, 4>, 3> sus = {
      {{10e-4, 12e-4, 10e-4, 14e-4}, {8e-4, 9e-4, 8e-4, 10e-4}, {12e-4, 10e-4, 15e-4, 12e-4}}};
  const Picture lattice = read_picture(testutil::read_file(dir.file("p_lattice.svg")));
  for (std::size_t k = 0; k < 3; ++k) {
    std::vector<double> v, su;
    for (std::size_t i = 0; i < 4; ++i) {
      v.push_back(lengths[k][i] / lengths[k][0]);
      su.push_back(sus[k][i] / lengths[k][0]);
    }
    expect_points(lattice, "s" + std::to_string(k), t, v, su);
  }
  std::vector<double> volumes = json["volume"]["values"], volume_sus = json["volume"]["values_su"];
  const double v0 = volumes[0];
  for (double& v : volumes) v /= v0;
  for (double& s : volume_sus) s /= v0;
  expect_points(lattice, "s3", t, volumes, volume_sus);
}

// The text between the tags of each <text class="key"> element.
std::vector<std::string> key_texts(const std::string& svg) {
  std::vector<std::string> out;
  const std::regex key(R"re(<text class="key"[^>]*>(.*?)</text>)re");
  for (std::sregex_iterator i(svg.begin(), svg.end(), key), end; i != end; ++i)
    out.push_back(std::regex_replace((*i)[1].str(), std::regex("<[^>]*>"), ""));
  return out;
}

// Each coefficient the keys show reads as the text report writes it, with
// the same decimals and SU, with SUs drawn from the cells and without.
TEST(ExpansionPictures, KeysWriteTheCoefficientsAsTheReportDoes) {
  testutil::ScopedTempDir dir;
  testutil::write_file(dir.file("su.txt"), kSuTable);
  const std::string table = TESTS_DIR "/korvex-expansion/worked/monoclinic.xy";
  for (const std::string& input : {std::string("su.txt"), table}) {
    SCOPED_TRACE(input);
    const auto r = testutil::run_program(
        {EXPANSION_BIN, "--draws", "200", "--svg", dir.file("p"), input}, dir.path(), "");
    ASSERT_EQ(0, r.exit_status) << r.err;
    // " X1            4.6(14)    0.336 ..." and " V   31.8(29) ..."
    std::vector<std::string> report;
    const std::regex row(R"re(\n (X[123]|V) +([-\d.()]+) )re");
    for (std::sregex_iterator i(r.out.begin(), r.out.end(), row), end; i != end; ++i)
      report.push_back((*i)[2].str());
    ASSERT_EQ(4U, report.size()) << r.out;
    std::vector<std::string> keys;
    for (const char* picture : {"p_strain.svg", "p_volume.svg"}) {
      for (const std::string& text : key_texts(testutil::read_file(dir.file(picture)))) {
        const std::size_t from = text.find("= "), to = text.find(" MK");
        if (from != std::string::npos && to != std::string::npos)
          keys.push_back(text.substr(from + 2, to - from - 2));
      }
    }
    for (std::string& k : keys)
      for (std::size_t at; (at = k.find("\u2212")) != std::string::npos;) k.replace(at, 3, "-");
    EXPECT_EQ(report, keys);
  }
}

// Each section of the indicatrix is |alpha(n)| along the directions of its
// plane: its farthest and nearest points from the centre are the plane's two
// principal coefficients, on the scale of the circle drawn at the largest.
TEST(ExpansionPictures, IndicatrixSectionsReachEachAxissCoefficient) {
  testutil::ScopedTempDir dir;
  testutil::write_file(dir.file("su.txt"), kSuTable);
  const auto r = testutil::run_program(
      {EXPANSION_BIN, "--format", "json", "--draws", "200", "--svg", "p", "su.txt"}, dir.path(),
      "");
  ASSERT_EQ(0, r.exit_status) << r.err;
  const nlohmann::json json = nlohmann::json::parse(r.out);
  std::vector<double> alpha;
  for (const auto& axis : json["axes"]) alpha.push_back(std::fabs(axis["alpha"].get<double>()));
  const double largest = *std::max_element(alpha.begin(), alpha.end());
  const std::string svg = testutil::read_file(dir.file("p_indicatrix.svg"));
  const std::regex scale(R"re(<circle class="scale" cx="([\d.]+)" cy="([\d.]+)" r="([\d.]+)")re");
  const std::regex section(R"re(<polyline class="(?:positive|negative)" points="([^"]*)")re");
  const std::regex pair(R"re(([-\d.]+),([-\d.]+))re");
  std::vector<std::pair<double, double>> reached;  // nearest, farthest, in MK^-1
  for (std::sregex_iterator c(svg.begin(), svg.end(), scale), end; c != end; ++c) {
    const double cx = std::stod((*c)[1]), cy = std::stod((*c)[2]), radius = std::stod((*c)[3]);
    double nearest = 1e9, farthest = 0;
    for (std::sregex_iterator p(svg.begin(), svg.end(), section); p != end; ++p) {
      const std::string points = (*p)[1];
      for (std::sregex_iterator q(points.begin(), points.end(), pair); q != end; ++q) {
        const double d = std::hypot(std::stod((*q)[1]) - cx, std::stod((*q)[2]) - cy);
        if (d > 1.5 * radius) continue;  // another section's
        nearest = std::min(nearest, d), farthest = std::max(farthest, d);
      }
    }
    reached.emplace_back(nearest / radius * largest, farthest / radius * largest);
  }
  ASSERT_EQ(3U, reached.size());
  std::sort(alpha.begin(), alpha.end());
  std::vector<std::pair<double, double>> planes = {
      {alpha[0], alpha[1]}, {alpha[0], alpha[2]}, {alpha[1], alpha[2]}};
  std::sort(reached.begin(), reached.end());
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_NEAR(planes[i].first, reached[i].first, 0.02 * largest) << i;
    EXPECT_NEAR(planes[i].second, reached[i].second, 0.02 * largest) << i;
  }
}

}  // namespace
