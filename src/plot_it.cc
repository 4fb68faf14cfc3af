#include "plot_it.h"

#include <string>

#include "textrec/textrec.h"

namespace korvex {
namespace {

std::string& answer() {
  static std::string text = textrec::blank_text(16);
  return text;
}

// The whole 16-character answer is "y" or "Y" followed by blanks.
bool is_yes(const std::string& reply) {
  return reply.size() == 16 && (reply[0] == 'y' || reply[0] == 'Y') &&
         reply.find_first_not_of(' ', 1) == std::string::npos;
}

}  // namespace

void reset_plot_answer() {
  answer() = textrec::blank_text(16);
}

void plot_it(std::string_view file_name) {
  textrec::console_write({"   . ", file_name, " file has been created: plot it (y/n) ?  "});
  textrec::read_free(textrec::Source::Console(), {textrec::Target::Text(&answer())});
  if (!is_yes(answer())) return;

  std::string viewer_command = textrec::blank_text(128);
  static const textrec::Layout command = textrec::parse_layout("A, A");
  textrec::write_memory(viewer_command, command, {"vistrel ", file_name});
  textrec::run_command(textrec::trim_right(viewer_command), true, true);
}

}  // namespace korvex
