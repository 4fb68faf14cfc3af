#include "csv_series.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "common/files.h"
#include "crystal/cell.h"
#include "formats/cell_file.h"
#include "formats/csv_table.h"
#include "formats/plot_series.h"
#include "formats/value_su.h"

namespace vistrel {

namespace {

// The plot file's name without "TK_" and ".pgf": "cell_a", "volume".
std::string plot_suffix(std::string_view file) {
  file.remove_prefix(file.starts_with("TK_") ? 3 : 0);
  return std::string(file.substr(0, file.rfind('.')));
}

formats::PgfFile plot_of(std::string_view title, std::string_view y_legend,
                         std::string_view heading) {
  formats::PgfFile pgf;
  pgf.title = title;
  pgf.x_legend = formats::kTemperatureLegend;
  pgf.y_legend = y_legend;
  pgf.column_heading = heading;
  pgf.has_end_record = true;
  return pgf;
}

// The seven series of korvex's CSV, as its plot files would hold them.
std::vector<SeriesWithSus> cell_series(const std::vector<crystal::CellEntry>& cells) {
  std::vector<SeriesWithSus> all;
  for (const formats::PlotSeries& plot : formats::kPlotSeries) {
    std::string heading(plot.heading);
    heading.erase(0, heading.find_first_not_of("# "));
    all.push_back({plot_of(plot.title, plot.y_legend, heading), {}, plot_suffix(plot.file)});
  }
  for (const crystal::CellEntry& cell : cells) {
    const auto values = crystal::parameters(cell.cell);
    const auto sus = crystal::parameters(cell.su);
    const double x = cell.temperature.value_or(0);
    for (std::size_t i = 0; i < 6; ++i) {
      all[i].pgf.points.push_back({x, values[i]});
      all[i].sus.push_back(sus[i].value_or(0));
    }
    all[6].pgf.points.push_back({x, crystal::cell_volume(cell.cell)});
    all[6].sus.push_back(crystal::cell_volume_su(cell.cell, cell.su).value_or(0));
  }
  return all;
}

// The series of korvex-expansion's CSV of a polynomial: one per axis.
common::Expected<std::vector<SeriesWithSus>> axis_series(std::string_view bytes) {
  std::size_t at = 0;
  int line = 1;
  const auto header = formats::read_csv_record(bytes, at, line);
  const auto column = [&](std::string_view name) {
    return static_cast<std::size_t>(std::find(header->begin(), header->end(), name) -
                                    header->begin());
  };
  const std::size_t axis = column("axis"), t = column("T_K"), alpha = column("alpha_MK-1"),
                    su = column("su_MK-1");
  std::map<std::string, SeriesWithSus> by_axis;
  std::vector<std::string> order;
  while (at < bytes.size()) {
    const int row = ++line;
    const auto fields = formats::read_csv_record(bytes, at, line);
    if (!fields) return common::Error{row, "a quote that is never closed"};
    // An empty line ends the coefficients: the tables after it (the strains
    // at each point) are no series.
    if (fields->size() == 1 && (*fields)[0].empty()) break;
    if (fields->size() <= std::max({axis, t, alpha, su})) continue;
    if ((*fields)[t].empty()) continue;  // the coefficient of a line: no series
    const auto x = formats::parse_value_with_su((*fields)[t]);
    const auto y = formats::parse_value_with_su((*fields)[alpha]);
    const auto s = formats::parse_value_with_su((*fields)[su]);
    if (!x || !y) return common::Error{row, "T_K or alpha_MK-1 is not a number"};
    const std::string& name = (*fields)[axis];
    if (!by_axis.contains(name)) {
      order.push_back(name);
      by_axis[name] = {plot_of("alpha(" + name + ")=f(T)",
                               "expansion coefficient alpha of " + name + " (MK-1)", ""),
                       {},
                       name};
    }
    by_axis[name].pgf.points.push_back({x->value, y->value});
    by_axis[name].sus.push_back(s ? s->value : 0);
  }
  if (order.empty()) {
    return common::Error{0,
                         "one coefficient an axis (a line's): no series to show; a "
                         "polynomial fit (--fit quadratic) gives one"};
  }
  std::vector<SeriesWithSus> all;
  for (const std::string& name : order) all.push_back(std::move(by_axis[name]));
  return all;
}

}  // namespace

bool is_csv_name(std::string_view path) {
  if (path.size() < 4) return false;
  std::string end(path.substr(path.size() - 4));
  for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return end == ".csv";
}

common::Expected<std::vector<SeriesWithSus>> read_csv_series(const std::string& path) {
  const auto bytes = common::read_whole_file(path, formats::kCellFileLimit);
  if (!bytes) return common::in_file(path, bytes.error());
  if (bytes->starts_with("axis,T_K,alpha_MK-1,su_MK-1")) {
    auto series = axis_series(*bytes);
    if (!series) return common::in_file(path, series.error());
    return series;
  }
  if (formats::recognise(*bytes) != formats::CellFormat::kKorvexCsv) {
    return common::Error{0, path +
                                ": not a CSV vistrel shows (korvex's TK_parameters.csv, or "
                                "korvex-expansion's of a polynomial fit)"};
  }
  auto read = formats::read_cells(formats::CellFormat::kKorvexCsv, *bytes, path);
  if (!read) return common::in_file(path, read.error());
  return cell_series(read->entries);
}

std::string csv_picture_path(std::string_view csv_path, const SeriesWithSus& series) {
  return std::string(csv_path.substr(0, csv_path.size() - 4)) + "_" + series.suffix + ".svg";
}

}  // namespace vistrel
