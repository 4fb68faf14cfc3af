#include "formats/pgf_read.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>

#include "common/files.h"
#include "common/number_text.h"
#include "common/safe_text.h"
#include "textrec/edit.h"

namespace formats {

namespace {

// A field as read: a number, the overflow form, or neither.
enum class FieldKind { kNumber, kOverflow, kBad };

struct Field {
  FieldKind kind = FieldKind::kBad;
  double value = 0;
  bool float_text = false;  // the text is the F20.5 form of a single-precision value
};

// The fields of a data row, temperature then value, as the writer lays them out.
const textrec::FieldCode& row_field(std::size_t i) {
  static const textrec::Layout row = textrec::parse_layout(kPgfRowLayout);
  return row.fields.at(i);
}

// True when text is what the value's field makes of the float nearest to
// value: the value was single precision when it was written.
bool is_float_text(std::string_view text, double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", row_field(1).d,
                static_cast<double>(static_cast<float>(value)));
  return text == buf;
}

bool is_overflow(std::string_view t) {
  return !t.empty() && t.find_first_not_of('*') == std::string_view::npos;
}

Field read_real(std::string_view text) {
  std::string_view t = common::trim(text);
  if (is_overflow(t)) return {FieldKind::kOverflow, 0};
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  double v = 0;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  // F20.5 holds at most 13 integer digits: a larger value is no value of a row.
  if (t.empty() || ec != std::errc() || end != t.data() + t.size() || !(std::fabs(v) < 1e15)) {
    return {};
  }
  return {FieldKind::kNumber, v, is_float_text(t, v)};
}

// Integer fields of the pattern block (I1, I8); nullopt for the overflow form.
common::Expected<std::optional<long>> read_integer(std::string_view text, int line,
                                                   const char* what) {
  std::string_view t = common::trim(text);
  if (is_overflow(t)) return std::optional<long>();
  long v = 0;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (t.empty() || ec != std::errc() || end != t.data() + t.size() || v < 0) {
    return common::Error{line, std::string(what) + " |" + common::safe_text(t) +
                                   "| is not a whole number of zero or more"};
  }
  return std::optional<long>(v);
}

std::string shown_line(std::string_view line) {
  std::string s = common::safe_text(line);
  if (s.size() > 40) s = s.substr(0, 40) + "...";
  return "|" + s + "|";
}

// Where the row's field i stands, as the message of a row that is not in it
// says: "F6.2, columns 1-6".
std::string field_place(std::size_t i) {
  const textrec::FieldCode& f = row_field(i);
  const int from = i == 0 ? 0 : row_field(0).w;
  return common::format_text("F%d.%d, columns %d-%d", f.w, f.d, from + 1, from + f.w);
}

// A data row: the fixed columns first; a row that is not in them is read as
// two numbers separated by blanks, as a row edited by hand may be.
common::Expected<std::pair<Field, Field>> read_row(std::string_view row, int line) {
  const auto x_width = static_cast<std::size_t>(row_field(0).w);
  const auto y_width = static_cast<std::size_t>(row_field(1).w);
  if (row.size() > x_width) {
    const Field x = read_real(row.substr(0, x_width));
    const Field y = read_real(row.substr(x_width, y_width));
    const bool rest_blank =
        row.size() <= x_width + y_width || common::trim(row.substr(x_width + y_width)).empty();
    if (rest_blank && x.kind != FieldKind::kBad && y.kind != FieldKind::kBad) {
      return std::pair{x, y};
    }
  }
  const std::string_view t = common::trim(row);
  const auto gap = t.find_first_of(" \t");
  if (gap != std::string_view::npos) {
    const Field x = read_real(t.substr(0, gap));
    const std::string_view rest = common::trim(t.substr(gap));
    if (rest.find_first_of(" \t") == std::string_view::npos) {
      const Field y = read_real(rest);
      if (x.kind != FieldKind::kBad && y.kind != FieldKind::kBad) return std::pair{x, y};
    }
  }
  return common::Error{line, "data row " + shown_line(row) + " is not a temperature (" +
                                 field_place(0) + ") followed by a value (" + field_place(1) + ")"};
}

// The quantity of a file that is none of korvex's series: "y", with the unit
// of the Y legend's last parentheses ("intensity (counts)" gives "counts").
QuantityInfo generic_quantity(std::string_view y_legend) {
  QuantityInfo q{Quantity::kOther, "y", ""};
  const auto open = y_legend.rfind('(');
  if (open == std::string_view::npos) return q;
  std::string_view unit = y_legend.substr(open + 1);
  unit = unit.substr(0, unit.find(')'));
  while (!unit.empty() && unit.back() == '.') unit.remove_suffix(1);
  q.unit = std::string(common::trim(unit));
  return q;
}

// A value as its field of a data row reads back.
double value_as_read(float value, const textrec::FieldCode& f) {
  std::string text;
  textrec::edit_f(text, value, f.w, f.d);
  const Field field = read_real(text);
  return field.kind == FieldKind::kNumber ? field.value : static_cast<double>(value);
}

}  // namespace

