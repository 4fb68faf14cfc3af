#include "chart/term_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "chart/axis.h"
#include "chart/units.h"
#include "common/safe_text.h"
#include "common/utf8.h"

namespace chart {

namespace {

// Lines besides the plot area: title, Y legend, X axis, X tick labels, X legend.
constexpr int kFrameLines = 5;
constexpr int kMinAreaRows = 4;
constexpr int kMinAreaColumns = 10;

// Braille dot bits by column (0, 1) and row (0 to 3) within a cell.
constexpr std::uint8_t kBrailleDot[2][4] = {{0x01, 0x02, 0x04, 0x40}, {0x08, 0x10, 0x20, 0x80}};

std::string braille(std::uint8_t bits) {
  if (bits == 0) return " ";
  const unsigned cp = 0x2800u + bits;
  return {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
          static_cast<char>(0x80 | (cp & 0x3F))};
}

// The least-squares line in red, as in the SVG picture.
std::string line_color(const std::string& text) {
  return "\x1b[31m" + text + "\x1b[0m";
}

std::string pad_to(std::string text, std::size_t width) {
  const std::size_t w = common::display_width(text);
  if (w < width) text.append(width - w, ' ');
  return text;
}

std::string centered(const std::string& text, std::size_t offset, std::size_t span,
                     std::size_t limit) {
  const std::string t = common::truncate_to_width(text, limit);
  const std::size_t w = common::display_width(t);
  std::size_t start = offset + (span > w ? (span - w) / 2 : 0);
  if (start + w > limit) start = limit - w;
  return std::string(start, ' ') + t;
}

// The plot area as a grid of dots in two layers, the points and the line,
// rendered cell by cell. A cell that holds only line dots is coloured when
// colour is asked for, so that the line stands apart from the points.
class DotGrid {
 public:
  DotGrid(int cells_wide, int cells_high, bool utf8, bool color)
      : utf8_(utf8),
        color_(color),
        cells_wide_(cells_wide),
        cells_high_(cells_high),
        point_bits_(static_cast<std::size_t>(cells_wide) * static_cast<std::size_t>(cells_high), 0),
        line_bits_(point_bits_.size(), 0) {}
  int dots_wide() const { return cells_wide_ * (utf8_ ? 2 : 1); }
  int dots_high() const { return cells_high_ * (utf8_ ? 4 : 1); }
  void set(int dx, int dy, bool point) {
    if (dx < 0 || dy < 0 || dx >= dots_wide() || dy >= dots_high()) return;
    const std::size_t c = utf8_ ? cell(dx / 2, dy / 4) : cell(dx, dy);
    const std::uint8_t bit = utf8_ ? kBrailleDot[dx % 2][dy % 4] : 1;
    (point ? point_bits_ : line_bits_)[c] |= bit;
  }
  std::string row(int r) const {
    std::string out;
    for (int col = 0; col < cells_wide_; ++col) {
      const std::size_t c = cell(col, r);
      const std::uint8_t bits = point_bits_[c] | line_bits_[c];
      std::string glyph = utf8_ ? braille(bits) : point_bits_[c] ? "o" : line_bits_[c] ? "." : " ";
      if (color_ && point_bits_[c] == 0 && line_bits_[c] != 0) glyph = line_color(glyph);
      out += glyph;
    }
    return out;
  }

