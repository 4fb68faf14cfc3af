// The built korvex-expansion under --pressure: a cubic series whose volumes are
// those of the worked EOS series (tests/expansion/worked/pressure_fits.py), an
// orthorhombic one with an axis that grows under pressure, series it must
// refuse, and a pressure series read as temperatures.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

using testutil::run_program;
using testutil::ScopedTempDir;

const double kP[] = {0.05, 0.31, 0.62, 0.95, 1.40, 1.88, 2.45, 3.10, 3.90, 4.70, 5.60, 6.50, 7.45};
const double kSigma[] = {0.01, 0.02, 0.02, 0.03, 0.03, 0.04, 0.05,
                         0.05, 0.06, 0.07, 0.08, 0.09, 0.10};
const double kV[] = {510.9737051, 504.1893918, 497.0901579, 490.146738,  481.4597178,
                     473.2547296, 464.7360629, 456.0359292, 446.4147801, 438.067121,
                     429.6980511, 422.0530995, 414.8403825};

std::string row(double p, double sigma, double a, double b, double c) {
  char text[160];
  std::snprintf(text, sizeof text, "%.2f %.2f %.10f %.10f %.10f 90 90 90\n", p, sigma, a, b, c);
  return text;
}

std::string cubic_table() {
  std::string s = "# p sigma_p a b c alpha beta gamma\n";
  for (int i = 0; i < 13; ++i) {
    const double a = std::cbrt(kV[i]);
    s += row(kP[i], kSigma[i], a, a, a);
  }
  return s;
}

// a grows (negative linear compressibility), b and c shrink.
std::string orthorhombic_table(const char* comment) {
  std::string s = std::string("# ") + comment + "\n";
  for (int i = 0; i < 13; ++i) {
    const double p = kP[i];
    s += row(p, kSigma[i], 8 * (1 + 0.011 * std::pow(p + 0.35, 0.55)),
             9 * (1 - 0.021 * std::pow(p + 0.1, 0.8)), 7 * (1 - 0.006 * p));
  }
  return s;
}

double number_after(const std::string& text, const std::string& key) {
  const std::size_t at = text.find("\"" + key + "\": ");
  if (at == std::string::npos) return NAN;
  return std::stod(text.substr(at + key.size() + 4));
}

// The equations of state of the worked series, to the decimals of the table.
TEST(PressureCli, EquationsOfStateOfTheWorkedSeries) {
  ScopedTempDir dir;
  testutil::write_file(dir.file("bm.tsv"), cubic_table());
  const auto r = run_program(
      {EXPANSION_BIN, "--pressure", "--pc", "0.05", "--format", "json", "bm.tsv"}, dir.path(), "");
  ASSERT_EQ(0, r.exit_status) << r.err;
  EXPECT_NE(std::string::npos, r.out.find("\"mode\": \"pressure\""));
  const std::size_t bm3 = r.out.find("\"bm3\"");
  const std::size_t bm3_pc = r.out.find("\"bm3_pc\"");
  ASSERT_NE(std::string::npos, bm3_pc);
  EXPECT_NEAR(number_after(r.out.substr(bm3), "V0"), 512.3203094, 1e-5);
  EXPECT_NEAR(number_after(r.out.substr(bm3), "B0"), 18.68385452, 1e-5);
  EXPECT_NEAR(number_after(r.out.substr(bm3), "Bp_su"), 0.03126553508, 1e-6);
  EXPECT_NEAR(number_after(r.out.substr(bm3_pc), "B0"), 18.98715745, 1e-5);
  EXPECT_NEAR(number_after(r.out.substr(bm3_pc), "pc"), 0.05, 1e-12);
  EXPECT_NE(std::string::npos, r.out.find("\"Bp\": 4.0,\n      \"Bp_su\": null"));
}

