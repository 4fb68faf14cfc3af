// Parts shared by the readers of other programs' cell files: lines and their
// fields, the check that makes six numbers a cell entry, and the crystal
// system and lattice letter in the words the table uses.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/expected.h"
#include "formats/cell_read.h"
#include "formats/value_su.h"

namespace formats {

// The lines of a text one by one, each without its line end: LF with the CRs
// before it (CR LF, and CR CR LF from a file converted twice), or a CR alone as
// old Mac files end lines; the bytes after the last line end are one more line.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : rest_(text) {}
  // The next line, or nothing at the end of the text.
  [[nodiscard]] std::optional<std::string_view> next();
  [[nodiscard]] int line_number() const { return line_; }  // of the line last given

 private:
  std::string_view rest_;
  int line_ = 0;
};

// A file's bytes as every reader takes them: without a UTF-8 byte-order mark,
// without the 0x1A bytes that end files written on DOS, and with a CR alone
// ending a line as an LF does. `storage` holds the text when it differs from
// the bytes by more than its ends.
[[nodiscard]] std::string_view plain_text(std::string_view bytes, std::string& storage);

// The blank- or tab-separated fields of a line.
[[nodiscard]] std::vector<std::string_view> fields_of(std::string_view line);

// The entry when its six numbers are a crystal's cell, each finite and none
// smaller than its SU, and its temperature, if it has one, is one a crystal is
// measured at (crystal/cell.h); otherwise an error of `line` naming the part
// of the file ("data_x", "crystal 1"; none for a file of one cell). The error
// names no file: the caller names it once.
[[nodiscard]] common::Expected<crystal::CellEntry> checked_entry(crystal::CellEntry entry, int line,
                                                                 std::string_view part = {});

// "triclinic" ... "cubic" for a space-group number 1 to 230; empty otherwise.
[[nodiscard]] std::string system_of_space_group(int number);
// The lattice letter of a space group's standard setting, 1 to 230 ("C" for
// 5, C 1 2 1); empty otherwise.
[[nodiscard]] std::string lattice_of_space_group(int number);
// The crystal system of the space group a Hall symbol gives (" P 2yb"), as
// system_of_space_group; empty for a symbol that gives none.
[[nodiscard]] std::string system_of_hall_symbol(const std::string& hall);
// The crystal system a file names ("Monoclinic(b-unique)", "'monoclinic'",
// "rhombohedral"), in lower case; empty for any other word.
[[nodiscard]] std::string system_named(std::string_view text);
// The lattice letter a space-group symbol begins with ("P 21/c", "-C 2yc" for
// Hall's), in upper case; empty when it begins with none.
[[nodiscard]] std::string lattice_of_symbol(std::string_view symbol);

// The `count` numbers that begin at fields[from] (more may follow); an error
// of `line` naming the record when there are fewer, or one is not a number.
[[nodiscard]] common::Expected<std::vector<ValueWithSu>> numbers_of(
    const std::vector<std::string_view>& fields, std::size_t from, std::size_t count, int line,
    std::string_view record);

// The cell of the first six numbers.
[[nodiscard]] crystal::Cell cell_from(const std::vector<ValueWithSu>& values);

// Six numbers that a file writes as the SUs of a cell's parameters, zero for
// a parameter held fixed; an error of `line` naming the record for one that is
// negative.
[[nodiscard]] common::Expected<crystal::CellSu> cell_su_from(const std::vector<ValueWithSu>& values,
                                                             int line, std::string_view record);

}  // namespace formats
