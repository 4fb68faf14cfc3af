#include "output_files.h"

#include <string>

#include "formats/csv_table.h"
#include "formats/pgf_file.h"
#include "formats/plot_series.h"
#include "formats/table_file.h"
#include "textrec/textrec.h"

namespace korvex {

std::string output_path(std::string_view folder, std::string_view file) {
  std::string path(folder);
  if (!path.empty() && !path.ends_with('/')) path += '/';
  path += file;
  return path;
}

bool names_an_output_file(std::string_view folder, std::string_view name, bool csv) {
  if (textrec::same_file(name, output_path(folder, formats::kTableFileName))) return true;
  if (csv && textrec::same_file(name, output_path(folder, formats::kCsvFileName))) return true;
  for (const formats::PlotSeries& plot : formats::kPlotSeries)
    if (textrec::same_file(name, output_path(folder, plot.file))) return true;
  return false;
}

void create_output_files(std::string_view folder, std::string_view series_title,
                         formats::CellChoice choice, std::int32_t point_count, bool csv) {
  textrec::create_file(formats::kTableChannel, output_path(folder, formats::kTableFileName));
  formats::write_table_header(series_title, choice);
  for (const formats::PlotSeries& plot : formats::kPlotSeries) {
    textrec::create_file(plot.channel, output_path(folder, plot.file));
    formats::write_pgf_header(plot.channel, plot, series_title, point_count);
  }
  if (csv) {
    textrec::create_file(formats::kCsvChannel, output_path(folder, formats::kCsvFileName));
    formats::write_csv_header(formats::kCsvChannel);
  }
}

void write_cell(const formats::CellRecord& cell) {
  formats::write_table_row(cell);
  const std::string x_field = formats::pgf_x_field(cell.temperature);
  for (const formats::PlotSeries& plot : formats::kPlotSeries)
    formats::write_pgf_point(plot.channel, x_field, cell.*plot.value);
}

void end_plot_files() {
  for (const formats::PlotSeries& plot : formats::kPlotSeries) {
    formats::write_pgf_end(plot.channel);
    textrec::close_channel(plot.channel);
  }
}

}  // namespace korvex
