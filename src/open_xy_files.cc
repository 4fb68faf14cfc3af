#include "open_xy_files.h"

#include <limits>
#include <string>

#include "pgf.h"
#include "read_out_module.h"
#include "table_file.h"
#include "textrec/textrec.h"

namespace korvex {
namespace {

std::int32_t g_point_count = 0;

}  // namespace

std::int32_t point_count() {
  return g_point_count;
}

void open_xy_files(const int& cell_choice) {
  std::string scratch = textrec::blank_text(128);

  // Every line counts, blank or not; the count ends silently at the first read
  // that fails, whatever the reason.
  g_point_count = 0;
  for (;;) {
    std::string_view record;
    if (textrec::read_record(kBufferChannel, &record, 0) != textrec::kStatusOk) break;
    if (g_point_count < std::numeric_limits<std::int32_t>::max()) ++g_point_count;
  }

  // Back to the third line: line 1 again into the title, line 2 dropped.
  textrec::rewind_channel(kBufferChannel);
  textrec::read_a(kBufferChannel, read_out_module.series_title);
  textrec::read_a(kBufferChannel, scratch);

  std::string x_legend = textrec::blank_text(128);
  textrec::set_text(x_legend, "Temperature (K)");

  textrec::create_file(kTableChannel, kTableFileName);
  write_table_header(cell_choice);

  std::string y_legend = textrec::blank_text(128);
  for (const PlotSeries& plot : kPlotSeries) {
    textrec::set_text(y_legend, plot.y_legend);
    textrec::create_file(plot.channel, plot.file);
    write_pgf_entete(plot.channel, plot.series, read_out_module.series_title, x_legend, y_legend,
                     g_point_count);
  }
}

}  // namespace korvex
