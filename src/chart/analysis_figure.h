// The parts every picture of an analysis is drawn with (expansion_pictures.h,
// eos_pictures.h): the style of its colour classes, a heading of title,
// subtitle and keys over the frame, keys whose text mixes subscripts, and
// the figure of several series against temperature or pressure, each with
// its points, error bars and fitted curve. Internal to chart.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "chart/expansion_pictures.h"
#include "chart/svg_chart.h"
#include "chart/text_metrics.h"
#include "crystal/cell.h"
#include "expansion/analysis.h"

namespace chart {

// The colours of the series (classes s0 to s9, each curve told apart by its
// dashes too) and of an indicatrix's lobes, beside the frame's own style.
extern const char* const kAnalysisStyle;

inline constexpr double kLine = 17;  // between the lines of a heading or a key

// The lines over a picture's frame: the title, the subtitle (the inputs and
// how they were analysed, wrapped to the width), then the key's lines.
struct Heading {
  std::string title;
  std::vector<std::string> subtitle;
  double keys_from = 0;  // baseline of the key's first line
  double frame_top = 0;  // below the last line
};

// One series of a figure of T against some values: what range_of,
// curve_marks and point_marks take.
struct Series {
  std::vector<double> values;
  std::optional<std::vector<double>> sus;
  std::function<double(double)> fitted;  // the fitted value at T; none: points alone
  RichText key;
};

// What a figure's horizontal axis holds: temperature, or pressure.
struct Abscissa {
  const std::vector<double>& values;
  std::string_view label;  // "Temperature (K)"
  std::string about;       // the subtitle's account of the analysis
};

// A figure of several series against temperature (or pressure), each in its
// colour class s0, s1 ..., with its key on a line of its own over the frame;
// given `lower`, a second frame below the first holds those, with their keys
// over it and a y label of their own.
struct LowerPanel {
  std::vector<Series> series;
  std::string_view y_label;
};

// A line through the points; `width`, where given, its stroke's width.
[[nodiscard]] std::string polyline(const std::string& cls,
                                   const std::vector<std::pair<double, double>>& xy,
                                   double width = 0);

[[nodiscard]] RichText axis_name(std::size_t k);

[[nodiscard]] std::string joined(const RichText& text);

// The runs of both, a run that goes on in the same place (on the line, or
// lowered) joined to the one before.
[[nodiscard]] RichText operator+(RichText text, const RichText& more);

[[nodiscard]] RichText plain(std::string text);

// "X₁ [0.000 −0.500 1.000]  α₁ = 20.4(26) MK⁻¹"
[[nodiscard]] RichText axis_label(const expansion::Analysis& an, const KeyTexts& keys,
                                  std::size_t k);

[[nodiscard]] Heading heading(const chart::ChartLayout& layout, std::string_view own_title,
                              const std::string& about, std::string_view source,
                              std::size_t key_lines, const PictureOptions& options);

[[nodiscard]] std::string heading_texts(const chart::ChartLayout& layout, const Heading& h);

// One line of a key, at (x, y): a stroke (where the series has a curve) and a
// marker (where it has points) in class cls, then the text, shortened to the
// room the picture leaves.
[[nodiscard]] std::string key_line(const chart::ChartLayout& layout, double x, double y,
                                   const std::string& cls, RichText text, bool points = true,
                                   double width = 0, bool curve = true);

[[nodiscard]] std::string subtitle_about(const expansion::Analysis& an);

[[nodiscard]] Abscissa temperature_axis(const expansion::Analysis& an);

[[nodiscard]] std::string series_figure(const Abscissa& x, const std::vector<Series>& series,
                                        double factor, std::string_view title,
                                        std::string_view y_label, std::string_view source,
                                        const PictureOptions& options,
                                        const LowerPanel* lower = nullptr);

// The points of a series to draw: every one, or, for a series longer than a
// picture shows, those chart::PlotPoints keeps of it (each bin's lowest and
// highest), as korvex's pictures draw them.
[[nodiscard]] std::vector<std::size_t> drawn_points(const std::vector<double>& t,
                                                    const std::vector<double>& y);

// What a series' abscissa holds.
enum class Unit { kKelvin, kGigapascal };

// The cell's lengths and volume, each divided by its value at the reference
// point, with their fits: the lengths' fitted here as the strains are, of the
// same degree; the volume's the analysis' own, scaled alike. An error bar is
// the point's SU over the reference value (which is taken as exact: it sets
// the scale of every point alike).
[[nodiscard]] std::string lattice_picture(const expansion::Analysis& an,
                                          const expansion::PropagatedSus* sus,
                                          const std::vector<crystal::CellEntry>& cells, Unit unit,
                                          std::string_view source, const PictureOptions& options);

}  // namespace chart
