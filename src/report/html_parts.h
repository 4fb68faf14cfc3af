// The parts the page of either mode is built of (html_report.h): its
// sections, and table cells that show a quantity as quantity.h writes it and
// carry its full value and its place in the JSON (data-value, data-key).
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "chart/expansion_pictures.h"
#include "chart/plot_points.h"
#include "expansion/eos_analysis.h"
#include "report/conclusions.h"
#include "report/quantity.h"
#include "report/report.h"

namespace report::html {

// "<section id=ID><h2>HEADING</h2>BODY</section>".
[[nodiscard]] std::string section(const std::string& id, const std::string& heading,
                                  const std::string& body, const std::string& cls = "");

// A term and its text of the method's list.
[[nodiscard]] std::string method_row(const std::string& term, const std::string& text);

// The method's rows of the rows left out, and of the cells' SUs' draws.
[[nodiscard]] std::string skipped_row(const Source& source);
[[nodiscard]] std::string draws_row(const expansion::Draws& draws);

// "X<sub>1</sub>".
[[nodiscard]] std::string axis_markup(std::size_t k);

// "axes.0.alpha", "axes.0.alpha_T.3": where the JSON holds a key of a
// subject, at a point where one is given.
[[nodiscard]] std::string key_path(std::string_view subject, std::string_view key,
                                   std::optional<std::size_t> at = std::nullopt);

// A table of a value a point lists every `step`-th point of a long series
// (chart::listing_step, as its pictures thin it), and says so before it:
// "12 000 points; the table shows every 3rd; the JSON holds all.";
// nothing where it lists every point.
[[nodiscard]] std::string thinned_note(std::size_t count, std::size_t step);

// The rows a table of a value a point lists at most: a page holds several
// such tables, so that a long series' page stays a few megabytes.
inline constexpr std::size_t kMostListed = 1024;

// The step that lists a series of `count` points in at most kMostListed rows.
[[nodiscard]] inline std::size_t listed_step(std::size_t count) {
  return chart::listing_step(count, kMostListed);
}

// A cell (`tag`) showing `shown` for the value at `key`; a dash where there
// is no value.
[[nodiscard]] std::string number_cell(const std::string& key, std::optional<double> value,
                                      const std::string& shown, const std::string& tag = "td");

// A number shown with `decimals` decimals (negative: its shortest text).
[[nodiscard]] std::string plain_cell(const std::string& key, std::optional<double> value,
                                     int decimals, const std::string& tag = "td");

// A quantity's value with its SU in parentheses, as the report writes it.
template <class Analysis>
[[nodiscard]] std::string quantity_cell(const std::string& key, const Quantity<Analysis>& q,
                                        const Reading& r) {
  return number_cell(key, r.value, shown(q, r, kMissingPage));
}

// A heading cell of a quantity: its symbol and, where it has one, its unit.
template <class Analysis>
[[nodiscard]] std::string heading_cell(const Quantity<Analysis>& q) {
  const std::string unit(q.unit.markup);
  return "<th>" + std::string(q.markup) + (unit.empty() ? "" : " (" + unit + ")") + "</th>";
}

// The same, then the fit's SU and the cells' at their keys, three decimals.
template <class Analysis>
[[nodiscard]] std::string su_cells(std::string_view subject, const Quantity<Analysis>& q,
                                   const Reading& r, std::optional<std::size_t> at) {
  const std::string su(q.su_key);
  return quantity_cell(key_path(subject, q.key, at), q, r) +
         plain_cell(key_path(subject, su + "_fit", at), r.su_fit, 3) +
         plain_cell(key_path(subject, su + "_cells", at), r.su_cells, 3);
}

// The principal strains at every point, each axis's strain, its fit's value
// and the residual (`rows`, strain_quantities.h); `at` the points' abscissa,
// `key` its array in the JSON and `heading` its column.
template <class Analysis>
[[nodiscard]] std::string strains_section(const Analysis& a,
                                          const Quantity<Analysis>* const (&rows)[3],
                                          const std::vector<double>& at, const std::string& key,
                                          const std::string& heading) {
  const std::size_t step = listed_step(at.size());
  std::string s =
      thinned_note(at.size(), step) + "<table id=\"strains\">\n<thead><tr><th>" + heading + "</th>";
  for (std::size_t k = 0; k < 3; ++k)
    for (const Quantity<Analysis>* q : rows)
      s += "<th>" + std::string(q->markup) + "(" + axis_markup(k) + ")</th>";
  s += "</tr></thead>\n<tbody>\n";
  for (std::size_t i = 0; i < at.size(); i += step) {
    s += "<tr>" + plain_cell(key_path(key, std::to_string(i)), at[i], -1);
    for (std::size_t k = 0; k < 3; ++k)
      for (const Quantity<Analysis>* q : rows)
        s += quantity_cell(key_path("axes." + std::to_string(k), q->key, i), *q, (*q)(a, {k, i}));
    s += "</tr>\n";
  }
  s += "</tbody></table>\n<p class=\"note\">Each point's principal strain &epsilon; along each "
       "axis (the cells' SU in parentheses, where they carry SUs), the fit's value there "
       "&epsilon;<sub>fit</sub> and the residual &Delta;&epsilon; = &epsilon; &minus; "
       "&epsilon;<sub>fit</sub>.</p>\n";
  return section("strains", "Principal strains at each point", s);
}

// The cells as read, each parameter with its SU, and the volume they give
// (`volumes`, with `volume_sus` where known); `at` the abscissa and
// `heading` its column. A long series is listed thinned, as its pictures
// are (chart::listing_step), and a note says so.
[[nodiscard]] std::string cells_section(const Source& source, crystal::Abscissa at,
                                        const std::string& heading,
                                        const std::vector<double>& volumes,
                                        const std::vector<double>* volume_sus);

// The section of the conclusions (conclusions.h); nothing where there are
// none.
[[nodiscard]] std::string conclusions_section(const std::vector<Conclusion>& list);

// The section of the equations of state.
[[nodiscard]] std::string eos_section(const expansion::EosAnalysis& eos);

// A number as the page shows it: each minus sign U+2212, as the pictures set
// it (data-value keeps the ASCII hyphen-minus a program reads).
[[nodiscard]] std::string page_number(std::string_view shown);

// The page's heading and the line under it (markup): --title where given
// (`option`), else the list's title, each with "WHAT NAME" beneath (WHAT
// "Principal thermal expansion of", NAME the inputs); else "WHAT NAME" alone,
// the list's title beside the inputs.
struct PageTitle {
  std::string title, subtitle;
};
[[nodiscard]] PageTitle page_title(std::string_view what, const Source& source,
                                   const std::optional<std::string>& option);

// The page around the sections: its head and style sheet, `title` as its
// heading (its subtitle beneath where it has one), the warnings first, then the sections, the
// pictures and how to cite, and the script. Each picture is a figure with its caption.
[[nodiscard]] std::string page(const PageTitle& title, const std::vector<std::string>& warnings,
                               const std::vector<std::string>& sections,
                               const std::vector<chart::Picture>& pictures);

}  // namespace report::html
