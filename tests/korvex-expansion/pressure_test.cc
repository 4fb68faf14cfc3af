// The built korvex-expansion under --pressure: a cubic series whose volumes are
// those of the worked EOS series (tests/expansion/worked/pressure_fits.py),
// the same with SUs on its cells, an orthorhombic one with an axis that grows
// under pressure, series it must refuse or take as they are, and a pressure
// series read as temperatures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "common/number_text.h"
#include "expansion/eos_equations.h"
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
  const std::size_t at = text.find("\"" + key + "\":");
  if (at == std::string::npos) return NAN;
  return std::stod(text.substr(at + key.size() + 3));
}

// The equations of state of the worked series, to the decimals of the table.
TEST(PressureCli, EquationsOfStateOfTheWorkedSeries) {
  ScopedTempDir dir;
  testutil::write_file(dir.file("bm.tsv"), cubic_table());
  const auto r = run_program(
      {EXPANSION_BIN, "--pressure", "--pc", "0.05", "--format", "json", "bm.tsv"}, dir.path(), "");
  ASSERT_EQ(0, r.exit_status) << r.err;
  EXPECT_NE(std::string::npos, r.out.find("{\"mode\":\"pressure\","));
  const std::size_t bm3 = r.out.find("\"bm3\"");
  const std::size_t bm3_pc = r.out.find("\"bm3_pc\"");
  ASSERT_NE(std::string::npos, bm3_pc);
  EXPECT_NEAR(number_after(r.out.substr(bm3), "V0"), 512.3203094, 1e-5);
  EXPECT_NEAR(number_after(r.out.substr(bm3), "B0"), 18.68385452, 1e-5);
  EXPECT_NEAR(number_after(r.out.substr(bm3), "Bp_su"), 0.03126553508, 1e-6);
  // PASCal's BM3 with p_c is the BM3 curve again, its V0 where BM3 gives p_c
  // and its B0 BM3's K there.
  const expansion::EosParameters bm3_fit{number_after(r.out.substr(bm3), "V0"),
                                         number_after(r.out.substr(bm3), "B0"),
                                         number_after(r.out.substr(bm3), "Bp"), NAN};
  const double v_pc = number_after(r.out.substr(bm3_pc), "V0");
  EXPECT_NEAR(expansion::eos_pressure(expansion::Eos::kBm3, bm3_fit, v_pc), 0.05, 1e-6);
  EXPECT_NEAR(number_after(r.out.substr(bm3_pc), "B0"),
              expansion::eos_bulk_modulus(expansion::Eos::kBm3, bm3_fit, v_pc), 1e-4);
  EXPECT_NEAR(number_after(r.out.substr(bm3_pc), "pc"), 0.05, 1e-12);
  EXPECT_NE(std::string::npos, r.out.find("\"Bp\":4.0,\"Bp_su\":null"));
  // The CSV's rows of the same: name, V0, its SU, B0, its SU, B', its SU, p_c.
  const auto csv = run_program(
      {EXPANSION_BIN, "--pressure", "--pc", "0.05", "--format", "csv", "bm.tsv"}, dir.path(), "");
  ASSERT_EQ(0, csv.exit_status) << csv.err;
  const auto fields = [&csv](const std::string& name) {
    std::vector<std::string> out;
    const std::size_t from = csv.out.find("\n" + name + ",") + 1;
    std::string line = csv.out.substr(from, csv.out.find('\n', from) - from);
    for (std::size_t at = 0; at != std::string::npos;) {
      const std::size_t comma = line.find(',', at);
      out.push_back(line.substr(at, comma == std::string::npos ? comma : comma - at));
      at = comma == std::string::npos ? comma : comma + 1;
    }
    return out;
  };
  const std::vector<std::string> bm2 = fields("bm2"), third = fields("bm3"), pc = fields("bm3_pc");
  ASSERT_EQ(12u, third.size());
  EXPECT_NEAR(std::stod(third[1]), 512.3203094, 1e-5);
  EXPECT_NEAR(std::stod(third[3]), 18.68385452, 1e-5);
  EXPECT_NEAR(std::stod(third[6]), 0.03126553508, 1e-6);
  EXPECT_EQ("", third[7]);
  ASSERT_EQ(12u, bm2.size());
  EXPECT_EQ("4", bm2[5]);
  EXPECT_EQ("", bm2[6]);
  ASSERT_EQ(12u, pc.size());
  EXPECT_EQ("0.05", pc[7]);
}

