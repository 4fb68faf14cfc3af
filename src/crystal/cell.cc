#include "crystal/cell.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "common/number_text.h"

namespace crystal {
namespace {

// The bounds of what a crystal's cell and temperature can be: wider than any
// crystal measured, narrow enough that a value read in the wrong unit or from
// the wrong field is caught.
constexpr double kShortestLength = 0.1;
constexpr double kLongestLength = 10000;
constexpr double kFarthestTemperature = 1e5;

double cos_deg(double degrees) {
  return std::cos(degrees * std::numbers::pi / 180);
}

// 1 - cos²α - cos²β - cos²γ + 2 cosα cosβ cosγ: (V / abc)², positive for a cell.
double volume_factor(const Cell& cell) {
  const double ca = cos_deg(cell.alpha), cb = cos_deg(cell.beta), cg = cos_deg(cell.gamma);
  return 1 - ca * ca - cb * cb - cg * cg + 2 * ca * cb * cg;
}

}  // namespace

std::array<double, 6> parameters(const Cell& cell) {
  return {cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma};
}

Cell cell_of(const std::array<double, 6>& p) {
  return Cell{p[0], p[1], p[2], p[3], p[4], p[5]};
}

std::array<std::optional<double>, 6> parameters(const CellSu& su) {
  return {su.a, su.b, su.c, su.alpha, su.beta, su.gamma};
}

CellSu cell_su_of(const std::array<std::optional<double>, 6>& s) {
  return CellSu{s[0], s[1], s[2], s[3], s[4], s[5]};
}

double cell_volume(const Cell& cell) {
  const double factor = volume_factor(cell);
  return factor > 0 ? cell.a * cell.b * cell.c * std::sqrt(factor) : 0;
}

Eigen::Matrix3d basis(const Cell& cell) {
  const double ca = cos_deg(cell.alpha), cb = cos_deg(cell.beta), cg = cos_deg(cell.gamma);
  const double sg = std::sin(cell.gamma * std::numbers::pi / 180);
  const double cy = (ca - cb * cg) / sg;
  const double cz = std::sqrt(std::max(0.0, 1 - cb * cb - cy * cy));
  Eigen::Matrix3d m;
  m.col(0) << cell.a, 0, 0;
  m.col(1) << cell.b * cg, cell.b * sg, 0;
  m.col(2) << cell.c * cb, cell.c * cy, cell.c * cz;
  return m;
}

Cell cell_of_basis(const Eigen::Matrix3d& basis) {
  const Eigen::Vector3d a = basis.col(0), b = basis.col(1), c = basis.col(2);
  const auto angle = [](const Eigen::Vector3d& u, const Eigen::Vector3d& v) {
    return std::acos(std::clamp(u.dot(v) / (u.norm() * v.norm()), -1.0, 1.0)) * 180 /
           std::numbers::pi;
  };
  return Cell{a.norm(), b.norm(), c.norm(), angle(b, c), angle(a, c), angle(a, b)};
}

std::optional<double> cell_volume_su(const Cell& cell, const CellSu& su) {
  const std::array<std::optional<double>, 6> sus = parameters(su);
  const std::array<double, 6> p = parameters(cell);
  const double factor = volume_factor(cell);
  if (!(factor > 0) || std::none_of(sus.begin(), sus.end(), [](auto s) { return s.has_value(); }))
    return std::nullopt;
  const double volume = cell.a * cell.b * cell.c * std::sqrt(factor);
  const double to_rad = std::numbers::pi / 180;
  const double c[3] = {cos_deg(cell.alpha), cos_deg(cell.beta), cos_deg(cell.gamma)};
  double variance = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    // dV/dx = V/x for a length x.
    if (sus[i]) variance += std::pow(volume / p[i] * *sus[i], 2);
    // dV/dα = abc sinα (cosα - cosβ cosγ) / sqrt(factor), per radian.
    const double others = c[(i + 1) % 3] * c[(i + 2) % 3];
    const double by_angle = cell.a * cell.b * cell.c * std::sin(p[i + 3] * to_rad) *
                            (c[i] - others) / std::sqrt(factor);
    if (sus[i + 3]) variance += std::pow(by_angle * *sus[i + 3] * to_rad, 2);
  }
  return std::sqrt(variance);
}

