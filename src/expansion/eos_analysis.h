// The equations of state of a pressure series as korvex-expansion gives them:
// every equation asked for fitted to the cells' volumes (eos_fit.h), the F-f
// plot against V0 of the 3rd-order Birch-Murnaghan fit (eos_ff.h), the
// confidence ellipses of each 3rd-order fit (eos_ellipse.h) and the axial
// equations of the lengths symmetry fixes (eos_axial.h).
//
// The pressure of a point is its `pressure` (GPa) with its SU, none where
// the file gives none; its volume is the one its file gives, with that SU,
// else its cell's, the SU the first-order propagation of the cell's SUs
// (crystal/cell.h); a length's SU is the cell's own.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/expected.h"
#include "crystal/cell.h"
#include "expansion/eos_axial.h"
#include "expansion/eos_ellipse.h"
#include "expansion/eos_ff.h"
#include "expansion/eos_fit.h"

namespace expansion {

struct EosRequest {
  std::vector<Eos> equations;         // in the order to report them
  std::optional<EosWeights> weights;  // default_weights where none is asked for
  std::optional<double> fix_bp, fix_v0;
  double pc = 0;  // GPa, for bm3_pc
};

// The equations of a comma-separated list of their keys (eos_key; "all" for
// every one but bm3_pc), in its order, each once; the reason a key is none.
[[nodiscard]] common::Expected<std::vector<Eos>> equations_named(std::string_view list);

// "Bp=X" or "V0=X" (V0 in A^3, above 0) held in the request; the reason the
// text is neither.
[[nodiscard]] common::Expected<void> apply_fix(std::string_view text, EosRequest& request);

struct EosEntry {
  Eos eos = Eos::kBm3;
  std::optional<EosSolution> fit;
  std::string why_not;                      // when there is no fit
  std::vector<ConfidenceEllipse> ellipses;  // 3rd-order fits of B' fitted
};

struct AxialEntry {
  int axis = 0;  // 0, 1, 2 for a, b, c
  std::optional<AxialEos> fit;
  std::string why_not;
};

struct EosAnalysis {
  PvSeries series;
  EosWeights weights = EosWeights::kPv;
  std::string weights_why;  // why these weights, in words
  std::vector<EosEntry> equations;
  std::optional<FfPlot> ff;  // none without a BM3 fit
  std::vector<AxialEntry> axial;
};

// The P-V series of the points: their pressures and volumes (crystal::
// point_volume: the volume a file gives, else the cell's), the SUs as above.
[[nodiscard]] PvSeries pv_series(const std::vector<crystal::CellEntry>& cells);

// The analysis. Fails (naming the point's source) only where the weights
// asked for cannot weigh a point: a pressure without a positive SU under p,
// a point with neither a pressure SU nor a volume SU under pv.
[[nodiscard]] common::Expected<EosAnalysis> analyse_equations_of_state(
    const std::vector<crystal::CellEntry>& cells, const EosRequest& request);

}  // namespace expansion
