#include "chart/term_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <string_view>

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
constexpr const char* kLineGlyph = "\u00B7";  // a cell of the fitted line

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

// The plot area as a grid of dots in three layers, the points, the error
// bars and the line, rendered cell by cell. A cell with a point shows the
// points' dots alone (braille, or "o"); a cell an error bar passes shows its
// column of dots (or "|"); a cell the line passes alone shows a light dot,
// "·" (or "."), coloured when colour is asked for: the line reads as a row of
// small dots that a point never looks like.
class DotGrid {
 public:
  DotGrid(int cells_wide, int cells_high, bool utf8, bool color)
      : utf8_(utf8),
        color_(color),
        cells_wide_(cells_wide),
        cells_high_(cells_high),
        point_bits_(static_cast<std::size_t>(cells_wide) * static_cast<std::size_t>(cells_high), 0),
        bar_bits_(point_bits_.size(), 0),
        line_bits_(point_bits_.size(), 0) {}
  enum Layer { kPoint, kBar, kLine };
  int dots_wide() const { return cells_wide_ * (utf8_ ? 2 : 1); }
  int dots_high() const { return cells_high_ * (utf8_ ? 4 : 1); }
  void set(int dx, int dy, Layer layer) {
    if (dx < 0 || dy < 0 || dx >= dots_wide() || dy >= dots_high()) return;
    const std::size_t c = utf8_ ? cell(dx / 2, dy / 4) : cell(dx, dy);
    const std::uint8_t bit = utf8_ ? kBrailleDot[dx % 2][dy % 4] : 1;
    (layer == kPoint ? point_bits_ : layer == kBar ? bar_bits_ : line_bits_)[c] |= bit;
  }
  std::string row(int r) const {
    std::string out;
    for (int col = 0; col < cells_wide_; ++col) {
      const std::size_t c = cell(col, r);
      if (point_bits_[c] != 0) {
        out += utf8_ ? braille(point_bits_[c] | bar_bits_[c]) : "o";
      } else if (bar_bits_[c] != 0) {
        out += utf8_ ? braille(bar_bits_[c]) : "|";
      } else if (line_bits_[c] != 0) {
        const std::string dot = utf8_ ? kLineGlyph : ".";
        out += color_ ? line_color(dot) : dot;
      } else {
        out += ' ';
      }
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
  std::vector<std::uint8_t> bar_bits_;
  std::vector<std::uint8_t> line_bits_;
};

// The ticks with both ends first, so that they are labelled before any
// tick between them claims the room.
std::vector<double> ends_first(const std::vector<double>& ticks) {
  if (ticks.size() < 3) return ticks;
  std::vector<double> order = {ticks.front(), ticks.back()};
  order.insert(order.end(), ticks.begin() + 1, ticks.end() - 1);
  return order;
}

// Where the plot goes on the terminal: its axes and the area's size in cells.
struct Layout {
  int usable = 0;  // columns a line may take
  int area_rows = 0;
  int area_cols = 0;
  int label_w = 0;  // of the Y tick labels
  int width = 0;    // of the labels, the Y axis and the area
  PlotRanges ranges;
  Axis x_axis;
  Axis y_axis;
  bool utf8 = false;
  [[nodiscard]] int cell_w() const { return utf8 ? 2 : 1; }
  [[nodiscard]] int cell_h() const { return utf8 ? 4 : 1; }
};

Layout layout_of(const formats::PgfFile& pgf, const std::optional<expansion::LineFit>& fit,
                 std::span<const double> sus, int columns, int rows, bool utf8) {
  Layout l;
  l.utf8 = utf8;
  // The last column would wrap on some terminals.
  l.usable = std::clamp(columns, 21, kMostColumns) - 1;
  l.area_rows = std::clamp(rows - kFrameLines, kMinAreaRows, kMostRows);
  l.ranges = plot_ranges(expansion::series_stats(pgf.points), fit);
  l.ranges.y = with_bars(l.ranges.y, pgf.points, sus);
  l.y_axis = nice_axis(l.ranges.y.min, l.ranges.y.max, std::clamp(l.area_rows / 3, 2, 8));
  l.label_w = static_cast<int>(widest_label(l.y_axis));
  l.area_cols = std::max(l.usable - l.label_w - 1, kMinAreaColumns);
  l.width = l.label_w + 1 + l.area_cols;
  l.x_axis = axis_fitting_labels(l.ranges.x.min, l.ranges.x.max, l.area_cols / 10, l.area_cols);
  return l;
}

// The dot of a temperature and of a value in the grid.
struct Dots {
  const Layout& l;
  int wide;
  int high;
  [[nodiscard]] int x(double v) const {
    const Axis& a = l.x_axis;
    return static_cast<int>(std::lround((v - a.lo) / (a.hi - a.lo) * (wide - 1)));
  }
  [[nodiscard]] int y(double v) const {
    const Axis& a = l.y_axis;
    return static_cast<int>(std::lround((a.hi - v) / (a.hi - a.lo) * (high - 1)));
  }
};

// The line, the error bars and the points in the grid.
void draw(DotGrid& grid, const Layout& l, const formats::PgfFile& pgf,
          const std::optional<expansion::LineFit>& fit, std::span<const double> sus) {
  const Dots dot{l, grid.dots_wide(), grid.dots_high()};
  if (fit) {
    // Every other dot column, so that the line reads as dotted beside the points.
    const int from = std::max(dot.x(l.ranges.x.min), 0);
    const int to = std::min(dot.x(l.ranges.x.max), grid.dots_wide() - 1);
    for (int dx = from; dx <= to; dx += l.cell_w()) {
      const double x = l.x_axis.lo + (l.x_axis.hi - l.x_axis.lo) * dx / (grid.dots_wide() - 1);
      grid.set(dx, dot.y(fit->intercept + fit->slope * x), DotGrid::kLine);
    }
  }
  for (std::size_t i = 0; i < sus.size() && i < pgf.points.size(); ++i) {
    const common::Point& p = pgf.points[i];
    if (!(sus[i] > 0)) continue;
    const int dx = std::min(dot.x(p.x), grid.dots_wide() - 1);
    for (int dy = dot.y(p.y + sus[i]); dy <= dot.y(p.y - sus[i]); ++dy)
      grid.set(dx, dy, DotGrid::kBar);
  }
  const int block = (l.utf8 && pgf.marker_size >= 2) ? 2 : 1;
  for (const common::Point& p : pgf.points) {
    // A block at the right or bottom edge grows inwards.
    const int bx = std::min(dot.x(p.x), grid.dots_wide() - block);
    const int by = std::min(dot.y(p.y), grid.dots_high() - block);
    for (int i = 0; i < block; ++i) {
      for (int j = 0; j < block; ++j) grid.set(bx + i, by + j, DotGrid::kPoint);
    }
  }
}

// A legend or title as the terminal shows it.
std::string shown(std::string_view text, bool utf8) {
  std::string line = common::safe_text(with_unit_symbols(common::trim(text), utf8),
                                       utf8 ? common::Charset::kUtf8 : common::Charset::kAscii);
  // A tab would move the cursor past the columns counted for the layout.
  std::replace(line.begin(), line.end(), '\t', ' ');
  return line;
}

// The title, then the Y legend with the key at its right where it fits.
void add_title_and_key(std::vector<std::string>& lines, const Layout& l,
                       const formats::PgfFile& pgf, bool fit, bool bars, bool color) {
  std::string title = shown(pgf.main_legend, l.utf8);
  if (title.empty()) title = shown(pgf.title, l.utf8);
  lines.push_back(centered(title, 0, static_cast<std::size_t>(l.width), l.usable));

  std::string y_legend = shown(pgf.y_legend, l.utf8);
  const std::string key_line = l.utf8 ? "\u00B7\u00B7\u00B7" : "...";
  std::string key = (l.utf8 ? "\u281b" : "o") + std::string(" points  ");
  if (bars) key += (l.utf8 ? "\u2847" : "|") + std::string(" SU  ");
  key += key_line + " least-squares line";
  if (fit && common::display_width(y_legend) + 2 + common::display_width(key) <=
                 static_cast<std::size_t>(l.width)) {
    y_legend =
        pad_to(y_legend, static_cast<std::size_t>(l.width) - common::display_width(key)) + key;
  }
  y_legend = common::truncate_to_width(y_legend, l.usable);
  if (const auto at = y_legend.rfind(key_line); fit && color && at != std::string::npos) {
    y_legend.replace(at, key_line.size(), line_color(key_line));
  }
  lines.push_back(y_legend);
}

// The plot area's rows, the Y axis and its tick labels at their left.
void add_area(std::vector<std::string>& lines, const Layout& l, const DotGrid& grid) {
  const Dots dot{l, grid.dots_wide(), grid.dots_high()};
  std::vector<std::string> y_labels(l.area_rows);
  for (const double t : ends_first(l.y_axis.ticks)) {
    const int r = dot.y(t) / l.cell_h();
    if (r >= 0 && r < l.area_rows && y_labels[r].empty()) y_labels[r] = tick_label(l.y_axis, t);
  }
  for (int r = 0; r < l.area_rows; ++r) {
    std::string line(l.label_w - y_labels[r].size(), ' ');
    line += y_labels[r];
    line += y_labels[r].empty() ? (l.utf8 ? "\u2502" : "|") : (l.utf8 ? "\u2524" : "+");
    line += grid.row(r);
    lines.push_back(line);
  }
}

// The X axis with its ticks, their labels and the X legend.
void add_x_axis(std::vector<std::string>& lines, const Layout& l, const DotGrid& grid,
                const formats::PgfFile& pgf) {
  const Dots dot{l, grid.dots_wide(), grid.dots_high()};
  std::vector<bool> tick_at(l.area_cols, false);
  std::string x_labels(static_cast<std::size_t>(l.width), ' ');
  std::vector<bool> used(static_cast<std::size_t>(l.width) + 1, false);  // columns labels take
  for (const double t : ends_first(l.x_axis.ticks)) {
    const int c = dot.x(t) / l.cell_w();
    if (c < 0 || c >= l.area_cols) continue;
    tick_at[c] = true;
    const std::string label = tick_label(l.x_axis, t);
    const int len = static_cast<int>(label.size());
    if (len > l.width) continue;
    const int start = std::clamp(l.label_w + 1 + c - len / 2, 0, l.width - len);
    // A blank column on either side of every label.
    const auto from = used.begin() + std::max(start - 1, 0);
    const auto to = used.begin() + std::min(start + len + 1, l.width);
    if (std::find(from, to, true) == to) {
      x_labels.replace(start, label.size(), label);
      std::fill(used.begin() + start, used.begin() + start + len, true);
    }
  }
  std::string axis(l.label_w, ' ');
  axis += l.utf8 ? "\u2514" : "+";
  for (int c = 0; c < l.area_cols; ++c) {
    axis += tick_at[c] ? (l.utf8 ? "\u252c" : "+") : (l.utf8 ? "\u2500" : "-");
  }
  lines.push_back(axis);
  x_labels.erase(x_labels.find_last_not_of(' ') + 1);
  lines.push_back(x_labels);
  lines.push_back(centered(shown(pgf.x_legend, l.utf8), l.label_w + 1, l.area_cols, l.usable));
}

}  // namespace

std::vector<std::string> render_terminal_plot(const formats::PgfFile& pgf,
                                              const std::optional<expansion::LineFit>& fit,
                                              int columns, int rows, bool utf8, bool color,
                                              std::span<const double> sus) {
  const Layout l = layout_of(pgf, fit, sus, columns, rows, utf8);
  DotGrid grid(l.area_cols, l.area_rows, utf8, color);
  draw(grid, l, pgf, fit, sus);
  const bool bars = std::any_of(sus.begin(), sus.end(), [](double su) { return su > 0; });
  std::vector<std::string> lines;
  add_title_and_key(lines, l, pgf, fit.has_value(), bars, color);
  add_area(lines, l, grid);
  add_x_axis(lines, l, grid, pgf);
  return lines;
}

}  // namespace chart
