// The frame of the page of either mode, and the parts its sections are built
// of (html_parts.h).
#include <algorithm>
#include <cctype>
#include <cmath>

#include "chart/plot_points.h"
#include "chart/svg_chart.h"
#include "chart/svg_inline.h"
#include "common/number_text.h"
#include "common/safe_text.h"
#include "formats/value_su.h"
#include "report/html_parts.h"
#include "report/html_report.h"

namespace report::html {
namespace {

// Sans-serif as the pictures are set; numbers in columns of equal digits.
// The class names are the page's own: the pictures' style rules are confined
// to their figures (inline_svg).
constexpr const char* kStyle = R"(body { font-family: "DejaVu Sans", Helvetica, Arial, sans-serif;
  color: #222; line-height: 1.4; max-width: 72em; margin: 1.5em auto; padding: 0 1em; }
h1 { font-size: 1.45em; margin-bottom: 0.2em; }
h2 { font-size: 1.15em; border-bottom: 1px solid #ccc; margin-top: 1.8em; }
p.byline, p.subject { color: #555; margin-top: 0; }
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
td.computed { font-style: italic; }
ul.conclusions li.alarm { color: #b03a2e; font-weight: 600; }
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

std::string warnings_section(const std::vector<std::string>& warnings) {
  if (warnings.empty()) return "";
  std::string s = "<ul>\n";
  for (const std::string& w : warnings) s += "<li>" + chart::markup_text(w) + "</li>\n";
  return section("warnings", "Warnings", s + "</ul>\n", "warnings");
}

std::string pictures_section(const std::vector<chart::Picture>& pictures) {
  if (pictures.empty()) return "";
  std::string s;
  for (const chart::Picture& p : pictures) {
    const std::string id = chart::figure_id(p);
    s += "<figure id=\"" + id + "\">\n" + chart::inline_svg(p.svg, id) + "<figcaption>" +
         chart::markup_text(p.caption) + "</figcaption>\n</figure>\n";
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

}  // namespace

std::string page_number(std::string_view shown) {
  std::string s;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const bool minus =
        shown[i] == '-' && i + 1 < shown.size() &&
        (std::isdigit(static_cast<unsigned char>(shown[i + 1])) != 0 || shown[i + 1] == '.');
    s += minus ? std::string_view("\u2212") : shown.substr(i, 1);
  }
  return s;
}

PageTitle page_title(std::string_view what, const Source& source,
                     const std::optional<std::string>& option) {
  const std::string given = option ? *option : source.title;
  if (given.empty()) return {std::string(what) + " " + chart::markup_text(subject(source)), ""};
  return {chart::markup_text(given), std::string(what) + " " + chart::markup_text(source.name)};
}

std::string page(const PageTitle& title, const std::vector<std::string>& warnings,
                 const std::vector<std::string>& sections,
                 const std::vector<chart::Picture>& pictures) {
  std::string s =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<meta name=\"generator\" content=\"korvex-expansion " KORVEX_VERSION "\">\n<title>" +
      title.title + "</title>\n<style>\n" + kStyle + "</style>\n</head>\n<body>\n<header>\n<h1>" +
      title.title + "</h1>\n" +
      (title.subtitle.empty() ? "" : "<p class=\"subject\">" + title.subtitle + "</p>\n") +
      "<p class=\"byline\">korvex-expansion " KORVEX_VERSION "</p>\n</header>\n<main>\n" +
      warnings_section(warnings);
  for (const std::string& section : sections) s += section;
  s += pictures_section(pictures) + citation_section();
  return s + "</main>\n<script>\n" + kScript + "</script>\n</body>\n</html>\n";
}

std::string section(const std::string& id, const std::string& heading, const std::string& body,
                    const std::string& cls) {
  return "<section id=\"" + id + "\"" + (cls.empty() ? "" : " class=\"" + cls + "\"") + ">\n<h2>" +
         heading + "</h2>\n" + body + "</section>\n";
}

std::string conclusions_section(const std::vector<Conclusion>& list) {
  if (list.empty()) return "";
  return section("conclusions", "Conclusions", conclusions_markup(list));
}

std::string method_row(const std::string& term, const std::string& text) {
  return "<dt>" + term + "</dt><dd>" + text + "</dd>\n";
}

std::string skipped_row(const Source& source) {
  if (source.skipped_lines.empty()) return "";
  std::string lines;
  for (const int l : source.skipped_lines) lines += (lines.empty() ? "" : ", ") + std::to_string(l);
  return method_row("Skipped", "rows in overflow form, lines " + lines);
}

std::string draws_row(const expansion::Draws& draws) {
  return method_row("Cells' SUs",
                    common::format_text("carried through the whole analysis by %zu Monte Carlo "
                                        "draws (--seed %llu)",
                                        draws.count, static_cast<unsigned long long>(draws.start)));
}

std::string axis_markup(std::size_t k) {
  return common::format_text("X<sub>%zu</sub>", k + 1);
}

std::string key_path(std::string_view subject, std::string_view key,
                     std::optional<std::size_t> at) {
  std::string path = std::string(subject) + "." + std::string(key);
  return at ? path + "." + std::to_string(*at) : path;
}

std::string number_cell(const std::string& key, std::optional<double> value,
                        const std::string& shown, const std::string& tag) {
  if (!value || !std::isfinite(*value)) return "<" + tag + ">&ndash;</" + tag + ">";
  return "<" + tag + " data-key=\"" + key + "\" data-value=\"" + common::shortest(*value) + "\">" +
         page_number(shown) + "</" + tag + ">";
}

std::string plain_cell(const std::string& key, std::optional<double> value, int decimals,
                       const std::string& tag) {
  // A value at its shortest reads in a table as a person writes it: 0.0001
  // GPa, not 1e-04.
  if (decimals < 0 && value && std::isfinite(*value))
    return number_cell(key, value, common::shortest(*value, common::Notation::kFixed), tag);
  return number_cell(
      key, value, common::value_with_su(value, std::nullopt, {decimals, false, kMissingPage}), tag);
}

namespace {

// "12&#8239;000": a count with its thousands set apart (a narrow no-break
// space), as SI writes them.
std::string grouped(std::size_t count) {
  std::string digits = std::to_string(count);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, "&#8239;");
  return digits;
}

// "3rd", "12th", "21st".
std::string ordinal(std::size_t n) {
  const std::size_t last = n % 10;
  const bool teen = n % 100 / 10 == 1;
  const char* suffix = teen || last == 0 || last > 3 ? "th"
                       : last == 1                   ? "st"
                       : last == 2                   ? "nd"
                                                     : "rd";
  return std::to_string(n) + suffix;
}

}  // namespace

// What a table thinned by `step` (chart::listing_step) leaves out, said
// before it: "12 000 points; the table shows every 3rd; the JSON holds all.";
// nothing where it lists every point.
std::string thinned_note(std::size_t count, std::size_t step) {
  if (step <= 1) return {};
  return "<p class=\"note\">" + grouped(count) + " points; the table shows every " + ordinal(step) +
         "; the JSON holds all.</p>\n";
}

// A value of the cells as its file writes it ("16.119(2)", "0.190 &plusmn;
// 1" where the SU stands in a column of its own), while that text still
// reads back to the value and SU held; else by the one rule of a value with
// its SU, at its shortest.
std::string as_given(const crystal::GivenText& given, std::optional<double> value,
                     std::optional<double> su) {
  const std::optional<formats::ValueWithSu> read = formats::parse_value_with_su(given.value);
  std::optional<double> read_su = read ? read->su : std::nullopt;
  if (!given.su.empty()) {
    const std::optional<formats::ValueWithSu> apart = formats::parse_value_with_su(given.su);
    read_su = apart ? std::optional(apart->value) : std::nullopt;
    if (!apart) return common::value_with_su(value, su, {-1, false, kMissingPage});
  }
  if (!read || !value || read->value != *value || formats::su_if_refined(read_su) != su)
    return common::value_with_su(value, su, {-1, false, kMissingPage});
  return chart::markup_text(given.value) +
         (given.su.empty() ? "" : " &plusmn; " + chart::markup_text(given.su));
}

std::string cells_section(const Source& source, crystal::Abscissa at, const std::string& heading,
                          const std::vector<double>& volumes,
                          const std::vector<double>* volume_sus) {
  const std::size_t step = listed_step(source.cells.size());
  std::string s =
      thinned_note(source.cells.size(), step) +
      "<table id=\"cells\" class=\"sortable\">\n<thead><tr><th>Row</th><th class=\"name\">"
      "Source</th><th>" +
      heading +
      "</th><th>a (&Aring;)</th><th>b (&Aring;)</th><th>c (&Aring;)</th>"
      "<th>&alpha; (&deg;)</th><th>&beta; (&deg;)</th><th>&gamma; (&deg;)</th>"
      "<th>V (&Aring;<sup>3</sup>), computed</th></tr></thead>\n<tbody>\n";
  const auto cell = [](const std::string& key, std::optional<double> v, std::optional<double> su,
                       const crystal::GivenText& given) {
    return number_cell(key, v, as_given(given, v, su));
  };
  for (std::size_t i = 0; i < source.cells.size(); i += step) {
    const crystal::CellEntry& e = source.cells[i];
    const std::string path = "cells." + std::to_string(i) + ".";
    s += common::format_text("<tr><td data-value=\"%zu\">%zu</td>", i + 1, i + 1) +
         "<td class=\"name\">" +
         chart::markup_text(common::safe_text(e.source, common::Charset::kUtf8)) + "</td>";
    const bool pressure = at == crystal::Abscissa::kPressure;
    s += cell(
        path + (pressure ? "p" : "T"), crystal::abscissa(e, at), crystal::abscissa_su(e, at),
        e.given[pressure ? crystal::GivenTexts::kPressure : crystal::GivenTexts::kTemperature]);
    const std::array<double, 6> values = crystal::parameters(e.cell);
    const std::array<std::optional<double>, 6> sus = crystal::parameters(e.su);
    for (std::size_t p = 0; p < 6; ++p)
      s += cell(path + crystal::kCellParameterNames[p], values[p], sus[p], e.given[p]);
    const std::optional<double> volume_su =
        volume_sus != nullptr ? std::optional((*volume_sus)[i]) : std::nullopt;
    s += "<td class=\"computed\"" +
         number_cell("volume.values." + std::to_string(i), volumes[i],
                     common::value_with_su(volumes[i], volume_su, {3, false, kMissingPage}))
             .substr(3) +
         "</tr>\n";
  }
  s += "</tbody></table>\n<p class=\"note\">Each value as the input gives it, its digits and "
       "SU as read (an SU the input gives in a column of its own after &plusmn;); in italics "
       "the values the program computed: the volume, from the six parameters. A click on a "
       "heading sorts the table by it.</p>\n";
  return section("cells", "The cells", s);
}

}  // namespace report::html
