#include "output_files.h"

#include <string>

#include "pgf_file.h"
#include "table_file.h"
#include "textrec/textrec.h"

namespace korvex {

void create_output_files(std::string_view series_title, CellChoice choice,
                         std::int32_t point_count) {
  std::string title = textrec::blank_text(128);
  textrec::set_text(title, series_title);
  std::string x_legend = textrec::blank_text(128);
  textrec::set_text(x_legend, "Temperature (K)");

  textrec::create(kTableChannel, kTableFileName);
  write_table_header(title, choice);

  std::string y_legend = textrec::blank_text(128);
  for (const PlotSeries& plot : kPlotSeries) {
    textrec::set_text(y_legend, plot.y_legend);
    textrec::create(plot.channel, plot.file);
    write_pgf_header(plot.channel, plot.series, title, x_legend, y_legend, point_count);
  }
}

void write_cell(const CellRecord& cell) {
  write_table_row(cell);
  for (const PlotSeries& plot : kPlotSeries)
    write_pgf_point(plot.channel, cell.temperature, cell.*plot.value);
}

void end_plot_files() {
  for (const PlotSeries& plot : kPlotSeries) {
    write_pgf_end(plot.channel);
    textrec::close(plot.channel);
  }
}

}  // namespace korvex
