// Reading series: korvex's table in both cell choices with CR LF records and
// rows in overflow form, whitespace tables of seven and eight columns, and
// every fault named with its line.
#include "formats/series_table.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "test_util.h"

namespace {

using formats::Series;

// Rows written field by field to F6.2, 3F12.5, 3F12.3, F13.3, 2X, A12, A4.
const std::string kRow100 =
    "100.00     5.94488     5.94488     8.34520     103.111     103.111      61.589      500.404"
    "  monoclinic  C   ";
const std::string kRow125 =
    "125.00     5.94626     5.94626     8.34921     103.121     103.121      61.580      500.809"
    "  monoclinic  C   ";
const std::string kRowOverflow =
    "******     5.94767     5.94767     8.35332     103.130     103.130      61.571      501.223"
    "  monoclinic  C   ";
const std::vector<std::string> kInputCellHeader = {
    "! Made-up crystal",
    "! Cell parameters extracted from input cell.",
    "! Bravais lattice and volume are related to conventionnal unit cell.",
    "!   TK        a(A)        b(A)        c(A)  alpha(deg)   beta(deg)   gamma(deg)  volume(A3)",
    "!" + std::string(200, '-'),
};

TEST(SeriesRead, KorvexTableRowsAndRowsInOverflowForm) {
  std::vector<std::string> lines = kInputCellHeader;
  lines.insert(lines.end(), {kRow100, kRowOverflow, kRow125});
  const auto read = formats::parse_series(testutil::crlf(lines));
  ASSERT_TRUE(read) << read.error().message;
  const formats::Series& s = *read;
  ASSERT_EQ(2U, s.rows.size());
  EXPECT_EQ(6, s.rows[0].line);
  EXPECT_EQ(8, s.rows[1].line);
  EXPECT_EQ(125.0, s.rows[1].temperature);
  EXPECT_EQ(5.94626, s.rows[1].cell.a);
  EXPECT_EQ(8.34921, s.rows[1].cell.c);
  EXPECT_EQ(103.121, s.rows[1].cell.beta);
  EXPECT_EQ(61.58, s.rows[1].cell.gamma);
  ASSERT_EQ(1U, s.skipped.size());
  EXPECT_EQ(7, s.skipped[0].line);
  EXPECT_EQ("temperature in overflow form (asterisks)", s.skipped[0].reason);
}

// Rows cut at every column boundary of F6.2, 3F12.5, 3F12.3, F13.3, 2X, A12,
// A4. Fields written to their full width touch their neighbours, so that a
// boundary one column off takes a digit of the next field (100.45 K read as
// 100.4 K); values at their fields' first columns; a row of columns 1-78 only
// (one column fewer is refused: FaultsAreNamedWithTheirLine).
TEST(SeriesRead, EachTableFieldIsReadFromItsOwnColumns) {
  const std::string tail = "      500.404  monoclinic  C   ";  // F13.3, 2X, A12, A4
  const struct {
    std::string what;
    std::string row;
    std::array<double, 7> values;
  } cases[] = {
      {"every field full",
       "100.4510.2134000006.08710000008.345200000090.000000000105.3120000089.999999999" + tail,
       {100.45, 10.2134, 6.0871, 8.3452, 90, 105.312, 89.999999999}},
      {"every value at its field's first column",
       "-99.9910.2134     6.0871      8.3452      90.5        105.312     89.5        " + tail,
       {-99.99, 10.2134, 6.0871, 8.3452, 90.5, 105.312, 89.5}},
      {"every value at its field's last column, no volume",
       "  1.05     10.2134      6.0871      8.3452        90.5     105.312        89.5",
       {1.05, 10.2134, 6.0871, 8.3452, 90.5, 105.312, 89.5}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto read = formats::parse_series("! title\r\n" + c.row + "\r\n");
    ASSERT_TRUE(read) << read.error().message;
    ASSERT_EQ(1U, read->rows.size());
    const formats::SeriesRow& r = read->rows[0];
    const crystal::Cell& cell = r.cell;
    EXPECT_EQ(c.values, (std::array<double, 7>{r.temperature, cell.a, cell.b, cell.c, cell.alpha,
                                               cell.beta, cell.gamma}));
  }
  // A field of blanks is no number, each named with its columns.
  const std::string full = cases[0].row;
  const struct {
    const char* name;
    std::size_t first, last;  // columns, from 1
  } fields[] = {{"temperature", 1, 6}, {"a", 7, 18},     {"b", 19, 30},    {"c", 31, 42},
                {"alpha", 43, 54},     {"beta", 55, 66}, {"gamma", 67, 78}};
  for (const auto& f : fields) {
    std::string row = full;
    const std::string blanks(f.last - f.first + 1, ' ');
    row.replace(f.first - 1, blanks.size(), blanks);
    const auto read = formats::parse_series("! title\n" + row + "\n");
    ASSERT_FALSE(read) << f.name;
    EXPECT_EQ(std::string(f.name) + " (columns " + std::to_string(f.first) + "-" +
                  std::to_string(f.last) + ") is not a number: |" + blanks + "|",
              read.error().message);
  }
}

TEST(SeriesRead, WhitespaceTablesOfSevenAndEightColumns) {
  const std::string seven =
      "# T a b c alpha beta gamma\n\n100 5.1 6.2 7.3 90 101.5 90  # first\n"
      "  +150.5\t5.2 6.3 7.4 90 101.6 90\n";
  const std::string eight = "# PASCal layout\n100 0.1 5.1 6.2 7.3 90 101.5 90\n";
  const auto a = formats::parse_series(seven);
  const auto b = formats::parse_series(eight);
  ASSERT_TRUE(a);
  ASSERT_TRUE(b);
  const formats::Series& sa = *a;
  ASSERT_EQ(2U, sa.rows.size());
  EXPECT_EQ(4, sa.rows[1].line);
  EXPECT_EQ(150.5, sa.rows[1].temperature);
  EXPECT_EQ(101.6, sa.rows[1].cell.beta);
  const formats::Series& sb = *b;
  ASSERT_EQ(1U, sb.rows.size());
  EXPECT_EQ(5.1, sb.rows[0].cell.a);  // sigma_T left out
  EXPECT_EQ(90, sb.rows[0].cell.gamma);
}

// A byte-order mark and lines converted twice (CR CR LF), in both layouts;
// every value in overflow form named.
TEST(SeriesRead, ByteOrderMarkDoubledCarriageReturnsAndOverflowedValues) {
  const std::string bom = "\xEF\xBB\xBF";
  std::string table = bom;
  for (const std::string& line : kInputCellHeader) table += line + "\r\r\n";
  std::string both = kRowOverflow;
  both.replace(78, 13, std::string(13, '*'));
  std::string a_and_volume = kRow125;
  a_and_volume.replace(6, 12, std::string(12, '*')).replace(78, 13, std::string(13, '*'));
  // The volume is not read: a row whose volume alone overflowed keeps its cell.
  std::string volume = kRow125;
  volume.replace(78, 13, std::string(13, '*'));
  table += kRow100 + "\r\r\n" + both + "\r\r\n" + a_and_volume + "\r\r\n" + volume + "\r\r\n";
  const auto read = formats::parse_series(table);
  ASSERT_TRUE(read) << read.error().line << ": " << read.error().message;
  ASSERT_EQ(2U, read->rows.size());
  EXPECT_EQ(125.0, read->rows[1].temperature);
  ASSERT_EQ(2U, read->skipped.size());
  EXPECT_EQ("temperature in overflow form (asterisks)", read->skipped[0].reason);
  EXPECT_EQ("a in overflow form (asterisks)", read->skipped[1].reason);

  const auto free =
      formats::parse_series(bom + "100 5 6 7 90 90 90\r\r\n****** 5 ** 7 90 90 90\r\n");
  ASSERT_TRUE(free) << free.error().message;
  ASSERT_EQ(1U, free->rows.size());
  EXPECT_EQ(100.0, free->rows[0].temperature);
  EXPECT_EQ("column 1 and column 3 in overflow form (asterisks)", free->skipped.at(0).reason);
}

TEST(SeriesRead, FaultsAreNamedWithTheirLine) {
  struct Case {
    std::string text;
    int line;
    std::string message;
  };
  const std::string header = "! title\n";
  const Case cases[] = {
      {header + kRow100 + "\n" + kRow100.substr(0, 77) + "\n", 3,
       "a table row holds T a b c alpha beta gamma in columns 1-78; this one ends at column 77"},
      {header + kRow100.substr(0, 54) + "     10x.111" + kRow100.substr(66) + "\n", 2,
       "beta (columns 55-66) is not a number: |     10x.111|"},
      {"100 5 6 7 90 90\n", 1,
       "expected 7 columns (T a b c alpha beta gamma) or 8 (T sigma_T a b c alpha beta gamma, or "
       "T a b c alpha beta gamma V), found 6"},
      {"100 5 6 7 90 90 90\n#\n200 0.1 5 6 7 90 90 90\n", 3,
       "8 columns where the rows above have 7"},
      // A short row below rows of eight: told, not read past its end.
      {"100 5 6 7 90 90 90 210\n200 5 6 7 90 90 90\n", 2, "7 columns where the rows above have 8"},
      {"100 5 6 7 90 nan 90\n", 1, "column 6 is not a number: |nan|"},
      {"100 5 6 7 90 90 200\n", 1, "a cell angle of 200 is not between 0 and 180 degrees"},
      {"100 5 6 7 0 90 90\n", 1, "a cell angle of 0 is not between 0 and 180 degrees"},
      {"100 5 0 7 90 90 90\n", 1, "a cell length of 0 is not between 0.1 and 10000 A"},
      {"100 5 6 7 90 90 90\n100 5 0.09 7 90 90 90\n", 2,
       "a cell length of 0.09 is not between 0.1 and 10000 A"},
      {"100 5 6 10000.5 90 90 90\n", 1, "a cell length of 10000.5 is not between 0.1 and 10000 A"},
      {"100001 5 6 7 90 90 90\n", 1, "a temperature of 100001 K is beyond 100000 K"},
      {"-2e5 5 6 7 90 90 90\n", 1, "a temperature of -2e+05 K is beyond 100000 K"},
      {"100 5 6 7 60 60 120\n", 1,
       "the angles 60.000, 60.000, 120.000 close no volume: not a cell"},
      {std::string("100 5 6 7 90 90 90\n\0\n", 21), 2, "a NUL byte: not a text file"},
      // Neither a volume nor a temperature's SU in the 8th column.
      {"100 -0.5 3.6149 3.6149 3.6149 90 90 90\n", 1,
       "column 2 is an SU, and negative: -0.5: 8 columns are T sigma_T a b c alpha beta gamma or "
       "T a b c alpha beta gamma V, and the rows fit neither (the 8th column is not the volume of "
       "columns 2-7)"},
      {"100 3.6149 3.6149 3.6149 90 90 90 47.24\n200 3.6190 3.6190 3.6190 90 90 90 190\n", 2,
       "a cell angle of 190 is not between 0 and 180 degrees: 8 columns are T sigma_T a b c alpha "
       "beta gamma or T a b c alpha beta gamma V, and the rows fit neither (the 8th column is not "
       "the volume of columns 2-7)"},
      {"# c\nT a b c alpha beta pressure\n", 2,
       "column 7 is named |pressure|, not one of T a b c alpha beta gamma V or an SU of one "
       "(sigma_T, su_a, a_su, sa)"},
      {"T a b c alpha beta\n", 1, "the header row names no column gamma"},
      {"T a b c alpha beta gamma a\n", 1, "column 8 names a again"},
      {"T,a,b,c,alpha,beta,gamma\n100,5,6,7,90,90\n", 2, "6 columns where the rows above have 7"},
  };
  for (const Case& c : cases) {
    const auto read = formats::parse_series(c.text);
    ASSERT_FALSE(read) << c.message;
    EXPECT_EQ(c.line, read.error().line) << c.message;
    EXPECT_EQ(c.message, read.error().message);
  }
}

// One value that is no number in a table of eight columns is told with its
// line and column alone, whichever layout the other rows settle.
TEST(SeriesRead, AValueThatIsNoNumberIsNotBlamedOnTheLayout) {
  const std::string volume[] = {"100 3.6149 3.6149 3.6149 90 90 90 47.24\n",
                                "200 3.6190 VALUE 3.6190 90 90 90 47.40\n",
                                "300 3.6230 3.6230 3.6230 90 90 90 47.56\n"};
  const std::string sigma[] = {"100 0.5 3.6149 3.6149 3.6149 90 90 90\n",
                               "200 0.5 VALUE 3.6190 3.6190 90 90 90\n",
                               "300 0.5 3.6230 3.6230 3.6230 90 90 90\n"};
  for (const std::string value : {"0,5", "nan", "1e400"}) {
    for (const auto* rows : {volume, sigma}) {
      std::string text = rows[0] + rows[1] + rows[2];
      text.replace(text.find("VALUE"), 5, value);
      const auto read = formats::parse_series(text);
      ASSERT_FALSE(read) << text;
      EXPECT_EQ(2, read.error().line);
      EXPECT_EQ("column 3 is not a number: |" + value + "|", read.error().message);
    }
  }
}

// Eight columns read on the evidence of the 8th (copper's volume 3.6149^3 =
// 47.2380 A^3, written to 2 decimals), and tables whose header row names the
// columns, with blanks or commas between them.
TEST(SeriesRead, ColumnsReadOnEvidenceAndByTheirNames) {
  const struct {
    const char* name;
    std::string text;
    std::array<double, 4> first;  // T, a, c, gamma of the first row
    std::optional<double> su_a;
    std::string note;
  } cases[] = {
      {"volume",
       "100 3.6149 3.6149 3.6149 90 90 90 47.24\n200 3.6190 3.6190 3.6190 90 90 90 47.40\n",
       {100, 3.6149, 3.6149, 90},
       {},
       "8 columns read as T a b c alpha beta gamma V: the 8th is the volume of columns 2-7 on "
       "every "
       "row"},
      {"sigma_T", "100 0.5 3.6149 3.6149 3.6149 90 90 90\n", {100, 3.6149, 3.6149, 90}, {}, ""},
      {"header",
       "Temperature(K)  c  b  a  al be ga sigma_a V\n100 7 6 5 90 90 90 0.002 210\n",
       {100, 5, 7, 90},
       0.002,
       ""},
      {"commas",
       "\"T_K\",\"a [A]\",b,c,alpha,beta,gamma\n150, 5.1(3) ,6,7,90,90,91\n",
       {150, 5.1, 7, 91},
       0.3,
       ""},
      {"commas, no header", "150,5.1,6,7,90,90,91\n", {150, 5.1, 7, 91}, {}, ""},
  };
  for (const auto& c : cases) {
    const auto read = formats::parse_series(c.text);
    ASSERT_TRUE(read) << c.name << ": " << read.error().message;
    const formats::SeriesRow& row = read->rows.at(0);
    EXPECT_EQ(c.first,
              (std::array<double, 4>{row.temperature, row.cell.a, row.cell.c, row.cell.gamma}))
        << c.name;
    EXPECT_EQ(c.su_a, row.su.a) << c.name;
    EXPECT_EQ(c.note, read->notes.empty() ? "" : read->notes.at(0)) << c.name;
  }
}

}  // namespace
