#include "report/conclusions.h"

#include "chart/svg_chart.h"
#include "common/number_text.h"
#include "expansion/series_checks.h"
#include "report/axis_words.h"
#include "report/temperature_quantities.h"

namespace report {
namespace {

using Conclusions = std::vector<Conclusion>;

std::string uvw_text(const Eigen::Vector3d& uvw) {
  return common::format_text("[%.4f %.4f %.4f]", cleaned(uvw(0), 4), cleaned(uvw(1), 4),
                             cleaned(uvw(2), 4));
}

void add_symmetry_words(Conclusions& list, const AxisRates& rates,
                        const expansion::Symmetry& symmetry) {
  for (std::string& s : alike_words(rates, symmetry))
    list.push_back({ConclusionKind::kSymmetry, std::move(s)});
}

// The changes of phase or setting between neighbours, and the ranges that
// would fit each part.
void add_changes(Conclusions& list, const Source& source, crystal::Abscissa abscissa) {
  for (std::string& w : expansion::check_changes(source.cells, abscissa).warnings)
    list.push_back({ConclusionKind::kChange, std::move(w)});
}

// The axes' coefficients in MK^-1, each with its bounding su, as the
// symmetry words take them.
AxisRates rates_of(const expansion::SeriesAnalysis& result) {
  const expansion::Analysis& an = result.analysis;
  AxisRates r;
  for (std::size_t k = 0; k < 3; ++k) {
    const expansion::Estimate& alpha = an.axes[k].alpha;
    r.rates[k] = {
        alpha.value * 1e6,
        expansion::bounding_su(
            alpha.su, result.sus ? std::optional(result.sus->axes[k].alpha) : std::nullopt) *
            1e6};
  }
  r.directions = expansion::axis_directions(an);
  r.basis = an.crystal_axes;
  r.floor = 0.0005;
  r.verb = "expand";
  return r;
}

// "Greatest expansion along X3 [...]; least along X1 [...].", neither named
// of axes that symmetry makes one choice of many; `noun` is "expansion" or
// "compressibility", `least` and `greatest` the directions of X1 and X3.
void add_extremes(Conclusions& list, const AxisRates& rates, const expansion::Symmetry& symmetry,
                  const std::string& noun, const Eigen::Vector3d& least,
                  const Eigen::Vector3d& greatest) {
  const std::string greatest_text =
      equal_by_symmetry(rates, symmetry, 1, 2) ? "" : noun + " along X3 " + uvw_text(greatest);
  const std::string least_text =
      equal_by_symmetry(rates, symmetry, 0, 1)
          ? ""
          : std::string(cleaned(rates.rates[0].value, 3) < 0 ? " (negative)" : "") + " along X1 " +
                uvw_text(least);
  if (!greatest_text.empty()) {
    list.push_back(
        {ConclusionKind::kExtremes,
         "Greatest " + greatest_text + (least_text.empty() ? "" : "; least" + least_text) + "."});
  } else if (!least_text.empty()) {
    list.push_back({ConclusionKind::kExtremes, "Least " + noun + least_text + "."});
  }
}

// A straight line's negative coefficient: an alarm only when it lies below
// zero by more than twice its su.
void add_negative_line(Conclusions& list, const expansion::SeriesAnalysis& result, std::size_t k) {
  const Reading alpha = kAlpha(result, {k, std::nullopt});
  if (!alpha.value || !(cleaned(*alpha.value, 3) < 0)) return;
  const bool alarm = alpha.su && *alpha.value < -2 * *alpha.su;
  const char* words = !alpha.su ? "negative (no SU to judge it by)"
                      : alarm   ? "NEGATIVE THERMAL EXPANSION"
                                : "negative, but within 2 SU of zero";
  list.push_back({alarm ? ConclusionKind::kAlarm : ConclusionKind::kNote,
                  (k == 3 ? std::string("V") : axis_name(k)) + ": " + words +
                      ", alpha = " + shown(kAlpha, alpha, kMissingText) + " MK^-1."});
}

// Whether a stretch where a polynomial's coefficient is negative is so beyond
// 2 su: at a point of the series within it, or, with none there, where the
// coefficient is least, judged by the fit's standard error.
bool significant(const expansion::NegativeSpan& span, const std::vector<expansion::Estimate>& at,
                 const std::vector<double>* cells, const std::vector<double>& temperatures) {
  bool any_point = false;
  for (std::size_t i = 0; i < temperatures.size(); ++i) {
    if (temperatures[i] < span.from || temperatures[i] > span.to) continue;
    any_point = true;
    const double su = expansion::bounding_su(
        at[i].su, cells != nullptr ? std::optional((*cells)[i]) : std::nullopt);
    if (at[i].value < -2 * su) return true;
  }
  return !any_point && span.least < -2 * span.least_su;
}

// "NEGATIVE THERMAL EXPANSION along X1 between A K and B K, and between ...",
// the stretches of a polynomial's axis k (3: the volume) significant beyond
// 2 su; the others in quieter words.
void add_negative_spans(Conclusions& list, const expansion::SeriesAnalysis& result, std::size_t k) {
  const expansion::Analysis& an = result.analysis;
  const bool volume = k == 3;
  const expansion::PropagatedSus* sus = result.sus ? &*result.sus : nullptr;
  const std::vector<double>* cells = sus == nullptr ? nullptr
                                     : volume       ? &sus->volume.alpha_at
                                                    : &sus->axes[k].alpha_at;
  const std::vector<expansion::Estimate>& at = volume ? an.volume.alpha_at : an.axes[k].alpha_at;
  std::string alarm, quiet;
  for (const expansion::NegativeSpan& span : volume ? an.volume.negative : an.axes[k].negative) {
    if (!(cleaned(span.least * 1e6, 3) < 0)) continue;
    std::string& words = significant(span, at, cells, an.temperatures) ? alarm : quiet;
    words += common::format_text("%sbetween %.2f K and %.2f K", words.empty() ? "" : ", and ",
                                 span.from, span.to);
  }
  const std::string what = volume ? "V" : axis_name(k);
  if (!alarm.empty())
    list.push_back(
        {ConclusionKind::kAlarm, (volume ? "NEGATIVE VOLUME EXPANSION "
                                         : "NEGATIVE THERMAL EXPANSION along " + what + " ") +
                                     alarm + "."});
  if (!quiet.empty())
    list.push_back({ConclusionKind::kNote, std::string(volume ? "Volume" : what) +
                                               ": negative, but within 2 SU of zero, " + quiet +
                                               "."});
}

// The axes' K as the symmetry words take them: each that the axis is named
// by, with its bounding SU.
AxisRates rates_of(const expansion::PressureSeries& series) {
  const expansion::PressureAnalysis& r = series.analysis;
  AxisRates rates;
  for (std::size_t k = 0; k < 3; ++k) {
    rates.rates[k] = expansion::shown_compressibility(series, k);
    rates.directions.col(static_cast<Eigen::Index>(k)) = r.strains.axes[r.axes[k].axis].direction;
  }
  rates.basis = r.strains.crystal_axes;
  rates.floor = 0.0005;  // TPa^-1
  rates.verb = "compress";
  return rates;
}

const char* kind_class(ConclusionKind kind) {
  switch (kind) {
    case ConclusionKind::kExtremes:
      return "extremes";
    case ConclusionKind::kSymmetry:
      return "symmetry";
    case ConclusionKind::kAlarm:
      return "alarm";
    case ConclusionKind::kNote:
      return "note";
    case ConclusionKind::kChange:
      return "change";
  }
  return "";
}

}  // namespace

Conclusions conclusions(const expansion::SeriesAnalysis& result, const Source& source) {
  Conclusions list;
  const AxisRates rates = rates_of(result);
  const expansion::Analysis& an = result.analysis;
  add_extremes(list, rates, result.symmetry, "expansion", an.axes[0].uvw, an.axes[2].uvw);
  add_symmetry_words(list, rates, result.symmetry);
  for (std::size_t k = 0; k <= 3; ++k) {
    if (result.analysis.degree == 1)
      add_negative_line(list, result, k);
    else
      add_negative_spans(list, result, k);
  }
  add_changes(list, source, crystal::Abscissa::kTemperature);
  return list;
}

Conclusions pressure_conclusions(const expansion::PressureSeries& series, const Source& source) {
  Conclusions list;
  const AxisRates rates = rates_of(series);
  const expansion::Symmetry symmetry = expansion::series_symmetry(source.cells);
  const expansion::PressureAnalysis& r = series.analysis;
  const auto uvw = [&r](std::size_t k) { return r.strains.axes[r.axes[k].axis].uvw; };
  add_extremes(list, rates, symmetry, "compressibility", uvw(0), uvw(2));
  add_symmetry_words(list, rates, symmetry);
  for (std::size_t k = 0; k < 3; ++k) {
    const expansion::Estimate k_shown = expansion::shown_compressibility(series, k);
    if (expansion::negative_linear_compressibility(k_shown)) {
      list.push_back({ConclusionKind::kAlarm,
                      axis_name(k) + ": negative linear compressibility (K below zero by more "
                                     "than twice its SU)"});
    } else if (k_shown.value < 0) {
      list.push_back(
          {ConclusionKind::kNote, axis_name(k) + ": K negative, but within 2 SU of zero"});
    }
  }
  add_changes(list, source, crystal::Abscissa::kPressure);
  return list;
}

std::string conclusions_text(const Conclusions& list) {
  std::string s;
  for (const Conclusion& c : list) {
    if (c.kind == ConclusionKind::kChange) continue;
    s += " ";
    for (const char ch : c.text) s += ch == '\n' ? std::string("\n ") : std::string(1, ch);
    s += "\n";
  }
  return s;
}

std::string conclusions_markup(const Conclusions& list) {
  if (list.empty()) return "";
  std::string s = "<ul class=\"conclusions\">\n";
  for (const Conclusion& c : list) {
    std::string line = c.text;
    for (char& ch : line) ch = ch == '\n' ? ' ' : ch;
    s += "<li class=\"" + std::string(kind_class(c.kind)) + "\">" + chart::markup_text(line) +
         "</li>\n";
  }
  return s + "</ul>\n";
}

}  // namespace report