namespace {

// A plot file as it is read, record by record.
struct PgfReading {
  PgfFile pgf;
  bool in_data = false;  // after the record "#   DATA: X Y"
  int patterns_seen = 0;
  bool all_float_text = true;
};

// A data row: a point, or an overflowing one counted.
common::Expected<void> take_data_row(std::string_view line, int line_no, PgfReading& r) {
  if (!r.in_data) {
    return common::Error{line_no, "found " + shown_line(line) +
                                      " where a header record beginning with \"#\" belongs "
                                      "(data rows follow the record \"#   DATA: X Y\")"};
  }
  COMMON_TRY(row, read_row(line, line_no));
  const auto [x, y] = *row;
  if (x.kind == FieldKind::kOverflow) {
    ++r.pgf.skipped_x_overflow;
  } else if (y.kind == FieldKind::kOverflow) {
    ++r.pgf.skipped_y_overflow;
  } else {
    r.pgf.points.push_back({x.value, y.value});
    r.all_float_text = r.all_float_text && y.float_text;
  }
  return {};
}

// A record of the pattern block that holds a whole number.
common::Expected<void> take_count(std::string_view key, std::string_view value, int line_no,
                                  PgfReading& r) {
  const bool marker = key == pgf_key(kPgfMarker);
  const char* what = key == pgf_key(kPgfPattern)        ? "the pattern number"
                     : key == pgf_key(kPgfPatternCount) ? "the number of patterns"
                     : key == pgf_key(kPgfPointCount)   ? "the number of points"
                     : marker                           ? "the marker code"
                                                        : "the marker size";
  if (key == pgf_key(kPgfPattern) && ++r.patterns_seen > 1)
    return common::Error{line_no, "a second pattern block; a korvex plot file holds one pattern"};
  COMMON_TRY(n, read_integer(value, line_no, what));
  if (key == pgf_key(kPgfPointCount)) {
    r.pgf.declared_points = *n;
    r.pgf.declared_overflow = !r.pgf.declared_points;
  } else if (key == pgf_key(kPgfMarker) || key == pgf_key(kPgfMarkerSize)) {
    if (const auto v = *n; v && *v <= 9)
      (marker ? r.pgf.marker : r.pgf.marker_size) = static_cast<int>(*v);
  }
  return {};
}

// A header record "#KEY: VALUE"; a key of none of the records is a comment.
common::Expected<void> take_keyed_record(std::string_view key, std::string_view value, int line_no,
                                         PgfReading& r) {
  if (key == pgf_key(kPgfMainLegend)) {
    r.pgf.main_legend = std::string(value);
  } else if (key == pgf_key(kPgfXLegend)) {
    r.pgf.x_legend = std::string(value);
  } else if (key == pgf_key(kPgfYLegend)) {
    r.pgf.y_legend = std::string(value);
  } else if (key == pgf_key(kPgfTitle)) {
    r.pgf.title = std::string(value);
  } else if (key == pgf_key(kPgfPattern) || key == pgf_key(kPgfPatternCount) ||
             key == pgf_key(kPgfPointCount) || key == pgf_key(kPgfMarker) ||
             key == pgf_key(kPgfMarkerSize)) {
    return take_count(key, value, line_no, r);
  } else if (key == pgf_key(kPgfData)) {
    r.in_data = true;
  }
  return {};
}

// A record beginning with "#", its body after the "#"; false for the END
// record, after which nothing is read.
common::Expected<bool> take_record(std::string_view body, int line_no, PgfReading& r) {
  if (common::trim(body) == pgf_key(kPgfEnd)) {
    r.pgf.has_end_record = true;
    return false;
  }
  const auto colon = body.find(':');
  if (colon == std::string_view::npos) {
    // The separator, or the column heading that precedes it.
    const std::string_view t = common::trim(body);
    if (!r.in_data && r.pgf.column_heading.empty() && t.find_first_not_of('-') != t.npos)
      r.pgf.column_heading = std::string(t);
    return true;
  }
  std::string_view value = body.substr(colon + 1);
  if (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  value = value.substr(0, value.find_last_not_of(' ') + 1);
  COMMON_TRY(taken, take_keyed_record(common::trim(body.substr(0, colon)), value, line_no, r));
  return true;
}

}  // namespace

common::Expected<PgfFile> parse_pgf(std::string_view text) {
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
    return common::Error{0, "the file is empty"};
  }
  PgfReading r;
  int line_no = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t eol = text.find('\n', pos);
    if (eol == std::string_view::npos) eol = text.size();
    std::string_view line = text.substr(pos, eol - pos);
    pos = eol + 1;
    ++line_no;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (common::trim(line).empty()) continue;
    if (line.front() != '#') {
      COMMON_TRY_VOID(take_data_row(line, line_no, r));
      continue;
    }
    COMMON_TRY(more, take_record(line.substr(1), line_no, r));
    if (!*more) break;
  }
  if (!r.in_data) {
    return common::Error{0, "no record \"#   DATA: X Y\": this is not a PGF plot file"};
  }
  r.pgf.single_precision = r.all_float_text && !r.pgf.points.empty();
  return std::move(r.pgf);
}

const PlotSeries* plot_series_of(const PgfFile& pgf) {
  for (const PlotSeries& series : kPlotSeries) {
    if (pgf.column_heading == common::trim(series.heading.substr(1)) || pgf.title == series.title ||
        pgf.y_legend == series.y_legend) {
      return &series;
    }
  }
  return nullptr;
}

QuantityInfo quantity_of(const PgfFile& pgf) {
  const PlotSeries* series = plot_series_of(pgf);
  if (series == nullptr) return generic_quantity(pgf.y_legend);
  return {series->kind, std::string(series->name), std::string(series->unit)};
}

double pgf_x_as_read(float x) {
  return value_as_read(x, row_field(0));
}

double pgf_y_as_read(float y) {
  return value_as_read(y, row_field(1));
}

std::string describe_error(std::string_view path, const common::Error& error) {
  return common::in_file(common::safe_text(path), error).message;
}

common::Expected<PgfFile> read_pgf_file(const std::string& path) {
  COMMON_TRY(bytes, common::read_whole_file(path));
  return parse_pgf(*bytes);
}

}  // namespace formats
