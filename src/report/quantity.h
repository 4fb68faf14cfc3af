// The quantities of an analysis as every output writes them. A quantity is a
// row of its mode's table: its key (in the JSON and the CSV), its label and
// unit (in the report, the page and the pictures' keys), the decimals of a
// value shown without an SU, and how its value and SUs are read from the
// analysis. Each writer takes a quantity's value from its row and writes it
// by the one rule of common::value_with_su, so that the same quantity reads
// the same in the text, on the page and in the pictures, and holds the same
// number in the JSON, the CSV and the page's data-value.
//
// A value's SUs are those of the analysis: su_fit the fit's standard error,
// su_cells the SD of the Monte Carlo draws of the cells' SUs, and su, the one
// shown in parentheses, the larger of the two (expansion::bounding_su).
#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "common/number_text.h"

namespace report {

using Json = nlohmann::ordered_json;

// One value of a quantity with its SUs, each absent where it is not known.
struct Reading {
  std::optional<double> value;
  std::optional<double> su;  // the one shown: the larger of su_fit and su_cells
  std::optional<double> su_fit;
  std::optional<double> su_cells;
  // Why a value has no SU where it is exact: "bound" (a critical pressure at
  // its bound), "held" (a parameter held at a value); written after it.
  std::string_view exact;
  // Where above 0, the value in that many significant digits and no SU: a
  // parameter the data do not determine, given where a search stopped.
  int significant = 0;
};

// A unit as the report (ASCII), the page (markup) and the pictures (UTF-8)
// write it.
struct Unit {
  std::string_view text, markup, unicode;
};
inline constexpr Unit kNoUnit{"", "", ""};
inline constexpr Unit kPerMegaKelvin{"MK^-1", "MK<sup>&minus;1</sup>", "MK\u207b\u00b9"};
inline constexpr Unit kPerTeraPascal{"TPa^-1", "TPa<sup>&minus;1</sup>", "TPa\u207b\u00b9"};
inline constexpr Unit kGigaPascal{"GPa", "GPa", "GPa"};
inline constexpr Unit kCubicAngstrom{"A^3", "&Aring;<sup>3</sup>", "\u00c5\u00b3"};

// Where a quantity is read: of which subject (an axis 0 to 2, the volume 3,
// or an equation of state by its index), and at which point of the series,
// if at one.
struct Place {
  std::size_t of = 0;
  std::optional<std::size_t> at;
};

// A row of a mode's table of quantities, `Analysis` the mode's result.
template <class Analysis>
struct Quantity {
  std::string_view key;     // its JSON key and CSV column: "alpha", "K", "B0"
  std::string_view su_key;  // its SUs' keys: su_key, su_key + "_fit", su_key + "_cells"
  std::string_view label;   // in the report: "alpha", "K", "B0"
  std::string_view markup;  // on the page: "&alpha;", "K", "B<sub>0</sub>"
  // In the pictures' keys (UTF-8): a symbol and its subscript, "\u03b1", "";
  // "B", "0".
  std::string_view symbol;
  std::string_view subscript;
  Unit unit;
  // Decimals of a value without an SU (negative: its shortest text), and
  // whether an SU that does not show at them is rounding (common::SuStyle).
  int decimals = 3;
  bool su_at_decimals = false;
  Reading (*read)(const Analysis&, Place) = nullptr;

  [[nodiscard]] Reading operator()(const Analysis& analysis, Place place) const {
    return read(analysis, place);
  }
};

// How a person reads a value in each output: "20.43(76)", "0.000" for an
// SU too small to show, "0.19 (bound)"; `missing` for a value not known.
[[nodiscard]] std::string shown(const Reading& reading, int decimals, bool su_at_decimals,
                                std::string_view missing);

template <class Analysis>
[[nodiscard]] std::string shown(const Quantity<Analysis>& q, const Reading& reading,
                                std::string_view missing) {
  return shown(reading, q.decimals, q.su_at_decimals, missing);
}

// Spellings of a value not known: in the report "n/a", and "-" in a column
// of what the series does not give at all (no SUs in the cells, no empirical
// fit); on the page a dash; in the CSV nothing.
inline constexpr std::string_view kMissingText = "n/a";
inline constexpr std::string_view kNotGivenText = "-";
inline constexpr std::string_view kMissingPage = "&ndash;";
inline constexpr std::string_view kMissingCsv = "";

// A number of the JSON: null where it is not known or not finite.
[[nodiscard]] Json json_number(std::optional<double> value);

// A number of the CSV: its shortest text, empty where it is not known or not
// finite.
[[nodiscard]] std::string csv_number(std::optional<double> value);

// A double that may be NaN (a fit without a standard error) as an optional.
[[nodiscard]] std::optional<double> known(double value);

// The value, or 0 where it would show as zero at `decimals` decimals: the
// noise rounding leaves beside an exact zero (an angle 8.5e-07 degrees off
// 0, a component 1e-17 off), so that it is neither written "-0.0000" nor read
// as a value.
[[nodiscard]] double cleaned(double value, int decimals);

// The name of principal axis k (0 to 2): "X1" in the report and the CSV.
[[nodiscard]] std::string axis_name(std::size_t k);

// A value with its SUs, as a JSON object holds them: `key`, su_key, and where
// the row has them su_key + "_fit" and su_key + "_cells".
template <class Analysis>
void json_reading(Json& j, const Quantity<Analysis>& q, const Reading& r, bool with_sources) {
  j[std::string(q.key)] = json_number(r.value);
  const std::string su(q.su_key);
  j[su] = json_number(r.su);
  if (!with_sources) return;
  j[su + "_fit"] = json_number(r.su_fit);
  j[su + "_cells"] = json_number(r.su_cells);
}

}  // namespace report
