#include "expansion/series_range.h"

#include <algorithm>
#include <cmath>

#include "common/number_text.h"

namespace expansion {

namespace {

// One side of LOW:HIGH: empty, or a decimal number.
common::Expected<std::optional<double>> range_end(std::string_view text, std::string_view whole) {
  if (text.empty()) return std::optional<double>();
  const auto value = common::parse_decimal(text);
  if (!value)
    return common::Error{
        0, "--range needs LOW:HIGH, numbers or nothing, not '" + std::string(whole) + "'"};
  return std::optional<double>(*value);
}

}  // namespace

common::Expected<ValueRange> parse_range(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || text.find(':', colon + 1) != std::string_view::npos)
    return common::Error{
        0, "--range needs LOW:HIGH, either side may be empty, not '" + std::string(text) + "'"};
  COMMON_TRY(low, range_end(text.substr(0, colon), text));
  COMMON_TRY(high, range_end(text.substr(colon + 1), text));
  if (!*low && !*high)
    return common::Error{0, "--range needs LOW, HIGH or both, not '" + std::string(text) + "'"};
  if (*low && *high && **low > **high)
    return common::Error{0, "--range needs LOW below HIGH, not '" + std::string(text) + "'"};
  return ValueRange{*low, *high};
}

std::string range_text(const ValueRange& range) {
  return (range.low ? common::shortest(*range.low) : "") + ":" +
         (range.high ? common::shortest(*range.high) : "");
}

bool within(const ValueRange& range, double x) {
  return (!range.low || x >= *range.low) && (!range.high || x <= *range.high);
}

RangedCells split_by_range(const std::vector<crystal::CellEntry>& cells, const ValueRange& range,
                           crystal::Abscissa abscissa) {
  RangedCells out;
  for (const crystal::CellEntry& e : cells) {
    const std::optional<double>& x = crystal::abscissa(e, abscissa);
    (x && within(range, *x) ? out.kept : out.left_out).push_back(e);
  }
  return out;
}

std::vector<std::string> part_ranges(const std::vector<double>& sorted,
                                     const std::vector<std::size_t>& break_after) {
  std::vector<std::string> out;
  if (break_after.empty()) return out;
  std::size_t first = 0;
  std::vector<std::size_t> ends = break_after;
  std::sort(ends.begin(), ends.end());
  ends.push_back(sorted.size() - 1);
  for (const std::size_t last : ends) {
    if (last >= first + 1 && sorted[last] > sorted[first])
      out.push_back("--range " + range_text({sorted[first], sorted[last]}));
    first = last + 1;
  }
  return out;
}

namespace {

// A temperature as the tables write it ("250.00 K"), a pressure to the
// tables' four decimals without trailing zeros ("0.5 GPa", "0.0001 GPa").
std::string abscissa_text(double x, crystal::Abscissa abscissa) {
  if (abscissa != crystal::Abscissa::kPressure) return common::format_text("%.2f K", x);
  std::string s = common::format_text("%.4f", x);
  s.erase(s.find_last_not_of('0') + 1);
  if (s.back() == '.') s.pop_back();
  return s + " GPa";
}

}  // namespace

common::Expected<std::size_t> find_reference(const std::vector<crystal::CellEntry>& cells,
                                             std::optional<double> at, crystal::Abscissa abscissa) {
  std::vector<double> x;
  x.reserve(cells.size());
  for (const crystal::CellEntry& e : cells) x.push_back(crystal::abscissa(e, abscissa).value_or(0));
  const bool pressure = abscissa == crystal::Abscissa::kPressure;
  if (!at) {
    if (!pressure || x.empty()) return std::size_t{0};
    return static_cast<std::size_t>(std::min_element(x.begin(), x.end()) - x.begin());
  }
  const double tolerance = pressure ? 0.00005 : 0.005;
  for (std::size_t i = 0; i < x.size(); ++i)
    if (std::fabs(x[i] - *at) <= tolerance) return i;
  std::string message = "no point at " + abscissa_text(*at, abscissa) + " for the reference";
  if (!x.empty()) {
    const auto [lo, hi] = std::minmax_element(x.begin(), x.end());
    message += " (the series runs from " + abscissa_text(*lo, abscissa) + " to " +
               abscissa_text(*hi, abscissa) + ")";
  }
  return common::Error{0, message};
}

}  // namespace expansion
