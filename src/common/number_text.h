// Numbers as text: fixed decimals, scientific notation, the shortest text that
// reads back to the same value, a value with its standard uncertainty as
// crystallographers write it, and decimal numbers read from a command line.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace common {

// The value with `decimals` decimals; one that rounds to zero has no sign.
[[nodiscard]] std::string fixed(double value, int decimals);

// printf's %.*e.
[[nodiscard]] std::string scientific(double value, int decimals);

// As scientific, with "x10" and a superscript power (UTF-8).
[[nodiscard]] std::string scientific_with_power(double value, int decimals);

enum class Notation {
  kAny,    // fixed or exponent form, whichever is shorter: "100", "1e-05", "7e-04"
  kFixed,  // never an exponent: "0.00001", "0.0007"
};

// The shortest text that reads back to the same value (std::to_chars); "inf",
// "-inf" or "nan" for a value that is not finite. The float overload gives the
// shortest text of the single-precision value: 500.404f is "500.404".
[[nodiscard]] std::string shortest(double value, Notation notation = Notation::kAny);
[[nodiscard]] std::string shortest(float value, Notation notation = Notation::kAny);

// A value as the plot file holds it: for a single-precision file the shortest
// text of the float, in fixed form, else five decimals.
[[nodiscard]] std::string file_value(double value, bool single_precision);

// A value with its standard uncertainty (su) in parentheses, as
// crystallographers write it: the su rounded to two significant digits, the
// value rounded to the same decimal place, and the su's two digits in units
// of that place. with_su(35.4357, 0.3712) is "35.44(37)", with_su(21.4213,
// 0.187) "21.42(19)", with_su(0.01234, 0.0000456) "0.012340(46)"; an su of ten
// or more rounds the value to a whole number: with_su(1234.5, 123) is
// "1230(120)". Without a positive, finite su (none, zero: an exact value) the
// value alone, as shortest() writes it.
[[nodiscard]] std::string with_su(double value, std::optional<double> su);

// The value with its SU as with_su writes them, where the SU shows at
// `decimals` decimals (it is at least half a unit of the last); otherwise the
// SU is rounding and the value is written alone to `decimals` decimals, as an
// exact value, 0 for what rounds to zero (never "-0.000").
[[nodiscard]] std::string with_su_at(double value, double su, int decimals);

// How one output writes a value with its SU (value_with_su): the decimals
// of a value written alone (negative: as shortest() writes it), whether an SU too small to show at
// those decimals is rounding (the value is then written alone, as an exact value), and how a value
// that is not known is spelled ("n/a" in a report, "" in a CSV).
struct SuStyle {
  int decimals = 3;
  bool su_at_decimals = false;
  std::string_view missing = "n/a";
};

// The one rule every output writes a value with its SU by: with_su where the
// SU is positive and finite (with_su_at under su_at_decimals), else the value
// alone with the style's decimals (never "-0.000"), else, for no value or one
// that is not finite, the style's `missing`.
[[nodiscard]] std::string value_with_su(std::optional<double> value, std::optional<double> su,
                                        const SuStyle& style);

// A count with its noun, the singular for one: counted(1, "entry", "entries")
// is "1 entry", counted(0, ...) "0 entries".
[[nodiscard]] std::string counted(long long count, std::string_view one, std::string_view many);

// The text as a decimal number, such as a command line gives: an optional
// sign, digits with an optional decimal point, an optional exponent (e or E),
// and nothing else; nothing for any other text, and for a hexadecimal number,
// inf, nan or a value beyond the range of a double.
[[nodiscard]] std::optional<double> parse_decimal(std::string_view text);

// The text as a whole decimal number from `least` to `most`: digits alone
// (no sign, no blank); nothing for any other text or a number out of range.
[[nodiscard]] std::optional<unsigned long long> parse_whole(std::string_view text,
                                                            unsigned long long least,
                                                            unsigned long long most);

// The double that the shortest text of a float reads as: 6.08771F gives
// 6.08771, not the 6.0877099037... the float holds. Not finite stays so.
[[nodiscard]] double as_decimal(float value);

// printf into a string of at most 511 characters.
template <class... Args>
[[nodiscard]] std::string format_text(const char* fmt, Args... args) {
  char text[512];
  std::snprintf(text, sizeof text, fmt, args...);
  return text;
}

}  // namespace common
