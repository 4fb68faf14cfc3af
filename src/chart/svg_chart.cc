#include "chart/svg_chart.h"

#include <algorithm>
#include <cstdio>

#include "chart/units.h"
#include "common/safe_text.h"

namespace chart {

namespace {

constexpr double kInset = 10;  // between the frame and the ends of the axes
constexpr int kYTicks = 6;
constexpr int kMostXTicks = 8;
constexpr double kSmallestTitleFont = 10;
constexpr double kTitleMargin = 20;  // at either side of the picture
constexpr std::string_view kDrawnBy = "<metadata>drawn by ";

// A tick label as drawn: with the true minus sign.
std::string shown_tick(const Axis& axis, double value) {
  return true_minus(tick_label(axis, value));
}

double widest_tick(const Axis& axis) {
  double widest = 0;
  for (const double t : axis.ticks)
    widest = std::max(widest, text_width(shown_tick(axis, t), font_size("tick-label")));
  return widest;
}

// A text as the picture holds it: safe to show, in UTF-8, without the two
// noncharacters U+FFFE and U+FFFF, which XML forbids as it does C0 controls,
// and escaped.
std::string svg_safe(std::string_view text) {
  std::string safe = common::safe_text(text, common::Charset::kUtf8);
  for (const std::string_view nonchar : {"\xEF\xBF\xBE", "\xEF\xBF\xBF"}) {
    for (auto at = safe.find(nonchar); at != std::string::npos; at = safe.find(nonchar, at))
      safe.replace(at, nonchar.size(), 1, '?');
  }
  return xml_escape(safe);
}

}  // namespace

double ChartFrame::px(double x) const {
  return x0 + (x - x_axis.lo) / (x_axis.hi - x_axis.lo) * (x1 - x0);
}

double ChartFrame::py(double y) const {
  return y1 - (y - y_axis.lo) / (y_axis.hi - y_axis.lo) * (y1 - y0);
}

ChartFrame chart_frame(const expansion::Range& x, const expansion::Range& y,
                       const ChartLayout& layout) {
  ChartFrame f;
  f.layout = layout;
  // As many Y ticks, up to kYTicks, as leave their labels a line apart.
  const double line = 1.25 * font_size("tick-label");
  const double height = layout.height - layout.bottom - layout.top - 2 * kInset;
  for (int wanted = kYTicks; wanted >= 2; --wanted) {
    f.y_axis = nice_axis(y.min, y.max, wanted);
    const auto gaps = static_cast<double>(std::max<std::size_t>(f.y_axis.ticks.size(), 2) - 1);
    if (height / gaps >= line) break;
  }
  f.frame_left = 40 + widest_tick(f.y_axis);
  f.frame_right = layout.width - layout.right;
  f.frame_top = layout.top;
  f.frame_bottom = layout.height - layout.bottom;
  f.x0 = f.frame_left + kInset;
  f.x1 = f.frame_right - kInset;
  f.y0 = f.frame_top + kInset;
  f.y1 = f.frame_bottom - kInset;
  // Room counted in characters of the widest kind a label holds (a minus
  // sign), so that labels laid side by side there keep apart when drawn.
  f.x_axis = axis_fitting_labels(x.min, x.max, kMostXTicks,
                                 (f.x1 - f.x0) / text_width("\u2212", font_size("tick-label")));
  return f;
}

std::string svg_chart_frame(const ChartFrame& f, std::string_view x_label,
                            std::string_view y_label) {
  std::string s;
  for (const double t : f.x_axis.ticks) {
    const double x = f.px(t);
    s += svg_line("grid", x, f.frame_top, x, f.frame_bottom);
    s += svg_line("tick", x, f.frame_bottom, x, f.frame_bottom + 5);
    s += svg_text("tick-label", x, f.frame_bottom + 20, "middle", shown_tick(f.x_axis, t));
  }
  for (const double t : f.y_axis.ticks) {
    const double y = f.py(t);
    s += svg_line("grid", f.frame_left, y, f.frame_right, y);
    s += svg_line("tick", f.frame_left - 5, y, f.frame_left, y);
    s += svg_text("tick-label", f.frame_left - 8, y + 4.5, "end", shown_tick(f.y_axis, t));
  }
  s += "<rect class=\"frame\" x=\"" + svg_number(f.frame_left) + "\" y=\"" +
       svg_number(f.frame_top) + "\" width=\"" + svg_number(f.frame_right - f.frame_left) +
       "\" height=\"" + svg_number(f.frame_bottom - f.frame_top) + "\"/>\n";
  const double size = font_size("axis-label");
  const auto fitted = [&](std::string_view label, double room) {
    return shortened(common::safe_text(common::trim(label), common::Charset::kUtf8), size, room);
  };
  s += svg_text("axis-label", (f.x0 + f.x1) / 2, f.frame_bottom + 50, "middle",
                fitted(x_label, f.layout.width - 2 * kTitleMargin));
  const double ly = (f.y0 + f.y1) / 2;
  s += svg_text("axis-label", 20, ly, "middle", fitted(y_label, f.frame_bottom - f.frame_top),
                " transform=\"rotate(-90 20 " + svg_number(ly) + ")\"");
  return s;
}

std::string svg_open(const ChartLayout& layout, std::string_view title, std::string_view program) {
  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  const auto size = [&](double pixels) {
    return layout.mm_per_pixel > 0 ? svg_number(pixels * layout.mm_per_pixel) + "mm"
                                   : svg_number(pixels);
  };
  s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + size(layout.width) + "\" height=\"" +
       size(layout.height) + "\" viewBox=\"0 0 " + svg_number(layout.width) + " " +
       svg_number(layout.height) + "\">\n";
  s += "<title>" + svg_safe(title) + "</title>\n";
  s += std::string(kDrawnBy) + svg_safe(program) + "</metadata>\n";
  s += "<style>\n"
       "text { font-family: DejaVu Sans, Helvetica, Arial, sans-serif; font-size: 13px; fill: "
       "#222; }\n";
  s += text_style_rules();
  s += ".background { fill: #fff; }\n"
       ".frame { fill: none; stroke: #333; stroke-width: 1; }\n"
       ".grid { stroke: #e3e3e3; stroke-width: 1; }\n"
       ".tick { stroke: #333; stroke-width: 1; }\n"
       ".fit { stroke: #c0392b; stroke-width: 1.6; }\n"
       // A fitted curve is a line: no colour class of a series fills it.
       "line.fit, polyline.fit, path.fit { fill: none; }\n"
       ".point { fill: #1f5f9f; stroke: #0b2f55; stroke-width: 0.8; }\n"
       ".su { stroke: #0b2f55; stroke-width: 1; }\n"
       "</style>\n";
  s += "<rect class=\"background\" width=\"100%\" height=\"100%\"/>\n";
  return s;
}

std::string svg_drawn_by(std::string_view document) {
  // The marker stands among the document's first lines.
  const std::string_view head = document.substr(0, 1024);
  const auto at = head.find(kDrawnBy);
  if (at == std::string_view::npos) return {};
  const std::string_view rest = head.substr(at + kDrawnBy.size());
  const auto end = rest.find('<');
  return end == std::string_view::npos ? std::string() : std::string(rest.substr(0, end));
}

std::string svg_title(const ChartLayout& layout, std::string_view title) {
  const std::string shown = common::safe_text(title, common::Charset::kUtf8);
  const double room = layout.width - 2 * kTitleMargin;
  const double title_font = font_size("title");
  const double wide = text_width(shown, title_font);
  if (wide <= room) return svg_text("title", layout.width / 2, 30, "middle", shown);
  // Too long for the line: a smaller font, and the text fitted to the room
  // however wide its glyphs are drawn.
  const double font = std::max(title_font * room / wide, kSmallestTitleFont);
  const double length = std::min(room, wide * font / title_font);
  return svg_text("title", layout.width / 2, 30, "middle", shown,
                  " style=\"font-size: " + svg_number(font) + "px\" textLength=\"" +
                      svg_number(length) + "\" lengthAdjust=\"spacingAndGlyphs\"");
}

std::string svg_close() {
  return "</svg>\n";
}

std::string markup_text(std::string_view text) {
  return svg_safe(text);
}

std::string xml_escape(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string svg_number(double value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", value);
  return buf;
}

std::string svg_text(std::string_view cls, double x, double y, std::string_view anchor,
                     std::string_view text, std::string_view extra) {
  std::string s = "<text class=\"";
  s += cls;
  s += "\" x=\"" + svg_number(x) + "\" y=\"" + svg_number(y) + "\" text-anchor=\"";
  s += anchor;
  s += "\"";
  s += extra;
  // Appended piece by piece: GCC 12 warns (-Wrestrict, falsely) at a literal
  // put before a temporary string.
  s += '>';
  s += svg_safe(text);
  s += "</text>\n";
  return s;
}

std::string svg_rich_text(std::string_view cls, double x, double y, std::string_view anchor,
                          const RichText& text) {
  std::string s = "<text class=\"";
  s += cls;
  s += "\" x=\"" + svg_number(x) + "\" y=\"" + svg_number(y) + "\" text-anchor=\"";
  s += anchor;
  s += "\">";
  // A subscript is lowered by dy and the run after it raised back the same.
  const std::string shift = svg_number(0.3 * font_size(cls));
  bool lowered = false;
  for (const TextRun& run : text) {
    if (run.subscript) {
      s += "<tspan dy=\"" + shift +
           "\" style=\"font-size: " + svg_number(kSubscriptScale * font_size(cls)) + "px\">" +
           svg_safe(run.text) + "</tspan>";
    } else if (lowered) {
      // A blank that begins a tspan is dropped by some renderers: kept as a
      // no-break space.
      std::string text = run.text;
      if (!text.empty() && text.front() == ' ') text.replace(0, 1, "\u00A0");
      s += "<tspan dy=\"-" + shift + "\">" + svg_safe(text) + "</tspan>";
    } else {
      s += svg_safe(run.text);
    }
    lowered = run.subscript;
  }
  s += "</text>\n";
  return s;
}

std::string svg_error_bar(std::string_view cls, double x, double y_top, double y_bottom) {
  const std::string su = std::string(cls) + " su";
  return svg_line(su, x, y_top, x, y_bottom) + svg_line(su, x - 3, y_top, x + 3, y_top) +
         svg_line(su, x - 3, y_bottom, x + 3, y_bottom);
}

std::string svg_line(std::string_view cls, double x1, double y1, double x2, double y2) {
  std::string s = "<line class=\"";
  s += cls;
  s += "\" x1=\"" + svg_number(x1) + "\" y1=\"" + svg_number(y1) + "\" x2=\"" + svg_number(x2) +
       "\" y2=\"" + svg_number(y2) + "\"/>\n";
  return s;
}

std::string svg_circle(std::string_view cls, double cx, double cy, double r) {
  std::string s = "<circle class=\"";
  s += cls;
  s += "\" cx=\"" + svg_number(cx) + "\" cy=\"" + svg_number(cy) + "\" r=\"" + svg_number(r) +
       "\"/>\n";
  return s;
}

}  // namespace chart
