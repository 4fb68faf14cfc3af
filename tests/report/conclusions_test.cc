// The conclusions a report draws, the same in the text report and on the
// page: a temperature series whose a shrinks and whose space group changes
// half way, and a pressure series whose a grows.
#include "report/conclusions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "chart/svg_chart.h"
#include "expansion/eos_analysis.h"
#include "report/html_report.h"
#include "report/pressure_report.h"

namespace {

using report::ConclusionKind;

// a shrinks by 8e-6/K, b and c grow, each length with an SU; P 21 c n
// above 200 K, P m c n below.
std::vector<crystal::CellEntry> cooled_cells() {
  std::vector<crystal::CellEntry> out;
  for (int i = 0; i < 6; ++i) {
    crystal::CellEntry e;
    e.source = "t" + std::to_string(i);
    e.temperature = 100.0 + 40 * i;
    e.cell = {
        5 * (1 - 8e-6 * 40 * i), 6 * (1 + 9e-6 * 40 * i), 7 * (1 + 2e-5 * 40 * i), 90, 90, 90};
    e.su.a = e.su.b = e.su.c = 0.0002;
    e.space_group = e.temperature < 200 ? "P m c n" : "P 21 c n";
    out.push_back(e);
  }
  return out;
}

// a grows under pressure, b and c shrink, 0.1 GPa to 6.1 GPa.
std::vector<crystal::CellEntry> squeezed_cells() {
  std::vector<crystal::CellEntry> out;
  for (int i = 0; i < 9; ++i) {
    const double p = 0.1 + 0.75 * i;
    crystal::CellEntry e;
    e.source = "p" + std::to_string(i);
    e.cell = {8 * (1 + 0.011 * std::pow(p + 0.35, 0.55)),
              9 * (1 - 0.021 * std::pow(p + 0.1, 0.8)),
              7 * (1 - 0.006 * p),
              90,
              90,
              90};
    e.pressure = p;
    e.pressure_su = 0.03;
    out.push_back(e);
  }
  return out;
}

struct Written {
  std::vector<report::Conclusion> list;
  std::string text, page;
};

Written temperature_outputs() {
  const auto result = expansion::analyse_series(
      cooled_cells(), {0, {expansion::StrainKind::kNatural, true}, 1, false}, {100, 1});
  EXPECT_TRUE(result);
  const report::Source source{"t.cif", {}, cooled_cells(), {}, {}, {}, {}};
  return {report::conclusions(*result, source), report::text_report(*result, source),
          report::html_report(*result, source, {}, {})};
}

Written pressure_outputs() {
  const std::vector<crystal::CellEntry> cells = squeezed_cells();
  const auto series = expansion::analyse_pressure_series(
      cells, std::vector<double>(cells.size(), 0.03), 0, {}, expansion::Draws{});
  EXPECT_TRUE(series);
  const auto eos =
      expansion::analyse_equations_of_state(cells, {{expansion::Eos::kBm3}, {}, {}, {}, 0});
  EXPECT_TRUE(eos);
  const report::Source source{"p.tsv", {}, cells, {}, {}, {}, {}};
  return {report::pressure_conclusions(*series, source),
          report::pressure_text_report(*series, *eos, source),
          report::pressure_html_report(*series, *eos, source, {}, {})};
}

TEST(Conclusions, ThePageSaysWhatTheReportSays) {
  struct Case {
    const char* what;
    Written written;
    const char* alarm;   // in both
    const char* change;  // on the page alone: the run tells it as a warning
  };
  const Case cases[] = {
      {"temperature", temperature_outputs(), "X1: NEGATIVE THERMAL EXPANSION, alpha = -",
       "the space group changes from P m c n to P 21 c n"},
      {"pressure", pressure_outputs(), "X1: negative linear compressibility", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Written& w = c.written;
    EXPECT_NE(std::string::npos, w.text.find(report::conclusions_text(w.list))) << w.text;
    EXPECT_NE(std::string::npos, w.text.find(std::string(" ") + c.alarm)) << w.text;
    EXPECT_NE(std::string::npos, w.page.find(std::string("<li class=\"alarm\">") + c.alarm))
        << w.page;
    std::size_t alarms = 0;
    for (const report::Conclusion& conclusion : w.list) {
      std::string line = conclusion.text;
      for (char& ch : line) ch = ch == '\n' ? ' ' : ch;
      EXPECT_NE(std::string::npos, w.page.find(">" + chart::markup_text(line) + "</li>\n")) << line;
      const std::string told = report::conclusions_text({conclusion});
      if (conclusion.kind == ConclusionKind::kChange) {
        EXPECT_EQ(std::string::npos, w.text.find(conclusion.text)) << line;
      } else {
        EXPECT_NE(std::string::npos, w.text.find(told)) << line;
      }
      alarms += conclusion.kind == ConclusionKind::kAlarm ? 1 : 0;
    }
    EXPECT_EQ(1u, alarms);
    if (c.change != nullptr) {
      EXPECT_NE(std::string::npos, w.page.find(c.change)) << w.page;
    }
  }
}

}  // namespace
