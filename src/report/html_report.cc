#include "report/html_report.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <span>

#include "chart/svg_chart.h"
#include "common/number_text.h"
#include "common/safe_text.h"
#include "report/pressure_report.h"
#include "report/range_notes.h"

namespace report {

namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kMegaUnit = "MK<sup>&minus;1</sup>";

// Sans-serif as the pictures are set; numbers in columns of equal digits.
// The class names are the page's own: the pictures' style rules are confined
// to their figures (inline_svg).
constexpr const char* kStyle = R"(body { font-family: "DejaVu Sans", Helvetica, Arial, sans-serif;
  color: #222; line-height: 1.4; max-width: 72em; margin: 1.5em auto; padding: 0 1em; }
h1 { font-size: 1.45em; margin-bottom: 0.2em; }
h2 { font-size: 1.15em; border-bottom: 1px solid #ccc; margin-top: 1.8em; }
p.byline { color: #555; margin-top: 0; }
section.warnings { border: 2px solid #b03a2e; background: #fcefed; padding: 0.2em 1em; }
section.warnings h2 { border: none; color: #b03a2e; margin-top: 0.4em; }
table { border-collapse: collapse; margin: 0.6em 0; }
th, td { padding: 0.2em 0.7em; border-bottom: 1px solid #e3e3e3; text-align: right;
  font-variant-numeric: tabular-nums; vertical-align: top; }
th { background: #f2f2f2; font-weight: 600; }
th.name, td.name { text-align: left; }
td.name { max-width: 28em; overflow-wrap: anywhere; }
table.sortable th { cursor: pointer; }
table.sortable th[aria-sort="ascending"]::after { content: " \25B4"; }
table.sortable th[aria-sort="descending"]::after { content: " \25BE"; }
dl.method { display: grid; grid-template-columns: max-content auto; gap: 0.2em 1em; }
dl.method dt { font-weight: 600; }
dl.method dd { margin: 0; }
figure { margin: 1.2em 0; }
figure svg { max-width: 100%; height: auto; display: block; }
figcaption { color: #444; font-size: 0.92em; margin-top: 0.3em; }
p.note { color: #444; font-size: 0.92em; }
@media print {
  body { max-width: none; margin: 0; padding: 0; font-size: 10pt; }
  h2 { break-after: avoid; }
  table, figure, section.warnings, dl.method { break-inside: avoid; }
  th { background: none; border-bottom: 1.5px solid #222; }
  table.sortable th { cursor: auto; }
  table.sortable th::after { content: none; }
  figure svg { max-height: 22cm; }
}
)";

// Sorts the table of cells by the column whose heading is clicked (or given
// Enter), by the values the cells carry, the text where they carry none.
constexpr const char* kScript =
    R"(document.querySelectorAll("table.sortable th").forEach(function (th) {
  th.tabIndex = 0;
  var sort = function () {
    var table = th.closest("table"), body = table.tBodies[0], col = th.cellIndex;
    var up = th.getAttribute("aria-sort") !== "ascending";
    table.querySelectorAll("th").forEach(function (h) { h.removeAttribute("aria-sort"); });
    th.setAttribute("aria-sort", up ? "ascending" : "descending");
    var key = function (row) {
      var c = row.cells[col], v = c.getAttribute("data-value");
      return v === null ? c.textContent : parseFloat(v);
    };
    Array.from(body.rows).sort(function (x, y) {
      var p = key(x), q = key(y);
      var d = typeof p === "number" && typeof q === "number" ? p - q : String(p).localeCompare(String(q));
      return up ? d : -d;
    }).forEach(function (row) { body.appendChild(row); });
  };
  th.addEventListener("click", sort);
  th.addEventListener("keydown", function (e) { if (e.key === "Enter") sort(); });
});
)";

std::optional<double> number_of(const Json& j) {
  if (!j.is_number()) return std::nullopt;
  return j.get<double>();
}

// A value as the page shows it: with its SU in parentheses as crystallographers
// write it where it has a positive one, else with `decimals` decimals (as
// given, where `decimals` is negative).
std::string value_text(double value, std::optional<double> su, int decimals) {
  if (su && *su > 0 && std::isfinite(*su)) return common::with_su(value, su);
  return decimals < 0 ? common::shortest(value) : common::fixed(value, decimals);
}

// A table cell (or another element) showing `shown` for the JSON's number
// at `key`; a dash where the JSON holds none.
std::string number_cell(const std::string& key, const Json& value, const std::string& shown,
                        const std::string& tag = "td") {
  const std::optional<double> v = number_of(value);
  if (!v) return "<" + tag + ">&ndash;</" + tag + ">";
  return "<" + tag + " data-key=\"" + key + "\" data-value=\"" + common::shortest(*v) + "\">" +
         shown + "</" + tag + ">";
}

// The JSON's number at `key`, shown with `decimals` decimals.
std::string plain_cell(const std::string& key, const Json& value, int decimals,
                       const std::string& tag = "td") {
  const std::optional<double> v = number_of(value);
  return number_cell(key, value, v ? value_text(*v, std::nullopt, decimals) : "", tag);
}

// The SU a coefficient is shown with: the larger of the fit's standard
// error and the cells' SU. `i` picks a polynomial's value at one temperature
// (keys with the suffix _T), none the coefficient itself.
std::optional<double> larger_su(const Json& q, std::optional<std::size_t> i) {
  const auto at = [&](const std::string& key) -> std::optional<double> {
    const std::string name = i ? key + "_T" : key;
    if (!q.contains(name)) return std::nullopt;
    return i ? (q[name].is_array() ? number_of(q[name][*i]) : std::nullopt) : number_of(q[name]);
  };
  if (q.contains("su_fit")) return at("su");  // the JSON gives the larger as su
  const std::optional<double> fit = at("su"), cells = at("su_cells");
  if (!fit || !cells) return fit ? fit : cells;
  return std::max(*fit, *cells);
}

// The fit's standard error's key: su_fit beside the larger su, or su alone.
std::string fit_su_key(const Json& q) {
  return q.contains("su_fit") ? "su_fit" : "su";
}

std::string axis_name(std::size_t k) {
  return common::format_text("X<sub>%zu</sub>", k + 1);
}

std::string section(const std::string& id, const std::string& heading, const std::string& body,
                    const std::string& cls = "") {
  return "<section id=\"" + id + "\"" + (cls.empty() ? "" : " class=\"" + cls + "\"") + ">\n<h2>" +
         heading + "</h2>\n" + body + "</section>\n";
}

std::string warnings_section(const std::vector<std::string>& warnings) {
  if (warnings.empty()) return "";
  std::string s = "<ul>\n";
  for (const std::string& w : warnings) s += "<li>" + chart::markup_text(w) + "</li>\n";
  return section("warnings", "Warnings", s + "</ul>\n", "warnings");
}

// The method's row of the table rows left out, if any.
std::string skipped_row(const Source& source) {
  if (source.skipped_lines.empty()) return "";
  std::string lines;
  for (const int l : source.skipped_lines) lines += (lines.empty() ? "" : ", ") + std::to_string(l);
  return "<dt>Skipped</dt><dd>rows in overflow form, lines " + lines + "</dd>\n";
}

// The method's row of the cells' SUs, carried by the draws.
std::string draws_row(const expansion::Draws& draws) {
  return common::format_text(
      "<dt>Cells' SUs</dt><dd>carried through the whole analysis by %zu Monte Carlo draws "
      "(--seed %llu)</dd>\n",
      draws.count, static_cast<unsigned long long>(draws.start));
}

std::string method_section(const expansion::SeriesAnalysis& result, const Source& source) {
  const expansion::Analysis& an = result.analysis;
  const auto [lo, hi] = std::minmax_element(an.temperatures.begin(), an.temperatures.end());
  const auto row = [](const std::string& term, const std::string& text) {
    return "<dt>" + term + "</dt><dd>" + text + "</dd>\n";
  };
  std::string s = "<dl class=\"method\">\n";
  s +=
      row("Points", common::format_text("%zu, %.2f K to %.2f K", an.temperatures.size(), *lo, *hi));
  s += row("Reference", common::format_text("the point at %.2f K (row %zu)",
                                            an.temperatures[an.reference], an.reference + 1));
  s += skipped_row(source);
  s += range_row(source, crystal::Abscissa::kTemperature);
  s += row("Strain", chart::markup_text(expansion::measure_name(an.measure)));
  const bool weighted = result.sus && result.sus->weighted;
  s += row("Fit", std::string(expansion::fit_name(an.degree)) + " in T, " +
                      (weighted ? "weighted least squares (1/su&sup2; of each point from the "
                                  "draws), standard errors scaled by the reduced &chi;&sup2;"
                                : "least squares, standard errors HC0 "
                                  "(heteroscedasticity-consistent)"));
  if (result.sus) s += draws_row(result.sus->draws);
  s += row("Directions",
           common::format_text("at %.2f K (row %zu), in the axes of that point's cell",
                               an.temperatures[an.direction_point], an.direction_point + 1));
  return section("method", "Method", s + "</dl>\n");
}

// One row of the coefficients: the value with the larger SU, both SUs.
std::string coefficient_row(const std::string& name, const Json& q, const std::string& path) {
  const std::optional<double> alpha = number_of(q["alpha"]);
  std::string s = "<tr><th class=\"name\" scope=\"row\">" + name + "</th>";
  s += number_cell(path + "alpha", q["alpha"],
                   alpha ? value_text(*alpha, larger_su(q, std::nullopt), 3) : "");
  s += plain_cell(path + fit_su_key(q), q[fit_su_key(q)], 3) +
       plain_cell(path + "su_cells", q["su_cells"], 3);
  return s + "</tr>\n";
}

std::string coefficients_section(const Json& doc, bool line) {
  std::string s = line ? std::string()
                       : common::format_text("<p>At the median temperature, %.2f K.</p>\n",
                                             doc["median_temperature"].get<double>());
  s += std::string("<table id=\"coefficients\">\n<thead><tr><th class=\"name\">Axis</th>") +
       "<th>&alpha; (" + kMegaUnit + ")</th><th>su<sub>fit</sub></th><th>su<sub>cells</sub></th>" +
       "</tr></thead>\n<tbody>\n";
  for (std::size_t k = 0; k < 3; ++k)
    s += coefficient_row(axis_name(k), doc["axes"][k], "axes." + std::to_string(k) + ".");
  s += coefficient_row("&alpha;<sub>V</sub>", doc["volume"], "volume.");
  s += "</tbody></table>\n<p class=\"note\">su<sub>fit</sub>: the fit's standard error; "
       "su<sub>cells</sub>: the SU the cells' own SUs give, by Monte Carlo; in parentheses the "
       "larger of the two. &alpha;<sub>V</sub>: the volume's coefficient.</p>\n";
  const Json& v = doc["volume"];
  s += "<p>Volume of the reference cell: " +
       plain_cell("volume.reference", v["reference"], 3, "span") + " &Aring;<sup>3</sup>.</p>\n";
  return section("coefficients", "Principal coefficients of thermal expansion", s);
}

// The directions; with their drawn SUs where the JSON has them (temperature
// mode).
std::string directions_section(const Json& doc) {
  const bool drawn = doc["axes"][0].contains("direction_su_deg");
  std::string s =
      "<table id=\"directions\">\n<thead><tr><th class=\"name\">Axis</th><th>u</th><th>v</th>"
      "<th>w</th><th>angle to a (&deg;)</th><th>to b (&deg;)</th><th>to c (&deg;)</th>" +
      std::string(drawn ? "<th>su<sub>dir</sub> (&deg;)</th>" : "") + "</tr></thead>\n<tbody>\n";
  for (std::size_t k = 0; k < 3; ++k) {
    const Json& q = doc["axes"][k];
    const std::string path = "axes." + std::to_string(k) + ".";
    s += "<tr><th class=\"name\" scope=\"row\">" + axis_name(k) + "</th>";
    for (std::size_t c = 0; c < 3; ++c)
      s += plain_cell(path + "uvw." + std::to_string(c), q["uvw"][c], 4);
    for (std::size_t c = 0; c < 3; ++c)
      s += plain_cell(path + "angles." + std::to_string(c), q["angles"][c], 2);
    if (drawn) s += plain_cell(path + "direction_su_deg", q["direction_su_deg"], 2);
    s += "</tr>\n";
  }
  s += "</tbody></table>\n<p class=\"note\">[u v w]: the unit vector of each principal axis in "
       "the cell's axes" +
       std::string(drawn ? "; su<sub>dir</sub>: the RMS angle between the drawn axes and the one "
                           "shown, none where two axes cannot be told apart"
                         : "") +
       ".</p>\n";
  return section("directions", "Directions of the principal axes", s);
}

// The polynomial's coefficients at each temperature, each with its larger SU.
std::string polynomial_section(const Json& doc) {
  std::string s = "<table id=\"polynomial\">\n<thead><tr><th>T (K)</th>";
  for (std::size_t k = 0; k < 3; ++k) s += "<th>&alpha;(" + axis_name(k) + ")</th>";
  s += "<th>&alpha;<sub>V</sub></th></tr></thead>\n<tbody>\n";
  const auto cell = [](const Json& q, const std::string& path, std::size_t i) {
    const std::optional<double> v = number_of(q["alpha_T"][i]);
    return number_cell(path + "alpha_T." + std::to_string(i), q["alpha_T"][i],
                       v ? value_text(*v, larger_su(q, i), 3) : "");
  };
  for (std::size_t i = 0; i < doc["temperatures"].size(); ++i) {
    s += "<tr>" + plain_cell("temperatures." + std::to_string(i), doc["temperatures"][i], 2);
    for (std::size_t k = 0; k < 3; ++k)
      s += cell(doc["axes"][k], "axes." + std::to_string(k) + ".", i);
    s += cell(doc["volume"], "volume.", i) + "</tr>\n";
  }
  s += std::string("</tbody></table>\n<p class=\"note\">") + kMegaUnit +
       ", each with the larger of its two SUs in parentheses.</p>\n";
  return section("polynomial", "Coefficients at each temperature", s);
}

// The cells as read, each parameter with its SU, and the volume they give.
// `at` is the key of each cell's temperature ("T") or pressure ("p").
std::string cells_section(const Json& doc, const std::string& at) {
  std::string s =
      "<table id=\"cells\" class=\"sortable\">\n<thead><tr><th>Row</th><th class=\"name\">"
      "Source</th><th>" +
      std::string(at == "T" ? "T (K)" : "p (GPa)") +
      "</th><th>a (&Aring;)</th><th>b (&Aring;)</th><th>c (&Aring;)</th>"
      "<th>&alpha; (&deg;)</th><th>&beta; (&deg;)</th><th>&gamma; (&deg;)</th>"
      "<th>V (&Aring;<sup>3</sup>)</th></tr></thead>\n<tbody>\n";
  const Json& volume = doc["volume"];
  for (std::size_t i = 0; i < doc["cells"].size(); ++i) {
    const Json& c = doc["cells"][i];
    const std::string path = "cells." + std::to_string(i) + ".";
    s += common::format_text("<tr><td data-value=\"%zu\">%zu</td>", i + 1, i + 1) +
         "<td class=\"name\">" + chart::markup_text(c["source"].get<std::string>()) + "</td>";
    for (const std::string& name :
         {at, std::string("a"), std::string("b"), std::string("c"), std::string("alpha"),
          std::string("beta"), std::string("gamma")}) {
      const std::optional<double> v = number_of(c[name]);
      s += number_cell(path + name, c[name],
                       v ? value_text(*v, number_of(c[name + "_su"]), -1) : "");
    }
    const Json& v = volume["values"][i];
    const std::optional<double> su = volume.contains("values_su") && volume["values_su"].is_array()
                                         ? number_of(volume["values_su"][i])
                                         : std::nullopt;
    s += number_cell("volume.values." + std::to_string(i), v,
                     number_of(v) ? value_text(*number_of(v), su, 3) : "") +
         "</tr>\n";
  }
  s += "</tbody></table>\n<p class=\"note\">A click on a heading sorts the table by it.</p>\n";
  return section("cells", "The cells", s);
}

constexpr const char* kPerTpa = "TPa<sup>&minus;1</sup>";

// The JSON's number at `key` (a path "axes.0.K.3") shown with the SU in `su`.
std::string su_cell(const std::string& key, const Json& value, const Json& su, int decimals) {
  const std::optional<double> v = number_of(value);
  return number_cell(key, value, v ? value_text(*v, number_of(su), decimals) : "");
}

// The member `name` of q, or null where q holds none.
const Json& member(const Json& q, const std::string& name) {
  static const Json kNull;
  return q.is_object() && q.contains(name) ? q[name] : kNull;
}

// The element i of q, or null where q is no array that long.
const Json& element(const Json& q, std::size_t i) {
  static const Json kNull;
  return q.is_array() && i < q.size() ? q[i] : kNull;
}

std::string pressure_method_section(const expansion::PressureSeries& series, const Source& source) {
  const expansion::Analysis& an = series.analysis.strains;
  const std::vector<double>& p = an.temperatures;
  const auto [lo, hi] = std::minmax_element(p.begin(), p.end());
  const auto row = [](const std::string& term, const std::string& text) {
    return "<dt>" + term + "</dt><dd>" + text + "</dd>\n";
  };
  std::string s = "<dl class=\"method\">\n";
  s += row("Mode",
           std::string("pressure in GPa; compressibility K = &minus;d&epsilon;/dp in ") + kPerTpa);
  s += row("Points", common::format_text("%zu, %.4g GPa to %.4g GPa", p.size(), *lo, *hi));
  s += row("Reference", common::format_text("the point at %.4g GPa (row %zu)", p[an.reference],
                                            an.reference + 1));
  s += skipped_row(source);
  s += range_row(source, crystal::Abscissa::kPressure);
  s += row("Strain", chart::markup_text(expansion::measure_name(an.measure)));
  s += row("Fits",
           "each principal strain &epsilon; = &epsilon;<sub>0</sub> + &lambda; (p &minus; "
           "p<sub>c</sub>)<sup>&nu;</sup>, weighted by 1/&sigma;<sub>p</sub><sup>2</sup>, SUs "
           "scaled by &chi;<sup>2</sup>/(N &minus; 4); K(p) = &minus;&lambda; &nu; (p &minus; "
           "p<sub>c</sub>)<sup>&nu;&minus;1</sup>");
  s += row("Linear K",
           std::string("minus the least-squares slope of each strain, ") +
               (series.analysis.weighted ? "weighted by 1/&sigma;<sub>p</sub>"
                                         : "unweighted (no pressure has an SU)") +
               " (HC0 standard error); of the volume, " +
               (an.volume.logarithmic ? "minus the slope of ln(V/V<sub>ref</sub>)"
                                      : "minus the slope of V over V at the reference point"));
  if (series.sus) s += draws_row(series.sus->draws);
  s += row("Directions",
           common::format_text("at %.4g GPa (row %zu), in the axes of that point's cell",
                               p[an.direction_point], an.direction_point + 1));
  return section("method", "Method", s + "</dl>\n");
}

// A K with the larger of its SUs, then the fit's and the cells' SUs; the
// element i of each where i is given.
std::string k_cells(const std::string& path, const Json& q, std::optional<std::size_t> i) {
  const auto at = [&](const char* key) -> const Json& {
    return i ? element(member(q, key), *i) : member(q, key);
  };
  const std::string suffix = i ? "." + std::to_string(*i) : "";
  return su_cell(path + "K" + suffix, at("K"), at("K_su"), 3) +
         plain_cell(path + "K_su_fit" + suffix, at("K_su_fit"), 3) +
         plain_cell(path + "K_su_cells" + suffix, at("K_su_cells"), 3);
}

// Each axis's K at the median pressure and its straight-line K, each with its
// SUs, and the volume's straight-line K.
std::string compressibilities_section(const Json& doc, std::size_t median) {
  std::string s = common::format_text("<p>At the median pressure, %.4g GPa.</p>\n",
                                      doc["median"].get<double>());
  const std::string sus = "<th>su<sub>fit</sub></th><th>su<sub>cells</sub></th>";
  s += std::string("<table id=\"compressibilities\">\n<thead><tr><th class=\"name\">Axis</th>") +
       "<th>K (" + kPerTpa + ")</th>" + sus + "<th>linear K (" + kPerTpa + ")</th>" + sus +
       "</tr></thead>\n<tbody>\n";
  for (std::size_t k = 0; k < 3; ++k) {
    const Json& q = doc["axes"][k];
    const std::string path = "axes." + std::to_string(k) + ".";
    s += "<tr><th class=\"name\" scope=\"row\">" + axis_name(k) + "</th>" +
         k_cells(path, q, median) + k_cells(path + "linear.", q["linear"], std::nullopt) +
         "</tr>\n";
  }
  s += "<tr><th class=\"name\" scope=\"row\">K<sub>V</sub></th>" +
       k_cells("volume.", Json(), median) + k_cells("volume.", doc["volume"], std::nullopt) +
       "</tr>\n";
  s += "</tbody></table>\n<p class=\"note\">K: from the empirical fit; linear K: from the "
       "straight line; su<sub>fit</sub>: the fit's standard error; su<sub>cells</sub>: the SU "
       "the cells' own SUs give, by Monte Carlo; in parentheses the larger of the two. "
       "K<sub>V</sub>: the volume's, from its straight line alone. A dash: none (no empirical "
       "fit for a series this short, no SUs in the cells).</p>\n";
  for (std::size_t k = 0; k < 3; ++k) {
    if (doc["axes"][k]["negative_linear_compressibility"].get<bool>())
      s += "<p>" + axis_name(k) +
           ": negative linear compressibility (K below zero by more than twice its SU).</p>\n";
  }
  return section("compressibilities", "Principal compressibilities", s);
}

// K at each pressure, or why there is none.
std::string pressures_section(const Json& doc, const expansion::PressureAnalysis& r) {
  if (std::none_of(r.axes.begin(), r.axes.end(),
                   [](const expansion::CompressibilityAxis& a) { return a.fit.has_value(); })) {
    return section("each-pressure", "Compressibility at each pressure",
                   "<p>Not given: " + chart::markup_text(r.axes[0].why_not) +
                       "; each axis has only its straight-line K.</p>\n");
  }
  std::string s = "<table id=\"each-pressure\">\n<thead><tr><th>p (GPa)</th>";
  for (std::size_t k = 0; k < 3; ++k) s += "<th>K(" + axis_name(k) + ")</th>";
  s += "</tr></thead>\n<tbody>\n";
  for (std::size_t i = 0; i < doc["pressures"].size(); ++i) {
    s += "<tr>" + plain_cell("pressures." + std::to_string(i), doc["pressures"][i], -1);
    for (std::size_t k = 0; k < 3; ++k) {
      const Json& q = doc["axes"][k];
      s += su_cell("axes." + std::to_string(k) + ".K." + std::to_string(i), q["K"][i], q["K_su"][i],
                   3);
    }
    s += "</tr>\n";
  }
  s += std::string("</tbody></table>\n<p class=\"note\">") + kPerTpa +
       ", each with the larger of its two SUs in parentheses.</p>\n";
  return section("each-pressure", "Compressibility at each pressure", s);
}

std::string fits_section(const Json& doc) {
  std::string s =
      "<table id=\"fits\">\n<thead><tr><th class=\"name\">Axis</th><th>&epsilon;<sub>0</sub></th>"
      "<th>&lambda;</th><th>p<sub>c</sub> (GPa)</th><th>&nu;</th></tr></thead>\n<tbody>\n";
  for (std::size_t k = 0; k < 3; ++k) {
    const Json& fit = doc["axes"][k]["fit"];
    const std::string path = "axes." + std::to_string(k) + ".fit.";
    s += "<tr><th class=\"name\" scope=\"row\">" + axis_name(k) + "</th>";
    for (const std::string name : {"eps0", "lambda", "pc", "nu"})
      s += su_cell(path + name, member(fit, name), member(fit, name + "_su"), 4);
    s += "</tr>\n";
  }
  s += "</tbody></table>\n<p class=\"note\">p<sub>c</sub> without an SU lies at its bound, the "
       "lowest pressure.</p>\n";
  for (std::size_t k = 0; k < 3; ++k) {
    const Json& fit = doc["axes"][k]["fit"];
    if (fit.is_object() && !fit["determined"].get<bool>())
      s += "<p>" + axis_name(k) +
           ": parameters not determined; K(p) is (the least squares lie towards &nu; &rarr; 0 "
           "or p<sub>c</sub> &rarr; &minus;&infin;; the row gives where the search stopped).</p>\n";
  }
  return section("fits", "Empirical fits", s);
}

// p_calc - p of every equation at every point.
std::string eos_residuals(const Json& doc, const expansion::EosAnalysis& eos) {
  std::string s =
      "<table id=\"residuals\">\n<thead><tr><th>p (GPa)</th><th>V (&Aring;<sup>3</sup>)</th>";
  std::vector<std::string> keys;
  for (const expansion::EosEntry& e : eos.equations) {
    if (!e.fit) continue;
    keys.push_back(expansion::eos_key(e.eos));
    s += "<th>" + chart::markup_text(expansion::eos_label(e.eos)) + "</th>";
  }
  s += "</tr></thead>\n<tbody>\n";
  for (std::size_t i = 0; i < eos.series.p.size(); ++i) {
    s += "<tr>" + plain_cell("pressures." + std::to_string(i), element(doc["pressures"], i), 4) +
         "<td>" + common::fixed(eos.series.v[i], 4) + "</td>";
    for (const std::string& key : keys) {
      const Json& calc = element(doc["eos"][key]["p_calc"], i);
      s += "<td>" +
           (number_of(calc) ? common::fixed(*number_of(calc) - eos.series.p[i], 5)
                            : std::string("&ndash;")) +
           "</td>";
    }
    s += "</tr>\n";
  }
  return s +
         "</tbody></table>\n<p class=\"note\">The residuals p<sub>calc</sub> &minus; p "
         "of each equation, GPa.</p>\n";
}

// The axial equations: l0, M0, M' and beta0 of each length symmetry fixes.
std::string axial_table(const Json& doc, const expansion::EosAnalysis& eos) {
  if (eos.axial.empty()) return "";
  std::string s =
      "<table id=\"axial\">\n<thead><tr><th class=\"name\">Axis</th><th>l<sub>0</sub> "
      "(&Aring;)</th><th>M<sub>0</sub> (GPa)</th><th>M&prime;</th><th>&beta;<sub>0</sub> "
      "(TPa<sup>&minus;1</sup>)</th></tr></thead>\n<tbody>\n";
  for (const expansion::AxialEntry& e : eos.axial) {
    const std::string name = e.axis == 0 ? "a" : e.axis == 1 ? "b" : "c";
    const Json& q = doc["axial"][name];
    s += "<tr><th class=\"name\" scope=\"row\">" + name + "</th>";
    for (const std::string k : {"l0", "M0", "Mp", "beta0"})
      s += su_cell("axial." + name + "." + k, member(q, k), member(q, k + "_su"), 4);
    s += "</tr>\n";
  }
  s += "</tbody></table>\n<p class=\"note\">Axial equations of state: BM3 of the cubed "
       "length, M<sub>0</sub> = 3K<sub>0</sub> and M&prime; = 3K&prime; of the cube, "
       "&beta;<sub>0</sub> = 1000/M<sub>0</sub>.</p>\n";
  return s;
}

std::string eos_section(const Json& doc, const expansion::EosAnalysis& eos) {
  std::string s =
      "<table id=\"eos\">\n<thead><tr><th class=\"name\">Equation of state</th>"
      "<th>V<sub>0</sub> (&Aring;<sup>3</sup>)</th><th>B<sub>0</sub> (GPa)</th><th>B&prime;</th>"
      "<th>B&Prime; (GPa<sup>&minus;1</sup>)</th><th>p<sub>c</sub> (GPa)</th>"
      "<th>&chi;<sup>2</sup><sub>w</sub></th><th>max |&Delta;p|/&sigma;</th></tr></thead>\n"
      "<tbody>\n";
  for (const expansion::EosEntry& entry : eos.equations) {
    const std::string key = expansion::eos_key(entry.eos);
    const Json& e = doc["eos"][key];
    const std::string path = "eos." + key + ".";
    s += "<tr><th class=\"name\" scope=\"row\">" +
         chart::markup_text(expansion::eos_label(entry.eos)) + "</th>";
    for (const std::string q : {"V0", "B0", "Bp", "Bpp"})
      s += su_cell(path + q, member(e, q), member(e, q + "_su"), 4);
    s += plain_cell(path + "pc", member(e, "pc"), 4) +
         plain_cell(path + "chi2w", member(e, "chi2w"), 4) +
         plain_cell(path + "max_residual", member(e, "max_residual"), 3) + "</tr>\n";
  }
  s += "</tbody></table>\n<p class=\"note\">Fitted to p(V) with the weights " +
       chart::markup_text(eos.weights_why) +
       "; SUs scaled by the reduced &chi;<sup>2</sup>. A value without an SU is held (B&prime; = 4 "
       "in BM2). A dash: none, or the series cannot be fitted.</p>\n";
  const Json& line = member(doc["ff"], "line");
  if (number_of(member(line, "B0"))) {
    s +=
        "<p class=\"note\">F&ndash;f line, F = B<sub>0</sub> + 3/2 B<sub>0</sub> (B&prime; "
        "&minus; 4) f, weighted 1/&sigma;<sub>F</sub><sup>2</sup>: B<sub>0</sub> = " +
        number_cell("ff.line.B0", member(line, "B0"),
                    value_text(*number_of(member(line, "B0")), number_of(member(line, "B0_su")), 4),
                    "span") +
        " GPa, B&prime; = " +
        number_cell("ff.line.Bp", member(line, "Bp"),
                    value_text(*number_of(member(line, "Bp")), number_of(member(line, "Bp_su")), 4),
                    "span") +
        ".</p>\n";
  }
  return section("eos", "Equations of state", s + eos_residuals(doc, eos) + axial_table(doc, eos));
}

// What each picture shows, by the name it is written under with --svg; a
// picture not named is captioned with its own title.
using Caption = std::pair<std::string_view, std::string_view>;
constexpr Caption kTemperatureCaptions[] = {
    {"strain",
     "The principal strains against temperature, each with its fit; error bars of one SU "
     "drawn from the cells, where they carry SUs."},
    {"volume", "The volume against temperature with its fit."},
    {"lattice",
     "The cell's lengths and volume relative to those of the reference cell against "
     "temperature, with their fits."},
    {"indicatrix",
     "The expansivity indicatrix: the coefficient along every direction, in the three planes "
     "that hold two principal axes each; negative lobes dashed."},
};
constexpr Caption kPressureCaptions[] = {
    {"strain",
     "The principal strains against pressure, each with its empirical fit (the straight line "
     "where the series is too short for it)."},
    {"volume",
     "The volume against pressure with its straight line and the equations of state fitted, "
     "over the whole range of pressure."},
    {"indicatrix",
     "The compressibility indicatrix: K along every direction, in the three planes that hold "
     "two principal axes each; negative lobes dashed."},
    {"ff",
     "The F-f plot: the normalised pressure F against the Eulerian strain f (V0 of BM3), error "
     "bars of one SU; the weighted BM3 line and BM2's level."},
    {"ellipses",
     "The confidence ellipses of B0 and B' of each third-order fit: 68.3 % solid, 95.4 % "
     "dashed, 99.7 % dotted."},
};

std::string caption_of(std::string_view stem, std::string_view svg,
                       std::span<const Caption> captions) {
  for (const auto& [name, caption] : captions) {
    if (name == stem) return std::string(caption);
  }
  const std::size_t from = svg.find("<title>"), to = svg.find("</title>");
  if (from == std::string_view::npos || to == std::string_view::npos || to < from) return "";
  return std::string(svg.substr(from + 7, to - from - 7));  // escaped as the picture holds it
}

std::string pictures_section(const std::vector<chart::Picture>& pictures,
                             std::span<const Caption> captions) {
  if (pictures.empty()) return "";
  std::string s;
  for (const chart::Picture& p : pictures) {
    std::string stem = p.suffix.substr(0, p.suffix.rfind(".svg"));
    stem.erase(0, stem.find_first_not_of('_'));
    std::string id = "figure-";
    for (const char c : stem) id += std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '-';
    s += "<figure id=\"" + id + "\">\n" + inline_svg(p.svg, id) + "<figcaption>" +
         caption_of(stem, p.svg, captions) + "</figcaption>\n</figure>\n";
  }
  return section("pictures", "Pictures", s);
}

std::string citation_section() {
  return section(
      "citation", "How to cite",
      "<p>The method: M. J. Cliffe and A. L. Goodwin (2012). PASCal: a principal axis strain "
      "calculator for thermal expansion and compressibility determination. <i>J. Appl. "
      "Cryst.</i> <b>45</b>, 1321&ndash;1329. doi:10.1107/S0021889812043026</p>\n"
      "<p>The program: korvex-expansion " KORVEX_VERSION
      " (korvex), with the strain measure, fit and reference point named above. The "
      "definitions of every number on this page are in its manual page, korvex-expansion(1), "
      "sections OUTPUT and STANDARD UNCERTAINTIES.</p>\n");
}

// The text without the white space (line ends too) around it.
std::string_view stripped(std::string_view text) {
  const std::size_t from = text.find_first_not_of(" \t\r\n");
  if (from == std::string_view::npos) return {};
  return text.substr(from, text.find_last_not_of(" \t\r\n") + 1 - from);
}

// The rules of a style sheet with every selector confined to the element of
// id `scope`; an at-rule is kept as it is.
std::string scoped_style(std::string_view css, std::string_view scope) {
  std::string out;
  std::size_t at = 0;
  while (at < css.size()) {
    const std::size_t open = css.find('{', at), close = css.find('}', open);
    if (open == std::string_view::npos || close == std::string_view::npos) break;
    const std::string_view selectors = stripped(css.substr(at, open - at));
    if (selectors.starts_with('@')) {
      out += css.substr(at, close + 1 - at);
    } else {
      for (std::size_t from = 0; from <= selectors.size();) {
        const std::size_t comma = std::min(selectors.find(',', from), selectors.size());
        const std::string_view one = stripped(selectors.substr(from, comma - from));
        out += (from == 0 ? "#" : ", #") + std::string(scope) + " " + std::string(one);
        from = comma + 1;
      }
      out += " " + std::string(css.substr(open, close + 1 - open));
    }
    out += '\n';
    at = close + 1;
  }
  return out;
}

// Every occurrence of `from` in `text` replaced by `to`.
void replace_all(std::string& text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// The page around the sections of one analysis: its head and style sheet,
// `title` (markup) as its heading, the warnings first, then the sections, the
// pictures and how to cite, and the script.
std::string page(const std::string& title, const std::vector<std::string>& warnings,
                 const std::vector<std::string>& sections,
                 const std::vector<chart::Picture>& pictures, std::span<const Caption> captions) {
  std::string s =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<meta name=\"generator\" content=\"korvex-expansion " KORVEX_VERSION "\">\n<title>" +
      title + "</title>\n<style>\n" + kStyle + "</style>\n</head>\n<body>\n<header>\n<h1>" + title +
      "</h1>\n<p class=\"byline\">korvex-expansion " KORVEX_VERSION "</p>\n</header>\n<main>\n" +
      warnings_section(warnings);
  for (const std::string& section : sections) s += section;
  s += pictures_section(pictures, captions) + citation_section();
  return s + "</main>\n<script>\n" + kScript + "</script>\n</body>\n</html>\n";
}

}  // namespace

std::string inline_svg(std::string_view svg, std::string_view scope) {
  std::string s(svg);
  if (s.starts_with("<?xml")) s.erase(0, s.find("?>") + 2);
  s.erase(0, s.find_first_not_of(" \t\r\n"));
  replace_all(s, " xmlns=\"http://www.w3.org/2000/svg\"", "");
  const std::string prefix = std::string(scope) + "-";
  replace_all(s, " id=\"", " id=\"" + prefix);
  replace_all(s, "url(#", "url(#" + prefix);
  replace_all(s, "href=\"#", "href=\"#" + prefix);
  for (std::size_t at = s.find("<style>"); at != std::string::npos;
       at = s.find("<style>", at + 1)) {
    const std::size_t body = at + 7, end = s.find("</style>", body);
    if (end == std::string::npos) break;
    const std::string scoped =
        "\n" + scoped_style(std::string_view(s).substr(body, end - body), scope);
    s.replace(body, end - body, scoped);
  }
  return s;
}

std::string html_report(const expansion::SeriesAnalysis& result, const Source& source,
                        const std::vector<std::string>& warnings,
                        const std::vector<chart::Picture>& pictures) {
  const Json doc = json_document(result, source);
  const bool line = result.analysis.degree == 1;
  std::vector<std::string> sections = {method_section(result, source),
                                       coefficients_section(doc, line), directions_section(doc)};
  if (!line) sections.push_back(polynomial_section(doc));
  sections.push_back(cells_section(doc, "T"));
  return page("Principal thermal expansion of " + chart::markup_text(subject(source)), warnings,
              sections, pictures, kTemperatureCaptions);
}

std::string pressure_html_report(const expansion::PressureSeries& series,
                                 const expansion::EosAnalysis& eos, const Source& source,
                                 const std::vector<std::string>& warnings,
                                 const std::vector<chart::Picture>& pictures) {
  const Json doc = pressure_json_document(series, eos, source);
  const std::vector<std::string> sections = {
      pressure_method_section(series, source),
      compressibilities_section(doc, series.analysis.strains.median),
      directions_section(doc),
      pressures_section(doc, series.analysis),
      fits_section(doc),
      eos_section(doc, eos),
      cells_section(doc, "p")};
  return page("Principal compressibilities of " + chart::markup_text(subject(source)), warnings,
              sections, pictures, kPressureCaptions);
}

}  // namespace report
