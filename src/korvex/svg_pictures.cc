#include "svg_pictures.h"

#include "chart/series_picture.h"
#include "common/files.h"
#include "expansion/line_fit.h"
#include "formats/cell_record.h"
#include "formats/pgf_read.h"
#include "output_files.h"
#include "textrec/textrec.h"

namespace korvex {

void write_svg_pictures(std::string_view folder, const std::string& footnote) {
  for (const formats::PlotSeries& plot : formats::kPlotSeries) {
    textrec::end_if_interrupted();
    const std::string pgf_path = output_path(folder, plot.file);
    const auto pgf = formats::read_pgf_file(pgf_path);
    if (!pgf) {
      textrec::report(textrec::Failure::kFileSystem,
                      "cannot read back " + pgf_path + ": " + pgf.error().message);
      continue;
    }
    const std::string svg_path = chart::svg_path_for(pgf_path);
    // No point, no picture; one left by an earlier run would show other data.
    if (pgf->points.empty()) {
      remove_stale_output(svg_path);
      continue;
    }
    const auto written = common::write_file_replacing(
        svg_path, chart::render_svg(*pgf, expansion::fit_line(pgf->points), footnote));
    if (!written)
      textrec::report(textrec::Failure::kFileSystem,
                      "cannot write " + svg_path + ": " + written.error().message);
  }
}

}  // namespace korvex
