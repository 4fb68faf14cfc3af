// How large the texts of every picture are drawn and how much room they take:
// one model for every SVG picture, so that a layout that keeps two texts
// apart here keeps them apart on the page.
//
// Each text is of a class (title, key, tick-label ...) whose font size is set
// here and nowhere else: the style sheet of every picture is written from
// kTextClasses. A width is measured in ems per character, from a table a
// little wider than DejaVu Sans, the first font the pictures ask for, so that
// a text measured to fit is never drawn wider than measured.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace chart {

struct TextClass {
  std::string_view name;
  double size;                // px
  std::string_view settings;  // further CSS, "font-weight: bold; fill: #555;"
};

inline constexpr TextClass kTextClasses[] = {
    {"title", 17, "font-weight: bold;"},
    {"subtitle", 12, "fill: #555;"},
    {"key", 12, "fill: #333;"},
    {"note", 12, "fill: #333;"},
    {"footnote", 11, "fill: #666;"},
    {"axis-label", 14, ""},
    {"tick-label", 13, ""},
    {"axis-name", 13, "font-style: italic; font-weight: bold;"},
};

// The font size of a class; that of tick labels for a class not listed.
[[nodiscard]] double font_size(std::string_view text_class);

// The CSS rules of the text classes, for a picture's style sheet.
[[nodiscard]] std::string text_style_rules();

// A run of text drawn as one: a subscript run is lowered and drawn smaller,
// as the V of alpha_V.
struct TextRun {
  std::string text;  // UTF-8
  bool subscript = false;
};
using RichText = std::vector<TextRun>;

// Size of a subscript, as a fraction of its text's font size.
inline constexpr double kSubscriptScale = 0.75;

// Width in pixels of a valid UTF-8 text, or of runs, drawn at font_size.
[[nodiscard]] double text_width(std::string_view utf8, double font_size);
[[nodiscard]] double text_width(const RichText& text, double font_size);

// The box a text takes on the page, its baseline at y and anchored at x as
// SVG's text-anchor ("start", "middle", "end") says.
struct Box {
  double left = 0, top = 0, right = 0, bottom = 0;
};
[[nodiscard]] Box text_box(double x, double y, std::string_view anchor, double width,
                           double font_size);
[[nodiscard]] bool overlap(const Box& p, const Box& q);
// Whether the box lies wholly within a picture of that size.
[[nodiscard]] bool inside(const Box& box, double width, double height);

// The text, shortened at its end with an ellipsis where it is wider than
// `room` at that size.
[[nodiscard]] std::string shortened(std::string_view utf8, double font_size, double room);

// The text in lines no wider than `room`, broken after blanks, at most
// `most_lines` of them; the last is shortened where the text goes on.
[[nodiscard]] std::vector<std::string> wrapped(std::string_view utf8, double font_size, double room,
                                               std::size_t most_lines);

}  // namespace chart
