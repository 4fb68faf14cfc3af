// The header row of a table of cells against temperature, as spreadsheets and
// other programs write one: a name for each column.
//
// A name is read without case, quotes, or a unit after it in parentheses or
// brackets or after "/" ("T(K)", "a [A]", "V/A^3"), or as a suffix "_K",
// "_A", "_deg", "_A3" ("T_K"):
//
//   T            t, temp, temperature
//   sigma_T      the SU of T, named as any SU below
//   a, b, c      a, b, c
//   alpha ...    alpha, al, α; beta, be, β; gamma, ga, γ
//   V            v, vol, volume (read, not used: the volume follows from the
//                six parameters)
//
// and the SU of a column X is sigma_X, su_X, X_su, esd_X, X_esd or sX (sa, sT).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/expected.h"

namespace formats {

// What a column holds: its value's place among T a b c alpha beta gamma V
// (0 to 7), and whether it is that value's SU.
struct ColumnRole {
  int slot = 0;
  bool su = false;
};

inline constexpr int kVolumeSlot = 7;

// Whether a row is a header row: none of its fields is a number.
[[nodiscard]] bool is_header_row(const std::vector<std::string_view>& fields);

// The role of each named column; an error (of line 0) for a name not known,
// a column named twice, or one of T a b c alpha beta gamma not named.
[[nodiscard]] common::Expected<std::vector<ColumnRole>> header_roles(
    const std::vector<std::string_view>& names);

}  // namespace formats
