#include "viewer_offer.h"

#include "textrec/textrec.h"

namespace korvex {
namespace {

// The whole 16-character reply is "y" or "Y" followed by blanks.
bool is_yes(const std::string& reply) {
  return reply.size() == 16 && (reply[0] == 'y' || reply[0] == 'Y') &&
         reply.find_first_not_of(' ', 1) == std::string::npos;
}

}  // namespace

std::string offer_plot(std::string_view file_name, std::string reply) {
  textrec::console_write({"   . ", file_name, " file has been created: plot it (y/n) ?  "});
  textrec::read_free(textrec::Source::Console(), {textrec::Target::Text(&reply)});
  if (!is_yes(reply)) return reply;

  std::string viewer_command = textrec::blank_text(128);
  static const textrec::Layout command = textrec::parse_layout("A, A");
  textrec::write_memory(viewer_command, command, {"vistrel ", file_name});
  textrec::run_command(textrec::trim_right(viewer_command), true, true);
  return reply;
}

}  // namespace korvex
