#include "run.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "chart/expansion_pictures.h"
#include "common/number_text.h"
#include "common/safe_text.h"
#include "crystal/cell.h"
#include "expansion/analysis.h"
#include "expansion/eos_analysis.h"
#include "expansion/monte_carlo.h"
#include "expansion/pressure_draws.h"
#include "expansion/series_checks.h"
#include "inputs.h"
#include "report/eos_report.h"
#include "report/html_report.h"
#include "report/picture_keys.h"
#include "report/pressure_report.h"
#include "report/report.h"
#include "report/volumes_report.h"

namespace korvex_expansion {
namespace {

// The draws' progress on a terminal, shown once they will take more than a
// second in all, redrawn a few times a second, and erased when they end.
class DrawProgress {
 public:
  DrawProgress() = default;
  DrawProgress(const DrawProgress&) = delete;
  DrawProgress& operator=(const DrawProgress&) = delete;
  ~DrawProgress() {
    if (shown_) std::fputs("\r\033[K", stderr);
  }
  void operator()(std::size_t done, std::size_t total) {
    using namespace std::chrono_literals;
    const auto now = std::chrono::steady_clock::now();
    const std::chrono::duration<double> spent = now - begun_;
    if (!shown_ && spent * static_cast<double>(total) / static_cast<double>(done) < 1s) return;
    if (shown_ && now - drawn_ < 250ms && done != total) return;
    drawn_ = now;
    shown_ = true;
    std::fprintf(stderr, "\rkorvex-expansion: draw %zu of %zu", done, total);
    std::fflush(stderr);
  }

