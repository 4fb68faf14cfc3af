#include "formats/cell_file.h"

#include <algorithm>
#include <array>
#include <new>
#include <optional>
#include <string>

#include "common/files.h"
#include "formats/cell_tables.h"
#include "formats/cif_cells.h"
#include "formats/dials_expt.h"
#include "formats/eosfit_file.h"
#include "formats/p4p_file.h"
#include "formats/pv_table.h"
#include "formats/reader_parts.h"
#include "formats/series_table.h"
#include "formats/shelx_file.h"
#include "formats/xds_files.h"

namespace formats {
namespace {

// Whether `text` begins with `word`, compared in line: each test below fails
// at the first character on almost every line it sees.
bool begins_with(std::string_view text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i)
    if (text[i] != word[i]) return false;
  return true;
}

bool starts_with_any_case(std::string_view text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != word[i]) return false;
  }
  return true;
}

std::string_view without_leading_blanks(std::string_view line) {
  std::size_t first = 0;
  while (first < line.size() && (line[first] == ' ' || line[first] == '\t')) ++first;
  return line.substr(first);
}

// The first line, the first that is not blank, and the first that is neither
// blank nor a "#" comment (however many come before it), each without leading
// blanks; `rest` holds the lines after the first significant one.
struct Lines {
  std::string_view first;
  std::string_view first_not_blank;
  std::string_view first_significant;
  std::string_view significant_as_written;  // with its leading blanks
  std::string_view rest;
  bool significant_ended = false;  // a line end follows the first significant line
};

// Where the line that begins `text` ends: at its CR or LF, npos for none.
std::size_t line_end(std::string_view text) {
  const std::size_t lf = text.find('\n');
  const std::size_t cr = text.substr(0, lf).find('\r');
  return cr != std::string_view::npos ? cr : lf;
}

Lines lines_of(std::string_view start) {
  if (start.starts_with("\xEF\xBB\xBF")) start.remove_prefix(3);
  Lines lines;
  bool first = true;
  while (!start.empty()) {
    const std::size_t end = line_end(start);
    const std::string_view line = start.substr(0, end);
    const std::string_view text = without_leading_blanks(line);
    start.remove_prefix(end == std::string_view::npos ? start.size() : end + 1);
    if (first) lines.first = text;
    first = false;
    if (text.empty()) continue;
    if (lines.first_not_blank.empty()) lines.first_not_blank = text;
    if (text.front() == '#') continue;
    lines.first_significant = text;
    lines.significant_as_written = line;
    lines.significant_ended = end != std::string_view::npos;
    lines.rest = start;
    break;
  }
  return lines;
}

// The instruction a line opens as SHELX writes one: four capitals at the
// line's start, then a blank or the line's end ("CELL 0.71073 ...").
// Nothing for "Cell transformation", "  CELL" or "cell": SHELX reads those
// too, but as evidence of a SHELX file they are too often another program's.
std::string_view shelx_instruction(std::string_view line) {
  if (line.size() < 4) return {};
  for (std::size_t i = 0; i < 4; ++i)
    if (line[i] < 'A' || line[i] > 'Z') return {};
  if (line.size() > 4 && line[4] != ' ' && line[4] != '\t') return {};
  return line.substr(0, 4);
}

// A remark, REM as the first word in either case.
bool is_remark(std::string_view text) {
  const std::size_t word = std::min(text.find_first_of(" \t"), std::size_t{4});
  return shelx_keyword(text.substr(0, word)) == "REM";
}

// SHELX instructions: among the first instructions after REM and blank lines,
// TITL or CELL, and ZERR, LATT or SFAC besides, each as SHELX writes it
// (shelx_instruction); one such line alone is too often the first line of
// another program's log.
bool is_shelx(const Lines& lines) {
  constexpr int kLook = 12;  // instructions looked at
  bool title_or_cell = false, other = false;
  // The first instruction is one of those below or REM: a line that begins
  // with another character is none of them.
  const std::string_view first = lines.significant_as_written;
  if (first.empty() || std::string_view("TCZLSRr").find(first.front()) == std::string_view::npos)
    return false;
  LineCursor cursor(lines.rest);
  std::optional<std::string_view> line = first;
  for (int looked = 0; line && looked < kLook; line = cursor.next()) {
    const std::string_view text = without_leading_blanks(*line);
    if (text.empty() || is_remark(text)) continue;
    ++looked;
    const std::string_view keyword = shelx_instruction(*line);
    title_or_cell = title_or_cell || keyword == "TITL" || keyword == "CELL";
    other = other || keyword == "ZERR" || keyword == "LATT" || keyword == "SFAC";
    if (looked == 1 && !title_or_cell && !other) return false;
  }
  return title_or_cell && other;
}

// A header row that names the columns T_K and a_A among others, in any order.
bool is_csv_header(std::string_view line) {
  bool temperature = false, a = false;
  for (std::size_t at = 0; at <= line.size();) {
    const std::size_t end = std::min(line.find(',', at), line.size());
    const std::string_view name = line.substr(at, end - at);
    temperature = temperature || name == "T_K";
    a = a || name == "a_A";
    at = end + 1;
  }
  return temperature && a && line.find(',') != std::string_view::npos;
}

}  // namespace

