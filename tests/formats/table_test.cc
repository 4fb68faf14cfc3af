#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/cell_record.h"
#include "formats/table_file.h"
#include "textrec/textrec.h"
#include "textrec/unit_util.h"

namespace formats {
namespace {

using unittest::bar;
using unittest::file_records;
using unittest::MemoryRun;
using Records = std::vector<std::string>;

const std::string kHeading =
    "!   TK        a(A)        b(A)        c(A)  alpha(deg)   beta(deg)   gamma(deg)  volume(A3)  "
    "symmetry       Bravais  ";
const std::string kRule = "!" + std::string(200, '-');

// The records of the table after the given writes, the file closed.
template <typename Writes>
Records table_after(MemoryRun& run, Writes writes) {
  textrec::create_file(formats::kTableChannel, formats::kTableFileName);
  writes();
  textrec::close_channel(formats::kTableChannel);
  return file_records(run.fs.files[formats::kTableFileName]);
}

formats::CellRecord example_cell() {
  formats::CellRecord cell;
  cell.temperature = 100;
  cell.a = cell.b = 5.4321F;
  cell.c = 12.3456F;
  cell.alpha = cell.beta = 90;
  cell.gamma = 120;
  cell.volume = 315.4321F;
  textrec::set_text(cell.system, "hexagonal");
  cell.lattice = "P";
  return cell;
}

std::string example_row() {
  MemoryRun run;
  const Records records = table_after(run, [] { formats::write_table_row(example_cell()); });
  return records.size() == 1 ? records[0] : "";
}

TEST(TableFile, RowOfTheExample) {
  const std::string row = example_row();
  EXPECT_EQ(
      bar("100.00     5.43210     5.43210    12.34560      90.000      90.000     120.000      "
          "315.432  hexagonal      P"),
      bar(row));
  EXPECT_EQ(109U, row.size());
}

TEST(TableFile, HeaderAfterEitherCellChoice) {
  MemoryRun run;
  const std::string title = "Heating series 100-325 K";
  EXPECT_EQ(
      (Records{"! Heating series 100-325 K", "! Cell parameters extracted from input cell.",
               "! Bravais lattice and volume are related to conventionnal unit cell.", kHeading,
               kRule}),
      table_after(run, [&] { formats::write_table_header(title, formats::CellChoice::kInput); }));
  EXPECT_EQ((Records{"! Heating series 100-325 K",
                     "! Cell parameters extracted from conventionnal cell.", kHeading, kRule}),
            table_after(run, [&] {
              formats::write_table_header(title, formats::CellChoice::kConventional);
            }));
  EXPECT_EQ(117U, kHeading.size());
  EXPECT_EQ(201U, kRule.size());
  // Rows of other programs' files say so, after the notes of the cell choice
  // when DIRAX rows are there too.
  const std::string other(formats::kTableOtherFilesNote);
  EXPECT_EQ((Records{"! Heating series 100-325 K", other, kHeading, kRule}), table_after(run, [&] {
              formats::write_table_header(title, formats::CellChoice::kInput,
                                          formats::TableSources::kOtherFiles);
            }));
  EXPECT_EQ(
      (Records{"! Heating series 100-325 K", "! Cell parameters extracted from conventionnal cell.",
               other, kHeading, kRule}),
      table_after(run, [&] {
        formats::write_table_header(title, formats::CellChoice::kConventional,
                                    formats::TableSources::kBoth);
      }));
}

TEST(TableFile, VolumesBeyondTheFieldAreTold) {
  for (const auto& [volume, fits] :
       {std::pair{500.404F, true}, std::pair{123456789.0F, true}, std::pair{-12345678.0F, true},
        std::pair{1e9F, false}, std::pair{-123456789.0F, false}}) {
    EXPECT_EQ(fits, formats::table_volume_fits(volume)) << volume;
  }
}

TEST(TableFile, TitleRecord) {
  const struct {
    std::string title;
    std::string record;
  } cases[] = {
      {"", "! "},
      {"   ", "! "},
      {"  indented title  ", "!   indented title"},
      {std::string(128, 'T'), "! " + std::string(128, 'T')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(bar(c.title));
    MemoryRun run;
    std::string title = textrec::blank_text(128);
    textrec::set_text(title, c.title);
    const Records records = table_after(
        run, [&] { formats::write_table_header(title, formats::CellChoice::kConventional); });
    ASSERT_EQ(4U, records.size());
    EXPECT_EQ(bar(c.record), bar(records[0]));
  }
}

TEST(TableFile, HeadingLabelsEndOnTheirFieldsLastColumns) {
  // Last columns of the fields of a row: F6.2, 3F12.5, 3F12.3, F13.3.
  const struct {
    const char* label;
    std::size_t last_column;
  } labels[] = {
      {"TK", 6},          {"a(A)", 18},      {"b(A)", 30},       {"c(A)", 42},
      {"alpha(deg)", 54}, {"beta(deg)", 66}, {"gamma(deg)", 79},  // one past its field
      {"volume(A3)", 91},
  };
  for (const auto& l : labels) {
    const std::size_t at = kHeading.find(l.label);
    ASSERT_NE(std::string::npos, at) << l.label;
    EXPECT_EQ(l.last_column, at + std::string(l.label).size()) << l.label;
  }
  // The lattice letter of every row stands under the B of Bravais.
  const std::string row = example_row();
  ASSERT_EQ(109U, row.size());
  EXPECT_EQ('B', kHeading[108]);
  EXPECT_EQ('P', row[108]);
}

TEST(TableFile, SystemAndLatticeColumns) {
  const struct {
    std::string system;
    std::string lattice;
    std::string columns_92_to_109;
  } cases[] = {
      {"hexagonal", "P", "  hexagonal      P"},
      {"orthorhombic", "C", "  orthorhombic   C"},    // exactly 12: whole
      {"orthorhombic-X", "F", "  orthorhombic   F"},  // longer: its first 12
      {"rhombohedral-hexag", "R", "  rhombohedral   R"},
      {"", " ", "                  "},
      {"mono", "7", "  mono           7"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.system);
    MemoryRun run;
    formats::CellRecord cell = example_cell();
    textrec::set_text(cell.system, c.system);
    cell.lattice = c.lattice;
    const Records records = table_after(run, [&] { formats::write_table_row(cell); });
    ASSERT_EQ(1U, records.size());
    ASSERT_EQ(109U, records[0].size());
    EXPECT_EQ(bar(c.columns_92_to_109), bar(records[0].substr(91)));
  }
}

TEST(TableFile, TemperatureColumn) {
  const struct {
    float temperature;
    const char* columns_1_to_6;
  } cases[] = {
      {100.0F, "100.00"},  {295.15F, "295.15"}, {0.0F, "  0.00"},     {-0.004F, "  0.00"},
      {4.2F, "  4.20"},    {999.99F, "999.99"}, {999.996F, "******"}, {1000.0F, "******"},
      {-99.99F, "-99.99"}, {-100.0F, "******"}, {85.5F, " 85.50"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.temperature);
    MemoryRun run;
    formats::CellRecord cell = example_cell();
    cell.temperature = c.temperature;
    const Records records = table_after(run, [&] { formats::write_table_row(cell); });
    ASSERT_EQ(1U, records.size());
    EXPECT_EQ(bar(c.columns_1_to_6), bar(records[0].substr(0, 6)));
    // The rest of the row stays in its columns.
    EXPECT_EQ(109U, records[0].size());
  }
}

TEST(TableFile, HeaderThenRowsInOrder) {
  MemoryRun run;
  formats::CellRecord cell = example_cell();
  const Records records = table_after(run, [&] {
    formats::write_table_header("title", formats::CellChoice::kConventional);
    formats::write_table_row(cell);
    cell.temperature = 125;
    formats::write_table_row(cell);
  });
  ASSERT_EQ(6U, records.size());
  EXPECT_EQ("100.00", records[4].substr(0, 6));
  EXPECT_EQ("125.00", records[5].substr(0, 6));
  for (std::size_t i = 0; i < records.size(); ++i)
    EXPECT_EQ(i < 4, records[i][0] == '!') << records[i];
}

}  // namespace
}  // namespace formats
