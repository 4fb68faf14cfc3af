// The indicatrix of a second-rank property (thermal expansion,
// compressibility) drawn as its sections through the principal axes.
// Internal to chart.
#pragma once

#include <Eigen/Dense>
#include <array>
#include <string>
#include <string_view>

#include "chart/picture_options.h"
#include "chart/text_metrics.h"

namespace chart {

// What an indicatrix shows: a second-rank property along the principal axes,
// its value along n the sum of value_i (n . x_i)^2.
struct Indicatrix {
  std::array<double, 3> values{};             // along the principal axes
  std::array<Eigen::Vector3d, 3> directions;  // Cartesian unit vectors
  Eigen::Matrix3d crystal_axes;               // columns: unit a, b, c in the same frame
  std::array<RichText, 3> labels;             // each principal axis with its value, for the key
  std::string symbol;                         // "α"
  double shown = 1;                           // the unit shown per unit of `values`
  std::string unit;                           // "MK⁻¹"
  std::string title, about;                   // the picture's title and what the subtitle adds
};

// The picture: the three sections side by side, |value| as the distance from
// the centre, negative lobes dashed, the crystal axes projected into each
// plane, and a key of the principal axes' values.
[[nodiscard]] std::string indicatrix_picture(const Indicatrix& ind, std::string_view source,
                                             const PictureOptions& options);

}  // namespace chart
