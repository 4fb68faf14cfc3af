// The parameter table TK_parameters.xy: its records, defined once here, and
// the writer. The reader of korvex-expansion (series_table.h) takes its
// columns from the same definition.
//
// A few comment records saying where the values come from, then one
// 109-character row per DIRAX file that yielded a cell.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "formats/cell_record.h"

namespace formats {

inline constexpr const char* kTableFileName = "TK_parameters.xy";

// The header: the series title after "! ", the notes of the cell choice (two
// for the input cell, one for the conventional cell), the column heading, and
// a rule of "!" and 200 "-"; each record written "A".
inline constexpr std::string_view kTableTitlePrefix = "! ";
inline constexpr std::string_view kTableInputCellNote =
    "! Cell parameters extracted from input cell.";
inline constexpr std::string_view kTableInputCellVolumeNote =
    "! Bravais lattice and volume are related to conventionnal unit cell.";
inline constexpr std::string_view kTableConventionalCellNote =
    "! Cell parameters extracted from conventionnal cell.";
// The note for rows from cell files other than DIRAX output, after those of
// the cell choice when the table holds both.
inline constexpr std::string_view kTableOtherFilesNote =
    "! Rows of cell files other than DIRAX output: the cell each file gives (CIF, DIALS, XDS, "
    "SHELX, p4p, tables).";
inline constexpr std::string_view kTableHeading =
    "!   TK        a(A)        b(A)        c(A)  alpha(deg)   beta(deg)   gamma(deg)  volume(A3)  "
    "symmetry       Bravais  ";
inline constexpr int kTableRuleLength = 200;

// A row, and the names of the columns of its fields that take a value, in order.
inline constexpr std::string_view kTableRowLayout = "F6.2, 3F12.5, 3F12.3, F13.3, 2X, A12, A4";
inline constexpr std::array<std::string_view, 10> kTableColumnNames = {
    "temperature", "a", "b", "c", "alpha", "beta", "gamma", "volume", "system", "lattice"};

// A column of a row: its name, its first character (0-based) and its width.
struct TableColumn {
  std::string_view name;
  std::size_t from = 0;
  std::size_t width = 0;
};

// The columns of kTableColumnNames where kTableRowLayout puts them.
[[nodiscard]] const std::vector<TableColumn>& table_columns();

// The column of that name; the name must be one of kTableColumnNames.
[[nodiscard]] const TableColumn& table_column(std::string_view name);

// Where a table's rows come from: what its header notes say.
enum class TableSources {
  kDirax,       // DIRAX output alone: the notes of the cell choice
  kOtherFiles,  // other programs' cell files alone: kTableOtherFilesNote
  kBoth,        // the notes of the cell choice, then kTableOtherFilesNote
};

// The header's notes for the cell choice and the sources, in order.
[[nodiscard]] std::vector<std::string_view> table_notes(CellChoice choice, TableSources sources);

// The header records after the given cell choice and sources.
void write_table_header(std::string_view series_title, CellChoice choice,
                        TableSources sources = TableSources::kDirax);

// The largest table set_table_sources rewrites.
inline constexpr std::size_t kTableRewriteLimit = std::size_t{1} << 30;

// Sets the notes of the table written whole at `path` to those of the
// sources, its rows kept: for a pass that met other programs' files after the
// header went out with the notes of DIRAX output. False when it cannot.
[[nodiscard]] bool set_table_sources(const std::string& path, CellChoice choice,
                                     TableSources sources);

// One data row.
void write_table_row(const CellRecord& cell);

// Whether a volume fits its field of the row (F13.3); one that does not is
// written as asterisks.
[[nodiscard]] bool table_volume_fits(float volume);

}  // namespace formats
