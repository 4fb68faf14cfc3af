// The pictures of a pressure series' equations of state (eos_analysis.h):
//   _ff.svg        the F-f plot: the normalised pressure F against the
//                  Eulerian strain f, each point with its error bars of one
//                  SU (Heinz & Jeanloz), the weighted line of the 3rd-order
//                  Birch-Murnaghan equation and the horizontal line of the
//                  2nd-order one (F = B0 of the BM2 fit);
//   _ellipses.svg  the confidence ellipses of B0 and B' of every 3rd-order
//                  fit, at 68.3, 95.4 and 99.7 % (delta chi^2 2.30, 6.18,
//                  11.83), each fit's point at their centre.
// A picture with nothing to show (no F-f points, no ellipse) is not drawn.
#pragma once

#include <string_view>
#include <vector>

#include "chart/expansion_pictures.h"
#include "expansion/eos_analysis.h"

namespace chart {

// The keys write the F-f line's and BM2's B0 as `keys` gives them.
[[nodiscard]] std::vector<Picture> eos_pictures(const expansion::EosAnalysis& eos,
                                                std::string_view source, const KeyTexts& keys,
                                                const PictureOptions& options);

}  // namespace chart