// The cells' SUs carried into K: a cubic cell whose length has the SU s at
// every point. Its natural strain is ln(a/a_ref) along every axis, so the
// straight line's K has the SD of a slope weighted by w_i = 1/sigma_p of
// values with SDs s/a_i, 1000 sqrt(sum c_i^2 (s/a_i)^2) with
// c_i = w_i (p_i - p_w) / sum w_j (p_j - p_w)^2, p_w the weighted mean,
// and the volume's three times that (to the 7 % SE of an SD of 100 draws,
// drawn from the fixed default start); each shown SU is the larger of
// the fit's and the cells'; every cell is written with its pressure.
TEST(PressureCli, CarriesTheCellsSusIntoK) {
  constexpr double kSu = 0.003;
  std::string table = "# p sigma_p a b c alpha beta gamma\n";
  std::vector<double> a;
  for (int i = 0; i < 13; ++i) {
    a.push_back(std::round(std::cbrt(kV[i]) * 1e4) / 1e4);
    const std::string length = common::format_text("%.4f(30)", a.back());
    table += common::format_text("%.2f %.2f ", kP[i], kSigma[i]) + length + " " + length + " " +
             length + " 90 90 90\n";
  }
  double sw = 0, mean = 0, spp = 0, variance = 0;
  for (int i = 0; i < 13; ++i) sw += 1 / kSigma[i], mean += kP[i] / kSigma[i];
  mean /= sw;
  for (int i = 0; i < 13; ++i) spp += (kP[i] - mean) * (kP[i] - mean) / kSigma[i];
  for (int i = 0; i < 13; ++i)
    variance +=
        std::pow((kP[i] - mean) / kSigma[i] / spp * kSu / a[static_cast<std::size_t>(i)], 2);
  const double want = 1000 * std::sqrt(variance);
  ScopedTempDir dir;
  testutil::write_file(dir.file("su.tsv"), table);
  const auto r =
      run_program({EXPANSION_BIN, "--pressure", "--draws", "100", "--format", "json", "su.tsv"},
                  dir.path(), "");
  ASSERT_EQ(0, r.exit_status) << r.err;
  const auto j = nlohmann::json::parse(r.out);
  const auto larger = [](const nlohmann::json& q, const std::string& key) {
    EXPECT_DOUBLE_EQ(q[key + "_su"].get<double>(), std::max(q[key + "_su_fit"].get<double>(),
                                                            q[key + "_su_cells"].get<double>()));
  };
  for (const auto& axis : j["axes"]) {
    EXPECT_NEAR(axis["linear"]["K_su_cells"].get<double>(), want, 0.1 * want);
    larger(axis["linear"], "K");
    for (std::size_t i = 0; i < 13; ++i)
      EXPECT_DOUBLE_EQ(
          axis["K_su"][i].get<double>(),
          std::max(axis["K_su_fit"][i].get<double>(), axis["K_su_cells"][i].get<double>()));
  }
  EXPECT_NEAR(j["volume"]["K_su_cells"].get<double>(), 3 * want, 0.1 * 3 * want);
  larger(j["volume"], "K");
  ASSERT_EQ(13u, j["cells"].size());
  for (std::size_t i = 0; i < 13; ++i) {
    EXPECT_EQ(j["pressures"][i], j["cells"][i]["p"]);
    EXPECT_DOUBLE_EQ(kSu, j["cells"][i]["a_su"].get<double>());
  }
}

