// The frame of an x/y chart as an SVG fragment, for any series: the viewer's
// picture of a plot file and the expansion tool's figures draw their data into
// it.
//
// A chart is laid out once, as a value (ChartFrame): the picture's size, the
// framed plot area, both axes with round ticks (nice_axis; the X axis ends at
// the data, the Y axis on ticks), and the mapping of
// data values to pixels (px, py). svg_chart_frame() then writes the grid, the
// ticks and their labels, the frame and the axis labels; the caller adds its
// marks with the element helpers below, between svg_open() and svg_close().
// Every text goes through svg_text(), which cleans and escapes it, so a
// document built of these pieces is well-formed XML whatever bytes the texts
// hold.
#pragma once

#include <string>
#include <string_view>

#include "chart/axis.h"
#include "chart/text_metrics.h"
#include "expansion/line_fit.h"

namespace chart {

// The picture's size and the margins around the frame, in pixels (SVG user
// units). With mm_per_pixel set the document asks to be printed at that
// scale: width="170mm" and the same drawing in its view box.
struct ChartLayout {
  double width = 800;
  double height = 520;
  double mm_per_pixel = 0;  // 0: drawn at its size in pixels
  double top = 70;          // room for a title and a key
  double bottom = 70;       // X tick labels and the X label
  double right = 30;
};

struct ChartFrame {
  ChartLayout layout;
  Axis x_axis;
  Axis y_axis;
  // The frame; the mapped area (x0..x1, y0..y1) lies a little inside it, so
  // that a mark at the end of an axis does not sit on the frame.
  double frame_left = 0, frame_right = 0, frame_top = 0, frame_bottom = 0;
  double x0 = 0, x1 = 0, y0 = 0, y1 = 0;

  // Pixel position of a data value.
  [[nodiscard]] double px(double x) const;
  [[nodiscard]] double py(double y) const;
};

// A frame whose axes cover the data ranges x and y, with as many X ticks as
// their labels leave room for.
[[nodiscard]] ChartFrame chart_frame(const expansion::Range& x, const expansion::Range& y,
                                     const ChartLayout& layout = {});

// Grid, ticks, tick labels, the frame itself and the axis labels. The labels
// are raw texts: they are cleaned and escaped here, and shortened to the
// frame's side where longer.
[[nodiscard]] std::string svg_chart_frame(const ChartFrame& frame, std::string_view x_label,
                                          std::string_view y_label);

// The document's start: the XML declaration, the <svg> element of the given
// size, its <title>, the program that drew it (svg_drawn_by), the style sheet
// (the text classes of text_metrics.h; frame, grid, tick, fit, point, su) and
// a white background.
[[nodiscard]] std::string svg_open(const ChartLayout& layout, std::string_view title,
                                   std::string_view program);

// The program that drew an SVG document of svg_open ("korvex", "vistrel"),
// from the marker it holds; empty for any other document.
[[nodiscard]] std::string svg_drawn_by(std::string_view document);
[[nodiscard]] std::string svg_close();

// The title, centred at the top of the picture; a title too long for the
// picture's width is drawn in a smaller font and fitted to the width, never
// clipped.
[[nodiscard]] std::string svg_title(const ChartLayout& layout, std::string_view title);

// Escapes &, <, >, " and ' for XML text and attribute values.
[[nodiscard]] std::string xml_escape(std::string_view text);

// A text as an SVG picture or an HTML page holds it: made safe to show
// (common/safe_text.h) in UTF-8, without the two noncharacters U+FFFE and
// U+FFFF, which XML forbids as it does C0 controls and HTML's parser refuses,
// and escaped.
[[nodiscard]] std::string markup_text(std::string_view text);

// A number as SVG coordinates are written here ("%.2f").
[[nodiscard]] std::string svg_number(double value);

// One <text> element of class cls at (x, y); anchor is start, middle or end;
// extra holds further attributes (with a leading blank). The text is cleaned
// of characters XML forbids and escaped.
[[nodiscard]] std::string svg_text(std::string_view cls, double x, double y,
                                   std::string_view anchor, std::string_view text,
                                   std::string_view extra = {});
// The same for text in runs, a subscript run lowered and smaller.
[[nodiscard]] std::string svg_rich_text(std::string_view cls, double x, double y,
                                        std::string_view anchor, const RichText& text);
// An error bar of a point: the vertical stroke from y_top to y_bottom at x,
// with short caps, in classes cls and "su".
[[nodiscard]] std::string svg_error_bar(std::string_view cls, double x, double y_top,
                                        double y_bottom);
[[nodiscard]] std::string svg_line(std::string_view cls, double x1, double y1, double x2,
                                   double y2);
[[nodiscard]] std::string svg_circle(std::string_view cls, double cx, double cy, double r);

}  // namespace chart