// The volume's linear K: under the natural strain the slope of -ln(V/V_ref),
// the sum of the axes' linear K; under PASCal's measures minus the slope of V
// over the reference point's volume.
TEST(PressureCli, VolumeCompressibilityFollowsTheMeasure) {
  const auto volume = [](double p) {
    return 504 * (1 + 0.011 * std::pow(p + 0.35, 0.55)) * (1 - 0.021 * std::pow(p + 0.1, 0.8)) *
           (1 - 0.006 * p);
  };
  double sp = 0, sv = 0, spp = 0, spv = 0;
  for (const double p : kP) sp += p, sv += volume(p), spp += p * p, spv += p * volume(p);
  const double pascal_k = -(13 * spv - sp * sv) / (13 * spp - sp * sp) / volume(kP[0]) * 1000;
  ScopedTempDir dir;
  testutil::write_file(dir.file("nlc.tsv"), orthorhombic_table("p sigma_p a b c al be ga"));
  for (const std::string measure : {"natural", "lagrangian", "eulerian"}) {
    const auto r = run_program(
        {EXPANSION_BIN, "--pressure", "--strain", measure, "--format", "json", "nlc.tsv"},
        dir.path(), "");
    ASSERT_EQ(0, r.exit_status) << r.err;
    const double volume_k = number_after(r.out.substr(r.out.find("\"volume\"")), "K");
    double sum = 0;
    for (std::size_t at = r.out.find("\"linear\""); at != std::string::npos;
         at = r.out.find("\"linear\"", at + 1))
      sum += number_after(r.out.substr(at), "K");
    const double want = measure == "natural" ? sum : pascal_k;
    EXPECT_NEAR(volume_k, want, 1e-9 * std::abs(want)) << measure;
  }
}

TEST(PressureCli, NamesNegativeLinearCompressibility) {
  ScopedTempDir dir;
  testutil::write_file(dir.file("nlc.tsv"), orthorhombic_table("pressure series, GPa"));
  const auto r = run_program({EXPANSION_BIN, "--pressure", "nlc.tsv"}, dir.path(), "");
  ASSERT_EQ(0, r.exit_status) << r.err;
  EXPECT_NE(std::string::npos, r.out.find(" X1  "));
  EXPECT_NE(std::string::npos, r.out.find("[1.0000 0.0000 0.0000]"));
  EXPECT_NE(std::string::npos, r.out.find("X1: negative linear compressibility"));
  EXPECT_EQ(std::string::npos, r.out.find("X2: negative"));
  // Read as temperatures, the same file is analysed with a word about it.
  const auto t = run_program({EXPANSION_BIN, "nlc.tsv"}, dir.path(), "");
  EXPECT_NE(std::string::npos, t.err.find("run with --pressure")) << t.err;
}

// --svg: the strains with their fits, the volume with its line and three
// equations of state (curves alone); --html has no page for pressure: refused.
TEST(PressureCli, DrawsStrainsAndEquationsOfState) {
  ScopedTempDir dir;
  testutil::write_file(dir.file("bm.tsv"), cubic_table());
  const auto r =
      run_program({EXPANSION_BIN, "--pressure", "--svg", "out", "bm.tsv"}, dir.path(), "");
  ASSERT_EQ(0, r.exit_status) << r.err;
  EXPECT_NE(std::string::npos, r.out.find("SVG pictures written: out_strain.svg, out_volume.svg"));
  const std::string volume = testutil::read_file(dir.file("out_volume.svg"));
  for (const char* key : {"class=\"fit s3\"", "BM2", "BM3, p", "Pressure (GPa)"})
    EXPECT_NE(std::string::npos, volume.find(key)) << key;
  const auto count = [&volume](const std::string& cls) {
    std::size_t n = 0;
    for (std::size_t at = volume.find(cls); at != std::string::npos; at = volume.find(cls, at + 1))
      ++n;
    return n;
  };
  EXPECT_EQ(13u + 1u, count("<circle class=\"s0\""));  // the key's too
  EXPECT_EQ(1u, count("<circle class=\"s1\""));
  const auto html =
      run_program({EXPANSION_BIN, "--pressure", "--html", "p.html", "bm.tsv"}, dir.path(), "");
  EXPECT_NE(std::string::npos, html.err.find("--html is for a temperature series"));
}

TEST(PressureCli, RefusesWhatItCannotFit) {
  struct Case {
    const char* what;
    std::string table;
    const char* told;
  };
  const Case cases[] = {
      {"one pressure", row(1, 0.1, 8, 9, 7), "at least 3 pressures"},
      {"equal pressures", row(1, 0.1, 8, 9, 7) + row(1, 0.1, 7.9, 9, 7) + row(1, 0.1, 7.8, 9, 7),
       "the same pressure"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedTempDir dir;
    testutil::write_file(dir.file("bad.tsv"), c.table);
    const auto r = run_program({EXPANSION_BIN, "--pressure", "bad.tsv"}, dir.path(), "");
    EXPECT_EQ(1, r.exit_status);
    EXPECT_NE(std::string::npos, r.err.find(c.told)) << r.err;
  }
}

}  // namespace
