// The pictures of an analysis, as SVG documents drawn with the viewer's chart
// frame (chart/svg_chart.h):
//   _strain.svg      the three principal strains (%) against temperature, each
//                    with its fitted line or polynomial;
//   _volume.svg      the volume against temperature with its fit;
//   _lattice.svg     a/a₀, b/b₀, c/c₀ and V/V₀ against temperature, each
//                    length or volume over its value at the reference point,
//                    with fits of the analysis' degree;
//                    on all three, where the cells carry SUs, each point with
//                    an error bar of one SU (class "su");
//   _indicatrix.svg  the expansivity indicatrix, alpha along every direction
//                    n (alpha(n) = sum alpha_i (n . x_i)^2), as its sections
//                    in the three planes that hold two principal axes each:
//                    |alpha| as the distance from the centre, positive lobes
//                    solid (class "positive"), negative lobes dashed in
//                    another colour (class "negative"), and the crystal axes
//                    a, b, c projected into each plane.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "chart/picture.h"
#include "chart/picture_options.h"
#include "crystal/cell.h"
#include "expansion/analysis.h"
#include "expansion/eos_analysis.h"
#include "expansion/monte_carlo.h"
#include "expansion/pressure_draws.h"

namespace chart {

// What the keys say of each coefficient or K, written by the caller from its
// table of quantities so that a key reads as the report does ("20.43(76)
// MK⁻¹"; hyphen-minus signs become true minus signs here): each axis's
// coefficient, or its K (at the median pressure, the straight line's where
// there is no empirical fit), and the volume's.
// Under pressure, the equations of state's numbers too: each equation's V0,
// B0 and B' with their units (and p_c of BM3 with p_c), in the order of
// EosAnalysis::equations, empty for an equation without a fit; the F-f
// line's B0 and B', and BM2's B0.
struct EosKeyTexts {
  std::string v0, b0, bp, pc;
};
struct KeyTexts {
  std::array<std::string, 3> axes;
  std::string volume;
  std::vector<EosKeyTexts> eos;
  std::string ff_b0, ff_bp, bm2_b0;
};

// The pictures, in the order above; `source` (the inputs' names) is shown,
// without folders, under each title. `sus` null: the cells carry none.
// `cells` are those analysed, in the analysis' order; the lattice picture is
// drawn only when they are given. A coefficient is written with the larger of
// its fit's SU and the one drawn from the cells, in MK⁻¹.
[[nodiscard]] std::vector<Picture> render_pictures(const expansion::Analysis& analysis,
                                                   const expansion::PropagatedSus* sus,
                                                   const std::vector<crystal::CellEntry>& cells,
                                                   std::string_view source, const KeyTexts& keys,
                                                   const PictureOptions& options = {});

// The pictures of a pressure series:
//   _strain.svg  the three principal strains (%) against pressure, each with
//                its empirical fit eps0 + lambda (p - p_c)^nu (the straight
//                line where the series is too short for it) and, in the key,
//                its compressibility at the median pressure in TPa⁻¹;
//   _volume.svg  the volume against pressure with its straight line and the
//                equations of state fitted, each drawn as V(p) over the
//                whole range of pressure;
//   _lattice.svg a/a₀, b/b₀, c/c₀ and V/V₀ against pressure, each with its
//                straight line (drawn only when `cells` are those analysed);
//   _indicatrix.svg  the compressibility indicatrix, K along every direction
//                n (K(n) = sum K_i (n . x_i)^2), drawn as the expansivity
//                indicatrix is, from each axis's K at the median pressure
//                (the straight line's without the empirical fit), in TPa⁻¹.
// Each K is written with the larger of its fit's SU and the one drawn from
// the cells. Then the pictures of eos_pictures.h.
[[nodiscard]] std::vector<Picture> render_pressure_pictures(
    const expansion::PressureSeries& series, const expansion::EosAnalysis& eos,
    const std::vector<crystal::CellEntry>& cells, std::string_view source, const KeyTexts& keys,
    const PictureOptions& options = {});

// The pictures of a series of volumes without cells (a P-V table, EosFit
// data): _volume.svg, the volumes given against pressure with error bars of
// their SUs and each equation of state's curve; then those of
// eos_pictures.h. The keys' numbers as `keys` gives them (KeyTexts::eos).
[[nodiscard]] std::vector<Picture> render_eos_pictures(const expansion::EosAnalysis& eos,
                                                       std::string_view source,
                                                       const KeyTexts& keys,
                                                       const PictureOptions& options = {});

// The inputs with their folders left out, as the pictures' subtitles name
// them: "a.cif, b.cif" for "/data/run1/a.cif, /data/run1/b.cif".
[[nodiscard]] std::string base_names(std::string_view source);

}  // namespace chart
