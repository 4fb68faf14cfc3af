// The pictures of an analysis, as SVG documents drawn with the viewer's chart
// frame (vistrel/svg_chart.h):
//   _strain.svg      the three principal strains (%) against temperature, each
//                    with its fitted line or polynomial;
//   _volume.svg      the volume against temperature with its fit;
//                    on both, where the cells carry SUs, each point with an
//                    error bar of one SU drawn from them (class "su");
//   _indicatrix.svg  the expansivity indicatrix, alpha along every direction
//                    n (alpha(n) = sum alpha_i (n . x_i)^2), as its sections
//                    in the three planes that hold two principal axes each:
//                    |alpha| as the distance from the centre, positive lobes
//                    solid (class "positive"), negative lobes dashed in
//                    another colour (class "negative"), and the crystal axes
//                    a, b, c projected into each plane.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "expansion/analysis.h"
#include "expansion/monte_carlo.h"

namespace chart {

struct Picture {
  std::string suffix;  // "_strain.svg", "_volume.svg", "_indicatrix.svg"
  std::string svg;
};

// The three pictures; `source` (the input file's name) is shown under each
// title. `sus` null: the cells carry none.
[[nodiscard]] std::vector<Picture> render_pictures(const expansion::Analysis& analysis,
                                                   const expansion::PropagatedSus* sus,
                                                   std::string_view source);

}  // namespace chart
