// The output files of a run: the table TK_parameters.xy and the seven plot files.
//
// Before the pass the eight files are created with their headers; all stay
// open for the pass, which adds a table
// row and seven plot points for each cell found. After it the plot files get
// their end record and are closed; the table stays open until the orderly stop.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/cell_record.h"
#include "formats/table_file.h"
#include "textrec/files.h"

namespace korvex {

// The path of an output file in the folder ("" for the current folder).
[[nodiscard]] std::string output_path(std::string_view folder, std::string_view file);

// The files a run may write into its folder: the table, the CSV table, the
// plot files, their pictures, and the temporary names the pictures are written
// under. None of them may be read as the buffer file or a DIRAX file: the run
// would empty or replace what it reads.
class OutputNames {
 public:
  // Looks up the folder and the outputs that exist in it now, once.
  explicit OutputNames(std::string_view folder);
  // True when the name is one of those files in the folder, or leads to one
  // that exists (by a link, or another name of the folder).
  [[nodiscard]] bool named_by(std::string_view name) const;
  // As named_by, for an entry read before the outputs are created, but the
  // file the name leads to is looked up only where creating the outputs
  // could empty it: where an output that exists has another name (a hard
  // link, or a symbolic link to it). Otherwise the entry's file is told from
  // its open (holds), so that an entry costs no call of the system here.
  [[nodiscard]] bool entry_named_by(std::string_view name) const;
  // Where no output that exists has another name, an entry can be one only
  // by a name that begins with this (every output's name does).
  [[nodiscard]] std::optional<std::string_view> start_of_every_name() const {
    if (outputs_have_other_names_) return std::nullopt;
    return names_prefix_;
  }
  // True when the file opened is one of the outputs, as they were found and
  // as they were created (note_created).
  [[nodiscard]] bool holds(const std::optional<textrec::FileIdentity>& file) const;
  // Looks up the table, the CSV table and the plot files as created.
  void note_created();

 private:
  // By the name alone: an output's name in the folder.
  [[nodiscard]] bool named_by_name(std::string_view name) const;

  std::string folder_name_;
  std::vector<std::string> names_;
  std::string names_prefix_;  // the start every one of names_ shares
  std::optional<textrec::FileIdentity> folder_;
  std::vector<textrec::FileIdentity> existing_;
  bool outputs_have_other_names_ = false;
};

// Removes an output left by an earlier run, when it is a regular file: a
// folder, a link or a device of that name is left alone.
void remove_stale_output(const std::string& path);

// Ends the run (a severe failure of the file system) before any output is
// locked or made, where the table, a plot file, with `csv` the CSV table or
// with `svg` a picture names what is no regular file (common::output_target):
// a FIFO, a device, a socket, a folder or a link to nothing. Each would end
// the run as it is created or written, after those before it were replaced.
void refuse_outputs_of_other_kinds(std::string_view folder, bool csv, bool svg);

// Creates the table with its header on the table channel and the seven plot
// files with their header and pattern blocks on theirs, and with `csv` the CSV
// table with its header, in the folder, replacing older files of the same names.
// The series title is the buffer file's first line as read (BufferFileHead),
// trailing blanks left out where it is written, and point_count the number
// of points every plot file declares.
void create_output_files(std::string_view folder, std::string_view series_title,
                         formats::CellChoice choice, std::int32_t point_count, bool csv);

// The table row and the seven plot points of one cell. False when the
// temperature does not fit its F6.2 field and is written as asterisks.
[[nodiscard]] bool write_cell(const formats::CellRecord& cell);

// Writes each plot file's end record and closes it. Where the pass wrote more
// rows than the plot files declared (a listed file of several cells), the
// declared count becomes the rows written, so that a reader that trusts it
// takes every point.
void end_plot_files(std::string_view folder, std::int32_t declared, std::int64_t rows);

// Once the table is flushed: where rows came from other programs' files, its
// notes say so (formats::set_table_sources); a table of DIRAX output alone is
// left as written.
void set_table_notes(std::string_view folder, formats::CellChoice choice,
                     formats::TableSources sources);

}  // namespace korvex
