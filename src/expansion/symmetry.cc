#include "expansion/symmetry.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

namespace expansion {

namespace {

constexpr double kRelative = 1e-4;

// x and y equal within twice their combined SU, or to 1e-4 relative.
bool equal(double x, std::optional<double> sx, double y, std::optional<double> sy) {
  const double su = std::hypot(sx.value_or(0), sy.value_or(0));
  const double allowed = std::max(2 * su, kRelative * std::max(std::fabs(x), std::fabs(y)));
  return std::fabs(x - y) <= allowed;
}

bool angle_is(double angle, std::optional<double> su, double value) {
  return equal(angle, su, value, std::nullopt);
}

Eigen::Vector3d unit(int axis) {
  return Eigen::Vector3d::Unit(axis);
}

// The family of a cell whose three angles are 90 (lengths decide).
Symmetry right_angled(const std::array<double, 6>& p,
                      const std::array<std::optional<double>, 6>& s) {
  const bool ab = equal(p[0], s[0], p[1], s[1]), bc = equal(p[1], s[1], p[2], s[2]),
             ca = equal(p[2], s[2], p[0], s[0]);
  if (ab && bc && ca) return {Family::kCubic, false, std::nullopt};
  if (ab) return {Family::kTetragonal, false, unit(2)};
  if (bc) return {Family::kTetragonal, false, unit(0)};
  if (ca) return {Family::kTetragonal, false, unit(1)};
  return {Family::kOrthorhombic, false, std::nullopt};
}

}  // namespace

const char* family_name(Family family) {
  static constexpr std::array<const char*, 7> kNames = {
      "triclinic", "monoclinic", "orthorhombic", "tetragonal", "trigonal", "hexagonal", "cubic"};
  return kNames[static_cast<std::size_t>(family)];
}

std::optional<Family> family_named(const std::string& system) {
  std::string s;
  for (const char c : system) s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (s == "rhombohedral") return Family::kTrigonal;
  for (int f = 0; f <= static_cast<int>(Family::kCubic); ++f) {
    if (s == family_name(static_cast<Family>(f))) return static_cast<Family>(f);
  }
  return std::nullopt;
}

Symmetry metric_symmetry(const crystal::Cell& cell, const crystal::CellSu& su) {
  const std::array<double, 6> p = crystal::parameters(cell);
  const std::array<std::optional<double>, 6> s = crystal::parameters(su);
  std::array<bool, 3> right{};
  for (std::size_t k = 0; k < 3; ++k) right[k] = angle_is(p[3 + k], s[3 + k], 90);
  const int right_count = static_cast<int>(std::count(right.begin(), right.end(), true));
  if (right_count == 3) return right_angled(p, s);
  if (right_count == 2) {
    // The axis between the two right angles is unique: angle k lies between
    // the two axes other than k.
    const int odd = static_cast<int>(std::find(right.begin(), right.end(), false) - right.begin());
    const auto i = static_cast<std::size_t>((odd + 1) % 3),
               j = static_cast<std::size_t>((odd + 2) % 3);
    if (angle_is(p[3 + static_cast<std::size_t>(odd)], s[3 + static_cast<std::size_t>(odd)], 120) &&
        equal(p[i], s[i], p[j], s[j]))
      return {Family::kHexagonal, false, unit(odd)};
    return {Family::kMonoclinic, false, unit(odd)};
  }
  if (right_count == 0 && equal(p[0], s[0], p[1], s[1]) && equal(p[1], s[1], p[2], s[2]) &&
      equal(p[3], s[3], p[4], s[4]) && equal(p[4], s[4], p[5], s[5]))
    return {Family::kTrigonal, false, Eigen::Vector3d(1, 1, 1).normalized()};
  return {Family::kTriclinic, false, std::nullopt};
}

Symmetry series_symmetry(const std::vector<crystal::CellEntry>& cells) {
  if (cells.empty()) return {};
  Symmetry lowest = metric_symmetry(cells.front().cell, cells.front().su);
  for (const crystal::CellEntry& e : cells) {
    if (const Symmetry s = metric_symmetry(e.cell, e.su); s.family < lowest.family) lowest = s;
  }
  const std::optional<Family> named = family_named(cells.front().system);
  const bool agree = named && std::all_of(cells.begin(), cells.end(), [&](const auto& e) {
                       return family_named(e.system) == named;
                     });
  if (!agree) return lowest;
  Symmetry out{*named, true, std::nullopt};
  // The unique axis where the metric shows the same one the files' family has.
  const bool uniaxial = *named == Family::kMonoclinic || *named == Family::kTetragonal ||
                        *named == Family::kTrigonal || *named == Family::kHexagonal;
  if (uniaxial && lowest.unique_uvw &&
      (lowest.family == *named ||
       (*named == Family::kTrigonal && lowest.family == Family::kHexagonal)))
    out.unique_uvw = lowest.unique_uvw;
  return out;
}

bool plane_by_symmetry(const Symmetry& symmetry, const Eigen::Vector3d& normal,
                       const Eigen::Matrix3d& basis) {
  if (symmetry.family == Family::kCubic) return true;
  const bool uniaxial = symmetry.family == Family::kTetragonal ||
                        symmetry.family == Family::kTrigonal ||
                        symmetry.family == Family::kHexagonal;
  if (!uniaxial || !symmetry.unique_uvw) return false;
  const Eigen::Vector3d axis = (basis * *symmetry.unique_uvw).normalized();
  return std::fabs(axis.dot(normal.normalized())) > 1 - 1e-6;
}

}  // namespace expansion
