// Every picture's texts measured with the pictures' own width model: none
// overlaps another, none leaves the picture, whatever the names; error bars
// where the cells carry SUs; points drawn on the scale their ticks give.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>
#include <vector>

#include "chart/axis.h"
#include "chart/expansion_pictures.h"
#include "chart/series_picture.h"
#include "chart/text_metrics.h"

namespace {

double number(const std::string& element, const std::string& name) {
  const std::smatch m = [&] {
    std::smatch found;
    std::regex_search(element, found, std::regex("[ ;\"]" + name + R"re([=:] *"?(-?[0-9.]+))re"));
    return found;
  }();
  return m.empty() ? NAN : std::stod(m[1].str());
}

std::string unescaped(std::string text) {
  text = std::regex_replace(text, std::regex("<[^>]*>"), "");
  for (const auto& [entity, c] : std::vector<std::pair<std::string, std::string>>{
           {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}})
    text = std::regex_replace(text, std::regex(entity), c);
  return text;
}

// The box of every <text> of the document, as the width model measures it;
// a text turned by rotate(-90 X Y) has its box turned alike.
std::vector<chart::Box> text_boxes(const std::string& svg, std::vector<std::string>& texts) {
  std::vector<chart::Box> boxes;
  const std::regex element(R"re(<text class="([^"]+)"([^>]*)>(.*?)</text>)re");
  for (auto m = std::sregex_iterator(svg.begin(), svg.end(), element); m != std::sregex_iterator();
       ++m) {
    const std::string attributes = (*m)[2].str(), inner = (*m)[3].str();
    double size = chart::font_size((*m)[1].str());
    if (const double style = number(attributes, "font-size"); !std::isnan(style)) size = style;
    double width = 0;
    const std::regex sub(R"re(<tspan dy="[0-9.]+" style="font-size: ([0-9.]+)px">(.*?)</tspan>)re");
    const std::string main_text = unescaped(std::regex_replace(inner, sub, ""));
    width += chart::text_width(main_text, size);
    for (auto t = std::sregex_iterator(inner.begin(), inner.end(), sub);
         t != std::sregex_iterator(); ++t)
      width += chart::text_width(unescaped((*t)[2].str()), std::stod((*t)[1].str()));
    if (const double fixed = number(attributes, "textLength"); !std::isnan(fixed)) width = fixed;
    const std::string anchor =
        std::regex_replace(attributes, std::regex(R"re(.*text-anchor="([a-z]+)".*)re"), "$1");
    chart::Box b =
        chart::text_box(number(attributes, "x"), number(attributes, "y"), anchor, width, size);
    std::smatch turn;
    if (std::regex_search(attributes, turn,
                          std::regex(R"re(rotate\(-90 ([0-9.]+) ([0-9.]+)\))re"))) {
      const double cx = std::stod(turn[1].str()), cy = std::stod(turn[2].str());
      b = {cx + (b.top - cy), cy - (b.right - cx), cx + (b.bottom - cy), cy - (b.left - cx)};
    }
    boxes.push_back(b);
    texts.push_back(unescaped(inner));
  }
  return boxes;
}

void expect_clear_texts(const std::string& svg, const std::string& what) {
  std::smatch view;
  ASSERT_TRUE(std::regex_search(svg, view, std::regex(R"re(viewBox="0 0 ([0-9.]+) ([0-9.]+))re")));
  const double width = std::stod(view[1].str()), height = std::stod(view[2].str());
  std::vector<std::string> texts;
  const std::vector<chart::Box> boxes = text_boxes(svg, texts);
  ASSERT_GT(boxes.size(), 5u) << what;
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    EXPECT_TRUE(chart::inside(boxes[i], width, height)) << what << ": " << texts[i];
    for (std::size_t j = i + 1; j < boxes.size(); ++j)
      EXPECT_FALSE(chart::overlap(boxes[i], boxes[j]))
          << what << ": " << texts[i] << " | " << texts[j];
  }
}

// An orthorhombic cell that grows along a and c and shrinks along b, with SUs.
std::vector<crystal::CellEntry> cells(bool with_sus) {
  std::vector<crystal::CellEntry> out;
  for (int i = 0; i < 5; ++i) {
    const double t = 100 + 50 * i;
    crystal::CellEntry e;
    e.source = "p";
    e.temperature = t;
    e.cell = {10 + 2e-4 * t + 1e-5 * (i % 2), 12 - 1e-4 * t, 8 + 3e-4 * t, 90, 90, 90};
    if (with_sus) e.su = {0.0008, 0.0006, 0.0009, std::nullopt, std::nullopt, std::nullopt};
    out.push_back(e);
  }
  return out;
}

// Keys as a report writes the coefficients.
chart::KeyTexts keys() {
  chart::KeyTexts k;
  k.axes = {"\u22125.00(19) MK\u207b\u00b9", "0.000(20) MK\u207b\u00b9", "10.0(12) MK\u207b\u00b9"};
  k.volume = "4.990(46) MK\u207b\u00b9";
  return k;
}

std::vector<chart::Picture> expansion_pictures(bool with_sus, const std::string& source,
                                               const chart::PictureOptions& options) {
  const auto r = expansion::analyse_series(cells(with_sus), {0, {}, 1, false}, {200, 1});
  return chart::render_pictures(r->analysis, r->sus ? &*r->sus : nullptr, cells(with_sus), source,
                                keys(), options);
}

const std::string kHostile =
    "/very/long/folder/of/a/beamline/run_2023-11-07/<&\"'>\xC5ngstr\xF6m_" + std::string(120, 'W') +
    ".cif, /another/folder/with a blank/and_so_on_" + std::string(60, 'm') + ".cif";

TEST(PictureLayout, NoTextMeetsAnotherOrLeavesThePicture) {
  std::vector<chart::PictureOptions> options(3);
  options[1].size = chart::PictureSize{420, 320, false};
  options[2].title = kHostile;
  for (std::size_t o = 0; o < options.size(); ++o) {
    for (const auto& p : expansion_pictures(true, kHostile, options[o]))
      expect_clear_texts(p.svg, p.suffix + " options " + std::to_string(o));
    chart::SeriesPicture series;
    series.main_legend = kHostile;
    series.x_legend = "Temperature (K)";
    series.y_legend = kHostile;
    series.quantity = {formats::Quantity::kLength, "a", "A"};
    for (int i = 0; i < 6; ++i) series.points.add({-150.0 + 40 * i, -5.0 + 0.01 * i * i}, 0.002);
    expect_clear_texts(chart::render_svg(series, kHostile, options[o]),
                       "series options " + std::to_string(o));
  }
}

TEST(PictureLayout, ErrorBarsWhereTheCellsCarrySusAndTheLatticeSeries) {
  for (const bool with_sus : {true, false}) {
    for (const auto& p : expansion_pictures(with_sus, "cells.cif", {})) {
      if (p.suffix == "_indicatrix.svg") continue;
      EXPECT_EQ(with_sus, p.svg.find(" su\"") != std::string::npos) << p.suffix << with_sus;
      EXPECT_EQ(std::string::npos, p.svg.find("alpha")) << p.suffix;
    }
    const std::string lattice = expansion_pictures(with_sus, "cells.cif", {})[2].svg;
    for (const char* key : {">a/a\u2080<", ">b/b\u2080<", ">c/c\u2080<", ">V/V\u2080<"})
      EXPECT_NE(std::string::npos, lattice.find(key)) << key;
    const std::regex fit("<polyline class=\"fit s");
    EXPECT_EQ(4, std::distance(std::sregex_iterator(lattice.begin(), lattice.end(), fit),
                               std::sregex_iterator()));
  }
}

// Pixel height of the tick labelled `label`, from its grid line's y.
TEST(PictureLayout, StrainPointsLieInTheFrameOnTheTicksScale) {
  const auto r = expansion::analyse_series(cells(false), {0, {}, 1, false}, {200, 1});
  const std::string svg =
      chart::render_pictures(r->analysis, nullptr, cells(false), "cells.cif", keys())[0].svg;
  // Y ticks: a label at frame_left - 8, its y 4.5 below its grid line.
  std::vector<std::pair<double, double>> ticks;  // value, pixel
  const std::regex label(
      R"re(<text class="tick-label" x="[0-9.]+" y="([0-9.]+)" text-anchor="end">([^<]+)</text>)re");
  for (auto m = std::sregex_iterator(svg.begin(), svg.end(), label); m != std::sregex_iterator();
       ++m) {
    const std::string text = std::regex_replace(m->str(2), std::regex("\u2212"), "-");
    ticks.emplace_back(std::stod(text), std::stod(m->str(1)) - 4.5);
  }
  ASSERT_GE(ticks.size(), 2u);
  const auto [v0, p0] = ticks.front();
  const auto [v1, p1] = ticks.back();
  std::smatch frame;
  ASSERT_TRUE(std::regex_search(svg, frame, std::regex(R"re(<rect class="frame"[^>]*>)re")));
  const std::string f = frame.str();
  for (std::size_t k = 0; k < 3; ++k) {
    const std::regex point("<circle class=\"s" + std::to_string(k) +
                           R"re(" cx="([0-9.]+)" cy="([0-9.]+)")re");
    std::size_t i = 0;
    for (auto m = std::sregex_iterator(svg.begin(), svg.end(), point); m != std::sregex_iterator();
         ++m) {
      const double cx = std::stod(m->str(1)), cy = std::stod(m->str(2));
      if (cy < number(f, "y")) continue;  // the key's marker
      EXPECT_GT(cx, number(f, "x"));
      EXPECT_LT(cx, number(f, "x") + number(f, "width"));
      EXPECT_LT(cy, number(f, "y") + number(f, "height"));
      const double percent = v0 + (cy - p0) * (v1 - v0) / (p1 - p0);
      EXPECT_NEAR(100 * r->analysis.axes[k].strains[i], percent, 0.01 * std::fabs(v1 - v0))
          << "axis " << k << " point " << i;
      ++i;
    }
    EXPECT_EQ(5u, i);
  }
}

}  // namespace

namespace {

// Texts placed as SVG anchors them; shortened and wrapped within their room,
// keeping every word that fits.
TEST(PictureLayout, TextsAnchoredShortenedAndWrappedWithinTheirRoom) {
  const struct {
    const char* anchor;
    double left;
  } anchors[] = {{"start", 100}, {"middle", 80}, {"end", 60}};
  for (const auto& a : anchors) {
    const chart::Box b = chart::text_box(100, 50, a.anchor, 40, 10);
    EXPECT_DOUBLE_EQ(a.left, b.left) << a.anchor;
    EXPECT_DOUBLE_EQ(a.left + 40, b.right) << a.anchor;
    EXPECT_DOUBLE_EQ(42, b.top) << a.anchor;  // 0.8 em above the baseline
    EXPECT_DOUBLE_EQ(53, b.bottom) << a.anchor;
  }
  EXPECT_FALSE(chart::overlap({0, 0, 10, 10}, {10, 0, 20, 10}));  // touching
  EXPECT_TRUE(chart::overlap({0, 0, 10, 10}, {9.5, 9.5, 20, 20}));
  EXPECT_TRUE(chart::inside({0, 0, 100, 50}, 100, 50));
  EXPECT_FALSE(chart::inside({0, 0, 100.5, 50}, 100, 50));
  EXPECT_FALSE(chart::inside({-0.5, 0, 10, 10}, 100, 50));

  const std::string text = "the quick brown fox jumps over the lazy dog";
  const double full = chart::text_width(text, 12);
  for (const double room : {40.0, full / 2, full - 1, full, full + 50}) {
    SCOPED_TRACE(room);
    const std::string s = chart::shortened(text, 12, room);
    EXPECT_LE(chart::text_width(s, 12), room);
    if (room >= full) {
      EXPECT_EQ(text, s);
    } else {
      ASSERT_TRUE(s.ends_with("\u2026"));
      EXPECT_TRUE(text.starts_with(s.substr(0, s.size() - 3)));
    }
    for (const std::size_t most : {std::size_t{1}, std::size_t{2}, std::size_t{20}}) {
      const std::vector<std::string> lines = chart::wrapped(text, 12, room, most);
      ASSERT_FALSE(lines.empty());
      EXPECT_LE(lines.size(), most);
      std::string joined;
      for (const std::string& line : lines) {
        EXPECT_LE(chart::text_width(line, 12), room) << line;
        joined += (joined.empty() ? "" : " ") + line;
      }
      // Where every word fits a line, no word is broken or lost.
      if (most == 20 && room >= full / 2) {
        EXPECT_EQ(text, joined);
      }
    }
  }
}

// The temperature axis of the terminal plot ends at the data, with as many
// ticks as the room takes their labels side by side, two characters apart.
TEST(PictureLayout, AxisTicksThinnedToTheirRoom) {
  std::size_t before = 0;
  for (const double room : {24.0, 40.0, 60.0, 200.0}) {
    SCOPED_TRACE(room);
    const chart::Axis axis = chart::axis_fitting_labels(100, 325, 12, room);
    EXPECT_EQ(100, axis.lo);
    EXPECT_EQ(325, axis.hi);
    ASSERT_GE(axis.ticks.size(), 2U);
    if (axis.ticks.size() > 2) {
      EXPECT_LE(static_cast<double>(axis.ticks.size() * (chart::widest_label(axis) + 2)), room);
    }
    EXPECT_GE(axis.ticks.size(), before);  // more room, never fewer ticks
    before = axis.ticks.size();
    for (const double t : axis.ticks) EXPECT_TRUE(t >= 100 && t <= 325) << t;
  }
  EXPECT_GE(before, 8U);
}

}  // namespace
