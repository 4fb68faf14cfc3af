// The conversion of one number value of a free-form read into a real.
//
// The grammar: [sign] mantissa [exponent], the mantissa digits with at most one
// point, the exponent a letter E, D or Q (either case) with an optional sign, or
// a sign alone right after the mantissa, then digits. Any other character, a
// second point among them, stands for the digit 0 of the part it is in. A
// missing part reads as the digit 0: "+", "-", "." and "E5" are zero, "1e" and
// "1+" are one. The value is the decimal number correctly rounded to the nearest
// float, ties to even.
#pragma once

#include <string_view>
#include <vector>

namespace textrec {

// Something in a number value that is not what the grammar asks for.
struct NumberFlaw {
  enum class Kind {
    kBadCharacter,           // a character that cannot stand where it is: read as 0
    kNoDigits,               // the mantissa has no digit: read as 0
    kExponentWithoutDigits,  // an exponent letter or sign with no digit after it
  };
  Kind kind = Kind::kBadCharacter;
  std::string_view text;  // the bad character; the whole value for a missing part
};

// Whether c can stand in a well-formed number: a digit, a point, a sign or an
// exponent letter. None of them begins a repeat count's '*', a quoted text or a
// separator of the free-form read.
[[nodiscard]] inline bool is_number_character(char c) {
  // The exponent letters in either case: clearing bit 5 maps 'e' to 'E' and
  // nothing else to it.
  const auto upper = static_cast<char>(c & ~0x20);
  return (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-' || upper == 'E' ||
         upper == 'D' || upper == 'Q';
}

// Converts one number value (no blanks or separators in it). Every flaw found
// is added to `flaws`, which is cleared first. Returns false when the number lies
// outside the single-precision range (*x is then untouched); otherwise stores
// the value in *x.
[[nodiscard]] bool convert_number(std::string_view value, float* x, std::vector<NumberFlaw>& flaws);

}  // namespace textrec
