#include "expansion/cell.h"

#include <cmath>
#include <numbers>

namespace expansion {

namespace {

double cos_deg(double degrees) {
  return std::cos(degrees * std::numbers::pi / 180);
}

}  // namespace

Eigen::Matrix3d basis(const formats::Cell& cell) {
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

}  // namespace expansion
