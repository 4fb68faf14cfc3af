#include "formats/pgf_file.h"

#include <array>
#include <cstdint>
#include <string>

#include "textrec/textrec.h"

namespace formats {
namespace {

using textrec::Layout;
using textrec::parse_layout;

struct SeriesLabels {
  std::string_view series;
  std::string_view heading;  // record 4, 24 characters
  std::string_view title;    // record 8
};

constexpr std::array<SeriesLabels, 7> kSeriesLabels{{
    {"cell_a", "#   TK              a(A)", "a(A)=f(T)"},
    {"cell_b", "#   TK              b(A)", "b(A)=f(T)"},
    {"cell_c", "#   TK              c(A)", "c(A)=f(T)"},
    {"cell_alpha", "#   TK        alpha(deg)", "alpha(deg)=f(T)"},
    {"cell_beta", "#   TK         beta(deg)", "beta(deg)=f(T)"},
    {"cell_gamma", "#   TK        gamma(deg)", "gamma(deg)=f(T)"},
    {"volume", "#   TK        volume(A3)", "volume(A3)=f(T)"},
}};

const Layout& layout_a() {
  static const Layout layout = parse_layout("A");
  return layout;
}
const Layout& layout_a_a() {
  static const Layout layout = parse_layout("A, A");
  return layout;
}

}  // namespace

void write_pgf_header(int channel, std::string_view series, const std::string& main_legend,
                      const std::string& x_legend, const std::string& y_legend,
                      std::int32_t point_count) {
  textrec::write_formatted(channel, layout_a_a(),
                           {"# MAIN LEGEND TEXT: ", textrec::trim_right(main_legend)});
  textrec::write_formatted(channel, layout_a_a(),
                           {"# X LEGEND TEXT   : ", textrec::trim_right(x_legend)});
  textrec::write_formatted(channel, layout_a_a(),
                           {"# Y LEGEND TEXT   : ", textrec::trim_right(y_legend)});
  // The series name compares as if padded with blanks.
  const std::string_view name = textrec::trim_right(series);
  std::string title = textrec::blank_text(64);
  for (const auto& labels : kSeriesLabels) {
    if (labels.series == name) {
      textrec::write_formatted(channel, layout_a(), {labels.heading});
      textrec::set_text(title, labels.title);
      break;
    }
  }
  static const Layout count = parse_layout("A, I6");
  textrec::write_formatted(channel, count, {"# NUMBER OF PATTERNS: 1"});
  textrec::write_rule(channel, "#", "-", 50);  // A1, 50A1
  write_pgf_pattern(channel, title, point_count, 1);
}

void write_pgf_pattern(int channel, const std::string& title, std::int32_t point_count,
                       std::int32_t pattern) {
  // Pattern 1 is drawn with marker 1 of size 2.
  const std::int64_t marker = pattern == 1 ? 1 : pattern;
  const std::int64_t size = 2;
  static const Layout a_i1 = parse_layout("A, I1");
  static const Layout a_i8 = parse_layout("A, I8");
  textrec::write_formatted(channel, a_i1, {"# >>>>>>>> PATTERN #: ", std::int64_t{pattern}});
  textrec::write_formatted(channel, layout_a_a(),
                           {"#             TITLE : ", textrec::trim_right(title)});
  textrec::write_formatted(channel, a_i8, {"#  NUMBER OF POINTS : ", std::int64_t{point_count}});
  textrec::write_formatted(channel, a_i1, {"#            MARKER : ", marker});
  textrec::write_formatted(channel, a_i1, {"#              SIZE : ", size});
  textrec::write_formatted(channel, layout_a(), {"#   DATA: X Y"});
}

void write_pgf_point(int channel, float x, float y) {
  write_pgf_point(channel, pgf_x_field(x), y);
}

std::string pgf_x_field(float x) {
  std::string field;
  textrec::edit_f(field, x, 6, 2);  // F6.2
  return field;
}

void write_pgf_point(int channel, std::string_view x_field, float y) {
  // The record "F6.2, F20.5", its first field given as text.
  static const Layout point = parse_layout("A, F20.5");
  textrec::write_formatted(channel, point, {x_field, y});
}

void write_pgf_end(int channel) {
  textrec::write_formatted(channel, layout_a(), {"# END OF FILE"});
}

}  // namespace formats
