// An SVG picture made an element of a page: its style rules and ids stay
// inside its figure.
#include "chart/svg_inline.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Two pictures drawn alike, each with its style sheet and an id: neither's
// rules or ids reach the page or the other.
TEST(SvgInline, PictureStylesAndIdsStayInTheirFigure) {
  const std::string svg =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
      "width=\"10\">\n<style>\ntext { fill: #222; }\n.a, line.b { stroke: red; }\n</style>\n"
      "<clipPath id=\"c\"/><rect clip-path=\"url(#c)\"/></svg>\n";
  EXPECT_EQ(
      "<svg width=\"10\">\n<style>\n#f-x text { fill: #222; }\n#f-x .a, #f-x line.b { stroke: "
      "red; }\n</style>\n<clipPath id=\"f-x-c\"/><rect clip-path=\"url(#f-x-c)\"/></svg>\n",
      chart::inline_svg(svg, "f-x"));
}

}  // namespace