 private:
  std::size_t cell(int c, int r) const {
    return static_cast<std::size_t>(r) * static_cast<std::size_t>(cells_wide_) +
           static_cast<std::size_t>(c);
  }
  bool utf8_;
  bool color_;
  int cells_wide_;
  int cells_high_;
  std::vector<std::uint8_t> point_bits_;
  std::vector<std::uint8_t> line_bits_;
};

}  // namespace

std::vector<std::string> render_terminal_plot(const formats::PgfFile& pgf,
                                              const std::optional<expansion::LineFit>& fit,
                                              int columns, int rows, bool utf8, bool color) {
  // The last column would wrap on some terminals.
  const int usable = std::clamp(columns, 21, kMostColumns) - 1;
  const int area_rows = std::clamp(rows - kFrameLines, kMinAreaRows, kMostRows);
  const PlotRanges ranges = plot_ranges(expansion::series_stats(pgf.points), fit);

  const Axis y_axis = nice_axis(ranges.y.min, ranges.y.max, std::clamp(area_rows / 3, 2, 8));
  const int label_w = static_cast<int>(widest_label(y_axis));
  const int area_cols = std::max(usable - label_w - 1, kMinAreaColumns);
  const int width = label_w + 1 + area_cols;

  const Axis x_axis = axis_fitting_labels(ranges.x.min, ranges.x.max, area_cols / 10, area_cols);

  DotGrid grid(area_cols, area_rows, utf8, color);
  const auto dot_x = [&](double x) {
    return static_cast<int>(
        std::lround((x - x_axis.lo) / (x_axis.hi - x_axis.lo) * (grid.dots_wide() - 1)));
  };
  const auto dot_y = [&](double y) {
    return static_cast<int>(
        std::lround((y_axis.hi - y) / (y_axis.hi - y_axis.lo) * (grid.dots_high() - 1)));
  };
  const int cell_w = utf8 ? 2 : 1;
  const int cell_h = utf8 ? 4 : 1;

  if (fit) {
    // Every other dot column, so that the line reads as dotted beside the points.
    const int from = std::max(dot_x(ranges.x.min), 0);
    const int to = std::min(dot_x(ranges.x.max), grid.dots_wide() - 1);
    for (int dx = from; dx <= to; dx += utf8 ? 2 : 1) {
      const double x = x_axis.lo + (x_axis.hi - x_axis.lo) * dx / (grid.dots_wide() - 1);
      grid.set(dx, dot_y(fit->intercept + fit->slope * x), false);
    }
  }
  const int block = (utf8 && pgf.marker_size >= 2) ? 2 : 1;
  for (const common::Point& p : pgf.points) {
    // A block at the right or bottom edge grows inwards.
    const int bx = std::min(dot_x(p.x), grid.dots_wide() - block);
    const int by = std::min(dot_y(p.y), grid.dots_high() - block);
    for (int i = 0; i < block; ++i) {
      for (int j = 0; j < block; ++j) grid.set(bx + i, by + j, true);
    }
  }

  std::vector<std::string> lines;
  const auto shown = [&](std::string_view text) {
    std::string line = common::safe_text(with_unit_symbols(common::trim(text), utf8),
                                         utf8 ? common::Charset::kUtf8 : common::Charset::kAscii);
    // A tab would move the cursor past the columns counted for the layout.
    std::replace(line.begin(), line.end(), '\t', ' ');
    return line;
  };
  std::string title = shown(pgf.main_legend);
  if (title.empty()) title = shown(pgf.title);
  lines.push_back(centered(title, 0, static_cast<std::size_t>(width), usable));

  std::string y_legend = shown(pgf.y_legend);
  const std::string key_line = utf8 ? "\u2812\u2812\u2812" : "...";
  const std::string key =
      (utf8 ? "\u281b" : "o") + std::string(" points  ") + key_line + " least-squares line";
  if (fit && common::display_width(y_legend) + 2 + common::display_width(key) <=
                 static_cast<std::size_t>(width)) {
    y_legend = pad_to(y_legend, static_cast<std::size_t>(width) - common::display_width(key)) + key;
  }
  y_legend = common::truncate_to_width(y_legend, usable);
  if (const auto at = y_legend.rfind(key_line); fit && color && at != std::string::npos) {
    y_legend.replace(at, key_line.size(), line_color(key_line));
  }
  lines.push_back(y_legend);

  std::vector<std::string> y_labels(area_rows);
  for (const double t : y_axis.ticks) {
    const int r = dot_y(t) / cell_h;
    if (r >= 0 && r < area_rows && y_labels[r].empty()) y_labels[r] = tick_label(y_axis, t);
  }
  for (int r = 0; r < area_rows; ++r) {
    std::string line(label_w - y_labels[r].size(), ' ');
    line += y_labels[r];
    line += y_labels[r].empty() ? (utf8 ? "\u2502" : "|") : (utf8 ? "\u2524" : "+");
    line += grid.row(r);
    lines.push_back(line);
  }

  std::vector<bool> tick_at(area_cols, false);
  std::string x_labels(static_cast<std::size_t>(width), ' ');
  int free_from = 0;  // first column a further label may use
  for (const double t : x_axis.ticks) {
    const int c = dot_x(t) / cell_w;
    if (c < 0 || c >= area_cols) continue;
    tick_at[c] = true;
    const std::string label = tick_label(x_axis, t);
    const int len = static_cast<int>(label.size());
    if (len > width) continue;
    const int start = std::clamp(label_w + 1 + c - len / 2, 0, width - len);
    if (start >= free_from) {
      x_labels.replace(start, label.size(), label);
      free_from = start + len + 1;
    }
  }
  std::string axis(label_w, ' ');
  axis += utf8 ? "\u2514" : "+";
  for (int c = 0; c < area_cols; ++c) {
    axis += tick_at[c] ? (utf8 ? "\u252c" : "+") : (utf8 ? "\u2500" : "-");
  }
  lines.push_back(axis);
  x_labels.erase(x_labels.find_last_not_of(' ') + 1);
  lines.push_back(x_labels);
  lines.push_back(centered(shown(pgf.x_legend), label_w + 1, area_cols, usable));
  return lines;
}

}  // namespace chart
