// A listed file to its cells: the one rule that reconciles a file's own
// temperatures with the list's, for files of one cell and of several.
#include "formats/listed_entry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "formats/cell_list.h"

namespace {

std::string cif(const std::string& block, const std::string& temperature) {
  return "data_" + block +
         "\n_cell_length_a 5\n_cell_length_b 6\n_cell_length_c 7\n"
         "_cell_angle_alpha 90\n_cell_angle_beta 90\n_cell_angle_gamma 90\n" +
         (temperature.empty() ? "" : "_cell_measurement_temperature " + temperature + "\n");
}

struct Taken {
  double temperature;
  std::optional<double> su;
};

TEST(ListedEntry, TemperaturesReconciledByOneRule) {
  const std::string swapped =
      "x.cif states 293.0(20) K but the list, line 4 gives 100 K; the list's temperature is used";
  const struct {
    const char* what;
    std::string bytes;
    std::vector<Taken> taken;
    std::vector<std::string> warnings;
  } cases[] = {
      {"agrees: its SU kept", cif("a", "100(2)"), {{100, 2.0}}, {}},
      {"within three SUs", cif("a", "105(2)"), {{100, 2.0}}, {}},
      {"beyond three SUs", cif("a", "293(2)"), {{100, std::nullopt}}, {swapped}},
      {"no SU, within 0.5 K", cif("a", "100.4"), {{100, std::nullopt}}, {}},
      {"no SU, beyond 0.5 K",
       cif("a", "100.6"),
       {{100, std::nullopt}},
       {"x.cif states 100.6 K but the list, line 4 gives 100 K; the list's temperature is used"}},
      {"none of its own", cif("a", ""), {{100, std::nullopt}}, {}},
      {"rows at their own temperatures",
       "# T a b c al be ga\n95(1) 5 6 7 90 90 90\n200 5 6 7 90 90 90\n300 5 6 7 90 90 90\n",
       {{95, 1.0}, {200, std::nullopt}, {300, std::nullopt}},
       {}},
      {"blocks at the list's one temperature",
       cif("a", "") + cif("b", "100(1)"),
       {{100, std::nullopt}, {100, 1.0}},
       {"x.cif gives 2 cells; all written at 100.00 K"}},
      {"two of three at one temperature",
       cif("a", "") + cif("b", "") + cif("c", "150"),
       {{100, std::nullopt}, {100, std::nullopt}, {150, std::nullopt}},
       {"x.cif gives 3 cells; 2 written at 100.00 K"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    formats::ListedBytes file(c.bytes, "x.cif");
    const auto read =
        formats::read_listed_file({"x.cif", 100, "the list", 4}, file, formats::CellChoice::kInput);
    ASSERT_TRUE(read) << read.error().message;
    ASSERT_EQ(c.taken.size(), read->cells.size());
    for (std::size_t i = 0; i < c.taken.size(); ++i) {
      EXPECT_EQ(c.taken[i].temperature, read->cells[i].temperature.value_or(-1)) << i;
      EXPECT_EQ(c.taken[i].su, read->cells[i].temperature_su) << i;
    }
    std::vector<std::string> told = read->warnings;
    told.insert(told.end(), read->shared.begin(), read->shared.end());
    EXPECT_EQ(c.warnings, told);
  }
}

// A pressure series reconciles pressures by the same rule, and a CIF's
// kilopascals are read as GPa with their SU and their digits.
TEST(ListedEntry, PressuresReconciledAndTemperaturesLeftAlone) {
  const auto at = [](const std::string& kpa) {
    return cif("a", "293(2)") + "_diffrn_ambient_pressure " + kpa + "\n";
  };
  const struct {
    const char* what;
    std::string bytes;
    std::vector<Taken> taken;  // pressures, GPa
    std::vector<std::string> warnings;
  } cases[] = {
      {"agrees: its SU kept", at("500000(20000)"), {{0.5, 0.02}}, {}},
      {"beyond three SUs",
       at("800000(20000)"),
       {{0.5, std::nullopt}},
       {"x.cif states 0.800(20) GPa but the list, line 4 gives 0.5 GPa; the list's pressure is "
        "used"}},
      {"no SU, within 0.05 GPa", at("540000"), {{0.5, std::nullopt}}, {}},
      {"no SU, beyond 0.05 GPa",
       at("560000"),
       {{0.5, std::nullopt}},
       {"x.cif states 0.56 GPa but the list, line 4 gives 0.5 GPa; the list's pressure is used"}},
      {"no pressure of its own, a temperature not compared", cif("a", "293(2)"), {{0.5, {}}}, {}},
      {"blocks at the list's one pressure",
       cif("a", "") + cif("b", ""),
       {{0.5, std::nullopt}, {0.5, std::nullopt}},
       {"x.cif gives 2 cells; all written at 0.5 GPa"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    formats::ListedBytes file(c.bytes, "x.cif");
    const auto read =
        formats::read_listed_file({"x.cif", 0.5, "the list", 4, crystal::Abscissa::kPressure}, file,
                                  formats::CellChoice::kInput);
    ASSERT_TRUE(read) << read.error().message;
    ASSERT_EQ(c.taken.size(), read->cells.size());
    for (std::size_t i = 0; i < c.taken.size(); ++i) {
      EXPECT_EQ(c.taken[i].temperature, read->cells[i].pressure.value_or(-1)) << i;
      EXPECT_EQ(c.taken[i].su, read->cells[i].pressure_su) << i;
    }
    std::vector<std::string> told = read->warnings;
    told.insert(told.end(), read->shared.begin(), read->shared.end());
    EXPECT_EQ(c.warnings, told);
  }

  const struct {
    const char* kpa;
    double gpa;
    std::optional<double> su;  // nothing: the pressure is refused
  } kilopascals[] = {
      {"200000", 0.2, std::nullopt},
      {"101.325(5)", 0.000101325, 5e-9},
      {"100(50000)", 0.0001, 0.05},           // a gauge read at ambient pressure
      {"5000000(6000000)", 5, std::nullopt},  // an SU larger than a pressure not near zero
  };
  for (const auto& k : kilopascals) {
    SCOPED_TRACE(k.kpa);
    const auto read = formats::read_cells(formats::CellFormat::kCif, at(k.kpa), "x.cif");
    if (k.gpa == 5) {
      ASSERT_FALSE(read);
      EXPECT_NE(std::string::npos, read.error().message.find("an SU larger than its value"));
      continue;
    }
    ASSERT_TRUE(read) << read.error().message;
    EXPECT_EQ(k.gpa, read->entries.at(0).pressure.value_or(-1));
    EXPECT_EQ(k.su, read->entries.at(0).pressure_su);
    EXPECT_EQ(293, read->entries.at(0).temperature.value_or(-1));
  }
}

// Volumes against pressure, P-V tables and EosFit data, read as points
// under --pressure and told apart from cells against temperature.
TEST(ListedEntry, PvTablesAndEosFitDataGivePoints) {
  const struct {
    const char* what;
    std::string bytes;
    double p, v;
    std::optional<double> sigma_p;
    bool has_cell;
    std::string error;  // of the first row, when it is refused
  } cases[] = {
      {"CSV, empty SU", "p,sigma_p,V,sigma_V\n0.5,,110.9,0.003\n", 0.5, 110.9, {}, false, ""},
      {"whitespace, cell", "P(GPa) sigma_p a b c alpha beta gamma\n1 0 5 6 7 90 90 90\n", 1, 210,
       0.0, true, ""},
      {"EosFit", "TITLE q\n! c\nFORMAT 1 P SIGP V SIGV\n0.0001 0.1 112.98 0.002 ! n\n", 0.0001,
       112.98, 0.1, false, ""},
      {"not a number",
       "p V\n0,5 100\n",
       0,
       0,
       {},
       false,
       "line 2: column 1 (p) is not a number: |0,5|"},
      {"EosFit keyword",
       "TITLE q\nFORMAT P V\nPSCALE 1 KBAR\n",
       0,
       0,
       {},
       false,
       "line 3: PSCALE names |1 KBAR|, not a unit read here (GPA, KBAR, MPA)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto read = formats::read_dated_file("x", c.bytes, crystal::Abscissa::kPressure);
    if (!c.error.empty()) {
      ASSERT_FALSE(read);
      EXPECT_EQ("x, " + c.error, read.error().message);
      continue;
    }
    ASSERT_TRUE(read) << read.error().message;
    const crystal::CellEntry& e = read->cells.at(0);
    EXPECT_EQ(c.p, e.pressure.value_or(-1));
    EXPECT_EQ(c.sigma_p, e.pressure_su);
    EXPECT_EQ(c.has_cell, e.has_cell);
    EXPECT_NEAR(c.v, crystal::point_volume(e), 1e-9);
    EXPECT_FALSE(formats::read_dated_file("x", c.bytes));  // not under temperature
  }
}

// Bytes had another way: DIRAX output scanned by the file's own scan, and a
// file too large to be read whole refused before any reader sees it.
class FakeFile final : public formats::ListedFile {
 public:
  explicit FakeFile(std::string start) : start_(std::move(start)) {}
  std::string_view start() override { return start_; }
  bool whole(std::string_view* bytes) override {
    *bytes = start_;
    return false;
  }
  formats::CellRecord scan_dirax(formats::CellChoice, std::vector<std::string>& /*told*/) override {
    formats::CellRecord record;
    record.a = 5;
    return record;
  }

 private:
  std::string start_;
};

TEST(ListedEntry, DiraxScannedAndTooLargeRefused) {
  FakeFile dirax("DIRAX log\n");
  const auto scanned =
      formats::read_listed_file({"d.out", 125.5, "b", 3}, dirax, formats::CellChoice::kInput);
  ASSERT_TRUE(scanned);
  EXPECT_EQ(formats::CellFormat::kDirax, scanned->format);
  ASSERT_TRUE(scanned->dirax);
  EXPECT_EQ(5.0F, scanned->dirax->a);
  EXPECT_EQ(125.5F, scanned->dirax->temperature);

  FakeFile large(cif("a", ""));
  const auto refused =
      formats::read_listed_file({"a.cif", 100, "b", 3}, large, formats::CellChoice::kInput);
  ASSERT_FALSE(refused);
  EXPECT_EQ("as CIF: the file is larger than 64 MiB", refused.error().message);
}

// A file whose reader fails is DIRAX output where it holds a DIRAX cell
// line, also one without a readable cell; otherwise the reader's error.
TEST(ListedEntry, DiraxCellLinesOutweighAFailedReader) {
  const std::string unreadable = "Conventional : a= x b= y c= z alpha= beta= gamma= P\n";
  const std::string conventional =
      "Conventional : a= 5.5 b= 6 c= 7 alpha= 90 beta= 90 gamma= 90  P\n";
  const struct {
    std::string bytes;
    bool dirax;
    float a;  // of the DIRAX scan
  } cases[] = {
      {"TITL run\nCELL 0.7 5 6 x 90 90 90\nLATT 1\n" + unreadable, true, 0},
      {"TITL run\nCELL 0.7 5 6 x 90 90 90\nLATT 1\n" + conventional, true, 5.5F},
      {"TITL run\nCELL 0.7 5 6 x 90 90 90\nLATT 1\n {Input cell a= 5 b= 6 c= 7 alpha= 90 "
       "beta= 90 gamma= 90 }\n",
       true, 0},
      {"data_x\n_cell_length_a 5\n" + conventional, true, 5.5F},
      {"TITL run\nCELL 0.7 5 6 x 90 90 90\nLATT 1\nVolume : 210.0 ; System: cubic ;\n", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    formats::ListedBytes file(c.bytes, "f");
    const auto read = formats::read_listed_file({"f", 100, "the list", 3}, file,
                                                formats::CellChoice::kConventional);
    ASSERT_EQ(c.dirax, read.has_value());
    if (!c.dirax) {
      EXPECT_EQ("as SHELX instructions: line 2: CELL: not a number: x", read.error().message);
      continue;
    }
    EXPECT_EQ(formats::CellFormat::kDirax, read->format);
    ASSERT_TRUE(read->dirax);
    EXPECT_EQ(c.a, read->dirax->a);
  }
}

TEST(ListedEntry, DecimalCommaAfterTheTemperatureIsFound) {
  const struct {
    std::string entry;
    bool comma;
  } cases[] = {
      {"a.cif 100,5", true},  {"a.cif  100,5 ! note", true}, {"'a,1.cif' 100,25", true},
      {"a.cif\n100,5", true}, {"a.cif 100.5", false},        {"run1,100", false},
      {"'x,1' 100", false},   {"a.cif, 100, 5", false},      {"a.cif 100,", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    const auto list = formats::parse_cell_list("T \r\nh\n" + c.entry + "\n");
    ASSERT_TRUE(list);
    EXPECT_EQ("T", list->title);
    ASSERT_EQ(1U, list->entries.size());
    EXPECT_EQ(c.comma, list->entries.front().decimal_comma);
  }
}

}  // namespace
