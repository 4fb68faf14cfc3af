// A number as crystallographic files write it, with its standard uncertainty
// in parentheses in units of its last digit: "7.9492(7)" is 7.9492 with SU
// 0.0007, "31.4527(16)" 31.4527 with 0.0016, "100(2)" 100 with 2,
// "1.25E-3(4)" 0.00125 with 0.00004. A number without parentheses has no SU.
#pragma once

#include <optional>
#include <string_view>

namespace formats {

struct ValueWithSu {
  double value = 0;
  std::optional<double> su;
};

// The whole text as a finite number, with a sign, decimals and an exponent as
// C writes them and an SU as above; nothing for any other text ("?", ".",
// "1.2(", "12a", "(3)", an empty one, a value out of range).
[[nodiscard]] std::optional<ValueWithSu> parse_value_with_su(std::string_view text);

// The value times 10^power with its decimal digits kept, rounded once: 200000
// kilopascals are 0.2 GPa, where 200000 * 1e-6 gives 0.19999999999999998.
// The digits are the shortest that read back to the value (std::to_chars),
// those written where the value was read from text.
[[nodiscard]] double scaled_decimal(double value, int power);

// An SU as the files mean it: zero marks a parameter held fixed, which has
// none.
[[nodiscard]] std::optional<double> su_if_refined(std::optional<double> su);

}  // namespace formats
