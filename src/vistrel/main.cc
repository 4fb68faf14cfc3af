// vistrel: shows a PGF plot file that korvex wrote, e.g. `vistrel TK_cell_a.pgf`.
//
// It draws the series on the terminal, prints a summary with the
// least-squares line and the mean expansion coefficient, writes an SVG picture
// beside the file, and waits for Enter, so that korvex, which waits for the
// viewer, goes on with its next plot when the user is done.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "chart/series_picture.h"
#include "chart/term_plot.h"
#include "common/command_line.h"
#include "common/files.h"
#include "common/safe_text.h"
#include "common/utf8.h"
#include "csv_series.h"
#include "expansion/line_fit.h"
#include "formats/pgf_read.h"
#include "summary.h"
#include "term.h"

namespace {

constexpr const char* kUsage =
    "usage: vistrel [picture options] FILE.pgf|FILE.csv\n"
    "       vistrel --svg-only [picture options] FILE.pgf|FILE.csv...\n"
    "       vistrel -h | --help | -V | --version\n"
    "Shows a korvex PGF plot file on the terminal with a summary (least-squares\n"
    "line, mean expansion coefficient), writes FILE.svg beside it, and waits for\n"
    "Enter. With --svg-only it writes the SVG pictures only: nothing is shown\n"
    "and nothing is waited for. A FILE.svg that vistrel did not draw (korvex's\n"
    "picture, say) is kept, and the picture written as FILE.vistrel.svg.\n"
    "A CSV file (korvex's TK_parameters.csv, korvex-expansion's of a polynomial\n"
    "fit) is shown as its series in turn, each point with an error bar of one\n"
    "SU, the pictures written as FILE_cell_a.svg ... FILE_volume.svg.\n"
    "\n"
    "  --title TEXT     the picture's title (default the plot file's)\n"
    "  --no-title       no title\n"
    "  --size WxH       the picture's size in pixels (1200x800) or mm (170x120mm)\n"
    "                   (default 800x520 and a line per note)\n";

constexpr std::string_view kProgram = "vistrel";

// Tells a failure on standard error, after what standard output holds; the
// exit status it gives.
int failure(std::string_view message) {
  std::fflush(stdout);
  std::fprintf(stderr, "vistrel: %s\n", common::safe_text(message).c_str());
  return 1;
}

// Writes the picture of each series of a CSV file, as write_svg_picture does
// a plot file's: the path of each, or the first failure, which names its file.
common::Expected<std::vector<std::string>> write_csv_pictures(
    const std::string& path, const chart::PictureOptions& options) {
  COMMON_TRY(read, vistrel::read_csv_series(path));
  std::vector<std::string> written;
  for (const vistrel::SeriesWithSus& series : *read) {
    COMMON_TRY(svg_path,
               chart::own_picture_path(vistrel::csv_picture_path(path, series), kProgram));
    const auto wrote = common::write_file_replacing(
        *svg_path,
        chart::render_svg(chart::picture_of(series.pgf, series.sus), {}, options, kProgram));
    if (!wrote) {
      return common::Error{0, formats::describe_error(*svg_path, {0,
                                                                  "cannot write the SVG "
                                                                  "picture: " +
                                                                      wrote.error().message})};
    }
    written.push_back(*svg_path);
  }
  return written;
}

// Writes the picture of each file (or the pictures of a CSV file's series);
// 1 when any could not be written.
int write_pictures(const std::vector<std::string>& paths, const chart::PictureOptions& options) {
  int status = 0;
  for (const std::string& path : paths) {
    if (vistrel::is_csv_name(path)) {
      const auto written = write_csv_pictures(path, options);
      if (!written) status = failure(written.error().message);
      for (const std::string& svg : written ? *written : std::vector<std::string>())
        std::printf(" SVG picture written to %s\n", common::safe_text(svg).c_str());
      continue;
    }
    const auto written = chart::write_svg_picture(path, options);
    if (written) {
      std::printf(" SVG picture written to %s\n", common::safe_text(*written).c_str());
    } else {
      status = failure(written.error().message);
    }
  }
  return status;
}

enum Option : int { kSvgOnly, kTitle, kNoTitle, kSize, kHelp, kVersion };

constexpr common::OptionRule kOptions[] = {
    {kSvgOnly, '\0', "svg-only", false}, {kTitle, '\0', "title", true},
    {kNoTitle, '\0', "no-title", false}, {kSize, '\0', "size", true},
    {kHelp, 'h', "help", false},         {kVersion, 'V', "version", false},
};

struct Command {
  bool svg_only = false;
  bool help = false;
  bool version = false;
  chart::PictureOptions picture;
  std::vector<std::string> files;
};

// The arguments after the program name; the reason when they cannot be run.
common::Expected<Command> parse_arguments(std::span<const std::string_view> args) {
  COMMON_TRY(parsed, common::parse_command_line(kOptions, args));
  Command command;
  for (const common::GivenOption& given : parsed->options) {
    command.svg_only |= given.id == kSvgOnly;
    command.help |= given.id == kHelp;
    command.version |= given.id == kVersion;
    command.picture.no_title |= given.id == kNoTitle;
    if (given.id == kTitle) command.picture.title = given.value;
    if (given.id == kSize) {
      COMMON_TRY(size, chart::parse_picture_size(given.value));
      command.picture.size = *size;
    }
  }
  command.files = parsed->operands;
  if (command.help || command.version) return command;
  if (command.files.empty()) return common::Error{0, "no plot file named"};
  if (!command.svg_only && command.files.size() > 1)
    return common::Error{0, "one plot file at a time (--svg-only takes several)"};
  return command;
}

void print_lines(std::FILE* to, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) std::fprintf(to, "%s\n", line.c_str());
}