// The volume's linear K: under the natural strain the slope of -ln(V/V_ref),
// the sum of the axes' linear K; under PASCal's measures minus the slope of V
// over the reference point's volume, each line weighted by 1/sigma_p.
TEST(PressureCli, VolumeCompressibilityFollowsTheMeasure) {
  const auto volume = [](double p) {
    return 504 * (1 + 0.011 * std::pow(p + 0.35, 0.55)) * (1 - 0.021 * std::pow(p + 0.1, 0.8)) *
           (1 - 0.006 * p);
  };
  double sw = 0, sp = 0, sv = 0, spp = 0, spv = 0;
  for (int i = 0; i < 13; ++i) {
    const double w = 1 / kSigma[i], p = kP[i];
    sw += w, sp += w * p, sv += w * volume(p), spp += w * p * p, spv += w * p * volume(p);
  }
  const double pascal_k = -(sw * spv - sp * sv) / (sw * spp - sp * sp) / volume(kP[0]) * 1000;
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

// "9.34(44)" as its value and SU, the SU in units of the last decimal.
std::pair<double, double> value_and_su(const std::string& text) {
  const std::size_t open = text.find('(');
  const std::string value = text.substr(0, open);
  const std::size_t point = value.find('.');
  const int decimals = point == std::string::npos ? 0 : static_cast<int>(value.size() - point - 1);
  return {std::stod(value), std::stod(text.substr(open + 1)) * std::pow(10.0, -decimals)};
}

// The text report's columns hold what their heads name, as the JSON gives
// them: K at the median pressure with its SU, the fit's SU, the cells' SU,
// and the straight line's K with its SU, all in TPa^-1.
TEST(PressureCli, ReportColumnsHoldWhatTheirHeadsName) {
  std::string table = "# p sigma_p a b c alpha beta gamma\n";
  for (int i = 0; i < 13; ++i) {
    const double p = kP[i];
    table += common::format_text("%.2f %.2f %.4f(20) %.4f(30) %.4f(10) 90 90 90\n", p, kSigma[i],
                                 8 * (1 + 0.011 * std::pow(p + 0.35, 0.55)),
                                 9 * (1 - 0.021 * std::pow(p + 0.1, 0.8)), 7 * (1 - 0.006 * p));
  }
  ScopedTempDir dir;
  testutil::write_file(dir.file("su.tsv"), table);
  const auto text =
      run_program({EXPANSION_BIN, "--pressure", "--draws", "100", "su.tsv"}, dir.path(), "");
  const auto json =
      run_program({EXPANSION_BIN, "--pressure", "--draws", "100", "--format", "json", "su.tsv"},
                  dir.path(), "");
  ASSERT_EQ(0, text.exit_status) << text.err;
  const auto j = nlohmann::json::parse(json.out);
  std::size_t median = 0;
  while (j["pressures"][median] != j["median"]) ++median;
  // " X1       10.24(15)     0.019    0.145      9.34(44)  [..."
  const std::regex row(R"re(\n (X[123]) +(\S+) +([\d.]+) +([\d.]+) +(\S+) +\[)re");
  std::size_t k = 0;
  for (std::sregex_iterator i(text.out.begin(), text.out.end(), row), end; i != end; ++i, ++k) {
    SCOPED_TRACE((*i)[1].str());
    ASSERT_LT(k, 3U);
    const nlohmann::json& axis = j["axes"][k];
    const auto [value, su] = value_and_su((*i)[2]);
    EXPECT_NEAR(axis["K"][median].get<double>(), value, 0.01);
    EXPECT_NEAR(axis["K_su"][median].get<double>(), su, 0.01);
    EXPECT_NEAR(axis["K_su_fit"][median].get<double>(), std::stod((*i)[3]), 0.0005);
    EXPECT_NEAR(axis["K_su_cells"][median].get<double>(), std::stod((*i)[4]), 0.0005);
    const auto [linear, linear_su] = value_and_su((*i)[5]);
    EXPECT_NEAR(axis["linear"]["K"].get<double>(), linear, 0.01);
    EXPECT_NEAR(axis["linear"]["K_su"].get<double>(), linear_su, 0.01);
    EXPECT_GT(axis["linear"]["K_su"].get<double>(), 0.01);  // TPa^-1, not GPa^-1
  }
  EXPECT_EQ(3U, k) << text.out;
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
  EXPECT_EQ(4, t.exit_status);
}

// Which equations are fitted, and with which weights: bm3_pc only with
// --pc, all but it under --eos all; a pressure SU of 0 refused under
// --weights p naming its line, kept under pv where the volume has an SU.
TEST(PressureCli, EquationsAndWeightsAsAsked) {
  ScopedTempDir dir;
  testutil::write_file(dir.file("bm.tsv"), cubic_table());
  std::string zero = cubic_table();
  zero.replace(zero.find("0.05 0.01"), 9, "0.05 0.00");
  testutil::write_file(dir.file("zero.tsv"), zero);
  struct Case {
    std::vector<std::string> args;
    int status;
    std::vector<std::string> shown, not_shown;
  };
  const Case cases[] = {
      {{"bm.tsv"}, 0, {" BM2 ", " BM3 ", " Vinet ", "weights p: 1/sigma_p^2"}, {"BM3 p_c", "NS3"}},
      {{"--eos", "all", "bm.tsv"},
       0,
       {" BM4 ", " Murnaghan ", " Tait ", " NS3 ", " NS4 "},
       {"BM3 p_c"}},
      {{"--pc", "0.05", "--eos", "bm3_pc,ns3", "bm.tsv"}, 0, {"BM3 p_c 0.05", " NS3 "}, {" BM2 "}},
      {{"--eos", "bm3_pc", "bm.tsv"}, 2, {}, {}},
      {{"--eos", "bm5", "bm.tsv"}, 2, {}, {}},
      {{"--fix", "Bp=5", "--weights", "none", "bm.tsv"}, 0, {"5 (held)", "weights none"}, {}},
      {{"--weights", "p", "zero.tsv"}, 1, {}, {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {EXPANSION_BIN, "--pressure"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto r = run_program(args, dir.path(), "");
    SCOPED_TRACE(c.args.front() + " " + c.args.back());
    EXPECT_EQ(c.status, r.exit_status) << r.err;
    for (const std::string& text : c.shown) EXPECT_NE(std::string::npos, r.out.find(text)) << text;
    for (const std::string& text : c.not_shown)
      EXPECT_EQ(std::string::npos, r.out.find(text)) << text;
  }
  const auto refused =
      run_program({EXPANSION_BIN, "--pressure", "--weights", "p", "zero.tsv"}, dir.path(), "");
  EXPECT_NE(std::string::npos, refused.err.find("zero.tsv")) << refused.err;
  EXPECT_NE(std::string::npos, refused.err.find("line 2")) << refused.err;
}

// The hint to run with --pressure, given only where the values could be
// pressures in GPa; and --fit, which pressure mode has no use for, refused.
TEST(PressureCli, HintsOnlyWhereTheValuesCouldBePressures) {
  const auto series = [](const char* comment, double from, double to, double su) {
    std::string s = std::string("# ") + comment + "\n";
    for (int i = 0; i < 6; ++i) {
      const double x = from + (to - from) * i / 5;
      s += row(x, su, 8 * (1 - 1e-4 * x), 9 * (1 - 2e-4 * x), 7 * (1 - 3e-4 * x));
    }
    return s;
  };
  const struct {
    const char* name;
    std::string table;
    const char* hint;  // nullptr: none
  } cases[] = {
      {"diamond-anvil series, no comment", series("DAC run 3", 0, 45, 0.08),
       "the lowest temperature is below 1 K; if the series is one of pressure"},
      {"cold", series("p sigma_p a b c", 2, 18, 0.05), "every temperature lies below 20 K"},
      {"kelvin at ambient pressure", series("measured at ambient pressure", 100, 300, 0.5),
       nullptr},
      {"kelvin below 100 speaking of pressure", series("ambient pressure", 30, 90, 0.5), nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir dir;
    testutil::write_file(dir.file("s.tsv"), c.table);
    const auto r = run_program({EXPANSION_BIN, "s.tsv"}, dir.path(), "");
    EXPECT_EQ(c.hint == nullptr ? 0 : 4, r.exit_status) << r.err;
    const bool hinted = r.err.find("--pressure") != std::string::npos;
    EXPECT_EQ(c.hint != nullptr, hinted) << r.err;
    EXPECT_TRUE(c.hint == nullptr || r.err.find(c.hint) != std::string::npos) << r.err;
  }
  ScopedTempDir dir;
  testutil::write_file(dir.file("s.tsv"), series("p", 0, 5, 0.05));
  const auto fit =
      run_program({EXPANSION_BIN, "--pressure", "--fit", "quadratic", "s.tsv"}, dir.path(), "");
  EXPECT_EQ(2, fit.exit_status);
  EXPECT_NE(std::string::npos, fit.err.find("--fit is for a temperature series")) << fit.err;
}

// --svg: the strains with their fits, the volume with its line and three
// equations of state (curves alone), the lattice against pressure, the
// compressibility indicatrix with a
// dashed lobe for the axis that grows; --html: the page of the same.
TEST(PressureCli, DrawsStrainsEquationsOfStateAndIndicatrix) {
  ScopedTempDir dir;
  testutil::write_file(dir.file("bm.tsv"), cubic_table());
  const auto r =
      run_program({EXPANSION_BIN, "--pressure", "--svg", "out", "bm.tsv"}, dir.path(), "");
  ASSERT_EQ(0, r.exit_status) << r.err;
  EXPECT_NE(std::string::npos,
            r.out.find("SVG pictures written: out_strain.svg, out_volume.svg, out_lattice.svg, "
                       "out_indicatrix.svg"));
  EXPECT_NE(std::string::npos,
            testutil::read_file(dir.file("out_lattice.svg")).find("Pressure (GPa)"));
  const std::string volume = testutil::read_file(dir.file("out_volume.svg"));
  for (const char* key : {"class=\"fit s3\"", "BM2", "Vinet", "Pressure (GPa)"})
    EXPECT_NE(std::string::npos, volume.find(key)) << key;
  const auto count = [](const std::string& svg, const std::string& cls) {
    std::size_t n = 0;
    for (std::size_t at = svg.find(cls); at != std::string::npos; at = svg.find(cls, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(13u + 1u, count(volume, "<circle class=\"s0\""));  // the key's too
  // A curve alone has no point, nor has its key; every curve is drawn.
  EXPECT_EQ(0u, count(volume, "<circle class=\"s1\""));
  EXPECT_EQ(0u, count(volume, "points=\"\""));
  EXPECT_EQ(0u, count(testutil::read_file(dir.file("out_indicatrix.svg")),
                      "<polyline class=\"negative\""));

  testutil::write_file(dir.file("nlc.tsv"), orthorhombic_table("p sigma_p a b c al be ga"));
  const auto nlc =
      run_program({EXPANSION_BIN, "--pressure", "--svg", "nlc", "--html", "nlc.html", "nlc.tsv"},
                  dir.path(), "");
  ASSERT_EQ(0, nlc.exit_status) << nlc.err;
  const std::string indicatrix = testutil::read_file(dir.file("nlc_indicatrix.svg"));
  EXPECT_NE(std::string::npos, indicatrix.find("Compressibility indicatrix"));
  EXPECT_NE(std::string::npos, indicatrix.find("TPa\u207b\u00b9"));
  // X1 (a) grows: dashed lobes.
  EXPECT_LT(0u, count(indicatrix, "<polyline class=\"negative\""));
  const std::string page = testutil::read_file(dir.file("nlc.html"));
  for (const char* part : {"Principal compressibilities of nlc.tsv", "id=\"eos\"",
                           "<li class=\"alarm\">X1: negative linear compressibility", "p (GPa)"})
    EXPECT_NE(std::string::npos, page.find(part)) << part;
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
      {"a negative pressure",
       row(0.5, 0.1, 8, 9, 7) + row(-0.5, 0.1, 8.1, 9, 7) + row(1, 0.1, 7.9, 9, 7) +
           row(1.5, 0.1, 7.8, 9, 7),
       "bad.tsv:line 2: a pressure of -0.50(10) GPa is below zero"},
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

// Pressures a ruby gauge reads near ambient, slightly below zero, are taken;
// a series too short for the empirical fit is told so in words.
TEST(PressureCli, TakesAmbientScatterAndTellsAShortSeries) {
  ScopedTempDir dir;
  testutil::write_file(dir.file("low.tsv"),
                       row(-0.08, 0.01, 8.02, 9, 7) + row(-0.25, 0.1, 8.03, 9, 7) +
                           row(1, 0.1, 7.9, 8.9, 7) + row(2, 0.1, 7.8, 8.8, 7));
  const auto r = run_program({EXPANSION_BIN, "--pressure", "low.tsv"}, dir.path(), "");
  ASSERT_EQ(0, r.exit_status) << r.err;
  EXPECT_NE(std::string::npos, r.out.find("Points     : 4, -0.25 GPa to 2 GPa")) << r.out;
  EXPECT_NE(
      std::string::npos,
      r.out.find("K at each pressure: not given; the empirical fit cannot be judged: 4 points "
                 "for 4 parameters"))
      << r.out;
}

}  // namespace

// Greatest and least named only of axes that symmetry does not make equal:
// the symmetry's own words where it does, "not distinguishable" where only
// the numbers are alike.
TEST(PressureCli, GreatestAndLeastOnlyOfAxesSymmetryLeavesApart) {
  // a = 8, b = b0, c = 7 at zero pressure, each shrinking linearly.
  const auto linear = [](double ka, double kb, double kc, double b0) {
    std::string s = "# p sigma_p a b c alpha beta gamma\n";
    for (int i = 1; i <= 6; ++i)
      s += row(i, 0.05, 8 * (1 - ka * i), b0 * (1 - kb * i), 7 * (1 - kc * i));
    return s;
  };
  const struct {
    const char* name;
    std::string table;
    std::vector<std::string> words, absent;
  } cases[] = {
      {"cubic",
       cubic_table(),
       {"\n X1, X2 and X3 compress alike, as the cubic symmetry makes them"},
       {"Greatest", "; least", "Least compressibility"}},
      {"tetragonal, c softest",
       linear(0.004, 0.004, 0.008, 8),
       {"\n Greatest compressibility along X3 [0.0000 0.0000 1.0000].\n",
        "\n X1 and X2 compress alike, as the tetragonal symmetry makes them"},
       {"; least", "Least compressibility"}},
      {"tetragonal, c stiffest",
       linear(0.008, 0.008, 0.004, 8),
       {"\n Least compressibility along X1 [0.0000 0.0000 1.0000].\n",
        "\n X2 and X3 compress alike, as the tetragonal symmetry makes them"},
       {"Greatest"}},
      {"orthorhombic",
       linear(0.004, 0.006, 0.008, 9),
       {"\n Greatest compressibility along X3 [0.0000 0.0000 1.0000]; least along X1 [1.0000 "
        "0.0000 0.0000].\n"},
       {"alike", "not distinguishable"}},
      {"orthorhombic, a and b alike",
       linear(0.004, 0.004, 0.008, 9),
       {"\n Greatest compressibility along X3 [0.0000 0.0000 1.0000]; least along X1 [",
        "\n X1 and X2 are not distinguishable within their SUs.\n"},
       {"alike, as"}},
  };
  ScopedTempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testutil::write_file(dir.file("s.tsv"), c.table);
    const auto r = run_program({EXPANSION_BIN, "--pressure", "s.tsv"}, dir.path(), "");
    ASSERT_NE(1, r.exit_status) << r.err;
    for (const std::string& w : c.words) EXPECT_NE(std::string::npos, r.out.find(w)) << r.out;
    for (const std::string& w : c.absent) EXPECT_EQ(std::string::npos, r.out.find(w)) << w;
  }
}
