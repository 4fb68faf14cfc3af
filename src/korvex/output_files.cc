#include "output_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "chart/series_picture.h"
#include "common/files.h"
#include "common/safe_text.h"
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

namespace {

std::vector<std::string> output_file_names() {
  std::vector<std::string> names = {formats::kTableFileName, formats::kCsvFileName};
  for (const formats::PlotSeries& plot : formats::kPlotSeries) {
    names.emplace_back(plot.file);
    names.push_back(chart::svg_path_for(plot.file));
  }
  return names;
}

bool is_name_character(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// An output's name, or the name a picture is written under before it replaces
// the output (common::write_file_replacing): the name, a dot and six letters or
// digits.
bool is_output_name(std::string_view base, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (base == name) return true;
    const std::string_view rest =
        base.starts_with(name) ? base.substr(name.size()) : std::string_view();
    if (rest.size() == 7 && rest[0] == '.' &&
        std::all_of(rest.begin() + 1, rest.end(), is_name_character))
      return true;
  }
  return false;
}

}  // namespace

OutputNames::OutputNames(std::string_view folder)
    : folder_name_(folder),
      names_(output_file_names()),
      folder_(textrec::file_identity(folder.empty() ? "." : folder)) {
  names_prefix_ = names_.empty() ? std::string() : names_.front();
  for (const std::string& name : names_) {
    while (!name.starts_with(names_prefix_)) names_prefix_.pop_back();
    if (const auto identity = textrec::file_identity(output_path(folder, name))) {
      existing_.push_back(*identity);
      if (!identity->one_name) outputs_have_other_names_ = true;
    }
  }
}

bool OutputNames::entry_named_by(std::string_view name) const {
  if (outputs_have_other_names_) return named_by(name);
  return named_by_name(name);
}

bool OutputNames::holds(const std::optional<textrec::FileIdentity>& file) const {
  return file && std::find(existing_.begin(), existing_.end(), *file) != existing_.end();
}

void OutputNames::note_created() {
  for (const char* name : {formats::kTableFileName, formats::kCsvFileName}) {
    if (const auto identity = textrec::file_identity(output_path(folder_name_, name)))
      existing_.push_back(*identity);
  }
  for (const formats::PlotSeries& plot : formats::kPlotSeries) {
    if (const auto identity = textrec::file_identity(output_path(folder_name_, plot.file)))
      existing_.push_back(*identity);
  }
}

bool OutputNames::named_by_name(std::string_view name) const {
  const std::string_view trimmed = textrec::trim_right(name);
  const std::size_t slash = trimmed.rfind('/');
  const std::string_view base =
      slash == std::string_view::npos ? trimmed : trimmed.substr(slash + 1);
  const std::string_view folder = slash == std::string_view::npos ? "."
                                  : slash == 0                    ? "/"
                                                                  : trimmed.substr(0, slash);
  return folder_ && base.starts_with(names_prefix_) && is_output_name(base, names_) &&
         textrec::file_identity(folder) == folder_;
}

bool OutputNames::named_by(std::string_view name) const {
  if (named_by_name(name)) return true;
  return !existing_.empty() && holds(textrec::file_identity(textrec::trim_right(name)));
}

void remove_stale_output(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(path.c_str());
}

void refuse_outputs_of_other_kinds(std::string_view folder, bool csv, bool svg) {
  const auto refuse = [&](const std::string& path, const std::string& told) {
    if (const auto target = common::output_target(path); !target)
      textrec::report(textrec::Failure::kFileSystem, told + ": " + target.error().message);
  };
  const auto created = [](const std::string& path, int channel) {
    return "cannot create " + common::safe_text(path) + " on channel " + std::to_string(channel);
  };
  const std::string table = output_path(folder, formats::kTableFileName);
  refuse(table, created(table, formats::kTableChannel));
  for (const formats::PlotSeries& plot : formats::kPlotSeries) {
    const std::string path = output_path(folder, plot.file);
    refuse(path, created(path, plot.channel));
  }
  const std::string csv_path = output_path(folder, formats::kCsvFileName);
  if (csv) refuse(csv_path, created(csv_path, formats::kCsvChannel));
  for (const formats::PlotSeries& plot : formats::kPlotSeries) {
    const std::string path = chart::svg_path_for(output_path(folder, plot.file));
    if (svg) refuse(path, "cannot write " + common::safe_text(path));
  }
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

bool write_cell(const formats::CellRecord& cell) {
  formats::write_table_row(cell);
  // The table row's temperature field is the plot points' F6.2 too.
  const std::string x_field = formats::pgf_x_field(cell.temperature);
  for (const formats::PlotSeries& plot : formats::kPlotSeries)
    formats::write_pgf_point(plot.channel, x_field, cell.*plot.value);
  return x_field.find('*') == std::string::npos;
}

void end_plot_files(std::string_view folder, std::int32_t declared, std::int64_t rows) {
  for (const formats::PlotSeries& plot : formats::kPlotSeries) {
    formats::write_pgf_end(plot.channel);
    textrec::close_channel(plot.channel);
    if (rows > declared && !formats::set_pgf_point_count(output_path(folder, plot.file), rows))
      textrec::console_write({" !! Warning: the point count of ", plot.file, " cannot be set"});
  }
}

void set_table_notes(std::string_view folder, formats::CellChoice choice,
                     formats::TableSources sources) {
  if (sources == formats::TableSources::kDirax) return;
  if (!formats::set_table_sources(output_path(folder, formats::kTableFileName), choice, sources))
    textrec::console_write(
        {" !! Warning: the notes of ", formats::kTableFileName, " cannot be set"});
}

}  // namespace korvex
