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

}  // namespace crystal
