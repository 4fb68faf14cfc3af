// Symbols as the pictures write them, the sizes a user may ask for, and the
// pictures vistrel keeps.
#include "chart/picture_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/series_picture.h"
#include "chart/units.h"
#include "test_util.h"

namespace {

TEST(Symbols, MinusSignsAndGreekLettersWhereTheyAreMeant) {
  const std::vector<std::pair<std::string, std::string>> minus = {
      {"-0.5", "\u22120.5"},
      {"1.0e-05", "1.0e\u221205"},
      {"[-.5 1 -2]", "[\u2212.5 1 \u22122]"},
      {"X-ray 2-3", "X-ray 2-3"},
      {"Fe-2", "Fe-2"},
      {"a - b", "a - b"}};
  for (const auto& [given, want] : minus) EXPECT_EQ(want, chart::true_minus(given)) << given;
  const std::vector<std::pair<std::string, std::string>> greek = {
      {"gamma angle (deg.)", "\u03B3 angle (deg.)"},
      {"alpha(deg)=f(T)", "\u03B1(deg)=f(T)"},
      {"alphabet betas", "alphabet betas"},
      {"beta", "\u03B2"}};
  for (const auto& [given, want] : greek) EXPECT_EQ(want, chart::with_greek_letters(given));
}

TEST(PictureSize, PixelsOrMillimetresWithinBounds) {
  struct Case {
    const char* text;
    bool taken;
    double width, height;  // in pixels as laid out
  };
  const std::vector<Case> cases = {
      {"1200x800", true, 1200, 800}, {"170x120mm", true, 642.52, 453.54},
      {"299x800", false, 0, 0},      {"1200x", false, 0, 0},
      {"0x0", false, 0, 0},          {"1e9x800", false, 0, 0},
      {"70x120mm", false, 0, 0},     {"1200*800", false, 0, 0},
  };
  for (const Case& c : cases) {
    const auto size = chart::parse_picture_size(c.text);
    ASSERT_EQ(c.taken, size.has_value()) << c.text;
    if (!c.taken) continue;
    const chart::ChartLayout layout = chart::sized({}, {std::nullopt, false, *size});
    EXPECT_NEAR(c.width, layout.width, 0.01) << c.text;
    EXPECT_NEAR(c.height, layout.height, 0.01) << c.text;
    const std::string open = chart::svg_open(layout, "t", "vistrel");
    EXPECT_NE(std::string::npos,
              open.find(size->millimetres ? "width=\"170.00mm\"" : "width=\"1200"));
  }
}

TEST(PictureOwner, AProgramReplacesOnlyItsOwnPictures) {
  testutil::ScopedTempDir dir;
  const std::string meant = dir.file("TK_cell_a.svg");
  const std::string beside = dir.file("TK_cell_a.vistrel.svg");
  EXPECT_EQ(meant, chart::own_picture_path(meant, "vistrel").value());  // none there
  testutil::write_file(meant, chart::svg_open({}, "t", "korvex") + chart::svg_close());
  EXPECT_EQ(beside, chart::own_picture_path(meant, "vistrel").value());
  EXPECT_EQ(meant, chart::own_picture_path(meant, "korvex").value());
  testutil::write_file(beside, chart::svg_open({}, "t", "vistrel") + chart::svg_close());
  EXPECT_EQ(beside, chart::own_picture_path(meant, "vistrel").value());
  testutil::write_file(beside, "a user's notes");
  EXPECT_FALSE(chart::own_picture_path(meant, "vistrel").has_value());
}

}  // namespace
