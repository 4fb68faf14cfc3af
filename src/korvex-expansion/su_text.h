// A value with its SU the crystallographers' way, until the common library
// has one: 21.42(19), the SU to two significant digits.
#pragma once

#include <cmath>
#include <string>

#include "common/number_text.h"

namespace korvex_expansion {

inline std::string with_su(double value, double su) {
  if (!(su > 0) || !std::isfinite(su)) return common::fixed(value, 3);
  const int decimals = std::max(0, 1 - static_cast<int>(std::floor(std::log10(su))));
  const double digits = std::round(su * std::pow(10.0, decimals));
  return common::fixed(value, decimals) + "(" + common::fixed(digits, 0) + ")";
}

}  // namespace korvex_expansion
