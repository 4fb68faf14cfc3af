#include "expansion/line_fit.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <tuple>

#include "common/safe_text.h"

namespace expansion {

namespace {

std::string lower(std::string_view t) {
  std::string s(t);
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Splits "a(A)" or "alpha(deg.)" into name and unit; unit empty without "(".
std::pair<std::string, std::string> name_and_unit(std::string_view token) {
  const auto open = token.find('(');
  if (open == std::string_view::npos) return {std::string(common::trim(token)), ""};
  const auto close = token.find(')', open);
  std::string_view unit =
      token.substr(open + 1, close == token.npos ? token.npos : close - open - 1);
  while (!unit.empty() && unit.back() == '.') unit.remove_suffix(1);
  return {std::string(common::trim(token.substr(0, open))), std::string(common::trim(unit))};
}

Quantity kind_of_name(const std::string& name) {
  const std::string n = lower(name);
  if (n == "a" || n == "b" || n == "c") return Quantity::kLength;
  if (n == "alpha" || n == "beta" || n == "gamma") return Quantity::kAngle;
  if (n == "volume" || n == "v") return Quantity::kVolume;
  return Quantity::kOther;
}

Quantity kind_of_legend(std::string_view legend) {
  const std::string l = lower(legend);
  if (l.find("volume") != l.npos) return Quantity::kVolume;
  if (l.find("angle") != l.npos || l.find("(deg") != l.npos) return Quantity::kAngle;
  if (l.find("cell parameter") != l.npos || l.find("length") != l.npos || l.find("(a)") != l.npos) {
    return Quantity::kLength;
  }
  return Quantity::kOther;
}

}  // namespace

NoFit why_no_fit(const std::vector<formats::Point>& points) {
  if (points.empty()) return NoFit::kNoPoints;
  if (points.size() == 1) return NoFit::kOnePoint;
  const bool same_x = std::all_of(points.begin(), points.end(),
                                  [&](const formats::Point& p) { return p.x == points.front().x; });
  return same_x ? NoFit::kSameTemperature : NoFit::kNone;
}

std::optional<LineFit> fit_line(const std::vector<formats::Point>& points) {
  if (why_no_fit(points) != NoFit::kNone) return std::nullopt;
  // Sums about the means, which keeps the small slope of a cell parameter
  // (1e-5 of its value per kelvin) clear of cancellation.
  double x_mean = 0, y_mean = 0;
  for (const formats::Point& p : points) x_mean += p.x, y_mean += p.y;
  x_mean /= static_cast<double>(points.size());
  y_mean /= static_cast<double>(points.size());
  double sxx = 0, sxy = 0;
  for (const formats::Point& p : points) {
    sxx += (p.x - x_mean) * (p.x - x_mean);
    sxy += (p.x - x_mean) * (p.y - y_mean);
  }
  if (!(sxx > 0)) return std::nullopt;
  const double slope = sxy / sxx;
  return LineFit{slope, y_mean - slope * x_mean};
}

SeriesStats series_stats(const std::vector<formats::Point>& points) {
  SeriesStats s{{points.front().x, points.front().x}, {points.front().y, points.front().y}, 0};
  for (const formats::Point& p : points) {
    s.x = {std::min(s.x.min, p.x), std::max(s.x.max, p.x)};
    s.y = {std::min(s.y.min, p.y), std::max(s.y.max, p.y)};
    s.y_mean += p.y;
  }
  s.y_mean /= static_cast<double>(points.size());
  return s;
}

QuantityInfo describe_quantity(const formats::PgfFile& pgf) {
  QuantityInfo info;
  // The heading names the columns, e.g. "TK              a(A)": the last is Y.
  const std::string_view heading = common::trim(pgf.column_heading);
  const auto last_gap = heading.find_last_of(" \t");
  if (last_gap != std::string_view::npos) {
    std::tie(info.name, info.unit) = name_and_unit(heading.substr(last_gap + 1));
  }
  if (info.name.empty()) {
    // The title reads "a(A)=f(T)".
    const std::string_view title = common::trim(pgf.title);
    std::tie(info.name, info.unit) = name_and_unit(title.substr(0, title.find('=')));
  }
  if (info.unit.empty()) {
    const auto open = pgf.y_legend.rfind('(');
    if (open != std::string::npos) info.unit = name_and_unit(pgf.y_legend.substr(open)).second;
  }
  info.kind = kind_of_name(info.name);
  if (info.kind == Quantity::kOther) info.kind = kind_of_legend(pgf.y_legend);
  if (info.name.empty() || info.name.find_first_of(" \t") != std::string::npos)
    info.name.assign(1, 'y');
  return info;
}

std::optional<double> expansion_coefficient(double slope, double mean_value) {
  if (mean_value == 0) return std::nullopt;
  return slope / mean_value;
}

}  // namespace expansion
