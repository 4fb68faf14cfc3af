#include "vistrel/svg.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "vistrel/axis.h"
#include "vistrel/printable.h"
#include "vistrel/svg_chart.h"

namespace vistrel {

std::string svg_path_for(std::string_view pgf_path) {
  const std::string_view ext = ".pgf";
  if (pgf_path.size() > ext.size() && pgf_path[pgf_path.size() - ext.size() - 1] != '/') {
    const std::string_view tail = pgf_path.substr(pgf_path.size() - ext.size());
    if (std::equal(tail.begin(), tail.end(), ext.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) == b;
        })) {
      return std::string(pgf_path.substr(0, pgf_path.size() - ext.size())) + ".svg";
    }
  }
  return std::string(pgf_path) + ".svg";
}

std::string render_svg(const PgfFile& pgf, const std::optional<LineFit>& fit,
                       std::string_view footnote) {
  const PlotRanges ranges = plot_ranges(pgf.points, fit);
  const ChartFrame f = chart_frame(ranges.x, ranges.y);

  std::string title(trim(pgf.main_legend));
  if (title.empty()) title = std::string(trim(pgf.title));

  std::string s = svg_open(f.layout, title);
  s += svg_text("title", f.layout.width / 2, 30, "middle", title);
  s += svg_text("subtitle", f.frame_left, 56, "start", trim(pgf.title));

  // The key, top right: a marker for the points, a stroke for the line.
  double key_x = f.frame_right;
  if (fit) {
    s += svg_text("key", key_x, 56, "end", "least-squares line");
    key_x -= 110;
    s += svg_line("fit", key_x - 24, 52, key_x - 4, 52);
    key_x -= 40;
  }
  s += svg_text("key", key_x, 56, "end", "points");
  s += svg_circle("point", key_x - 48, 52, 4);

  s += svg_chart_frame(f, pgf.x_legend, pgf.y_legend);

  if (fit) {
    const auto fy = [&](double x) { return f.py(fit->intercept + fit->slope * x); };
    s +=
        svg_line("fit", f.px(ranges.x.min), fy(ranges.x.min), f.px(ranges.x.max), fy(ranges.x.max));
  }
  const double r = 1.5 * std::clamp(pgf.marker_size, 1, 6) + 1;
  for (const Point& p : pgf.points) s += svg_circle("point", f.px(p.x), f.py(p.y), r);
  if (!trim(footnote).empty()) {
    s += svg_text("footnote", f.frame_left, f.layout.height - 4, "start", footnote);
  }
  s += svg_close();
  return s;
}

Expected<void> write_file_replacing(const std::string& path, std::string_view bytes) {
  // A name of our own, made new (mkstemp opens with O_EXCL): a file or a
  // symlink planted where the temporary file goes is never written through.
  std::string tmp = path + ".XXXXXX";
  const int fd = mkstemp(tmp.data());
  if (fd < 0) return Error{0, std::strerror(errno)};
  const auto fail = [&](int err) -> Expected<void> {
    unlink(tmp.c_str());
    return Error{0, std::strerror(err)};
  };
  // mkstemp makes the file private; the picture gets the mode any new file
  // would get.
  const mode_t mask = umask(0);
  umask(mask);
  if (fchmod(fd, 0666 & ~mask) != 0) {
    const int err = errno;
    close(fd);
    return fail(err);
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = n < 0 ? errno : EIO;
      close(fd);
      return fail(err);
    }
    done += static_cast<std::size_t>(n);
  }
  if (close(fd) != 0 || rename(tmp.c_str(), path.c_str()) != 0) return fail(errno);
  return {};
}

}  // namespace vistrel
