// The SUs drawn from the cells as the report, JSON and CSV write them: the
// crystallographers' form worked by hand, a direction with no SU where its
// axis expands alike with another, and nulls where the cells carry none.
#include "report/report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expansion/monte_carlo.h"
#include "test_util.h"

namespace {

// a shrinks 5e-6/K, b stays, c grows 1e-5/K: Lagrangian infinitesimal
// coefficients -5, 0 and 10 MK^-1, each along its cell axis.
std::vector<crystal::CellEntry> cells() {
  const auto at = [](const char* source, double t, crystal::Cell cell) {
    crystal::CellEntry e;
    e.source = source;
    e.temperature = t;
    e.cell = cell;
    return e;
  };
  std::vector<crystal::CellEntry> out = {
      at("p0", 100, {5, 6, 7, 90, 90, 90}),
      at("p1", 200, {4.9975, 6, 7.007, 90, 90, 90}),
      at("p2", 300, {4.995, 6, 7.014, 90, 90, 90}),
  };
  out[1].su.a = 0.001;
  return out;
}

expansion::SeriesAnalysis result(bool with_sus) {
  auto r = expansion::analyse_series(
      cells(), {0, {expansion::StrainKind::kLagrangian, false}, 1, false}, {});
  expansion::SeriesAnalysis out = r.value();
  if (!with_sus) {
    out.sus.reset();
    return out;
  }
  expansion::PropagatedSus& s = out.sus.value();
  s.axes[0].alpha = 0.19e-6;
  s.axes[0].direction_deg = 0.5;
  s.axes[1].alpha = 0.02e-6;
  s.axes[1].direction_deg.reset();
  s.axes[2].alpha = 1.234e-6;
  s.axes[2].direction_deg = 12.25;
  s.volume.alpha = 0.0456e-6;
  return out;
}

TEST(ExpansionReport, CoefficientsWithTheirDrawnSus) {
  const report::Source source{"s.cif", {}, cells(), {}, {}, {}, {}};
  const std::string text = report::text_report(result(true), source);
  for (const char* line :
       {" Cells' SUs : carried through the whole analysis by 2000 Monte Carlo draws\n"
        "              (--seed 1): su_cells their SD, su_dir the RMS angle of the axes\n",
        " Uncertainty: su: the larger of the fit's standard error and the cells' SU\n",
        " X1          -5.00(19)    0.000     0.190    1.0000  0.0000  0.0000       0.00   90.00"
        "   90.00         0.50\n"
        " X2          0.000(20)    0.000     0.020    0.0000  1.0000  0.0000      90.00    0.00"
        "   90.00            -\n"
        " X3           10.0(12)    0.000     1.234    0.0000  0.0000  1.0000      90.00   90.00"
        "    0.00        12.25\n"
        " V           4.990(46)    0.001     0.046\n",
        " X1: NEGATIVE THERMAL EXPANSION, alpha = -5.00(19) MK^-1.\n"}) {
    EXPECT_NE(std::string::npos, text.find(line)) << line << "\nin\n" << text;
  }
  const std::string json = report::json_report(result(true), source);
  for (const char* part :
       {"\"draws\":2000,\"fit\":\"linear\",\"weighted\":false,", "\"su_cells\":0.19", "\"su\":0.19",
        "\"direction_su_deg\":0.5,", "\"direction_su_deg\":null,", "\"strains_su\":[0.0,",
        "\"cells\":[{\"source\":\"p0\",\"T\":100.0,\"T_su\":null,\"a\":5.0,\"a_su\":null,"
        "\"b\":6.0,\"b_su\":null,\"c\":7.0,\"c_su\":null,\"alpha\":90.0,\"alpha_su\":null,"
        "\"beta\":90.0,\"beta_su\":null,\"gamma\":90.0,\"gamma_su\":null},{\"source\":"
        "\"p1\",\"T\":200.0,\"T_su\":null,\"a\":4.9975,\"a_su\":0.001,"}) {
    EXPECT_NE(std::string::npos, json.find(part)) << part << "\nin\n" << json;
  }
  const auto csv = testutil::split_lines(testutil::first_table(report::csv_report(result(true))));
  ASSERT_EQ(5U, csv.size());
  EXPECT_EQ(
      "axis,T_K,alpha_MK-1,su_MK-1,u,v,w,angle_a_deg,angle_b_deg,angle_c_deg,su_fit_MK-1,"
      "su_cells_MK-1,direction_su_deg,alpha(su)_MK-1",
      csv[0]);
  EXPECT_TRUE(csv[1].ends_with(",0.5,-5.00(19)")) << csv[1];
  EXPECT_TRUE(csv[2].ends_with(",,0.000(20)")) << csv[2];
  EXPECT_TRUE(csv[4].starts_with("V,,") && csv[4].find(",,,,,,") != std::string::npos &&
              csv[4].ends_with(",,4.990(46)"))
      << csv[4];
}

TEST(ExpansionReport, CellsWithoutSusGiveNullsInJson) {
  const std::string json =
      report::json_report(result(false), report::Source{"t", {}, cells(), {}, {}, {}, {}});
  for (const char* part : {"\"draws\":null,\"fit\":\"linear\",\"weighted\":false,",
                           "\"su_cells\":null,\"direction_su_deg\":null,", "\"strains_su\":null",
                           "\"values_su\":null"}) {
    EXPECT_NE(std::string::npos, json.find(part)) << part << "\nin\n" << json;
  }
}

}  // namespace
