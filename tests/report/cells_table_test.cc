// The page's table of cells: a long series is listed thinned as its pictures
// are, every step-th row from the first, and the page says so.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/plot_points.h"
#include "expansion/analysis.h"
#include "report/html_parts.h"
#include "report/html_report.h"
#include "report/report.h"

namespace {

// The rows of the table of cells, by their row numbers.
std::vector<std::string> listed_rows(const std::string& page) {
  std::vector<std::string> rows;
  const std::size_t table = page.find("<table id=\"cells\"");
  const std::size_t end = page.find("</table>", table);
  const std::string mark = "<tr><td data-value=\"";
  for (std::size_t at = page.find(mark, table); at < end; at = page.find(mark, at + 1)) {
    const std::size_t from = at + mark.size();
    rows.push_back(page.substr(from, page.find('"', from) - from));
  }
  return rows;
}

TEST(CellsTable, ALongSeriesIsListedThinnedAndSaysSo) {
  const struct {
    std::size_t count, step;
  } steps[] = {{0, 1}, {4096, 1}, {4097, 2}, {8192, 2}, {8193, 3}, {100000, 25}};
  for (const auto& s : steps) EXPECT_EQ(s.step, chart::listing_step(s.count)) << s.count;
  EXPECT_EQ(1U, report::html::listed_step(1024));
  EXPECT_EQ(2U, report::html::listed_step(1025));

  const struct {
    std::size_t count;
    std::string note;  // empty: none
    std::vector<std::string> first_rows;
    std::size_t rows;
  } cases[] = {
      {1024, "", {"1", "2", "3"}, 1024},
      {12000,
       "12&#8239;000 points; the table shows every 12th; the JSON holds all.",
       {"1", "13", "25"},
       1000},
  };
  for (const auto& c : cases) {
    std::vector<crystal::CellEntry> cells(c.count);
    for (std::size_t i = 0; i < c.count; ++i) {
      cells[i].source = "t:line " + std::to_string(i + 1);
      cells[i].temperature = 100 + 0.01 * static_cast<double>(i);
      const double grown = 1 + 1e-5 * static_cast<double>(i);
      cells[i].cell = {5 * grown, 6 * grown, 7 * grown * grown, 90, 90, 90};
    }
    const auto result = expansion::analyse_series(
        cells, {0, {expansion::StrainKind::kNatural, true}, 1, false}, {0, 1});
    ASSERT_TRUE(result);
    const report::Source source{"t", {}, cells, {}, {}, {}, {}};
    const std::string page = report::html_report(*result, source, {}, {});
    const std::vector<std::string> rows = listed_rows(page);
    EXPECT_EQ(c.rows, rows.size()) << c.count;
    ASSERT_GE(rows.size(), 3U);
    EXPECT_EQ(c.first_rows, std::vector<std::string>(rows.begin(), rows.begin() + 3));
    EXPECT_EQ(!c.note.empty(), page.find(" points; the table shows every ") != std::string::npos);
    if (!c.note.empty()) {
      EXPECT_NE(std::string::npos, page.find(c.note)) << c.count;
    }
  }
}

}  // namespace
