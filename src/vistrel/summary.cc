#include "summary.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "chart/series_picture.h"
#include "chart/units.h"
#include "common/number_text.h"
#include "common/safe_text.h"

namespace vistrel {

namespace {

std::string rows_word(long n) {
  return std::to_string(n) + (n == 1 ? " row" : " rows");
}

std::string with_unit(const std::string& number, const std::string& unit) {
  return unit.empty() ? number : number + " " + unit;
}

// Text shown on the terminal in its character set.
std::string cleaned(std::string_view text, bool utf8) {
  return common::safe_text(text, utf8 ? common::Charset::kUtf8 : common::Charset::kAscii);
}

// The main legend and a line naming the series.
void add_legends(std::vector<std::string>& out, const formats::PgfFile& pgf, bool utf8) {
  if (const auto legend = common::trim(pgf.main_legend); !legend.empty())
    out.push_back(" " + cleaned(chart::with_unit_symbols(legend, utf8), utf8));
  std::string what = cleaned(chart::with_unit_symbols(common::trim(pgf.title), utf8), utf8);
  if (const auto y = common::trim(pgf.y_legend); !y.empty()) {
    what += (what.empty() ? "" : ": ") + cleaned(chart::with_unit_symbols(y, utf8), utf8);
    if (const auto x = common::trim(pgf.x_legend); !x.empty())
      what += " against " + cleaned(x, utf8);
  }
  if (!what.empty()) out.push_back(" " + what);
}

// The line and, for a length or the volume, its expansion coefficient.
void add_fit(std::vector<std::string>& out, const formats::PgfFile& pgf,
             const std::optional<expansion::LineFit>& fit, const std::string& unit, bool utf8) {
  const formats::QuantityInfo q = formats::quantity_of(pgf);
  if (!fit) {
    const expansion::NoFit why = expansion::why_no_fit(pgf.points);
    out.push_back(std::string(" Least-squares line: none, ") +
                  (why == expansion::NoFit::kOnePoint ? "one point only"
                                                      : "all points have the same temperature"));
    return;
  }
  out.push_back(" Least-squares line: " + cleaned(chart::fit_equation(q, *fit, false), utf8));
  out.push_back(" Slope             : " + common::scientific(fit->slope, 5) + " " +
                (unit.empty() ? "per K" : unit + "/K"));
  if (const auto c = chart::line_coefficient(q, pgf.points)) {
    const std::string label =
        q.kind == formats::Quantity::kLength ? " Expansion (linear): " : " Expansion (volume): ";
    if (c->alpha) {
      out.push_back(label + common::scientific(*c->alpha, 4) + " 1/K = " +
                    common::fixed(*c->alpha * 1e6, 3) + " x 10^-6/K (" + c->definition + ")");
    } else {
      out.push_back(label + "none: a value is not positive");
    }
  }
}

// Rows not shown, and a file that holds fewer rows than it declares or lacks
// its end record.
void add_notes(std::vector<std::string>& out, const formats::PgfFile& pgf) {
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
}

}  // namespace

std::vector<std::string> summary_lines(const formats::PgfFile& pgf,
                                       const std::optional<expansion::LineFit>& fit, bool utf8,
                                       bool with_legends, std::span<const double> sus) {
  std::vector<std::string> out;
  if (with_legends) add_legends(out, pgf, utf8);
  std::string shown = " Points shown      : " + std::to_string(pgf.points.size());
  if (pgf.declared_points) shown += " of " + std::to_string(*pgf.declared_points) + " declared";
  out.push_back(shown);
  if (!pgf.points.empty()) {
    const std::string unit =
        cleaned(chart::unit_symbol(formats::quantity_of(pgf).unit, utf8), utf8);
    const expansion::SeriesStats s = expansion::series_stats(pgf.points);
    out.push_back(" Temperature range : " + common::fixed(s.x.min, 2) + " to " +
                  common::fixed(s.x.max, 2) + " K");
    const bool single = pgf.single_precision;
    out.push_back(" Value range       : " + common::file_value(s.y.min, single) + " to " +
                  with_unit(common::file_value(s.y.max, single), unit) + ", mean " +
                  common::file_value(s.y_mean, single));
    const auto with_su = std::count_if(sus.begin(), sus.end(), [](double su) { return su > 0; });
    if (with_su > 0) {
      out.push_back(" Error bars        : one SU, at " + std::to_string(with_su) + " of " +
                    std::to_string(pgf.points.size()) + " points");
    }
    add_fit(out, pgf, fit, unit, utf8);
  }
  add_notes(out, pgf);
  return out;
}

}  // namespace vistrel
