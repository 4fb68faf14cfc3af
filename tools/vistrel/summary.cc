#include "vistrel/summary.h"

#include <cmath>
#include <cstdio>
#include <string_view>

#include "vistrel/printable.h"

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

std::vector<std::string> summary_lines(const PgfFile& pgf, const std::optional<LineFit>& fit,
                                       bool utf8, bool with_legends) {
  std::vector<std::string> out;
  const QuantityInfo q = describe_quantity(pgf);
  const std::string name = printable(q.name, utf8);
  const std::string unit = printable(q.unit, utf8);

  const auto legend = trim(pgf.main_legend);
  if (with_legends && !legend.empty()) {
    out.push_back(" " + printable(legend, utf8));
  }
  std::string what = printable(trim(pgf.title), utf8);
  if (const auto y = trim(pgf.y_legend); !y.empty()) {
    what += (what.empty() ? "" : ": ") + printable(y, utf8);
    if (const auto x = trim(pgf.x_legend); !x.empty()) what += " against " + printable(x, utf8);
  }
  if (with_legends && !what.empty()) out.push_back(" " + what);

  std::string shown = " Points shown      : " + std::to_string(pgf.points.size());
  if (pgf.declared_points) shown += " of " + std::to_string(*pgf.declared_points) + " declared";
  out.push_back(shown);

  if (!pgf.points.empty()) {
    const SeriesStats s = series_stats(pgf.points);
    out.push_back(" Temperature range : " + fixed(s.x.min, 2) + " to " + fixed(s.x.max, 2) + " K");
    out.push_back(" Value range       : " + fixed(s.y.min, 5) + " to " +
                  with_unit(fixed(s.y.max, 5), unit) + ", mean " + fixed(s.y_mean, 5));
    if (fit) {
      out.push_back(" Least-squares line: " + name + " = " + fixed(fit->intercept, 5) +
                    (fit->slope < 0 ? " - " : " + ") + scientific(std::fabs(fit->slope), 5) +
                    " * T");
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