common::Expected<void> check_cell(const Cell& cell) {
  for (const double length : {cell.a, cell.b, cell.c}) {
    if (!(length >= kShortestLength && length <= kLongestLength)) {
      return common::Error{
          0, "a cell length of " + common::shortest(length) + " is not between 0.1 and 10000 A"};
    }
  }
  for (const double angle : {cell.alpha, cell.beta, cell.gamma}) {
    if (!(angle > 0 && angle < 180)) {
      return common::Error{
          0, "a cell angle of " + common::shortest(angle) + " is not between 0 and 180 degrees"};
    }
  }
  // Angles that only just close a volume give bases that no strain can be
  // computed from; a real cell is far from that.
  if (!(volume_factor(cell) > 1e-9)) {
    char text[160];
    std::snprintf(text, sizeof text, "the angles %.3f, %.3f, %.3f close no volume: not a cell",
                  cell.alpha, cell.beta, cell.gamma);
    return common::Error{0, text};
  }
  return {};
}

common::Expected<void> check_temperature(double kelvin) {
  if (!(std::fabs(kelvin) <= kFarthestTemperature))
    return common::Error{0,
                         "a temperature of " + common::shortest(kelvin) + " K is beyond 100000 K"};
  return {};
}

std::optional<double>& abscissa(CellEntry& entry, Abscissa mode) {
  return mode == Abscissa::kPressure ? entry.pressure : entry.temperature;
}
const std::optional<double>& abscissa(const CellEntry& entry, Abscissa mode) {
  return mode == Abscissa::kPressure ? entry.pressure : entry.temperature;
}
std::optional<double>& abscissa_su(CellEntry& entry, Abscissa mode) {
  return mode == Abscissa::kPressure ? entry.pressure_su : entry.temperature_su;
}
const std::optional<double>& abscissa_su(const CellEntry& entry, Abscissa mode) {
  return mode == Abscissa::kPressure ? entry.pressure_su : entry.temperature_su;
}

const char* abscissa_name(Abscissa mode) {
  return mode == Abscissa::kPressure ? "pressure" : "temperature";
}
const char* abscissa_unit(Abscissa mode) {
  return mode == Abscissa::kPressure ? "GPa" : "K";
}

double point_volume(const CellEntry& entry) {
  if (entry.volume) return *entry.volume;
  return entry.has_cell ? cell_volume(entry.cell) : 0;
}

std::optional<double> point_volume_su(const CellEntry& entry) {
  if (entry.volume) return entry.volume_su;
  return entry.has_cell ? cell_volume_su(entry.cell, entry.su) : std::nullopt;
}

GivenText GivenTexts::operator[](std::size_t slot) const {
  const auto text = [this](std::size_t k) {
    const std::size_t from = k == 0 ? 0 : ends_[k - 1];
    return joined_.substr(from, ends_[k] - from);
  };
  return {text(2 * slot), text(2 * slot + 1)};
}

void GivenTexts::set(std::size_t slot, const GivenText& text) {
  std::array<GivenText, 8> texts;
  for (std::size_t k = 0; k < texts.size(); ++k) texts[k] = k == slot ? text : (*this)[k];
  if (std::optional<GivenTexts> kept = joined(texts)) *this = std::move(*kept);
}

GivenTexts GivenTexts::of(const std::array<GivenText, 8>& texts) {
  return joined(texts).value_or(GivenTexts{});
}

std::optional<GivenTexts> GivenTexts::joined(const std::array<GivenText, 8>& texts) {
  GivenTexts out;
  for (std::size_t k = 0; k < out.ends_.size(); ++k) {
    const GivenText& text = texts[k / 2];
    out.joined_ += k % 2 == 0 ? text.value : text.su;
    if (out.joined_.size() > 0xffff) return std::nullopt;
    out.ends_[k] = static_cast<std::uint16_t>(out.joined_.size());
  }
  return out;
}

}  // namespace crystal
