// A run of korvex-expansion: the points read, checked and analysed as a
// temperature or a pressure series, as the options say, and the report,
// pictures and page written.
#pragma once

#include "command_line.h"
#include "outputs.h"

namespace korvex_expansion {

[[nodiscard]] Outcome run(const Options& opt);

}  // namespace korvex_expansion
