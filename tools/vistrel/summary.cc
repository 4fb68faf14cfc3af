#include "vistrel/summary.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "vistrel/printable.h"
#include "vistrel/units.h"

namespace vistrel {

namespace {

std::string rows_word(long n) {
  return std::to_string(n) + (n == 1 ? " row" : " rows");
}

std::string with_unit(const std::string& number, const std::string& unit) {
  return unit.empty() ? number : number + " " + unit;
}

}  // namespace

std::string fixed(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  // A value that rounds to zero is written without a sign.
  const std::string_view text = buf;
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string_view::npos) {
    return std::string(text.substr(1));
  }
  return buf;
}

std::string scientific(double value, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", decimals, value);
  return buf;
}

std::string scientific_with_power(double value, int decimals) {
  std::string plain = scientific(value, decimals);
  const auto e = plain.find('e');
  if (e == std::string::npos) return plain;  // inf or nan
  static constexpr const char* kSuperscript[] = {"\u2070", "\u00B9", "\u00B2", "\u00B3", "\u2074",
                                                 "\u2075", "\u2076", "\u2077", "\u2078", "\u2079"};
  std::string out = plain.substr(0, e) + "\u00D710";
  std::string_view exponent = std::string_view(plain).substr(e + 1);
  if (exponent.front() == '-') out += "\u207B";
  exponent.remove_prefix(1);  // the sign
  while (exponent.size() > 1 && exponent.front() == '0') exponent.remove_prefix(1);
  for (const char d : exponent) out += kSuperscript[d - '0'];
  return out;
}

std::string file_value(double value, bool single_precision) {
  if (single_precision) {
    char buf[64];
    const auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, static_cast<float>(value), std::chars_format::fixed);
    if (ec == std::errc()) return std::string(buf, end);
  }
  return fixed(value, 5);
}

std::string fit_equation(const QuantityInfo& q, const LineFit& fit, bool pretty) {
  const std::string slope =
      pretty ? scientific_with_power(std::fabs(fit.slope), 5) : scientific(std::fabs(fit.slope), 5);
  return q.name + " = " + fixed(fit.intercept, 5) + (fit.slope < 0 ? " - " : " + ") + slope +
         (pretty ? " \u00B7 T" : " * T");
}

std::vector<std::string> summary_lines(const PgfFile& pgf, const std::optional<LineFit>& fit,
                                       bool utf8, bool with_legends) {
  std::vector<std::string> out;
  const QuantityInfo q = describe_quantity(pgf);
  const std::string unit = printable(unit_symbol(q.unit, utf8), utf8);

  const auto legend = trim(pgf.main_legend);
  if (with_legends && !legend.empty()) {
    out.push_back(" " + printable(with_unit_symbols(legend, utf8), utf8));
  }
  std::string what = printable(with_unit_symbols(trim(pgf.title), utf8), utf8);
  if (const auto y = trim(pgf.y_legend); !y.empty()) {
    what += (what.empty() ? "" : ": ") + printable(with_unit_symbols(y, utf8), utf8);
    if (const auto x = trim(pgf.x_legend); !x.empty()) what += " against " + printable(x, utf8);
  }
  if (with_legends && !what.empty()) out.push_back(" " + what);

  std::string shown = " Points shown      : " + std::to_string(pgf.points.size());
  if (pgf.declared_points) shown += " of " + std::to_string(*pgf.declared_points) + " declared";
  out.push_back(shown);

  if (!pgf.points.empty()) {
    const SeriesStats s = series_stats(pgf.points);
    out.push_back(" Temperature range : " + fixed(s.x.min, 2) + " to " + fixed(s.x.max, 2) + " K");
    const bool single = pgf.single_precision;
    out.push_back(" Value range       : " + file_value(s.y.min, single) + " to " +
                  with_unit(file_value(s.y.max, single), unit) + ", mean " +
                  file_value(s.y_mean, single));
    if (fit) {
      out.push_back(" Least-squares line: " + printable(fit_equation(q, *fit, false), utf8));
      out.push_back(" Slope             : " + scientific(fit->slope, 5) + " " +
                    (unit.empty() ? "per K" : unit + "/K"));
      if (q.kind == Quantity::kLength || q.kind == Quantity::kVolume) {
        const std::string label =
            q.kind == Quantity::kLength ? " Expansion (linear): " : " Expansion (volume): ";
        if (const auto alpha = expansion_coefficient(fit->slope, s.y_mean)) {
          out.push_back(label + scientific(*alpha, 4) + " 1/K = " + fixed(*alpha * 1e6, 3) +
                        " x 10^-6/K (slope / mean)");
        } else {
          out.push_back(label + "none: the mean value is zero");
        }
      }
    } else {
      const NoFit why = why_no_fit(pgf.points);
      out.push_back(
          std::string(" Least-squares line: none, ") +
          (why == NoFit::kOnePoint ? "one point only" : "all points have the same temperature"));
    }
  }

  const long rows =
      static_cast<long>(pgf.points.size()) + pgf.skipped_x_overflow + pgf.skipped_y_overflow;
  if (pgf.points.empty()) out.push_back(" Note: no point to plot, and no SVG picture.");
  if (pgf.skipped_x_overflow > 0) {
    out.push_back(" Note: " + rows_word(pgf.skipped_x_overflow) +
                  " skipped: temperature outside -99.99 to 999.99 (******).");
  }
  if (pgf.skipped_y_overflow > 0) {
    out.push_back(" Note: " + rows_word(pgf.skipped_y_overflow) +
                  " skipped: value in overflow form (asterisks).");
  }
  if (pgf.declared_points && rows < *pgf.declared_points) {
    out.push_back(" Note: " + std::to_string(*pgf.declared_points) + " points declared, " +
                  rows_word(rows) + " read: files without a cell give no row.");
  } else if (pgf.declared_points && rows > *pgf.declared_points) {
    out.push_back(" Note: " + std::to_string(*pgf.declared_points) + " points declared, but " +
                  rows_word(rows) + " read.");
  }
  if (pgf.declared_overflow) {
    out.push_back(" Note: the number of points is in overflow form (asterisks).");
  }
  if (!pgf.has_end_record) {
    out.push_back(" Note: no end record \"# END OF FILE\": the run may have stopped early.");
  }
  return out;
}

}  // namespace vistrel
