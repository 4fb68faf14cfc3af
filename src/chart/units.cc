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

}  // namespace chart
