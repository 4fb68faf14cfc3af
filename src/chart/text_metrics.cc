#include "chart/text_metrics.h"

#include <algorithm>

#include "common/utf8.h"

namespace chart {

namespace {

constexpr std::string_view kEllipsis = "\u2026";

// Width of a character in ems, erring wide.
double char_ems(char32_t c) {
  if (c < 0x80) {
    if (c == 'M' || c == 'W' || c == 'm' || c == 'w') return 1.0;
    if (c >= 'A' && c <= 'Z') return 0.8;
    if (std::u32string_view(U" iljt.,'|!:;()[]/").find(c) != std::u32string_view::npos) return 0.4;
    return 0.65;
  }
  if (c == 0x00B2 || c == 0x00B3 || c == 0x00B9 || (c >= 0x2070 && c <= 0x208F)) return 0.5;
  if (c == 0x00B7 || c == 0x00B0) return 0.5;
  if (c >= 0x03B1 && c <= 0x03C9) return 0.7;  // Greek small letters
  if (c == 0x2212 || c == 0x00D7 || c == 0x00B1) return 0.85;
  if (c >= 0x00C0 && c <= 0x00FF) return 0.8;  // Latin-1 letters, Å among them
  return 1.0;
}

double ems_of(std::string_view utf8) {
  double ems = 0;
  for (std::size_t at = 0; at < utf8.size();) {
    const common::Utf8Char ch = common::decode_utf8(utf8, at);
    ems += ch.length == 0 ? 1.0 : char_ems(ch.code);
    at += ch.length == 0 ? 1 : ch.length;
  }
  return ems;
}

// The byte length of the longest front of the text, whole characters, that
// is no wider than room.
std::size_t front_fitting(std::string_view utf8, double font_size, double room) {
  double used = 0;
  std::size_t at = 0;
  while (at < utf8.size()) {
    const common::Utf8Char ch = common::decode_utf8(utf8, at);
    const double w = (ch.length == 0 ? 1.0 : char_ems(ch.code)) * font_size;
    if (used + w > room) break;
    used += w;
    at += ch.length == 0 ? 1 : ch.length;
  }
  return at;
}

}  // namespace

double font_size(std::string_view text_class) {
  for (const TextClass& c : kTextClasses) {
    if (c.name == text_class) return c.size;
  }
  return 13;
}

std::string text_style_rules() {
  std::string rules;
  for (const TextClass& c : kTextClasses) {
    rules += ".";
    rules += c.name;
    rules += " { font-size: " + std::to_string(static_cast<int>(c.size)) + "px; ";
    rules += c.settings;
    rules += " }\n";
  }
  return rules;
}

double text_width(std::string_view utf8, double font_size) {
  return ems_of(utf8) * font_size;
}

double text_width(const RichText& text, double font_size) {
  double width = 0;
  for (const TextRun& run : text)
    width += text_width(run.text, run.subscript ? font_size * kSubscriptScale : font_size);
  return width;
}

Box text_box(double x, double y, std::string_view anchor, double width, double font_size) {
  const double left = anchor == "start" ? x : anchor == "end" ? x - width : x - width / 2;
  // Ascenders reach 0.8 em above the baseline, descenders (and a lowered
  // subscript) 0.3 em below it.
  return {left, y - 0.8 * font_size, left + width, y + 0.3 * font_size};
}

bool overlap(const Box& p, const Box& q) {
  return p.left < q.right && q.left < p.right && p.top < q.bottom && q.top < p.bottom;
}

bool inside(const Box& box, double width, double height) {
  return box.left >= 0 && box.top >= 0 && box.right <= width && box.bottom <= height;
}

std::string shortened(std::string_view utf8, double font_size, double room) {
  if (text_width(utf8, font_size) <= room) return std::string(utf8);
  const double left = room - text_width(kEllipsis, font_size);
  if (left <= 0) return {};
  std::string out(utf8.substr(0, front_fitting(utf8, font_size, left)));
  out.erase(out.find_last_not_of(" ,") + 1);
  return out + std::string(kEllipsis);
}

std::vector<std::string> wrapped(std::string_view utf8, double font_size, double room,
                                 std::size_t most_lines) {
  std::vector<std::string> lines;
  std::string_view rest = utf8;
  while (!rest.empty() && lines.size() + 1 < most_lines && text_width(rest, font_size) > room) {
    const std::size_t fits = front_fitting(rest, font_size, room);
    std::size_t cut = rest.substr(0, fits + 1).rfind(' ');
    if (cut == std::string_view::npos || cut == 0) cut = fits;  // no blank: broken anywhere
    if (cut == 0) break;
    std::string_view line = rest.substr(0, cut);
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    lines.emplace_back(line);
    rest.remove_prefix(cut);
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  }
  if (!rest.empty() && most_lines > 0) lines.push_back(shortened(rest, font_size, room));
  return lines;
}

}  // namespace chart
