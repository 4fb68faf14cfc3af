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

}  // namespace expansion
