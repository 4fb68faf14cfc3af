#include "report/volumes_report.h"

#include <algorithm>

#include "chart/svg_chart.h"
#include "common/number_text.h"
#include "common/safe_text.h"
#include "report/eos_report.h"
#include "report/html_parts.h"
#include "report/range_notes.h"

namespace report {
namespace {

std::string method_section(const expansion::EosAnalysis& eos, const Source& source) {
  const std::vector<double>& p = eos.series.p;
  std::string s = "<dl class=\"method\">\n";
  s += html::method_row("Mode",
                        "pressure in GPa; volumes without a cell at every point: the equations "
                        "of state alone, no principal axes");
  if (!p.empty()) {
    const auto [lo, hi] = std::minmax_element(p.begin(), p.end());
    s += html::method_row("Points",
                          common::format_text("%zu, %.4g GPa to %.4g GPa", p.size(), *lo, *hi));
  }
  s += html::skipped_row(source);
  s += range_row(source, crystal::Abscissa::kPressure);
  return html::section("method", "Method", s + "</dl>\n");
}

}  // namespace

std::string volumes_text_report(const expansion::EosAnalysis& eos, const Source& source) {
  return " Equations of state of " + common::safe_text(subject(source)) +
         "\n Points     : " + std::to_string(eos.series.p.size()) +
         ", volumes without cells: no principal axes\n" +
         range_lines(source, crystal::Abscissa::kPressure) + eos_text(eos);
}

std::string volumes_csv_report(const expansion::EosAnalysis& eos) {
  return eos_csv(eos);
}

std::string volumes_html_report(const expansion::EosAnalysis& eos, const Source& source,
                                const std::vector<std::string>& warnings,
                                const std::vector<chart::Picture>& pictures,
                                const std::optional<std::string>& title) {
  return html::page(html::page_title("Equations of state of", source, title), warnings,
                    {method_section(eos, source), html::eos_section(eos)}, pictures);
}

}  // namespace report
