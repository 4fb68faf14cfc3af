// Field codes and layouts of formatted records.
//
// Fw.d works on the exact binary value of the float, |x| = m * 2^e with
// m < 2^24, in integer arithmetic: the place of the last kept digit is found
// from the first significant digit of that exact value, the value is scaled to
// that place and rounded half away from zero, and the kept digits are then laid
// out with zeros down to the d-th decimal. Every float fits this scheme in
// 128-bit integers, so no path needs wider arithmetic, the heap or the C library.
// The fields of everyday values (at most six decimals, fewer than nine digits)
// take a shorter way in double arithmetic that is exact there, and so gives
// the same digits (round_in_double).
#include "textrec/edit.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace textrec {
namespace {

__extension__ typedef unsigned __int128 u128;

constexpr int kMaxDecimals = 30;  // d of Fw.d
constexpr int kMaxCount = 1000;   // widths, blank counts and repeat counts
constexpr int kSignificant = 9;   // Fw.d keeps at most this many significant digits

constexpr std::array<u128, 39> make_powers_of_ten() {
  std::array<u128, 39> p{};
  u128 v = 1;
  for (auto& slot : p) {
    slot = v;
    v *= 10;
  }
  return p;
}
// 10^0 to 10^38; 10^38 < 2^127 and every float is below 10^39.
constexpr std::array<u128, 39> kPow10 = make_powers_of_ten();

[[noreturn]] void fault(const std::string& what) {
  throw std::logic_error("textrec: " + what);
}

// The one overflow rule: text right-justified in w characters, or w asterisks
// when it does not fit.
void append_justified(std::string& out, int w, std::string_view text) {
  const auto width = static_cast<std::size_t>(w);
  if (text.size() > width) {
    out.append(width, '*');
    return;
  }
  // The field is blanked, then the text copied over its right end.
  out.append(width, ' ');
  std::copy(text.begin(), text.end(), out.end() - static_cast<std::ptrdiff_t>(text.size()));
}

void check_width(int w, const char* code) {
  if (w < 0) fault(std::string("negative width for ") + code);
}

// --- Fw.d -----------------------------------------------------------------

constexpr std::array<std::uint32_t, 10> kPow10Small{
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};

// "00" to "99": decimal digits are written two per division.
constexpr std::array<char, 200> make_digit_pairs() {
  std::array<char, 200> pairs{};
  for (std::size_t i = 0; i < 100; ++i) {
    pairs[2 * i] = static_cast<char>('0' + i / 10);
    pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}
constexpr std::array<char, 200> kDigitPairs = make_digit_pairs();

// Writes the decimal digits of n so that they end just before `end`, and
// returns where they begin; a zero has no digits.
char* write_digits(std::uint32_t n, char* end) {
  char* p = end;
  while (n >= 100) {
    const std::size_t pair = std::size_t{2} * (n % 100);
    n /= 100;
    *--p = kDigitPairs[pair + 1];
    *--p = kDigitPairs[pair];
  }
  if (n >= 10) {
    *--p = kDigitPairs[std::size_t{2} * n + 1];
    *--p = kDigitPairs[std::size_t{2} * n];
  } else if (n > 0) {
    *--p = static_cast<char>('0' + n);
  }
  return p;
}

// |x| = m * 2^e exactly, m < 2^24; m == 0 for a zero.
struct ExactFloat {
  std::uint32_t m = 0;
  int e = 0;
};

ExactFloat decompose(float x) {
  const auto bits = std::bit_cast<std::uint32_t>(x);
  const std::uint32_t biased = (bits >> 23) & 0xFFu;
  const std::uint32_t fraction = bits & 0x7FFFFFu;
  if (biased == 0) return {fraction, -149};  // zero or denormal
  return {fraction | 0x800000u, static_cast<int>(biased) - 150};
}

// True when m * 2^e >= 10^q; m >= 1, -30 <= q.
bool at_least_pow10(ExactFloat v, int q) {
  if (q > 38) return false;  // every float is below 10^39
  if (v.e >= 0) {
    if (q <= 0) return true;                 // an integer >= 1
    return (u128{v.m} << v.e) >= kPow10[q];  // < 2^128
  }
  const int s = -v.e;  // |x| = m / 2^s < 2^24 < 10^8
  if (q >= 8) return false;
  if (q >= 0) {
    if (s > 100) return false;  // |x| < 2^-76
    // 10^7 * 2^36 < 2^60: the usual comparison fits in 64 bits.
    if (s <= 36) return std::uint64_t{v.m} >= (static_cast<std::uint64_t>(kPow10[q]) << s);
    return u128{v.m} >= (kPow10[q] << s);
  }
  const u128 scaled = u128{v.m} * kPow10[-q];  // < 2^24 * 10^30 < 2^124
  if (s >= 124) return false;
  return scaled >= (u128{1} << s);
}

// floor(log10(2^b)), exact for every -149 <= b <= 127 (78913 / 2^18 ~ log10 2).
int log10_pow2_floor(int b) {
  return (b * 78913) >> 18;
}

// The place 10^k of the last digit that Fw.d keeps for a nonzero value: the
// d-th decimal, unless that would give more than nine significant digits, in
// which case the ninth digit from the first significant digit of the exact value.
int last_kept_place(ExactFloat v, int d) {
  const int lowest_wide = kSignificant - d;  // from 10^lowest_wide up, d decimals are too many
  if (!at_least_pow10(v, lowest_wide)) return -d;
  const int b = v.e + std::bit_width(v.m) - 1;  // 2^b <= |x| < 2^(b+1)
  // 10^p0 <= 2^b <= |x| < 2^(b+1) < 10^(p0+2): the first place is p0 or p0+1.
  int p = log10_pow2_floor(b);
  if (p < lowest_wide) p = lowest_wide;
  if (at_least_pow10(v, p + 1)) ++p;
  return p - (kSignificant - 1);
}

// The one rounding rule: |x| / 10^k with half a unit added and the rest cut.
// k is the place from last_kept_place, so the result is at most 10^9. When the
// rounding carries into a new leading digit (9.999 in F6.2 gives 10.00), the
// place stays where the exact value put it: the new number is the correctly
// rounded one, and its extra digit at the last kept place is a zero.
std::uint64_t round_at_place(ExactFloat v, int k) {
  if (v.e >= 0) {
    const u128 whole = u128{v.m} << v.e;
    // k <= 0 only for |x| < 10^9: the product is the exact scaled value.
    if (k <= 0) return static_cast<std::uint64_t>(whole * kPow10[-k]);
    const u128 unit = kPow10[k];
    const u128 q = whole / unit;
    const u128 r = whole % unit;
    return static_cast<std::uint64_t>(q + (2 * r >= unit ? 1 : 0));
  }
  // A fraction below 2^24 < 10^8 has its last kept place at 10^0 or below:
  // m * 10^-k over 2^s, halved once less, one added, halved again. The usual
  // field (at most 12 decimals) does it in 64 bits, as m * 10^12 < 2^64.
  const int s = -v.e;
  const auto half_up = [s](auto scaled) { return ((scaled >> (s - 1)) + 1) >> 1; };
  if (-k <= 12 && s < 64)
    return half_up(std::uint64_t{v.m} * static_cast<std::uint64_t>(kPow10[-k]));
  if (s > 124) return 0;                                               // below half a unit
  return static_cast<std::uint64_t>(half_up(u128{v.m} * kPow10[-k]));  // < 2^124
}

// The rounded value of round_at_place(v, -d) without its 128-bit steps, where
// d <= 6 and the d-th decimal is the last kept place (last_kept_place gives
// -d: |x| < 10^(9-d)); false elsewhere. |x| * 10^d is exact in a double there:
// a 24-bit mantissa times 5^d < 2^14, times a power of two, has at most 38
// significant bits. Adding one half is exact as well for every product from
// 2^-15 up (the sum spans at most 53 bits); below it the sum rounds to about
// one half, whose integer part, 0, is the exact sum's too.
bool round_in_double(float x, int d, std::uint64_t* n) {
  constexpr int kMostDecimals = 6;
  constexpr std::array<double, kMostDecimals + 1> kScale{1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
  constexpr double kLimit = 1e9;  // 10^kSignificant units of the last decimal
  if (d > kMostDecimals) return false;
  const double scaled = std::fabs(static_cast<double>(x)) * kScale[static_cast<std::size_t>(d)];
  if (!(scaled < kLimit)) return false;
  // No product just below one half (the lint's case) has 38 bits or fewer.
  *n = static_cast<std::uint64_t>(scaled + 0.5);  // NOLINT(bugprone-incorrect-roundings)
  return true;
}

// Room for the text of Fw.d: up to 30 decimals, the point, up to 39 integer
// digits and the sign.
using FixedText = std::array<char, 80>;

// The text of Fw.d, built from the right end of `room`: the digits of n (at
// most 10^9) followed by `zeros` zeros, in units of 10^-d, so that the point
// stands d digits from the right,
// with a sign when minus and a zero before the point where the field has room
// for it.
std::string_view lay_out_fixed(std::uint64_t n, int zeros, int d, bool minus, int w,
                               FixedText& room) {
  char* const end = room.data() + room.size();
  const auto kept = static_cast<std::uint32_t>(n);
  // The digits of n that stand after the point; the others stand before it.
  const int after_point = d - zeros;
  char* p = end;
  const auto put_zeros = [&p](int count) {
    for (; count > 0; --count) *--p = '0';
  };
  std::uint32_t whole = kept;
  if (after_point <= 0) {
    put_zeros(d);
  } else {
    put_zeros(zeros);
    std::uint32_t fraction = kept;
    whole = 0;
    if (after_point < 10) {
      const std::uint32_t unit = kPow10Small[static_cast<std::size_t>(after_point)];
      whole = kept / unit;
      fraction = kept % unit;
    }
    char* const fraction_end = p;
    p = write_digits(fraction, p);
    while (p != fraction_end - after_point) *--p = '0';
  }
  *--p = '.';
  const char* const point = p;
  if (whole != 0) {
    if (after_point < 0) put_zeros(-after_point);
    p = write_digits(whole, p);
  }
  if (p == point && static_cast<std::ptrdiff_t>(end - p) + (minus ? 1 : 0) < w) *--p = '0';
  if (minus) *--p = '-';
  return {p, static_cast<std::size_t>(end - p)};
}

void edit_f_nonfinite(std::string& out, float x, int w) {
  if (x != x) {
    append_justified(out, w, "NaN");
  } else if (x > 0) {
    append_justified(out, w, w >= 8 ? "Infinity" : "Inf");
  } else {
    append_justified(out, w, w >= 9 ? "-Infinity" : "-Inf");
  }
}

// --- Layouts --------------------------------------------------------------

struct LayoutCursor {
  std::string_view text;
  std::size_t at = 0;

  [[nodiscard]] bool done() const { return at == text.size(); }
  [[nodiscard]] char peek() const { return done() ? '\0' : text[at]; }
  void skip_blanks() {
    while (!done() && text[at] == ' ') ++at;
  }
  [[nodiscard]] bool take(char c) {
    if (peek() != c) return false;
    ++at;
    return true;
  }
  // An unsigned number of 1 to kMaxCount; -1 when there are no digits, -2 when
  // the number is beyond kMaxCount.
  [[nodiscard]] int number() {
    if (peek() < '0' || peek() > '9') return -1;
    int n = 0;
    while (peek() >= '0' && peek() <= '9') {
      n = n * 10 + (text[at++] - '0');
      if (n > kMaxCount) return -2;
    }
    return n;
  }
};

// One comma-separated entry: [r]A[w], [r]Fw.d, [r]Iw, [n]X.
bool parse_entry(LayoutCursor& c, std::vector<FieldCode>& fields) {
  const int count = c.number();
  if (count == -2 || count == 0) return false;
  FieldCode f;
  if (c.take('A')) {
    f.code = Code::kA;
    const int w = c.number();
    if (w == -2 || w == 0) return false;
    if (w > 0) {
      f.code = Code::kAw;
      f.w = w;
    }
  } else if (c.take('F')) {
    f.code = Code::kF;
    f.w = c.number();
    if (f.w <= 0 || !c.take('.')) return false;
    f.d = c.number();
    if (f.d < 0 || f.d > kMaxDecimals) return false;
  } else if (c.take('I')) {
    f.code = Code::kI;
    f.w = c.number();
    if (f.w <= 0) return false;
  } else if (c.take('X')) {
    fields.push_back({Code::kX, count > 0 ? count : 1, 0});
    return true;
  } else {
    return false;
  }
  fields.insert(fields.end(), static_cast<std::size_t>(count > 0 ? count : 1), f);
  return true;
}

const char* code_name(Code code) {
  switch (code) {
    case Code::kA:
    case Code::kAw:
      return "A";
    case Code::kF:
      return "F";
    case Code::kI:
      return "I";
    case Code::kX:
      return "X";
  }
  return "?";
}

[[noreturn]] void item_mismatch(const FieldCode& f, std::size_t item) {
  fault("item " + std::to_string(item + 1) + " does not suit field code " + code_name(f.code));
}

}  // namespace

Layout parse_layout(std::string_view text) {
  Layout layout;
  LayoutCursor c{text};
  for (;;) {
    c.skip_blanks();
    if (!parse_entry(c, layout.fields)) break;
    c.skip_blanks();
    if (c.done()) return layout;
    if (!c.take(',')) break;
  }
  fault("malformed layout \"" + std::string(text) + "\"");
}

void edit_a(std::string& out, std::string_view text) {
  out.append(text);
}

void edit_aw(std::string& out, std::string_view text, int w) {
  check_width(w, "Aw");
  const auto width = static_cast<std::size_t>(w);
  if (width >= text.size()) {
    out.append(width - text.size(), ' ');
    out.append(text);
  } else {
    out.append(text.substr(0, width));
  }
}

void edit_f(std::string& out, float x, int w, int d) {
  check_width(w, "Fw.d");
  if (d < 0 || d > kMaxDecimals) fault("decimals out of range for Fw.d: " + std::to_string(d));
  if ((std::bit_cast<std::uint32_t>(x) & 0x7F800000u) == 0x7F800000u) {
    edit_f_nonfinite(out, x, w);
    return;
  }
  std::uint64_t n = 0;
  int k = -d;
  if (!round_in_double(x, d, &n)) {
    const ExactFloat v = decompose(x);
    k = last_kept_place(v, d);
    n = round_at_place(v, k);
  }
  FixedText text;
  append_justified(out, w, lay_out_fixed(n, k + d, d, n != 0 && x < 0, w, text));
}

void edit_i(std::string& out, std::int64_t v, int w) {
  check_width(w, "Iw");
  // The magnitude as unsigned, so that the most negative value has one too.
  std::uint64_t mag = v < 0 ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  char buf[24];
  char* const end = buf + sizeof buf;
  char* p = end;
  do {
    *--p = static_cast<char>('0' + mag % 10);
    mag /= 10;
  } while (mag != 0);
  if (v < 0) *--p = '-';
  append_justified(out, w, std::string_view(p, static_cast<std::size_t>(end - p)));
}

void edit_x(std::string& out, int n) {
  check_width(n, "nX");
  out.append(static_cast<std::size_t>(n), ' ');
}

void format_record(std::string& out, const Layout& layout, std::span<const Item> items) {
  std::size_t next = 0;
  for (const FieldCode& f : layout.fields) {
    if (f.code == Code::kX) {
      edit_x(out, f.w);
      continue;
    }
    if (next == items.size()) return;  // the record ends at the first field without an item
    const Item& item = items[next];
    switch (f.code) {
      case Code::kA:
      case Code::kAw: {
        const auto* text = std::get_if<std::string_view>(&item);
        if (text == nullptr) item_mismatch(f, next);
        if (f.code == Code::kA) {
          edit_a(out, *text);
        } else {
          edit_aw(out, *text, f.w);
        }
        break;
      }
      case Code::kF: {
        const auto* real = std::get_if<float>(&item);
        if (real == nullptr) item_mismatch(f, next);
        edit_f(out, *real, f.w, f.d);
        break;
      }
      case Code::kI: {
        const auto* integer = std::get_if<std::int64_t>(&item);
        if (integer == nullptr) item_mismatch(f, next);
        edit_i(out, *integer, f.w);
        break;
      }
      case Code::kX:
        break;
    }
    ++next;
  }
  if (next != items.size()) {
    fault(std::to_string(items.size() - next) + " item(s) left over at the end of the layout");
  }
}

}  // namespace textrec
