// The page of a temperature series, its sections built from the table of
// quantities (temperature_quantities.h).
#include <algorithm>

#include "chart/plot_points.h"
#include "chart/svg_chart.h"
#include "common/number_text.h"
#include "report/conclusions.h"
#include "report/html_parts.h"
#include "report/html_report.h"
#include "report/range_notes.h"
#include "report/strain_quantities.h"
#include "report/temperature_quantities.h"

namespace report {
namespace {

using html::axis_markup;
using html::method_row;
using html::plain_cell;
using html::section;

// Where the JSON holds axis k's keys (3: the volume's).
std::string subject_path(std::size_t k) {
  return k == 3 ? "volume" : "axes." + std::to_string(k);
}

std::string method_section(const expansion::SeriesAnalysis& result, const Source& source) {
  const expansion::Analysis& an = result.analysis;
  const auto [lo, hi] = std::minmax_element(an.temperatures.begin(), an.temperatures.end());
  std::string s = "<dl class=\"method\">\n";
  s += method_row("Points",
                  common::format_text("%zu, %.2f K to %.2f K", an.temperatures.size(), *lo, *hi));
  s +=
      method_row("Reference", common::format_text("the point at %.2f K (row %zu)",
                                                  an.temperatures[an.reference], an.reference + 1));
  s += html::skipped_row(source);
  s += range_row(source, crystal::Abscissa::kTemperature);
  s += method_row("Strain", chart::markup_text(expansion::measure_name(an.measure)));
  const bool weighted = result.sus && result.sus->weighted;
  s +=
      method_row("Fit", std::string(expansion::fit_name(an.degree)) + " in T, " +
                            (weighted ? "weighted least squares (1/su&sup2; of each point from the "
                                        "draws), standard errors scaled by the reduced &chi;&sup2;"
                                      : "least squares, standard errors HC0 "
                                        "(heteroscedasticity-consistent)"));
  if (result.sus) s += html::draws_row(result.sus->draws);
  s += method_row("Directions",
                  common::format_text("at %.2f K (row %zu), in the axes of that point's cell",
                                      an.temperatures[an.direction_point], an.direction_point + 1));
  return section("method", "Method", s + "</dl>\n");
}

std::string coefficients_section(const expansion::SeriesAnalysis& result) {
  const expansion::Analysis& an = result.analysis;
  std::string s = an.degree == 1
                      ? std::string()
                      : common::format_text("<p>At the median temperature, %.2f K.</p>\n",
                                            an.temperatures[an.median]);
  s += std::string("<table id=\"coefficients\">\n<thead><tr><th class=\"name\">Axis</th><th>") +
       std::string(kAlpha.markup) + " (" + std::string(kAlpha.unit.markup) +
       ")</th><th>su<sub>fit</sub></th><th>su<sub>cells</sub></th></tr></thead>\n<tbody>\n";
  for (std::size_t k = 0; k <= 3; ++k) {
    s += "<tr><th class=\"name\" scope=\"row\">" +
         (k == 3 ? std::string("&alpha;<sub>V</sub>") : axis_markup(k)) + "</th>" +
         html::su_cells(subject_path(k), kAlpha, kAlpha(result, {k, std::nullopt}), std::nullopt) +
         "</tr>\n";
  }
  s += "</tbody></table>\n<p class=\"note\">su<sub>fit</sub>: the fit's standard error; "
       "su<sub>cells</sub>: the SU the cells' own SUs give, by Monte Carlo; in parentheses the "
       "larger of the two. &alpha;<sub>V</sub>: the volume's coefficient.</p>\n";
  s += "<p>Volume of the reference cell: " +
       plain_cell("volume.reference", an.volume.reference, 3, "span") +
       " &Aring;<sup>3</sup>.</p>\n";
  return section("coefficients", "Principal coefficients of thermal expansion", s);
}

// The directions with their drawn SUs.
std::string directions_section(const expansion::SeriesAnalysis& result) {
  std::string s =
      "<table id=\"directions\">\n<thead><tr><th class=\"name\">Axis</th><th>u</th><th>v</th>"
      "<th>w</th><th>angle to a (&deg;)</th><th>to b (&deg;)</th><th>to c (&deg;)</th>"
      "<th>su<sub>dir</sub> (&deg;)</th></tr></thead>\n<tbody>\n";
  for (std::size_t k = 0; k < 3; ++k) {
    const expansion::AxisResult& x = result.analysis.axes[k];
    const std::string path = subject_path(k) + ".";
    s += "<tr><th class=\"name\" scope=\"row\">" + axis_markup(k) + "</th>";
    for (std::size_t c = 0; c < 3; ++c)
      s += plain_cell(path + "uvw." + std::to_string(c), cleaned(x.uvw(c), 12), 4);
    for (std::size_t c = 0; c < 3; ++c)
      s += plain_cell(path + "angles." + std::to_string(c), cleaned(x.angles[c], 5), 2);
    const std::optional<double> su_dir =
        result.sus ? result.sus->axes[k].direction_deg : std::nullopt;
    s += plain_cell(path + "direction_su_deg", su_dir ? std::optional(cleaned(*su_dir, 5)) : su_dir,
                    2) +
         "</tr>\n";
  }
  s += "</tbody></table>\n<p class=\"note\">[u v w]: the unit vector of each principal axis in "
       "the cell's axes; su<sub>dir</sub>: the RMS angle between the drawn axes and the one "
       "shown, none where two axes cannot be told apart.</p>\n";
  return section("directions", "Directions of the principal axes", s);
}

// The polynomial's coefficients at each temperature, each with its larger SU.
std::string polynomial_section(const expansion::SeriesAnalysis& result) {
  const expansion::Analysis& an = result.analysis;
  const std::size_t step = html::listed_step(an.temperatures.size());
  std::string s = html::thinned_note(an.temperatures.size(), step) +
                  "<table id=\"polynomial\">\n<thead><tr><th>T (K)</th>";
  for (std::size_t k = 0; k < 3; ++k) s += "<th>&alpha;(" + axis_markup(k) + ")</th>";
  s += "<th>&alpha;<sub>V</sub></th></tr></thead>\n<tbody>\n";
  for (std::size_t i = 0; i < an.temperatures.size(); i += step) {
    s += "<tr>" + plain_cell("temperatures." + std::to_string(i), an.temperatures[i], 2);
    for (std::size_t k = 0; k <= 3; ++k) {
      s += html::quantity_cell(html::key_path(subject_path(k), "alpha_T", i), kAlpha,
                               kAlpha(result, {k, i}));
    }
    s += "</tr>\n";
  }
  s += "</tbody></table>\n<p class=\"note\">" + std::string(kAlpha.unit.markup) +
       ", each with the larger of its two SUs in parentheses.</p>\n";
  return section("polynomial", "Coefficients at each temperature", s);
}

}  // namespace

std::string html_report(const expansion::SeriesAnalysis& result, const Source& source,
                        const std::vector<std::string>& warnings,
                        const std::vector<chart::Picture>& pictures,
                        const std::optional<std::string>& title) {
  const bool line = result.analysis.degree == 1;
  std::vector<std::string> sections = {method_section(result, source), coefficients_section(result),
                                       directions_section(result),
                                       html::conclusions_section(conclusions(result, source))};
  if (!line) sections.push_back(polynomial_section(result));
  sections.push_back(html::strains_section(result, kStrainQuantities, result.analysis.temperatures,
                                           "temperatures", "T (K)"));
  sections.push_back(html::cells_section(source, crystal::Abscissa::kTemperature, "T (K)",
                                         result.analysis.volume.values,
                                         result.sus ? &result.sus->volume.values : nullptr));
  return html::page(html::page_title("Principal thermal expansion of", source, title), warnings,
                    sections, pictures);
}

}  // namespace report
