// A CSV file as series to show, each point with its SU.
//
// korvex's TK_parameters.csv (csv_table.h, read as cell_tables.h reads it)
// gives the seven series of korvex's plot files, in their order: a, b, c,
// alpha, beta, gamma and the volume against temperature, the volume that of
// the six parameters, each point's SU from the SU columns (the volume's
// propagated from the parameters', crystal::cell_volume_su). korvex-
// expansion's CSV of a polynomial fit (header "axis,T_K,alpha_MK-1,su_MK-1,
// ...", a row per axis and temperature) gives one series per axis: the
// expansion coefficient against temperature with its SU. Its CSV of a line
// holds one coefficient per axis and no series, which is an error, as is any
// other CSV.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/expected.h"
#include "formats/pgf_read.h"

namespace vistrel {

struct SeriesWithSus {
  formats::PgfFile pgf;     // the series as a plot file of it would hold it
  std::vector<double> sus;  // one a point, 0 where there is none
  std::string suffix;       // of its picture's name: FILE_SUFFIX.svg beside the CSV
};

// A name ending in ".csv" (any case) names a CSV file.
[[nodiscard]] bool is_csv_name(std::string_view path);

// The series of the CSV file at path; the error names the file.
[[nodiscard]] common::Expected<std::vector<SeriesWithSus>> read_csv_series(const std::string& path);

// The picture of one series of the CSV at csv_path: the name without ".csv",
// "_", the suffix and ".svg" (TK_parameters_cell_a.svg).
[[nodiscard]] std::string csv_picture_path(std::string_view csv_path, const SeriesWithSus& series);

}  // namespace vistrel
