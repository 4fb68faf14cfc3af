#include "output_files.h"

#include <string>

#include "csv_table.h"
#include "pgf_file.h"
#include "table_file.h"
#include "textrec/textrec.h"

namespace korvex {

std::string output_path(std::string_view folder, std::string_view file) {
  std::string path(folder);
  if (!path.empty() && !path.ends_with('/')) path += '/';
  path += file;
  return path;
}

bool names_an_output_file(std::string_view folder, std::string_view name, bool csv) {
  if (textrec::same_file(name, output_path(folder, kTableFileName))) return true;
  if (csv && textrec::same_file(name, output_path(folder, kCsvFileName))) return true;
  for (const PlotSeries& plot : kPlotSeries)
    if (textrec::same_file(name, output_path(folder, plot.file))) return true;
  return false;
}

void create_output_files(std::string_view folder, std::string_view series_title, CellChoice choice,
                         std::int32_t point_count, bool csv) {
  std::string title = textrec::blank_text(128);
  textrec::set_text(title, series_title);
  std::string x_legend = textrec::blank_text(128);
  textrec::set_text(x_legend, "Temperature (K)");

  textrec::create_file(kTableChannel, output_path(folder, kTableFileName));
  write_table_header(title, choice);

  std::string y_legend = textrec::blank_text(128);
  for (const PlotSeries& plot : kPlotSeries) {
    textrec::set_text(y_legend, plot.y_legend);
    textrec::create_file(plot.channel, output_path(folder, plot.file));
    write_pgf_header(plot.channel, plot.series, title, x_legend, y_legend, point_count);
  }
  if (csv) {
    textrec::create_file(kCsvChannel, output_path(folder, kCsvFileName));
    write_csv_header(kCsvChannel);
  }
}

void write_cell(const CellRecord& cell) {
  write_table_row(cell);
  const std::string x_field = pgf_x_field(cell.temperature);
  for (const PlotSeries& plot : kPlotSeries)
    write_pgf_point(plot.channel, x_field, cell.*plot.value);
}

void end_plot_files() {
  for (const PlotSeries& plot : kPlotSeries) {
    write_pgf_end(plot.channel);
    textrec::close_channel(plot.channel);
  }
}

}  // namespace korvex
