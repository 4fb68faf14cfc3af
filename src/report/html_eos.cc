// The page's section of the equations of state (eos_report.h): their table,
// the residuals, the axial equations and the F-f line, from the members
// add_eos_json gives.
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "chart/svg_chart.h"
#include "common/number_text.h"
#include "report/eos_report.h"
#include "report/html_parts.h"

namespace report::html {
namespace {

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
  return s +
         "</tbody></table>\n<p class=\"note\">Axial equations of state: BM3 of the cubed "
         "length, M<sub>0</sub> = 3K<sub>0</sub> and M&prime; = 3K&prime; of the cube, "
         "&beta;<sub>0</sub> = 1000/M<sub>0</sub>.</p>\n";
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

}  // namespace

std::string eos_section(const expansion::EosAnalysis& eos, const std::vector<double>& pressures) {
  Json doc;
  doc["pressures"] = pressures;
  add_eos_json(eos, doc);
  return eos_section(doc, eos);
}

}  // namespace report::html
