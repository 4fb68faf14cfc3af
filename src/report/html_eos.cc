// The page's section of the equations of state: their table, the fitted
// pressure and residual of each at every point, the axial equations and the
// F-f line, each number from its row of eos_quantities.h at the place the
// JSON holds it (eos_report.h).
#include <string>
#include <vector>

#include "chart/plot_points.h"
#include "chart/svg_chart.h"
#include "common/number_text.h"
#include "report/eos_quantities.h"
#include "report/html_parts.h"

namespace report::html {
namespace {

constexpr const char* kAxisNames[] = {"a", "b", "c"};

std::string eos_path(const expansion::EosEntry& e) {
  return "eos." + std::string(expansion::eos_key(e.eos));
}

// An equation's row of the table: its name, parameters and measures of fit.
std::string equation_row(const expansion::EosAnalysis& eos, std::size_t i) {
  const expansion::EosEntry& entry = eos.equations[i];
  const Place at{i, std::nullopt};
  std::string s = "<tr><th class=\"name\" scope=\"row\">" +
                  chart::markup_text(expansion::eos_label(entry.eos)) + "</th>";
  for (const EosQuantity* q : {&kV0, &kB0, &kBp, &kBpp, &kEosPc, &kChi2w, &kMaxResidual})
    s += quantity_cell(key_path(eos_path(entry), q->key), *q, (*q)(eos, at));
  return s + "</tr>\n";
}

std::string equations_table(const expansion::EosAnalysis& eos) {
  std::string s = "<table id=\"eos\">\n<thead><tr><th class=\"name\">Equation of state</th>";
  for (const EosQuantity* q : {&kV0, &kB0, &kBp, &kBpp, &kEosPc, &kChi2w, &kMaxResidual})
    s += heading_cell(*q);
  s += "</tr></thead>\n<tbody>\n";
  for (std::size_t i = 0; i < eos.equations.size(); ++i) s += equation_row(eos, i);
  return s + "</tbody></table>\n<p class=\"note\">Fitted to p(V) with the weights " +
         chart::markup_text(eos.weights_why) +
         "; SUs scaled by the reduced &chi;<sup>2</sup>. A parameter held at a value is marked "
         "so (B&prime; = 4 in BM2). A dash: none, or the series cannot be fitted.</p>\n";
}

// Each point's p and V, then p_calc and p_calc - p of every equation fitted.
std::string residuals_table(const expansion::EosAnalysis& eos) {
  const std::size_t step = listed_step(eos.series.p.size());
  std::string s =
      thinned_note(eos.series.p.size(), step) +
      "<table id=\"residuals\">\n<thead><tr><th>p (GPa)</th><th>V (&Aring;<sup>3</sup>)</th>";
  std::vector<std::size_t> fitted;
  for (std::size_t k = 0; k < eos.equations.size(); ++k) {
    if (!eos.equations[k].fit) continue;
    fitted.push_back(k);
    const std::string name = chart::markup_text(expansion::eos_label(eos.equations[k].eos));
    s += "<th>" + name + " p<sub>calc</sub></th><th>";
    s += name + " &Delta;p</th>";
  }
  s += "</tr></thead>\n<tbody>\n";
  for (std::size_t i = 0; i < eos.series.p.size(); i += step) {
    s += "<tr>" + plain_cell("pressures." + std::to_string(i), eos.series.p[i], -1) + "<td>" +
         page_number(common::fixed(eos.series.v[i], 4)) + "</td>";
    for (const std::size_t k : fitted) {
      const std::string path = eos_path(eos.equations[k]);
      s += quantity_cell(key_path(path, "p_calc", i), kPCalc, kPCalc(eos, {k, i})) + "<td>" +
           page_number(shown(kResidual, kResidual(eos, {k, i}), kMissingPage)) + "</td>";
    }
    s += "</tr>\n";
  }
  return s +
         "</tbody></table>\n<p class=\"note\">Each equation's pressure at each point's volume, "
         "p<sub>calc</sub>, and its residual &Delta;p = p<sub>calc</sub> &minus; p, GPa.</p>\n";
}

// The axial equations: l0, M0, M' and beta0 of each length symmetry fixes.
std::string axial_table(const expansion::EosAnalysis& eos) {
  if (eos.axial.empty()) return "";
  std::string s = "<table id=\"axial\">\n<thead><tr><th class=\"name\">Axis</th>";
  for (const EosQuantity* q : kAxialQuantities) s += heading_cell(*q);
  s += "</tr></thead>\n<tbody>\n";
  for (std::size_t k = 0; k < eos.axial.size(); ++k) {
    const std::string name = kAxisNames[eos.axial[k].axis];
    s += "<tr><th class=\"name\" scope=\"row\">" + name + "</th>";
    for (const EosQuantity* q : kAxialQuantities)
      s += quantity_cell(key_path("axial." + name, q->key), *q, (*q)(eos, {k, std::nullopt}));
    s += "</tr>\n";
  }
  return s +
         "</tbody></table>\n<p class=\"note\">Axial equations of state: BM3 of the cubed "
         "length, M<sub>0</sub> = 3K<sub>0</sub> and M&prime; = 3K&prime; of the cube, "
         "&beta;<sub>0</sub> = 1000/M<sub>0</sub>.</p>\n";
}

// The F-f line's B0 and B', where the plot has a line.
std::string ff_line(const expansion::EosAnalysis& eos) {
  const Reading b0 = kFfB0(eos, {}), bp = kFfBp(eos, {});
  if (!b0.value) return "";
  return "<p class=\"note\">F&ndash;f line, F = B<sub>0</sub> + 3/2 B<sub>0</sub> (B&prime; "
         "&minus; 4) f, weighted 1/&sigma;<sub>F</sub><sup>2</sup>: B<sub>0</sub> = " +
         number_cell("ff.line.B0", b0.value, shown(kFfB0, b0, kMissingPage), "span") +
         " GPa, B&prime; = " +
         number_cell("ff.line.Bp", bp.value, shown(kFfBp, bp, kMissingPage), "span") + ".</p>\n";
}

}  // namespace

std::string eos_section(const expansion::EosAnalysis& eos) {
  return section("eos", "Equations of state",
                 equations_table(eos) + ff_line(eos) + residuals_table(eos) + axial_table(eos));
}

}  // namespace report::html
