// korvex-expansion's HTML page: a valid HTML5 document whose numbers are the
// JSON's, that reaches nothing outside itself, under a hostile file name, and
// the same of a pressure series; the same read back from the DOM a browser
// makes of it.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/number_text.h"
#include "test_util.h"

namespace {

using testutil::run_program;
using testutil::ScopedTempDir;

// A monoclinic cell heating from 100 K to 300 K, each parameter with an SU,
// one CIF a point; the first file's name is one a page must escape.
std::vector<std::string> write_series(const ScopedTempDir& dir) {
  std::vector<std::string> names;
  for (int i = 0; i < 5; ++i) {
    const std::string name = i == 0 ? "<b>&\"x'\xEF\xBF\xBF.cif" : "p" + std::to_string(i) + ".cif";
    testutil::write_file(
        dir.file(name),
        common::format_text("data_p\n_cell_length_a %.4f(3)\n_cell_length_b %.4f(4)\n"
                            "_cell_length_c %.4f(3)\n_cell_angle_alpha 90\n"
                            "_cell_angle_beta %.3f(2)\n_cell_angle_gamma 90\n"
                            "_cell_measurement_temperature %d\n",
                            5 + 0.0021 * i + 1e-4 * i * i, 6 + 0.0003 * i, 7 - 0.0007 * i,
                            103 + 0.011 * i, 100 + 50 * i));
    names.push_back(name);
  }
  return names;
}

// An orthorhombic cell under pressure, 0.1 GPa to 6.1 GPa, its a growing,
// each length with an SU, in a table.
std::string write_pressure_series(const ScopedTempDir& dir) {
  std::string table = "# p sigma_p a b c alpha beta gamma\n";
  for (int i = 0; i < 9; ++i) {
    const double p = 0.1 + 0.75 * i;
    table += common::format_text("%.2f 0.03 %.4f(4) %.4f(5) %.4f(3) 90 90 90\n", p,
                                 8 * (1 + 0.011 * std::pow(p + 0.35, 0.55)),
                                 9 * (1 - 0.021 * std::pow(p + 0.1, 0.8)), 7 * (1 - 0.006 * p));
  }
  testutil::write_file(dir.file("p.tsv"), table);
  return "p.tsv";
}

// The page and the JSON of one run in `dir`: on the temperature series with
// cubic fits, or on the pressure series.
void write_page(const ScopedTempDir& dir, bool pressure = false) {
  std::vector<std::string> args = {EXPANSION_BIN, "--draws", pressure ? "50" : "200"};
  if (pressure) {
    args.insert(args.end(), {"--pressure", "--pc", "0.1", write_pressure_series(dir)});
  } else {
    args.insert(args.end(), {"--fit", "cubic"});
    for (const std::string& name : write_series(dir)) args.push_back(name);
  }
  std::vector<std::string> html = args;
  html.insert(html.end(), {"--html", "page.html"});
  const auto r = run_program(html, dir.path(), "");
  ASSERT_EQ(0, r.exit_status) << r.err;
  EXPECT_NE(std::string::npos, r.out.find("\n HTML page written: page.html\n")) << r.out;
  args.insert(args.end(), {"--format", "json"});
  const auto j = run_program(args, dir.path(), "");
  ASSERT_EQ(0, j.exit_status) << j.err;
  testutil::write_file(dir.file("page.json"), j.out);
}

// The page check's verdict; skipped without a Python with html5lib.
void check_page(const ScopedTempDir& dir, const char* mode, const std::string& page) {
#ifndef HTML5LIB_PYTHON
  GTEST_SKIP() << "no Python with html5lib (python3-html5lib) to parse the page";
#else
  const auto py = run_program(
      {HTML5LIB_PYTHON, TESTS_DIR "/korvex-expansion/page_check.py", mode, page, "page.json"},
      dir.path(), "");
  EXPECT_EQ(0, py.exit_status) << py.err;
  EXPECT_LT(60, std::stoi("0" + py.out)) << "numbers checked: " << py.out;
#endif
}

TEST(ExpansionPage, ValidHtml5WithTheJsonNumbersAndNothingOutside) {
  ScopedTempDir dir;
  write_page(dir);
  const std::string page = testutil::read_file(dir.file("page.html"));
  EXPECT_NE(std::string::npos, page.find("&lt;b&gt;&amp;&quot;x&apos;?.cif")) << page;
  EXPECT_EQ(std::string::npos, page.find("<b>&")) << page;
  check_page(dir, "strict", "page.html");
}

// The page of a pressure series: its compressibilities, fits and equations
// of state, every number the JSON's.
TEST(ExpansionPage, PressurePageValidWithTheJsonNumbers) {
  ScopedTempDir dir;
  write_page(dir, true);
  check_page(dir, "strict", "page.html");
}

TEST(ExpansionPage, BrowserShowsTheJsonNumbers) {
  for (const bool pressure : {false, true}) {
    SCOPED_TRACE(pressure ? "pressure" : "temperature");
    ScopedTempDir dir;
    const auto which = run_program({"/bin/sh", "-c", "command -v chromium"}, dir.path(), "");
    if (which.exit_status != 0) GTEST_SKIP() << "no chromium to open the page";
    write_page(dir, pressure);
    const auto dom =
        run_program({"/bin/sh", "-c",
                     "exec timeout 120 chromium --headless --no-sandbox --disable-gpu "
                     "--disable-quic --no-first-run --disable-background-networking "
                     "--disable-component-update --disable-sync --user-data-dir=\"$PWD/profile\" "
                     "--dump-dom \"file://$PWD/page.html\" 2>/dev/null"},
                    dir.path(), "");
    ASSERT_EQ(0, dom.exit_status);
    testutil::write_file(dir.file("dom.html"), dom.out);
    check_page(dir, "dom", "dom.html");
  }
}

}  // namespace
