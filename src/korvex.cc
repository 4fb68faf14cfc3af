#include "korvex.h"

#include <string>

#include "buffer_file.h"
#include "cell_record.h"
#include "dirax_scan.h"
#include "output_files.h"
#include "textrec/textrec.h"
#include "viewer_offer.h"

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
    if (textrec::exists(buffer_file_name)) return buffer_file_name;
    console_write({"  !! ", trim_right(buffer_file_name), " does not exist !!"});
    console_write({"   press Enter key to continue "});
  }
}

// The conventional cell for an answer beginning with "2", the input cell otherwise.
CellChoice ask_cell_choice() {
  console_write({" "});
  console_write({"  > Extract unit cell parameters from : 1. Input cell"});
  console_write({"                                        2. Conventionnal cell"});
  console_write({" "});
  console_write({"                    Enter your choice : "});
  std::string choice_answer = textrec::blank_text(3);
  textrec::read_free(Source::Console(), {Target::Text(&choice_answer)});
  textrec::left_justify(choice_answer);
  return choice_answer[0] == '2' ? CellChoice::kConventional : CellChoice::kInput;
}

}  // namespace

int run() {
  banner();
  const std::string buffer_file_name = ask_buffer_file();
  const CellChoice choice = ask_cell_choice();

  textrec::open_read(kBufferChannel, buffer_file_name);
  const BufferFileHead head = read_buffer_file_head();
  create_output_files(head.title, choice, head.entry_count);

  // An entry that gives no value for a name or a temperature keeps the one of
  // the entry before.
  std::string dirax_file_name;
  float temperature = 0.0F;
  bool unreadable_entry = false;
  for (;;) {
    int list_status = 0;
    const textrec::ReadOutcome entry = textrec::read_free(
        Source::Channel(kBufferChannel),
        {Target::FileName(&dirax_file_name), Target::Real(&temperature)}, &list_status);
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
    if (!textrec::open_read_if_exists(kDiraxChannel, dirax_file_name)) {
      console_write({" !! ", trim_right(dirax_file_name), " does not exist !!"});
      console_write({" "});
      textrec::stop(textrec::kExitError);
    }
    CellRecord cell = scan_dirax_file(choice);
    cell.temperature = temperature;
    if (!has_cell(cell)) continue;
    write_cell(cell);
    textrec::close(kDiraxChannel);
  }
  end_plot_files();

  console_write({" "});
  console_write({"   >>> The TK_parameters.xy file has been created "});
  console_write({" "});
  // The table stays open until the stop, but is complete on disk from here on.
  textrec::flush(kTableChannel);

  std::string reply = no_reply_yet();
  std::string plot_file_name = textrec::blank_text(128);
  for (const PlotSeries& plot : kPlotSeries) {
    textrec::set_text(plot_file_name, plot.file);
    reply = offer_plot(trim_right(plot_file_name), std::move(reply));
  }

  textrec::stop(unreadable_entry ? textrec::kExitError : textrec::kExitClean);
}

}  // namespace korvex
