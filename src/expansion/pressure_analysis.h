// The principal compressibilities and equations of state of a series of cells
// against pressure.
//
// The principal strains and their directions are those of the expansion
// analysis (analysis.h), pressure in GPa standing where temperature stands
// there, the directions read at the median point. For each principal axis:
//   - the straight-line compressibility, K = -d eps/dp of the least-squares
//     line through the axis' strains (HC0 standard error), in TPa^-1;
//   - the empirical fit eps0 + lambda (p - p_c)^nu and K(p) at every pressure
//     from it (compressibility.h), given more distinct pressures than its four
//     parameters.
// The volume gets the straight-line compressibility in the measure's own
// definition: the slope of -ln(V / V_ref) under the natural strain, otherwise
// the slope of -V over the volume measured at the reference point (PASCal's).
// The equations of state are fitted apart (eos_analysis.h).
//
// Each point is weighted by 1/sigma_p^2 in the empirical fits, and by
// 1/sigma_p in the straight lines, as PASCal weights them (the lines'
// standard errors stay HC0: poly_fit.h); where no point has an SU, every
// point weighs the same.
#pragma once

#include <Eigen/Dense>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "common/expected.h"
#include "expansion/analysis.h"
#include "expansion/compressibility.h"

namespace expansion {

struct CompressibilityAxis {
  std::size_t axis = 0;  // its strains and direction: PressureAnalysis::strains.axes[axis]
  PolyFit line;          // of the strain against pressure, weighted as the header says
  Estimate linear;       // TPa^-1
  std::optional<EmpiricalFit> fit;  // none for no more distinct pressures than 4
  std::string why_not;              // when there is no fit
  std::vector<Estimate> k_at;       // TPa^-1 at each pressure; NaN without the fit
  Estimate k_median;                // TPa^-1 at the median pressure
};

struct PressureAnalysis {
  Analysis strains;                         // pressure as its "temperatures"
  std::vector<double> sigma_p;              // GPa, one per point, all positive
  bool weighted = false;                    // the points have pressure SUs
  std::array<CompressibilityAxis, 3> axes;  // K at the median pressure ascending
  Estimate volume;                          // TPa^-1, straight line
};

// The analysis of the cells with the given bases at pressures p (GPa) with
// SUs sigma_p (every one positive; empty where no point has one), against
// the cell at `reference`. Fails for fewer than three points or two distinct
// pressures, and where analyse fails. Given `near`, the analysis of a series
// that differs from this one by little, each empirical fit starts from that
// of near's axis of the closest direction (fit_empirical).
[[nodiscard]] common::Expected<PressureAnalysis> analyse_compressibility(
    const std::vector<double>& p, const std::vector<double>& sigma_p,
    const std::vector<Eigen::Matrix3d>& bases, std::size_t reference, StrainMeasure measure,
    const PressureAnalysis* near = nullptr);

// Compressibility below zero by more than twice its SU.
[[nodiscard]] bool negative_linear_compressibility(const Estimate& k);

}  // namespace expansion
