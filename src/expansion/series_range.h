// A part of a series chosen by its temperatures (or pressures): the points
// from LOW to HIGH inclusive, either end open. Written "LOW:HIGH" on the
// command line (":300", "95:"), and so in the hints that name one.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/expected.h"
#include "crystal/cell.h"

namespace expansion {

struct ValueRange {
  std::optional<double> low, high;  // none: open
};

// "LOW:HIGH", either side empty; the reason it is not one (no colon, a value
// that is no decimal number, LOW above HIGH, both sides empty).
[[nodiscard]] common::Expected<ValueRange> parse_range(std::string_view text);

// The range as parse_range reads it: "95:170", ":300".
[[nodiscard]] std::string range_text(const ValueRange& range);

[[nodiscard]] bool within(const ValueRange& range, double x);

// The cells whose abscissa (temperature or pressure) lies within the range,
// and those left out, each in the order given.
struct RangedCells {
  std::vector<crystal::CellEntry> kept, left_out;
};
[[nodiscard]] RangedCells split_by_range(const std::vector<crystal::CellEntry>& cells,
                                         const ValueRange& range, crystal::Abscissa abscissa);

// The reference point of a series by its abscissa: the first point at `at`,
// to within half the last decimal a table writes (0.005 K, 0.00005 GPa);
// without `at`, the first point of a temperature series and the lowest
// pressure of a pressure series. Fails where no point lies there, naming the
// span of the series.
[[nodiscard]] common::Expected<std::size_t> find_reference(
    const std::vector<crystal::CellEntry>& cells, std::optional<double> at,
    crystal::Abscissa abscissa);

// Where a series falls into parts that should not be fitted as one (the
// points in temperature order, a part ending after each index in
// `break_after`), the ranges that fit each part of two points or more:
// "--range 2:100", "--range 130:300". Nothing without a break.
[[nodiscard]] std::vector<std::string> part_ranges(const std::vector<double>& sorted,
                                                   const std::vector<std::size_t>& break_after);

}  // namespace expansion
