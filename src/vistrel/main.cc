// vistrel: shows a PGF plot file that korvex wrote, e.g. `vistrel TK_cell_a.pgf`.
//
// It draws the series on the terminal, prints a summary with the
// least-squares line and the mean expansion coefficient, writes an SVG picture
// beside the file, and waits for Enter, so that korvex, which waits for the
// viewer, goes on with its next plot when the user is done.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "chart/series_picture.h"
#include "chart/term_plot.h"
#include "common/files.h"
#include "common/safe_text.h"
#include "common/utf8.h"
#include "expansion/line_fit.h"
#include "formats/pgf_read.h"
#include "summary.h"
#include "term.h"

#ifndef KORVEX_VERSION
#define KORVEX_VERSION "dev"
#endif

namespace {

constexpr const char* kUsage =
    "usage: vistrel FILE.pgf\n"
    "       vistrel --svg-only FILE.pgf...\n"
    "       vistrel -h | --help | -V | --version\n"
    "Shows a korvex PGF plot file on the terminal with a summary (least-squares\n"
    "line, mean expansion coefficient), writes FILE.svg beside it, and waits for\n"
    "Enter. With --svg-only it writes the SVG pictures only: nothing is shown\n"
    "and nothing is waited for.\n";

// Writes the picture of each file; 1 when any could not be written.
int write_pictures(const std::vector<std::string_view>& paths) {
  int status = 0;
  for (const std::string_view path : paths) {
    const auto written = chart::write_svg_picture(std::string(path));
    if (written) {
      std::printf(" SVG picture written to %s\n", common::safe_text(*written).c_str());
    } else {
      std::fflush(stdout);
      std::fprintf(stderr, "vistrel: %s\n", written.error().message.c_str());
      status = 1;
    }
  }
  return status;
}

int usage_error(std::string_view why) {
  if (!why.empty()) {
    std::fprintf(stderr, "vistrel: %s\n", common::safe_text(why).c_str());
  }
  std::fputs(kUsage, stderr);
  return 2;
}

void print_lines(std::FILE* to, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) std::fprintf(to, "%s\n", line.c_str());
}

// Terminal lines that a line of text takes.
int screen_rows(const std::string& line, int columns) {
  const auto w = static_cast<int>(common::display_width(line));
  return w == 0 ? 1 : (w + columns - 1) / columns;
}

int show(const std::string& path) {
  const auto read = formats::read_pgf_file(path);
  if (!read) {
    std::fprintf(stderr, "vistrel: %s\n", formats::describe_error(path, read.error()).c_str());
    return 1;
  }
  const formats::PgfFile& pgf = *read;
  const auto fit = expansion::fit_line(pgf.points);
  const bool utf8 =
      vistrel::locale_is_utf8(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"));
  const bool draw = !pgf.points.empty() && isatty(STDOUT_FILENO);
  const std::vector<std::string> summary = vistrel::summary_lines(pgf, fit, utf8, !draw);

  // The picture first, so that its message is known when the screen is laid out.
  std::string svg_message;
  bool svg_failed = false;
  if (!pgf.points.empty()) {
    const std::string svg_path = chart::svg_path_for(path);
    const std::string shown_path = common::safe_text(svg_path);
    if (const auto written =
            common::write_file_replacing(svg_path, chart::render_svg(chart::picture_of(pgf)));
        !written) {
      svg_message =
          "vistrel: cannot write the SVG picture " + shown_path + ": " + written.error().message;
      svg_failed = true;
    } else {
      svg_message = " SVG picture written to " + shown_path;
    }
  }

  if (draw) {
    const vistrel::TermSize size = vistrel::terminal_size(STDOUT_FILENO);
    // Leave room below the plot for the summary, the picture's line and the
    // prompt, counting the lines that the terminal wraps.
    int below = 2;
    for (const std::string& line : summary) below += screen_rows(line, size.columns);
    below += screen_rows(svg_message, size.columns);
    const int rows = size.rows - below;
    const char* term = std::getenv("TERM");
    const bool color = std::getenv("NO_COLOR") == nullptr &&
                       !(term != nullptr && std::string_view(term) == "dumb");
    print_lines(stdout, chart::render_terminal_plot(pgf, fit, size.columns, rows, utf8, color));
    std::fputs("\n", stdout);
  }
  print_lines(stdout, summary);
  if (svg_failed) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", svg_message.c_str());
  } else if (!svg_message.empty()) {
    std::printf("%s\n", svg_message.c_str());
  }
  std::fputs(" Press Enter to return", stdout);
  std::fflush(stdout);
  vistrel::wait_for_enter(STDIN_FILENO);
  if (!isatty(STDIN_FILENO)) std::fputs("\n", stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (args.size() == 1 && (args[0] == "--version" || args[0] == "-V")) {
    std::puts("vistrel " KORVEX_VERSION);
    return 0;
  }
  const bool svg_only = !args.empty() && args[0] == "--svg-only";
  if (svg_only) args.erase(args.begin());
  // Options come first; "--" ends them, so that a file may begin with "-".
  if (!args.empty() && args[0] == "--") {
    args.erase(args.begin());
  } else if (!args.empty() && args[0].size() > 1 && args[0].front() == '-') {
    return usage_error("unknown option " + std::string(args[0]));
  }
  if (args.empty() || (!svg_only && args.size() != 1)) return usage_error({});
  try {
    return svg_only ? write_pictures(args) : show(std::string(args[0]));
  } catch (const std::exception& e) {  // out of memory, say: told, not a crash
    std::fprintf(stderr, "vistrel: %s\n", e.what());
    return 1;
  }
}