// Terminal lines that a line of text takes.
int screen_rows(const std::string& line, int columns) {
  const auto w = static_cast<int>(common::display_width(line));
  return w == 0 ? 1 : (w + columns - 1) / columns;
}

// Draws the picture of the series at `meant` (or beside it); what to tell of
// it, and whether that is a failure.
std::pair<std::string, bool> draw_picture(const std::string& meant, const formats::PgfFile& pgf,
                                          std::span<const double> sus,
                                          const chart::PictureOptions& options) {
  const auto svg_path = chart::own_picture_path(meant, kProgram);
  if (!svg_path) return {"vistrel: no SVG picture written: " + svg_path.error().message, true};
  const std::string shown_path = common::safe_text(*svg_path);
  if (const auto written = common::write_file_replacing(
          *svg_path, chart::render_svg(chart::picture_of(pgf, sus), {}, options, kProgram));
      !written) {
    return {"vistrel: cannot write the SVG picture " + shown_path + ": " + written.error().message,
            true};
  }
  if (*svg_path != meant) {
    return {" SVG picture written to " + shown_path + " (" + common::safe_text(meant) +
                " was drawn by another program and is kept)",
            false};
  }
  return {" SVG picture written to " + shown_path, false};
}

// The series on the terminal with its summary and the line that tells of its
// picture, written to `meant` (or beside it); then the prompt, and the wait
// for Enter. 1 when the picture could not be written.
int show_series(const formats::PgfFile& pgf, std::span<const double> sus, const std::string& meant,
                const chart::PictureOptions& options, const char* prompt) {
  const auto fit = expansion::fit_line(pgf.points);
  const bool utf8 =
      vistrel::locale_is_utf8(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"));
  const bool draw = !pgf.points.empty() && isatty(STDOUT_FILENO);
  const std::vector<std::string> summary = vistrel::summary_lines(pgf, fit, utf8, !draw, sus);

  // The picture first, so that its message is known when the screen is laid out.
  std::string svg_message;
  bool svg_failed = false;
  if (!pgf.points.empty())
    std::tie(svg_message, svg_failed) = draw_picture(meant, pgf, sus, options);

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
    print_lines(stdout,
                chart::render_terminal_plot(pgf, fit, size.columns, rows, utf8, color, sus));
    std::fputs("\n", stdout);
  }
  print_lines(stdout, summary);
  if (svg_failed) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", svg_message.c_str());
  } else if (!svg_message.empty()) {
    std::printf("%s\n", svg_message.c_str());
  }
  std::fputs(prompt, stdout);
  std::fflush(stdout);
  vistrel::wait_for_enter(STDIN_FILENO);
  if (!isatty(STDIN_FILENO)) std::fputs("\n", stdout);
  return svg_failed ? 1 : 0;
}

int show(const std::string& path, const chart::PictureOptions& options) {
  if (!vistrel::is_csv_name(path)) {
    const auto read = formats::read_pgf_file(path);
    if (!read) return failure(formats::describe_error(path, read.error()));
    return show_series(*read, {}, chart::svg_path_for(path), options, " Press Enter to return");
  }
  const auto read = vistrel::read_csv_series(path);
  if (!read) return failure(read.error().message);
  int status = 0;
  for (std::size_t i = 0; i < read->size(); ++i) {
    const vistrel::SeriesWithSus& series = (*read)[i];
    const char* prompt =
        i + 1 < read->size() ? " Press Enter for the next plot" : " Press Enter to return";
    status =
        std::max(status, show_series(series.pgf, series.sus,
                                     vistrel::csv_picture_path(path, series), options, prompt));
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const common::Expected<Command> command = parse_arguments(args);
  if (!command) {
    std::fputs(common::usage_error_text("vistrel", command.error().message).c_str(), stderr);
    return common::kExitUsage;
  }
  if (command->help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (command->version) {
    std::puts("vistrel " KORVEX_VERSION);
    return 0;
  }
  try {
    return command->svg_only ? write_pictures(command->files, command->picture)
                             : show(command->files.front(), command->picture);
  } catch (const std::exception& e) {  // out of memory, say: told, not a crash
    return failure(e.what());
  }
}
