// What a user may set of a picture from the command line: its title, or
// none, and its size (--title TEXT, --no-title, --size WxH).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "chart/svg_chart.h"
#include "common/expected.h"

namespace chart {

// A picture's size as given: pixels ("1200x800") or millimetres
// ("170x120mm", drawn at 96 pixels to the inch, as CSS takes a pixel).
struct PictureSize {
  double width = 0;
  double height = 0;
  bool millimetres = false;
};

struct PictureOptions {
  std::optional<std::string> title;  // instead of the picture's own title and subtitle
  bool no_title = false;             // neither title nor subtitle
  std::optional<PictureSize> size;   // else the picture's own
};

// "WxH" or "WxHmm"; the error says what is taken: 300 to 20000 pixels, or
// 80 to 5000 mm (about as many pixels), each side.
[[nodiscard]] common::Expected<PictureSize> parse_picture_size(std::string_view text);

// The layout with the size the options ask for, if any.
[[nodiscard]] ChartLayout sized(ChartLayout layout, const PictureOptions& options);

}  // namespace chart
