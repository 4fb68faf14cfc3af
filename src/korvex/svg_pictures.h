// The seven SVG pictures of a batch run, drawn from the cells of the pass with
// the chart code vistrel draws a plot file with: the pictures vistrel draws
// from the plot files of the run, but for the points the plot files cannot
// hold (a temperature of 1000 K and above), which the pictures keep.
#pragma once

#include <array>
#include <string_view>

#include "chart/series_picture.h"
#include "formats/plot_series.h"
#include "series_pass.h"

namespace korvex {

// Collects the points of the seven pictures as the pass finds the cells, in
// memory bounded whatever the length of the series.
class SeriesPictures : public CellCollector {
 public:
  // The series title is the buffer file's first line, the plot files' main
  // legend.
  explicit SeriesPictures(std::string_view series_title);

  void take(formats::CellRecord cell, const crystal::CellSu& su) override;

  // Writes each picture into the folder (TK_cell_a.svg ...) with the footnote
  // under the plot, and returns how many it wrote. A picture without a point
  // is not drawn: the console says so, and a regular file of its name, left by
  // an earlier run, is removed, for it would show other data. A picture that
  // cannot be written is a severe failure of the file system.
  [[nodiscard]] int write(std::string_view folder, std::string_view footnote) const;

 private:
  std::array<chart::SeriesPicture, formats::kPlotSeries.size()> pictures_;
};

}  // namespace korvex
