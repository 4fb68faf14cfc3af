// The offer of one plot file to the viewer.
//
// Asks whether to plot the file and, on the reply "y" or "Y" (the whole reply),
// runs "vistrel NAME" through the command processor and waits until the viewer
// has ended.
#pragma once

#include <string>
#include <string_view>

#include "textrec/text.h"

namespace korvex {

// The reply to an offer, a 16-character text. The first offer starts from
// blanks; a reply that supplies no value (a lone comma) keeps the one before.
[[nodiscard]] inline std::string no_reply_yet() {
  return textrec::blank_text(16);
}

// Makes the offer and returns the reply, which the next offer starts from.
[[nodiscard]] std::string offer_plot(std::string_view file_name, std::string reply);

}  // namespace korvex
