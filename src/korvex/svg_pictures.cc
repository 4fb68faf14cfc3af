#include "svg_pictures.h"

#include <string>

#include "common/files.h"
#include "common/safe_text.h"
#include "formats/pgf_read.h"
#include "output_files.h"
#include "textrec/textrec.h"

namespace korvex {

SeriesPictures::SeriesPictures(std::string_view series_title) {
  for (std::size_t i = 0; i < pictures_.size(); ++i) {
    const formats::PlotSeries& series = formats::kPlotSeries[i];
    chart::SeriesPicture& picture = pictures_[i];
    picture.main_legend = textrec::trim_right(series_title);
    picture.pattern_title = series.title;
    picture.x_legend = formats::kTemperatureLegend;
    picture.y_legend = series.y_legend;
    picture.quantity = {series.kind, std::string(series.name), std::string(series.unit)};
  }
}

namespace {

// The SU of plot series i: of its cell parameter, or the volume's, to first
// order from the lengths' and angles' (cell_volume_su).
double su_of(std::size_t i, const formats::CellRecord& cell, const crystal::CellSu& su) {
  if (formats::kPlotSeries[i].kind == formats::Quantity::kVolume) {
    const crystal::Cell six{cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma};
    return crystal::cell_volume_su(six, su).value_or(0);
  }
  return crystal::parameters(su)[i].value_or(0);
}

}  // namespace

void SeriesPictures::take(formats::CellRecord cell, const crystal::CellSu& su) {
  // The values as the plot files give them back, so that a picture is the one
  // drawn from its plot file.
  const double x = formats::pgf_x_as_read(cell.temperature);
  for (std::size_t i = 0; i < pictures_.size(); ++i) {
    pictures_[i].points.add({x, formats::pgf_y_as_read(cell.*formats::kPlotSeries[i].value)},
                            su_of(i, cell, su));
  }
}

int SeriesPictures::write(std::string_view folder, std::string_view footnote) const {
  int written = 0;
  for (std::size_t i = 0; i < pictures_.size(); ++i) {
    const std::string svg_path =
        chart::svg_path_for(output_path(folder, formats::kPlotSeries[i].file));
    if (pictures_[i].points.empty()) {
      textrec::console_write(
          {" !! ", common::safe_text(svg_path), " not written: no point to plot"});
      remove_stale_output(svg_path);
    } else if (const auto done = common::write_file_replacing(
                   svg_path, chart::render_svg(pictures_[i], footnote));
               !done) {
      textrec::report(textrec::Failure::kFileSystem,
                      "cannot write " + common::safe_text(svg_path) + ": " + done.error().message);
    } else {
      ++written;
    }
    textrec::end_if_interrupted();
  }
  return written;
}

}  // namespace korvex
