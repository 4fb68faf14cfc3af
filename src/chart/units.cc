#include "chart/units.h"

#include "common/safe_text.h"

namespace chart {

namespace {

struct Spelling {
  std::string_view ascii;
  std::string_view symbol;
};

// "deg." before "deg", so that the longer spelling is matched first.
constexpr Spelling kUnits[] = {
    {"A", "\u00C5"}, {"A3", "\u00C5\u00B3"}, {"deg.", "\u00B0"}, {"deg", "\u00B0"}};

}  // namespace

std::string unit_symbol(std::string_view unit, bool utf8) {
  if (utf8) {
    for (const Spelling& s : kUnits) {
      if (unit == s.ascii) return std::string(s.symbol);
    }
  }
  return std::string(unit);
}

std::string with_unit_symbols(std::string_view raw, bool utf8) {
  if (!utf8) return std::string(raw);
  const std::string safe = common::safe_text(raw, common::Charset::kUtf8);
  const std::string_view text = safe;
  std::string out;
  std::size_t pos = 0;
  for (auto open = text.find('('); open != std::string_view::npos;
       open = text.find('(', open + 1)) {
    const auto close = text.find(')', open);
    if (close == std::string_view::npos) break;
    const std::string_view inside = text.substr(open + 1, close - open - 1);
    const std::string symbol = unit_symbol(inside, true);
    if (symbol != inside) {
      out.append(text.substr(pos, open + 1 - pos));
      out += symbol;
      pos = close;
    }
  }
  out.append(text.substr(pos));
  return out;
}

namespace {

bool is_letter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::string with_greek_letters(std::string_view text) {
  constexpr Spelling kLetters[] = {{"alpha", "\u03B1"}, {"beta", "\u03B2"}, {"gamma", "\u03B3"}};
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const bool word_start = at == 0 || !is_letter(text[at - 1]);
    bool replaced = false;
    for (const Spelling& l : kLetters) {
      const std::size_t end = at + l.ascii.size();
      if (word_start && text.substr(at, l.ascii.size()) == l.ascii &&
          (end == text.size() || !is_letter(text[end]))) {
        out += l.symbol;
        at = end;
        replaced = true;
        break;
      }
    }
    if (!replaced) out += text[at++];
  }
  return out;
}

std::string true_minus(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : ' ';
    const char before = i > 0 ? text[i - 1] : ' ';
    const char two_before = i > 1 ? text[i - 2] : ' ';
    const bool exponent =
        (before == 'e' || before == 'E') && (is_digit(two_before) || two_before == '.');
    const bool in_word = is_digit(before) || (is_letter(before) && !exponent);
    if (text[i] == '-' && (is_digit(next) || next == '.') && !in_word) {
      out += "\u2212";
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace chart
