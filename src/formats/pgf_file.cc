#include "formats/pgf_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "textrec/textrec.h"

namespace formats {
namespace {

using textrec::Layout;
using textrec::parse_layout;

// A record of a fixed text alone, or of its text and one value.
void write_record(int channel, const PgfRecord& record) {
  textrec::write_formatted(channel, parse_layout(record.layout), {record.text});
}
void write_record(int channel, const PgfRecord& record, textrec::Item value) {
  textrec::write_formatted(channel, parse_layout(record.layout), {record.text, value});
}

const textrec::FieldCode& row_field(std::size_t i) {
  static const Layout row = parse_layout(kPgfRowLayout);
  return row.fields.at(i);
}

}  // namespace

void write_pgf_header(int channel, const PlotSeries& series, std::string_view main_legend,
                      std::int32_t point_count) {
  write_record(channel, kPgfMainLegend, textrec::trim_right(main_legend));
  write_record(channel, kPgfXLegend, kTemperatureLegend);
  write_record(channel, kPgfYLegend, series.y_legend);
  textrec::write_formatted(channel, parse_layout("A"), {series.heading});
  write_record(channel, kPgfPatternCount);
  textrec::write_rule(channel, "#", "-", kPgfRuleLength);  // A1, 50A1
  write_record(channel, kPgfPattern, std::int64_t{1});
  write_record(channel, kPgfTitle, series.title);
  write_record(channel, kPgfPointCount, std::int64_t{point_count});
  write_record(channel, kPgfMarker, std::int64_t{kPgfMarkerCode});
  write_record(channel, kPgfMarkerSize, std::int64_t{kPgfMarkerSizeCode});
  write_record(channel, kPgfData);
}

bool set_pgf_point_count(const std::string& path, std::int64_t point_count) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  // The header's twelve records come first and are short.
  std::string head(4096, ' ');
  const ssize_t n = ::pread(fd, head.data(), head.size(), 0);
  head.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  const std::string record = "\n" + std::string(kPgfPointCount.text);
  const std::size_t at = head.find(record);
  bool set = false;
  if (at != std::string::npos) {
    std::string field;
    textrec::edit_i(field, point_count, parse_layout(kPgfPointCount.layout).fields.at(1).w);
    const auto offset = static_cast<off_t>(at + record.size());
    set = ::pwrite(fd, field.data(), field.size(), offset) == static_cast<ssize_t>(field.size());
  }
  return ::close(fd) == 0 && set;
}

std::string pgf_x_field(float x) {
  const textrec::FieldCode& f = row_field(0);
  std::string field;
  textrec::edit_f(field, x, f.w, f.d);
  return field;
}

void write_pgf_point(int channel, std::string_view x_field, float y) {
  // The row with its first field given as text.
  static const Layout point{{{textrec::Code::kA, 0, 0}, row_field(1)}};
  textrec::write_formatted(channel, point, {x_field, y});
}

void write_pgf_point(int channel, float x, float y) {
  write_pgf_point(channel, pgf_x_field(x), y);
}

void write_pgf_end(int channel) {
  write_record(channel, kPgfEnd);
}

}  // namespace formats
