#include "expansion/eos_axial.h"

#include <cmath>

namespace expansion {

std::vector<int> axial_lengths(const Symmetry& symmetry) {
  int unique = -1;
  if (symmetry.unique_uvw) {
    const Eigen::Vector3d u = symmetry.unique_uvw->cwiseAbs();
    // Along a crystal axis only ([111] of a rhombohedral cell is none).
    if ((u.array() > 1e-9).count() == 1) u.maxCoeff(&unique);
  }
  switch (symmetry.family) {
    case Family::kOrthorhombic:
      return {0, 1, 2};
    case Family::kCubic:
      return {0};
    case Family::kMonoclinic:
      if (unique >= 0) return {unique};
      return {};
    case Family::kTetragonal:
    case Family::kTrigonal:
    case Family::kHexagonal:
      if (unique < 0) return {};
      return {unique == 0 ? 1 : 0, unique};
    case Family::kTriclinic:
      break;
  }
  return {};
}

common::Expected<AxialEos> fit_axial(int axis, const std::vector<double>& p,
                                     const std::vector<double>& sigma_p,
                                     const std::vector<double>& l,
                                     const std::vector<double>& sigma_l, EosWeights weights) {
  PvSeries cubes{p, sigma_p, {}, {}};
  for (std::size_t i = 0; i < l.size(); ++i) {
    cubes.v.push_back(l[i] * l[i] * l[i]);
    if (i < sigma_l.size()) cubes.sigma_v.push_back(3 * l[i] * l[i] * sigma_l[i]);
  }
  EosOptions options;
  options.weights = weights;
  COMMON_TRY(fit, fit_equation_of_state(Eos::kBm3, cubes, options));
  const Estimate v0 = fit->theta[kV0];
  const Estimate k0 = fit->theta[kB0];
  const Estimate kp = fit->theta[kBp];
  AxialEos out{axis, *fit, {}, {}, {}, {}};
  const double l0 = std::cbrt(v0.value);
  out.l0 = {l0, v0.su / (3 * l0 * l0)};
  out.m0 = {3 * k0.value, 3 * k0.su};
  out.mp = {3 * kp.value, 3 * kp.su};
  out.beta0 = {1000 / out.m0.value, 1000 * out.m0.su / (out.m0.value * out.m0.value)};
  return out;
}

}  // namespace expansion
