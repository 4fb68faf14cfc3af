#include "svg_pictures.h"

#include <cstdio>

#include "cell_record.h"
#include "output_files.h"
#include "textrec/textrec.h"
#include "vistrel/fit.h"
#include "vistrel/pgf_read.h"
#include "vistrel/svg.h"

namespace korvex {

void write_svg_pictures(std::string_view folder, const std::string& footnote) {
  for (const PlotSeries& plot : kPlotSeries) {
    const std::string pgf_path = output_path(folder, plot.file);
    const auto pgf = vistrel::read_pgf_file(pgf_path);
    if (!pgf) {
      textrec::report(textrec::Failure::kFileSystem,
                      "cannot read back " + pgf_path + ": " + pgf.error().message);
      continue;
    }
    const std::string svg_path = vistrel::svg_path_for(pgf_path);
    // No point, no picture; one left by an earlier run would show other data.
    if (pgf->points.empty()) {
      std::remove(svg_path.c_str());
      continue;
    }
    const auto written = vistrel::write_file_replacing(
        svg_path, vistrel::render_svg(*pgf, vistrel::fit_line(pgf->points), footnote));
    if (!written)
      textrec::report(textrec::Failure::kFileSystem,
                      "cannot write " + svg_path + ": " + written.error().message);
  }
}

}  // namespace korvex
