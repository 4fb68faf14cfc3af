// The page of a pressure series, its sections built from the table of
// quantities (pressure_quantities.h).
#include <algorithm>

#include "chart/plot_points.h"
#include "chart/svg_chart.h"
#include "common/number_text.h"
#include "report/conclusions.h"
#include "report/html_parts.h"
#include "report/html_report.h"
#include "report/pressure_quantities.h"
#include "report/range_notes.h"
#include "report/strain_quantities.h"

namespace report {
namespace {

using html::axis_markup;
using html::method_row;
using html::plain_cell;
using html::section;

std::string pressure_method_section(const expansion::PressureSeries& series, const Source& source) {
  const expansion::Analysis& an = series.analysis.strains;
  const std::vector<double>& p = an.temperatures;
  const auto [lo, hi] = std::minmax_element(p.begin(), p.end());
  std::string s = "<dl class=\"method\">\n";
  s += method_row("Mode", "pressure in GPa; compressibility K = &minus;d&epsilon;/dp in " +
                              std::string(kPerTeraPascal.markup));
  s += method_row("Points", common::format_text("%zu, %.4g GPa to %.4g GPa", p.size(), *lo, *hi));
  s += method_row("Reference", common::format_text("the point at %.4g GPa (row %zu)",
                                                   p[an.reference], an.reference + 1));
  s += html::skipped_row(source);
  s += range_row(source, crystal::Abscissa::kPressure);
  s += method_row("Strain", chart::markup_text(expansion::measure_name(an.measure)));
  s += method_row(
      "Fits",
      "each principal strain &epsilon; = &epsilon;<sub>0</sub> + &lambda; (p &minus; "
      "p<sub>c</sub>)<sup>&nu;</sup>, weighted by 1/&sigma;<sub>p</sub><sup>2</sup>, SUs "
      "scaled by &chi;<sup>2</sup>/(N &minus; 4); K(p) = &minus;&lambda; &nu; (p &minus; "
      "p<sub>c</sub>)<sup>&nu;&minus;1</sup>");
  s +=
      method_row("Linear K", std::string("minus the least-squares slope of each strain, ") +
                                 (series.analysis.weighted ? "weighted by 1/&sigma;<sub>p</sub>"
                                                           : "unweighted (no pressure has an SU)") +
                                 " (HC0 standard error); of the volume, " +
                                 (an.volume.logarithmic
                                      ? "minus the slope of ln(V/V<sub>ref</sub>)"
                                      : "minus the slope of V over V at the reference point"));
  if (series.sus) s += html::draws_row(series.sus->draws);
  s += method_row("Directions",
                  common::format_text("at %.4g GPa (row %zu), in the axes of that point's cell",
                                      p[an.direction_point], an.direction_point + 1));
  return section("method", "Method", s + "</dl>\n");
}

// Each axis's K at the median pressure and its straight-line K, each with its
// SUs, and the volume's straight-line K.
std::string compressibilities_section(const expansion::PressureSeries& series) {
  const expansion::Analysis& an = series.analysis.strains;
  const std::size_t median = an.median;
  std::string s =
      common::format_text("<p>At the median pressure, %.4g GPa.</p>\n", an.temperatures[median]);
  const std::string unit(kK.unit.markup);
  const std::string sus = "<th>su<sub>fit</sub></th><th>su<sub>cells</sub></th>";
  s += "<table id=\"compressibilities\">\n<thead><tr><th class=\"name\">Axis</th><th>K (" + unit +
       ")</th>" + sus + "<th>linear K (" + unit + ")</th>" + sus + "</tr></thead>\n<tbody>\n";
  for (std::size_t k = 0; k <= 3; ++k) {
    const std::string path = k == 3 ? "volume" : "axes." + std::to_string(k);
    s += "<tr><th class=\"name\" scope=\"row\">" +
         (k == 3 ? std::string("K<sub>V</sub>") : axis_markup(k)) + "</th>";
    s += k == 3 ? "<td>&ndash;</td><td>&ndash;</td><td>&ndash;</td>"
                : html::su_cells(path, kK, kK(series, {k, median}), median);
    s += html::su_cells(k == 3 ? path : path + ".linear", kLinearK,
                        kLinearK(series, {k, std::nullopt}), std::nullopt) +
         "</tr>\n";
  }
  s += "</tbody></table>\n<p class=\"note\">K: from the empirical fit; linear K: from the "
       "straight line; su<sub>fit</sub>: the fit's standard error; su<sub>cells</sub>: the SU "
       "the cells' own SUs give, by Monte Carlo; in parentheses the larger of the two. "
       "K<sub>V</sub>: the volume's, from its straight line alone. A dash: none (no empirical "
       "fit for a series this short, no SUs in the cells).</p>\n";
  return section("compressibilities", "Principal compressibilities", s);
}

std::string directions_section(const expansion::PressureSeries& series) {
  const expansion::PressureAnalysis& r = series.analysis;
  std::string s =
      "<table id=\"directions\">\n<thead><tr><th class=\"name\">Axis</th><th>u</th><th>v</th>"
      "<th>w</th><th>angle to a (&deg;)</th><th>to b (&deg;)</th><th>to c (&deg;)</th>"
      "</tr></thead>\n<tbody>\n";
  for (std::size_t k = 0; k < 3; ++k) {
    const expansion::AxisResult& x = r.strains.axes[r.axes[k].axis];
    const std::string path = "axes." + std::to_string(k) + ".";
    s += "<tr><th class=\"name\" scope=\"row\">" + axis_markup(k) + "</th>";
    for (std::size_t c = 0; c < 3; ++c)
      s += plain_cell(path + "uvw." + std::to_string(c), cleaned(x.uvw(c), 12), 4);
    for (std::size_t c = 0; c < 3; ++c)
      s += plain_cell(path + "angles." + std::to_string(c), cleaned(x.angles[c], 5), 2);
    s += "</tr>\n";
  }
  s += "</tbody></table>\n<p class=\"note\">[u v w]: the unit vector of each principal axis in "
       "the cell's axes.</p>\n";
  return section("directions", "Directions of the principal axes", s);
}

// K at each pressure, or why there is none.
std::string pressures_section(const expansion::PressureSeries& series) {
  const expansion::PressureAnalysis& r = series.analysis;
  if (std::none_of(r.axes.begin(), r.axes.end(),
                   [](const expansion::CompressibilityAxis& a) { return a.fit.has_value(); })) {
    return section("each-pressure", "Compressibility at each pressure",
                   "<p>Not given: " + chart::markup_text(r.axes[0].why_not) +
                       "; each axis has only its straight-line K.</p>\n");
  }
  const std::vector<double>& p = r.strains.temperatures;
  const std::size_t step = html::listed_step(p.size());
  std::string s = html::thinned_note(p.size(), step) +
                  "<table id=\"each-pressure\">\n<thead><tr><th>p (GPa)</th>";
  for (std::size_t k = 0; k < 3; ++k) s += "<th>K(" + axis_markup(k) + ")</th>";
  s += "</tr></thead>\n<tbody>\n";
  for (std::size_t i = 0; i < p.size(); i += step) {
    s += "<tr>" + plain_cell("pressures." + std::to_string(i), p[i], -1);
    for (std::size_t k = 0; k < 3; ++k)
      s += html::quantity_cell(html::key_path("axes." + std::to_string(k), kK.key, i), kK,
                               kK(series, {k, i}));
    s += "</tr>\n";
  }
  s += "</tbody></table>\n<p class=\"note\">" + std::string(kK.unit.markup) +
       ", each with the larger of its two SUs in parentheses.</p>\n";
  return section("each-pressure", "Compressibility at each pressure", s);
}

std::string fits_section(const expansion::PressureSeries& series) {
  std::string s = "<table id=\"fits\">\n<thead><tr><th class=\"name\">Axis</th>";
  for (const PressureQuantity* q : kFitQuantities) s += html::heading_cell(*q);
  s += "</tr></thead>\n<tbody>\n";
  for (std::size_t k = 0; k < 3; ++k) {
    const std::string path = "axes." + std::to_string(k) + ".fit";
    s += "<tr><th class=\"name\" scope=\"row\">" + axis_markup(k) + "</th>";
    for (const PressureQuantity* q : kFitQuantities)
      s += html::quantity_cell(html::key_path(path, q->key), *q, (*q)(series, {k, std::nullopt}));
    s += "</tr>\n";
  }
  s += "</tbody></table>\n<p class=\"note\">p<sub>c</sub> (bound): at its bound, the "
       "lowest pressure, without an SU.</p>\n";
  for (std::size_t k = 0; k < 3; ++k) {
    const auto& fit = series.analysis.axes[k].fit;
    if (fit && !fit->determined)
      s += "<p>" + axis_markup(k) +
           ": parameters not determined; K(p) is (the least squares lie towards &nu; &rarr; 0 "
           "or p<sub>c</sub> &rarr; &minus;&infin;; the row gives where the search stopped).</p>\n";
  }
  return section("fits", "Empirical fits", s);
}

}  // namespace

std::string pressure_html_report(const expansion::PressureSeries& series,
                                 const expansion::EosAnalysis& eos, const Source& source,
                                 const std::vector<std::string>& warnings,
                                 const std::vector<chart::Picture>& pictures,
                                 const std::optional<std::string>& title) {
  const std::vector<std::string> sections = {
      pressure_method_section(series, source),
      compressibilities_section(series),
      directions_section(series),
      html::conclusions_section(pressure_conclusions(series, source)),
      pressures_section(series),
      fits_section(series),
      html::strains_section(series, kPressureStrainQuantities, series.analysis.strains.temperatures,
                            "pressures", "p (GPa)"),
      html::eos_section(eos),
      html::cells_section(source, crystal::Abscissa::kPressure, "p (GPa)",
                          series.analysis.strains.volume.values, nullptr)};
  return html::page(html::page_title("Principal compressibilities of", source, title), warnings,
                    sections, pictures);
}

}  // namespace report
