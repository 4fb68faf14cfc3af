#include "chart/picture_options.h"

#include "common/number_text.h"

namespace chart {

namespace {

constexpr double kMmPerPixel = 25.4 / 96;  // CSS: 96 pixels to the inch
constexpr double kFewestPixels = 300, kMostPixels = 20000;

}  // namespace

common::Expected<PictureSize> parse_picture_size(std::string_view text) {
  const common::Error refused{0,
                              "--size takes WIDTHxHEIGHT in pixels, 300 to 20000 each, or "
                              "in millimetres, 80 to 5000 each, with mm after them, not '" +
                                  std::string(text) + "'"};
  PictureSize size;
  if (text.size() > 2 && text.substr(text.size() - 2) == "mm") {
    size.millimetres = true;
    text.remove_suffix(2);
  }
  const auto x = text.find_first_of("xX");
  if (x == std::string_view::npos) return refused;
  const auto width = common::parse_decimal(text.substr(0, x));
  const auto height = common::parse_decimal(text.substr(x + 1));
  if (!width || !height) return refused;
  size.width = *width;
  size.height = *height;
  const double scale = size.millimetres ? 1 / kMmPerPixel : 1;
  for (const double side : {size.width * scale, size.height * scale}) {
    if (!(side >= kFewestPixels && side <= kMostPixels)) return refused;
  }
  return size;
}

ChartLayout sized(ChartLayout layout, const PictureOptions& options) {
  if (!options.size) return layout;
  const PictureSize& size = *options.size;
  layout.mm_per_pixel = size.millimetres ? kMmPerPixel : 0;
  const double scale = size.millimetres ? 1 / kMmPerPixel : 1;
  layout.width = size.width * scale;
  layout.height = size.height * scale;
  return layout;
}

}  // namespace chart
