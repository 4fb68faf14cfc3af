#include <string>

#include "common/safe_text.h"
#include "formats/buffer_file.h"
#include "formats/cell_record.h"
#include "formats/plot_series.h"
#include "formats/table_file.h"
#include "korvex.h"
#include "output_files.h"
#include "series_pass.h"
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

// Asks until the typed name is that of an existing file that is not one of the
// run's outputs. The name is used whole, and a slash in it is part of the name.
std::string ask_buffer_file() {
  std::string buffer_file_name;
  for (;;) {
    console_write({" "});
    console_write({"  > Enter buffer file (output list)   : "});
    textrec::read_free(Source::Console(), {Target::FileName(&buffer_file_name)});
    const std::string shown = common::safe_text(trim_right(buffer_file_name));
    if (!textrec::file_exists(buffer_file_name)) {
      // A name that cannot be followed (a folder that cannot be entered, a loop
      // of links) is not said to be missing.
      const textrec::OpenCheck check = textrec::check_open_for_reading(buffer_file_name);
      if (check.missing) {
        console_write({"  !! ", shown, " does not exist !!"});
      } else {
        console_write({"  !! ", shown, " cannot be opened: ", check.reason, " !!"});
      }
    } else if (OutputNames("").named_by(buffer_file_name)) {
      // Its list would be emptied as the table is created.
      console_write({"  !! ", shown, " is an output file of this program !!"});
    } else {
      return buffer_file_name;
    }
    console_write({"   press Enter key to continue "});
  }
}

// The conventional cell for an answer beginning with "2", the input cell otherwise.
formats::CellChoice ask_cell_choice() {
  console_write({" "});
  console_write({"  > Extract unit cell parameters from : 1. Input cell"});
  console_write({"                                        2. Conventionnal cell"});
  console_write({" "});
  console_write({"                    Enter your choice : "});
  std::string choice_answer = textrec::blank_text(3);
  textrec::read_free(Source::Console(), {Target::Text(&choice_answer)});
  textrec::left_justify(choice_answer);
  return choice_answer[0] == '2' ? formats::CellChoice::kConventional : formats::CellChoice::kInput;
}

}  // namespace

int run_dialogue(OutputLock* lock) {
  banner();
  const std::string buffer_file_name = ask_buffer_file();
  const formats::CellChoice choice = ask_cell_choice();

  textrec::open_for_reading(formats::kBufferChannel, buffer_file_name);
  const formats::BufferFileHead head = formats::read_buffer_file_head();
  OutputNames outputs("");
  refuse_outputs_among_entries(outputs, head.entry_count);
  refuse_outputs_of_other_kinds("", false, false);
  lock_outputs(lock, formats::kTableFileName);
  create_output_files("", head.title, choice, head.entry_count, false);
  outputs.note_created();
  const PassResult pass = run_pass({.choice = choice, .outputs = &outputs});
  if (pass.end != PassEnd::kListEnded) return textrec::stop_run(textrec::kExitError);
  end_plot_files("", head.entry_count, pass.rows);

  console_write({" "});
  console_write({"   >>> The TK_parameters.xy file has been created "});
  console_write({" "});
  // The table stays open until the stop, but is complete on disk from here on.
  textrec::flush_channel(formats::kTableChannel);
  set_table_notes("", choice, table_sources(pass));

  std::string reply = no_reply_yet();
  for (const formats::PlotSeries& plot : formats::kPlotSeries)
    reply = offer_plot(plot.file, std::move(reply));

  return textrec::stop_run(least_exit_status(pass));
}

}  // namespace korvex
