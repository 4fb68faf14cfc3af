#include "formats/pgf_read.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "common/number_text.h"
#include "test_util.h"

namespace {

using formats::parse_pgf;
using formats::PgfFile;
using testutil::crlf;

// The twelve header records as korvex writes them for the a parameter.
std::vector<std::string> header(const std::string& declared = "      12") {
  return {"# MAIN LEGEND TEXT: Made-up crystal, cooling series",
          "# X LEGEND TEXT   : Temperature (K)",
          "# Y LEGEND TEXT   : a unit cell parameter (A)",
          "#   TK              a(A)",
          "# NUMBER OF PATTERNS: 1",
          "#" + std::string(50, '-'),
          "# >>>>>>>> PATTERN #: 1",
          "#             TITLE : a(A)=f(T)",
          "#  NUMBER OF POINTS : " + declared,
          "#            MARKER : 1",
          "#              SIZE : 2",
          "#   DATA: X Y"};
}

std::vector<std::string> with(std::vector<std::string> lines,
                              const std::vector<std::string>& more) {
  lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

formats::PgfFile parsed(const std::string& text) {
  auto r = formats::parse_pgf(text);
  if (!r) {
    ADD_FAILURE() << "line " << r.error().line << ": " << r.error().message;
    return {};
  }
  return *r;
}

TEST(PgfRead, ReadsLabelsAndRowsOfAKorvexFile) {
  const formats::PgfFile pgf = parsed(crlf(with(
      header(), {"100.00             5.43210", "295.00            10.12340", "# END OF FILE"})));
  EXPECT_EQ("Made-up crystal, cooling series|", pgf.main_legend + "|");
  EXPECT_EQ("Temperature (K)|", pgf.x_legend + "|");
  EXPECT_EQ("a unit cell parameter (A)|", pgf.y_legend + "|");
  EXPECT_EQ("TK              a(A)|", pgf.column_heading + "|");
  EXPECT_EQ("a(A)=f(T)|", pgf.title + "|");
  ASSERT_TRUE(pgf.declared_points.has_value());
  EXPECT_EQ(12, *pgf.declared_points);
  EXPECT_EQ(1, pgf.marker);
  EXPECT_EQ(2, pgf.marker_size);
  ASSERT_EQ(2u, pgf.points.size());
  EXPECT_DOUBLE_EQ(100.0, pgf.points[0].x);
  EXPECT_DOUBLE_EQ(5.4321, pgf.points[0].y);
  EXPECT_DOUBLE_EQ(295.0, pgf.points[1].x);
  EXPECT_DOUBLE_EQ(10.1234, pgf.points[1].y);
  EXPECT_TRUE(pgf.has_end_record);
  EXPECT_EQ(0, pgf.skipped_x_overflow + pgf.skipped_y_overflow);
}

// Values written as F20.5 of a float are shown as the float's shortest
// decimal; any other value keeps the file's five decimals.
TEST(PgfRead, ValuesKeepThePrecisionTheFileCarries) {
  struct Case {
    std::vector<std::string> rows;
    bool single;
    const char* lowest;
  };
  const std::vector<Case> cases = {
      {{"100.00           500.40399", "200.00           500.80899"}, true, "500.404"},
      {{"100.00             5.01000", "200.00             5.02000"}, true, "5.01"},
      {{"100.00           500.40397", "200.00           500.80899"}, false, "500.40397"},
      {{"100.00 500.40399", "200.00 500.5"}, false, "500.40399"},  // edited by hand
  };
  for (const Case& c : cases) {
    const formats::PgfFile pgf = parsed(crlf(with(header(), c.rows)));
    EXPECT_EQ(c.single, pgf.single_precision) << c.rows[0];
    EXPECT_EQ(c.lowest, common::file_value(pgf.points[0].y, pgf.single_precision));
  }
}

TEST(PgfRead, PlainLineFeedsAndCrLfReadAlike) {
  std::string lf;
  for (const auto& l : with(header(), {" 85.50          1234.50000", "# END OF FILE"}))
    lf += l + "\n";
  const formats::PgfFile a = parsed(lf);
  const formats::PgfFile b =
      parsed(crlf(with(header(), {" 85.50          1234.50000", "# END OF FILE"})));
  ASSERT_EQ(1u, a.points.size());
  ASSERT_EQ(1u, b.points.size());
  EXPECT_DOUBLE_EQ(85.5, a.points[0].x);
  EXPECT_DOUBLE_EQ(b.points[0].y, a.points[0].y);
  EXPECT_EQ(b.main_legend, a.main_legend);
}

TEST(PgfRead, LeadingBlanksOfALegendStayAndAnEmptyLegendIsEmpty) {
  std::vector<std::string> lines = header();
  lines[0] = "# MAIN LEGEND TEXT: ";
  lines[2] = "# Y LEGEND TEXT   :   indented";
  const formats::PgfFile pgf = parsed(crlf(with(lines, {"# END OF FILE"})));
  EXPECT_EQ("|", pgf.main_legend + "|");
  EXPECT_EQ("  indented|", pgf.y_legend + "|");
  EXPECT_TRUE(pgf.points.empty());
}

TEST(PgfRead, OverflowFieldsAreSkippedAndCounted) {
  const formats::PgfFile pgf = parsed(crlf(with(
      header(), {"******             5.43210", "100.00             5.43210",
                 "200.00********************", "**************************", "# END OF FILE"})));
  ASSERT_EQ(1u, pgf.points.size());
  EXPECT_DOUBLE_EQ(100.0, pgf.points[0].x);
  EXPECT_EQ(2, pgf.skipped_x_overflow);
  EXPECT_EQ(1, pgf.skipped_y_overflow);
}

// Marker codes and sizes are one digit, 0 to 9; any other is left at the
// writer's.
TEST(PgfRead, MarkerCodeAndSizeOfOneDigit) {
  for (const auto& [given, marker, size] :
       std::vector<std::tuple<std::string, int, int>>{{"0", 0, 0}, {"9", 9, 9}, {"10", 1, 2}}) {
    std::vector<std::string> lines = header();
    lines[9] = "#            MARKER : " + given;
    lines[10] = "#              SIZE : " + given;
    const formats::PgfFile pgf = parsed(crlf(with(lines, {"100.00             5.43210"})));
    EXPECT_EQ(marker, pgf.marker) << given;
    EXPECT_EQ(size, pgf.marker_size) << given;
  }
}

TEST(PgfRead, FewerRowsThanDeclaredAndOverflowingCountAreKept) {
  const formats::PgfFile fewer =
      parsed(crlf(with(header(), {"100.00             5.43210", "# END OF FILE"})));
  EXPECT_EQ(12, fewer.declared_points.value_or(-1));
  EXPECT_EQ(1u, fewer.points.size());
  const formats::PgfFile overflow = parsed(crlf(with(header("********"), {"# END OF FILE"})));
  EXPECT_FALSE(overflow.declared_points.has_value());
  EXPECT_TRUE(overflow.declared_overflow);
}

TEST(PgfRead, MissingEndRecordKeepsTheRowsRead) {
  const formats::PgfFile pgf = parsed(crlf(with(header(), {"100.00             5.43210"})));
  EXPECT_FALSE(pgf.has_end_record);
  EXPECT_EQ(1u, pgf.points.size());
}

TEST(PgfRead, NothingAfterTheEndRecordIsRead) {
  const formats::PgfFile pgf = parsed(
      crlf(with(header(), {"100.00             5.43210", "# END OF FILE", "not a row at all"})));
  EXPECT_EQ(1u, pgf.points.size());
}

TEST(PgfRead, RowsOutsideTheFixedColumnsAreReadAsTwoNumbers) {
  const formats::PgfFile pgf =
      parsed(crlf(with(header(), {"1000.5 5.5", "  20 -3.25e-1", "", "# END OF FILE"})));
  ASSERT_EQ(2u, pgf.points.size());
  EXPECT_DOUBLE_EQ(1000.5, pgf.points[0].x);
  EXPECT_DOUBLE_EQ(-0.325, pgf.points[1].y);
}

TEST(PgfRead, MalformedFilesNameTheLine) {
  struct Case {
    const char* name;
    std::string text;
    int line;
    const char* words;  // part of the message
  };
  const std::vector<Case> cases = {
      {"empty file", "", 0, "empty"},
      {"blank file", "\r\n  \r\n", 0, "empty"},
      {"no data heading", crlf({"# MAIN LEGEND TEXT: x", "# END OF FILE"}), 0, "DATA"},
      {"row before the data heading", crlf({"# MAIN LEGEND TEXT: x", "100.00   5.0"}), 2,
       "header record"},
      {"text in place of a number",
       crlf(with(header(), {"100.00             5.43210", "100.00             5.4x210"})), 14,
       "|100.00             5.4x210|"},
      {"three numbers", crlf(with(header(), {"100.00 5.0 6.0"})), 13, "data row"},
      {"partly starred field", crlf(with(header(), {"**0.00             5.43210"})), 13,
       "data row"},
      {"not a finite number", crlf(with(header(), {"100.00                 nan"})), 13, "data row"},
      {"value beyond any row", crlf(with(header(), {"100.00 1e300"})), 13, "data row"},
      {"point count not a number", crlf(with(header("   a few"), {})), 9, "number of points"},
      {"negative point count", crlf(with(header("      -3"), {})), 9, "number of points"},
      {"second pattern",
       crlf(with(header(), {"100.00             5.43210", "# >>>>>>>> PATTERN #: 2"})), 14,
       "second pattern"},
  };
  for (const Case& c : cases) {
    const auto r = formats::parse_pgf(c.text);
    ASSERT_FALSE(r) << c.name;
    const common::Error* err = &r.error();
    EXPECT_EQ(c.line, err->line) << c.name;
    EXPECT_NE(std::string::npos, err->message.find(c.words)) << c.name << ": " << err->message;
  }
}

TEST(PgfRead, MissingFileIsAnErrorOfTheWholeFile) {
  testutil::ScopedTempDir dir;
  const auto r = formats::read_pgf_file(dir.file("TK_cell_a.pgf"));
  ASSERT_FALSE(r);
  const common::Error* err = &r.error();
  EXPECT_EQ(0, err->line);
  EXPECT_NE(std::string::npos, err->message.find("No such file")) << err->message;
  EXPECT_FALSE(formats::read_pgf_file(dir.path()));
}

}  // namespace

namespace {

TEST(PgfRead, QuantityFromTheTableOfSeriesElseGeneric) {
  struct Case {
    const char* heading;
    const char* title;
    const char* y_legend;
    formats::Quantity kind;
    const char* name;
    const char* unit;
  };
  const std::vector<Case> cases = {
      {"TK              c(A)", "c(A)=f(T)", "c unit cell parameter (A)", formats::Quantity::kLength,
       "c", "A"},
      {"TK         beta(deg)", "", "", formats::Quantity::kAngle, "beta", "deg"},
      {"", "volume(A3)=f(T)", "", formats::Quantity::kVolume, "volume", "A3"},
      {"", "", "alpha angle (deg.)", formats::Quantity::kAngle, "alpha", "deg"},
      {"TK  intensity", "I=f(T)", "intensity (counts)", formats::Quantity::kOther, "y", "counts"},
      {"", "Some title", "intensity", formats::Quantity::kOther, "y", ""},
  };
  for (const Case& c : cases) {
    formats::PgfFile pgf;
    pgf.column_heading = c.heading;
    pgf.title = c.title;
    pgf.y_legend = c.y_legend;
    const formats::QuantityInfo q = formats::quantity_of(pgf);
    EXPECT_EQ(c.kind, q.kind) << c.heading << c.title << c.y_legend;
    EXPECT_EQ(c.name, q.name);
    EXPECT_EQ(c.unit, q.unit);
  }
}

}  // namespace