std::string_view format_name(CellFormat format) {
  switch (format) {
    case CellFormat::kDirax:
      return "DIRAX output";
    case CellFormat::kCif:
      return "CIF";
    case CellFormat::kDials:
      return "DIALS experiment list";
    case CellFormat::kXdsCorrect:
      return "XDS CORRECT.LP";
    case CellFormat::kXdsXparm:
      return "XDS XPARM.XDS";
    case CellFormat::kP4p:
      return "SAINT p4p";
    case CellFormat::kShelx:
      return "SHELX instructions";
    case CellFormat::kTkTable:
      return "korvex table";
    case CellFormat::kKorvexCsv:
      return "korvex CSV";
    case CellFormat::kPascalTable:
      return "PASCal table";
    case CellFormat::kEosFit:
      return "EosFit data";
    case CellFormat::kPvTable:
      return "P-V table";
  }
  return "?";
}

namespace {

CellFormat format_of(std::string_view start, const Lines& lines) {
  const std::string_view first = lines.first_significant;
  if (begins_with(lines.first, "#\\#CIF_") || starts_with_any_case(first, "data_"))
    return CellFormat::kCif;
  if (lines.first_not_blank.starts_with('{') &&
      start.find("ExperimentList") != std::string_view::npos)
    return CellFormat::kDials;
  if (first.find("***** CORRECT *****") != std::string_view::npos) return CellFormat::kXdsCorrect;
  if (begins_with(first, "XPARM.XDS")) return CellFormat::kXdsXparm;
  if (begins_with(first, "FILEID")) return CellFormat::kP4p;
  if (is_shelx(lines)) return CellFormat::kShelx;
  if (is_eosfit_file(start)) return CellFormat::kEosFit;
  if (lines.first_not_blank.starts_with('!')) return CellFormat::kTkTable;
  if (is_csv_header(first)) return CellFormat::kKorvexCsv;
  if (is_pv_header(first)) return CellFormat::kPvTable;
  if (!first.empty() && opens_free_table(first)) return CellFormat::kPascalTable;
  return CellFormat::kDirax;
}

}  // namespace

Recognition recognise_look(std::string_view start) {
  const Lines lines = lines_of(start);
  return {format_of(start, lines), lines.significant_ended};
}

CellFormat recognise(std::string_view start) {
  return format_of(start, lines_of(start));
}

bool of_another_kind(std::string_view start) {
  using namespace std::string_view_literals;
  // Pictures, diffraction images, archives, documents and programs.
  static constexpr std::array kSignatures = {
      "\x89PNG"sv,  "\xFF\xD8\xFF"sv, "II*\0"sv,       "MM\0*"sv, "###CBF"sv,     "\x89HDF"sv,
      "\x1F\x8B"sv, "PK\x03\x04"sv,   "\xFD\x37zXZ"sv, "%PDF-"sv, "\x7F\x45LF"sv,
  };
  // Text begins with none of their first bytes but '#', 'I', 'M', 'P' and '%'.
  if (start.empty() ||
      std::string_view("#IMP%\x89\xFF\x1F\xFD\x7F").find(start.front()) == std::string_view::npos)
    return false;
  return std::any_of(kSignatures.begin(), kSignatures.end(),
                     [start](std::string_view signature) { return start.starts_with(signature); });
}

std::string not_a_cell_file(std::string_view name) {
  return std::string(name) + ": not a cell file korvex reads (" + std::string(kFormatsRead) + ")";
}

namespace {

common::Expected<CellRead> read_plain_cells(CellFormat format, std::string_view bytes,
                                            std::string_view source,
                                            const Interrupted& interrupted) {
  switch (format) {
    case CellFormat::kCif:
      return read_cif_cells(bytes, source, interrupted);
    case CellFormat::kDials:
      return read_dials_expt(bytes, source, interrupted);
    case CellFormat::kXdsCorrect:
      return read_xds_correct(bytes, source, interrupted);
    case CellFormat::kXdsXparm:
      return read_xds_xparm(bytes, source);
    case CellFormat::kP4p:
      return read_p4p(bytes, source, interrupted);
    case CellFormat::kShelx:
      return read_shelx(bytes, source, interrupted);
    case CellFormat::kTkTable:
    case CellFormat::kPascalTable:
      return read_series_cells(bytes, source, interrupted);
    case CellFormat::kKorvexCsv:
      return read_korvex_csv(bytes, source, interrupted);
    case CellFormat::kEosFit:
      return read_eosfit_file(bytes, source, interrupted);
    case CellFormat::kPvTable:
      return read_pv_table(bytes, source, interrupted);
    case CellFormat::kDirax:
      break;
  }
  return common::Error{0, "none of the cell-file formats read here"};
}

}  // namespace

common::Expected<CellRead> read_cells(CellFormat format, std::string_view bytes,
                                      std::string_view source, const Interrupted& interrupted) {
  try {
    std::string storage;
    const std::string_view text = plain_text(bytes, storage);
    auto read = read_plain_cells(format, text, source, interrupted);
    if (!read) {
      // A failure at the end of the text (a CIF text field or a JSON object
      // never closed) is on its last line, not the one after it.
      const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n') +
                                          (!text.empty() && text.back() != '\n' ? 1 : 0));
      return common::Error{std::min(read.error().line, std::max(lines, 1)), read.error().message};
    }
    return read;
  } catch (const std::bad_alloc&) {
    return common::Error{0, "not enough memory to read it"};
  }
}

common::Expected<CellRead> read_cell_file(const std::string& path) {
  COMMON_TRY(bytes, common::read_whole_file(path, kCellFileLimit));
  return read_cells(recognise(*bytes), *bytes, path);
}

}  // namespace formats