 private:
  std::chrono::steady_clock::time_point begun_ = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point drawn_;
  bool shown_ = false;
};

// The draws the options ask for, their progress shown on a terminal.
expansion::Draws shown_draws(const Options& opt, DrawProgress& progress) {
  expansion::Draws draws = opt.draws;
  if (::isatty(STDERR_FILENO) == 1)
    draws.progress = [&progress](std::size_t done, std::size_t total) { progress(done, total); };
  return draws;
}

common::Expected<expansion::SeriesAnalysis> analysis_of(const Points& points, const Options& opt) {
  expansion::Settings settings{0, opt.measure, opt.degree, opt.weighted};
  COMMON_TRY(reference, expansion::find_reference(points.cells, opt.reference,
                                                  crystal::Abscissa::kTemperature));
  settings.reference = *reference;
  DrawProgress progress;
  auto result = expansion::analyse_series(points.cells, settings, shown_draws(opt, progress));
  if (result && result.value().sus) result.value().sus->draws.progress = nullptr;
  return result;
}

// The points within --range, those outside kept to be named; a failure where
// fewer than two are left.
common::Expected<void> apply_range(const Options& opt, Points& points) {
  if (!opt.range) return {};
  const crystal::Abscissa abscissa = opt.inputs.abscissa();
  expansion::RangedCells split = expansion::split_by_range(points.cells, *opt.range, abscissa);
  const std::size_t all = points.cells.size();
  if (split.kept.size() < 2) {
    const std::string unit = std::string(" ") + crystal::abscissa_unit(abscissa);
    std::string message =
        "--range " + expansion::range_text(*opt.range) + " holds " +
        common::counted(static_cast<long long>(split.kept.size()), "point", "points") + " of " +
        std::to_string(all);
    const auto [lo, hi] = std::minmax_element(
        points.cells.begin(), points.cells.end(), [&](const auto& x, const auto& y) {
          return *crystal::abscissa(x, abscissa) < *crystal::abscissa(y, abscissa);
        });
    if (all > 0)
      message += " (the series runs from " + common::shortest(*crystal::abscissa(*lo, abscissa)) +
                 unit + " to " + common::shortest(*crystal::abscissa(*hi, abscissa)) + unit + ")";
    return common::Error{0, message + "; a fit needs 2 at least"};
  }
  points.cells = std::move(split.kept);
  points.left_out = std::move(split.left_out);
  return {};
}

// What the reports are of, the points' cells moved into it: a long series
// is not copied. The points hold no cells after.
report::Source source_taking_cells(Points& points, const Options& opt) {
  return {points.name,
          points.skipped_lines,
          std::move(points.cells),
          points.title,
          opt.range,
          std::move(points.left_out),
          {}};
}

// Changes of phase or setting between neighbours, told as warnings; false
// where cells cannot be matched, a failure.
bool checked_changes(const Points& points, crystal::Abscissa variable, Outcome& outcome) {
  const expansion::SeriesChanges changes = expansion::check_changes(points.cells, variable);
  for (const std::string& w : changes.warnings)
    outcome.warnings.push_back(about_file(points.name, {0, "warning: " + w}));
  for (const std::string& u : changes.unmatched)
    outcome.failures.push_back(about_file(points.name, {0, u}));
  return changes.unmatched.empty();
}

// The checks before a fit: temperatures that can be told apart, and changes
// of phase or setting; false after a failure.
bool checked_series(const Points& points, Outcome& outcome) {
  if (const auto t = expansion::check_temperatures(points.cells); !t) {
    outcome.failures.push_back(t.error().message);
    return false;
  }
  return checked_changes(points, crystal::Abscissa::kTemperature, outcome);
}

// The analysis of a pressure series, its SUs drawn where the cells carry them.
common::Expected<expansion::PressureSeries> pressure_analysis_of(const Options& opt,
                                                                 const Points& points) {
  std::vector<double> p, sigma_p;
  for (const crystal::CellEntry& e : points.cells) {
    p.push_back(*e.pressure);
    sigma_p.push_back(e.pressure_su.value_or(0));
  }
  // A point without an SU weighs as the least certain of those with one;
  // where no point has one, every point weighs the same (no SUs given).
  const double largest = *std::max_element(sigma_p.begin(), sigma_p.end());
  if (largest > 0) {
    for (double& su : sigma_p) su = su > 0 ? su : largest;
  } else {
    sigma_p.clear();
  }
  COMMON_TRY(reference,
             expansion::find_reference(points.cells, opt.reference, crystal::Abscissa::kPressure));
  DrawProgress progress;
  return expansion::analyse_pressure_series(points.cells, sigma_p, *reference, opt.measure,
                                            shown_draws(opt, progress));
}

// The report in the format the options ask for.
template <class Text, class Json, class Csv>
std::string in_format(Format format, const Text& text, const Json& json, const Csv& csv) {
  switch (format) {
    case Format::kJson:
      return json();
    case Format::kCsv:
      return csv();
    case Format::kText:
      break;
  }
  return text();
}

// A series whose points give volumes but not every one a cell (a P-V table,
// EosFit data): the equations of state alone, no principal axes, said so.
Outcome run_volumes(const Options& opt, Points& points, Outcome outcome) {
  outcome.notes.push_back(points.name +
                          ": not every point gives a cell: equations of state only, no "
                          "principal axes");
  const auto eos = expansion::analyse_equations_of_state(points.cells, opt.eos);
  if (!eos) {
    outcome.failures.push_back(eos.error().message);
    return outcome;
  }
  report::Source source = source_taking_cells(points, opt);
  source.warnings = outcome.warnings;
  outcome.output = in_format(
      opt.format, [&] { return report::volumes_text_report(*eos, source); },
      [&] { return report::volumes_json_report(*eos, source); },
      [&] { return report::volumes_csv_report(*eos); });
  if (opt.svg_prefix || opt.html_file) {
    const std::vector<chart::Picture> pictures =
        chart::render_eos_pictures(*eos, points.name, report::picture_keys(*eos), opt.picture);
    write_pictures(
        opt, pictures,
        [&](const std::vector<std::string>& warnings) {
          return report::volumes_html_report(*eos, source, warnings, pictures, opt.picture.title);
        },
        points.read, outcome);
  }
  return outcome;
}

// A pressure series: compressibilities and equations of state.
Outcome run_pressure(const Options& opt, Points& points, Outcome outcome) {
  // The message names the point's source.
  if (const auto checked = expansion::check_pressures(points.cells); !checked) {
    outcome.failures.push_back(checked.error().message);
    return outcome;
  }
  if (!std::all_of(points.cells.begin(), points.cells.end(),
                   [](const crystal::CellEntry& e) { return e.has_cell; }))
    return run_volumes(opt, points, std::move(outcome));
  if (!checked_changes(points, crystal::Abscissa::kPressure, outcome)) return outcome;
  const auto result = pressure_analysis_of(opt, points);
  if (!result) {
    outcome.failures.push_back(about_file(points.name, result.error()));
    return outcome;
  }
  const auto eos = expansion::analyse_equations_of_state(points.cells, opt.eos);
  if (!eos) {
    outcome.failures.push_back(eos.error().message);
    return outcome;
  }
  report::Source source = source_taking_cells(points, opt);
  source.warnings = outcome.warnings;
  outcome.output = in_format(
      opt.format, [&] { return report::pressure_text_report(*result, *eos, source); },
      [&] { return report::pressure_json_report(*result, *eos, source); },
      [&] { return report::pressure_csv_report(*result, *eos); });
  if (opt.svg_prefix || opt.html_file) {
    const std::vector<chart::Picture> pictures = chart::render_pressure_pictures(
        *result, *eos, source.cells, points.name, report::picture_keys(*result, *eos), opt.picture);
    write_pictures(
        opt, pictures,
        [&](const std::vector<std::string>& warnings) {
          return report::pressure_html_report(*result, *eos, source, warnings, pictures,
                                              opt.picture.title);
        },
        points.read, outcome);
  }
  return outcome;
}

}  // namespace

Outcome run(const Options& opt) {
  Outcome outcome;
  auto points = korvex_expansion::read_points(opt.inputs);
  if (!points) {
    outcome.failures.push_back(points.error().message);
    return outcome;
  }
  if (const auto ranged = apply_range(opt, points.value()); !ranged) {
    outcome.failures.push_back(about_file(points->name, ranged.error()));
    return outcome;
  }
  outcome.notes = points->notes;
  outcome.warnings = points->warnings;
  outcome.warned = points->warned;
  if (opt.inputs.pressure) return run_pressure(opt, points.value(), std::move(outcome));
  if (const auto hint = expansion::pressure_hint(points->cells, points->comment_names_pressure))
    outcome.warnings.push_back(points->name + ": " + *hint);
  if (!checked_series(*points, outcome)) return outcome;
  const auto analysed = analysis_of(*points, opt);
  if (!analysed) {
    outcome.failures.push_back(about_file(points->name, analysed.error()));
    return outcome;
  }
  const expansion::SeriesAnalysis& result = *analysed;
  report::Source source = source_taking_cells(points.value(), opt);
  for (const std::string& w : expansion::check_scatter(result))
    outcome.warnings.push_back(about_file(points->name, {0, "warning: " + w}));
  // A pair's report says itself that its coefficients are secants.
  if (!result.analysis.standard_errors && result.analysis.temperatures.size() > 2) {
    outcome.warnings.push_back(
        about_file(points->name,
                   {0, std::string("warning: a ") + expansion::fit_name(opt.degree) +
                           " fit through " + std::to_string(result.analysis.temperatures.size()) +
                           " points has no spare point, so the fit gives no standard errors"}));
  }
  source.warnings = outcome.warnings;
  outcome.output = in_format(
      opt.format, [&] { return report::text_report(result, source); },
      [&] { return report::json_report(result, source); },
      [&] { return report::csv_report(result); });
  if (opt.svg_prefix || opt.html_file) {
    const std::vector<chart::Picture> pictures =
        chart::render_pictures(result.analysis, result.sus ? &*result.sus : nullptr, source.cells,
                               source.name, report::picture_keys(result), opt.picture);
    write_pictures(
        opt, pictures,
        [&](const std::vector<std::string>& warnings) {
          return report::html_report(result, source, warnings, pictures, opt.picture.title);
        },
        points->read, outcome);
  }
  return outcome;
}

}  // namespace korvex_expansion
