#include "korvex.h"

#include <string>

#include "open_xy_files.h"
#include "pgf.h"
#include "plot_it.h"
#include "read_out_module.h"
#include "recherche_unit_cell.h"
#include "table_file.h"
#include "textrec/textrec.h"

namespace korvex {
namespace {

using textrec::console_write;
using textrec::Source;
using textrec::Target;
using textrec::trim_right;

constexpr std::string_view kBannerRule =
    " --------------------------------------------------------------";
constexpr std::string_view kBannerBlank =
    "                                                               ";

void banner() {
  console_write({kBannerRule});
  console_write({kBannerBlank});
  console_write({"     . Read TK_dirax_cell.out files (created by DIRAX)         "});
  console_write({"     . Extract: . input cell parameters                        "});
  console_write({"                . conventionnal cell:                          "});
  console_write({"                   . volume                                    "});
  console_write({"                   . symmetry                                  "});
  console_write({"                   . Bravais lattice                           "});
  console_write({kBannerBlank});
  console_write({"     Unit-cell parameters against temperature, for plotting    "});
  console_write({kBannerRule});
}

// Asks until a file of the typed name exists. The name is used whole, and a
// slash in it is part of the name.
std::string ask_buffer_file() {
  std::string buffer_file_name;
  for (;;) {
    console_write({" "});
    console_write({"  > Enter buffer file (output list)   : "});
    textrec::read_free(Source::Console(), {Target::FileName(&buffer_file_name)});
    if (textrec::file_exists(buffer_file_name)) return buffer_file_name;
    console_write({"  !! ", trim_right(buffer_file_name), " does not exist !!"});
    console_write({"   press Enter key to continue "});
  }
}

// 0 for the conventional cell (an answer beginning with "2"), 1 otherwise.
int ask_cell_choice() {
  console_write({" "});
  console_write({"  > Extract unit cell parameters from : 1. Input cell"});
  console_write({"                                        2. Conventionnal cell"});
  console_write({" "});
  console_write({"                    Enter your choice : "});
  std::string choice_answer = textrec::blank_text(3);
  textrec::read_free(Source::Console(), {Target::Text(&choice_answer)});
  textrec::left_justify(choice_answer);
  return choice_answer[0] == '2' ? 0 : 1;
}

void clear_cell() {
  CellRecord& cell = read_out_module.cell;
  cell.a = cell.b = cell.c = 0.0F;
  cell.alpha = cell.beta = cell.gamma = 0.0F;
  cell.volume = 0.0F;
  // A file that names no lattice or system shows blanks, not the texts of an
  // earlier file.
  cell.lattice.assign(1, ' ');
  cell.system.assign(16, ' ');
}

}  // namespace

int run() {
  banner();
  const std::string buffer_file_name = ask_buffer_file();
  const int cell_choice = ask_cell_choice();

  textrec::open_for_reading(kBufferChannel, buffer_file_name);
  textrec::read_a(kBufferChannel, read_out_module.series_title);
  std::string second_line = textrec::blank_text(128);
  textrec::read_a(kBufferChannel, second_line);
  open_xy_files(cell_choice);

  CellRecord& cell = read_out_module.cell;
  std::string dirax_file_name;
  bool unreadable_entry = false;
  for (;;) {
    clear_cell();
    const textrec::ReadOutcome entry = textrec::read_free_with_status(
        Source::Channel(kBufferChannel),
        {Target::FileName(&dirax_file_name), Target::Real(&cell.temperature)});
    const int list_status = entry.status;
    if (list_status != textrec::kStatusOk) {
      // The end of the list is no fault; an entry that cannot be read is told,
      // and the run does not end clean.
      if (list_status != textrec::kStatusEnd || entry.values > 0) {
        console_write({" !! Line ", std::to_string(entry.record),
                       " of the buffer file cannot be read as a file name and a temperature !!"});
        unreadable_entry = true;
      }
      break;
    }
    // The existence check and the open are one open of the file.
    if (!textrec::open_for_reading_if_exists(kDiraxChannel, dirax_file_name)) {
      console_write({" !! ", trim_right(dirax_file_name), " does not exist !!"});
      console_write({" "});
      return textrec::stop_run(textrec::kExitError);
    }
    recherche_unit_cell(cell_choice);
    // A value that is not a number is not below the limit.
    if (cell.a < kMinCellA) continue;
    write_table_row();
    for (const PlotSeries& plot : kPlotSeries)
      write_pgf_point(plot.channel, cell.temperature, cell.*plot.value);
    textrec::close_channel(kDiraxChannel);
  }

  for (const PlotSeries& plot : kPlotSeries) {
    write_pgf_end(plot.channel);
    textrec::close_channel(plot.channel);
  }

  console_write({" "});
  console_write({"   >>> The TK_parameters.xy file has been created "});
  console_write({" "});
  // The table stays open until the stop, but is complete on disk from here on.
  textrec::flush_channel(kTableChannel);

  std::string plot_file_name = textrec::blank_text(128);
  for (const PlotSeries& plot : kPlotSeries) {
    textrec::set_text(plot_file_name, plot.file);
    plot_it(trim_right(plot_file_name));
  }

  return textrec::stop_run(unreadable_entry ? textrec::kExitError : textrec::kExitClean);
}

}  // namespace korvex
