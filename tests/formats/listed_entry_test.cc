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
