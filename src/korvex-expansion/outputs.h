// What a run of korvex-expansion gives and writes: the text for standard
// output, the messages for standard error, and the pictures and the page
// written to files.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "chart/expansion_pictures.h"
#include "command_line.h"
#include "common/expected.h"

namespace korvex_expansion {

// What a run gives: the text for standard output, and what to tell on
// standard error: warnings, which make the exit status 4, and failures, each
// of which makes it 1. A failure of the read, the checks or the analysis
// leaves no output; one of a picture leaves the others and the report.
struct Outcome {
  std::string output;
  std::vector<std::string> notes;  // told first, the status left as it is
  std::vector<std::string> warnings;
  std::vector<std::string> failures;
  bool warned = false;  // a warning that ends the run with status 4
};

// "FILE: MESSAGE", or "FILE, line N: MESSAGE" for an error of a line.
[[nodiscard]] std::string about_file(const std::string& file, const common::Error& error);

// Writes the pictures (--svg) and the page (--html) the options ask for, the
// page made by `page` from the warnings the run tells (those of writing it
// aside); says which in a text report, and counts what cannot be written a
// failure.
void write_pictures(const Options& opt, const std::vector<chart::Picture>& pictures,
                    const std::function<std::string(const std::vector<std::string>&)>& page,
                    const std::vector<std::string>& inputs, Outcome& outcome);

}  // namespace korvex_expansion
