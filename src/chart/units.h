// Units and symbols as crystallographers write them.
//
// A plot file spells its units in ASCII, as Fortran output does: "A" for
// angstrom, "A3" for cubic angstrom, "deg" or "deg." for degrees, both bare
// (the column heading) and in parentheses inside a legend ("Unit cell volume
// (A3)"). Where UTF-8 can be shown (a UTF-8 terminal, the SVG picture) they
// are written Å, Å³ and °; elsewhere the ASCII spelling stays.
#pragma once

#include <string>
#include <string_view>

namespace chart {

// The unit's symbol: "A" gives "Å", "A3" "Å³", "deg" "°" when utf8; any other
// unit, or any unit without utf8, as given.
[[nodiscard]] std::string unit_symbol(std::string_view unit, bool utf8);

// The text with every unit in parentheses, "(A)", "(A3)", "(deg.)", written
// with its symbol when utf8; as given otherwise. With utf8 the text is made
// safe first (common::safe_text, UTF-8), so that a Latin-1 text and the
// symbols joined to it stay one valid UTF-8 text.
[[nodiscard]] std::string with_unit_symbols(std::string_view text, bool utf8);

// The text with the Greek letters written as such where a word names one
// ("alpha angle" gives "α angle", "gamma(deg)" "γ(deg)"): alpha, beta and
// gamma as whole words, in lower case. The text must be valid UTF-8.
[[nodiscard]] std::string with_greek_letters(std::string_view text);

// The text with the true minus sign (U+2212) for each hyphen that stands
// for one: before a digit or a decimal point, not within a word ("-0.5" and
// "1.0e-05" change, "X-ray" and "2-3" do not).
[[nodiscard]] std::string true_minus(std::string_view text);

}  // namespace chart
