// An equation of state (eos_equations.h) fitted to a series of volumes
// against pressure.
//
// The pressures are fitted as functions of the volumes, the residual of point
// i being (p(V_i) - p_i) / sigma_i with sigma_i by the weights chosen:
//   pv    the effective variance, sigma_i^2 = sigma_p,i^2 + (K(V_i)/V_i)^2
//         sigma_V,i^2, K(V) = -V dp/dV of the current parameters; the fit is
//         repeated with the sigma_i of its result until no parameter moves
//         (Orear, Am. J. Phys. 50 (1982) 912; the method of EosFit7, Angel,
//         Alvaro & Gonzalez-Platas, Z. Kristallogr. 229 (2014) 405);
//   p     sigma_i = sigma_p,i;
//   none  sigma_i = 1.
// The covariance of the fitted parameters is (J^T J)^-1 chi^2_w / (N - n),
// J the weighted Jacobian at the minimum, n the number of parameters fitted
// (least_squares.h); chi2w = chi^2_w / (N - n) is the reduced chi-squared.
//
// The minimum is reached with Levenberg-Marquardt from the closed-form
// Birch-Murnaghan solution of equation_of_state.h (second and third order),
// every other equation starting from the third-order Birch-Murnaghan
// parameters (K'' that its own 3rd-order form implies, for a 4th order), and
// from the second-order ones too, the lower of the two minima kept.
#pragma once

#include <Eigen/Dense>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/expected.h"
#include "expansion/eos_equations.h"
#include "expansion/poly_fit.h"

namespace expansion {

enum class EosWeights { kPv, kP, kNone };

// "pv", "p", "none", and back.
[[nodiscard]] const char* weights_key(EosWeights weights);
[[nodiscard]] std::optional<EosWeights> weights_named(std::string_view key);

// Pressures (GPa) and volumes (cubic angstroms), one entry a point; an SU
// not given is NaN (or its vector empty: none given at all).
struct PvSeries {
  std::vector<double> p, sigma_p, v, sigma_v;
};

// The weights a series takes unless told otherwise: pv where the volumes
// have SUs (every point then weighable: an SU of its volume or its
// pressure), p where every pressure has an SU, none otherwise.
[[nodiscard]] EosWeights default_weights(const PvSeries& series);

// The first point the weights cannot weigh: under p one whose pressure has
// no positive SU, under pv one with neither a positive pressure SU nor a
// positive volume SU; none under `none`.
[[nodiscard]] std::optional<std::size_t> unweighable_point(const PvSeries& series,
                                                           EosWeights weights);

struct EosOptions {
  EosWeights weights = EosWeights::kPv;
  std::optional<double> fix_bp;  // K' of every 3rd-order form
  std::optional<double> fix_v0;  // V0, A^3
  double pc = 0;                 // GPa, for bm3_pc; lowered to the lowest pressure when above it
};

struct EosSolution {
  Eos eos = Eos::kBm3;
  EosWeights weights = EosWeights::kPv;
  double pc = 0;  // GPa; 0 but for bm3_pc
  // V0, B0, B', B'' (kV0...). A parameter held is given with a NaN SU; B' is
  // 4 for BM2, and B'' NaN below the 4th order.
  std::array<Estimate, 4> theta;
  std::array<bool, 4> fitted{};
  std::array<bool, 4> held{};  // held at a value: --fix, or B' = 4 of BM2
  double chi2w = 0;            // chi^2_w / (N - n); NaN with no spare point
  double worst = 0;            // the largest |p_calc - p| / sigma
  Eigen::MatrixXd corr;        // of the fitted parameters, in the order V0, B0, B', B''
  Eigen::MatrixXd covariance;
  std::vector<double> p_calc;  // GPa, one per point
  std::vector<double> sigma;   // GPa, the SU each point was weighted by
};

// The fit of `eos` to the series. Fails when the points are too few for a
// spare one, the volumes or pressures are not distinct enough to fix the
// parameters, a value is not a finite number or a volume not positive, the
// weights cannot weigh a point (unweighable_point), or no curve of the
// equation fits.
[[nodiscard]] common::Expected<EosSolution> fit_equation_of_state(Eos eos, const PvSeries& series,
                                                                  const EosOptions& options);

// The fitted equation's pressure at volume v.
[[nodiscard]] double fitted_pressure(const EosSolution& fit, double v);

// Its parameters as eos_equations.h takes them.
[[nodiscard]] EosParameters parameters_of(const EosSolution& fit);

}  // namespace expansion
