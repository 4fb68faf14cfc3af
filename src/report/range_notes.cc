#include "report/range_notes.h"

#include <vector>

#include "chart/svg_chart.h"
#include "common/number_text.h"
#include "common/safe_text.h"

namespace report {

namespace {

// "--range 95:170, 2 points left out" and each point left out, plain text.
struct RangeWords {
  std::string head;
  std::vector<std::string> points;
};

RangeWords range_words(const Source& source, crystal::Abscissa abscissa) {
  const std::string unit = crystal::abscissa_unit(abscissa);
  RangeWords w;
  w.head =
      "--range " + expansion::range_text(*source.range) + ", " +
      (source.left_out.empty()
           ? std::string("no point left out")
           : common::counted(static_cast<long long>(source.left_out.size()), "point", "points") +
                 " left out");
  for (const crystal::CellEntry& e : source.left_out)
    w.points.push_back(common::shortest(crystal::abscissa(e, abscissa).value_or(0)) + " " + unit +
                       " (" + e.source + ")");
  return w;
}

}  // namespace

std::string range_lines(const Source& source, crystal::Abscissa abscissa) {
  if (!source.range) return "";
  const RangeWords w = range_words(source, abscissa);
  constexpr std::size_t kWidth = 100;
  const std::string indent(14, ' ');
  std::string s = " Range      : " + w.head + (w.points.empty() ? "" : ":");
  std::size_t line_start = 0;
  for (std::size_t i = 0; i < w.points.size(); ++i) {
    const std::string item = common::safe_text(w.points[i]) + (i + 1 < w.points.size() ? "," : "");
    if (s.size() - line_start + 1 + item.size() > kWidth) {
      s += "\n";
      line_start = s.size();
      s += indent.substr(1);
    }
    s += " " + item;
  }
  return s + "\n";
}

nlohmann::ordered_json range_json(const Source& source, crystal::Abscissa abscissa) {
  if (!source.range) return nullptr;
  nlohmann::ordered_json j;
  j["low"] = source.range->low ? nlohmann::ordered_json(*source.range->low) : nullptr;
  j["high"] = source.range->high ? nlohmann::ordered_json(*source.range->high) : nullptr;
  j["left_out"] = nlohmann::ordered_json::array();
  for (const crystal::CellEntry& e : source.left_out)
    j["left_out"].push_back(json_cell(e, abscissa));
  return j;
}

std::string range_row(const Source& source, crystal::Abscissa abscissa) {
  if (!source.range) return "";
  const RangeWords w = range_words(source, abscissa);
  std::string s = "<dt>Range</dt><dd>" + chart::markup_text(w.head);
  for (std::size_t i = 0; i < w.points.size(); ++i)
    s += (i == 0 ? ": " : ", ") + chart::markup_text(w.points[i]);
  return s + "</dd>\n";
}

}  // namespace report
