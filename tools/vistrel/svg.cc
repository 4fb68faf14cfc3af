#include "vistrel/svg.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "vistrel/axis.h"
#include "vistrel/printable.h"

namespace vistrel {

namespace {

constexpr double kWidth = 800;
constexpr double kHeight = 520;
constexpr double kTop = 70;     // below the title and the key
constexpr double kBottom = 70;  // X tick labels and X legend
constexpr double kRight = 30;
constexpr double kInset = 10;       // between the frame and the ends of the axes
constexpr double kCharWidth = 7.5;  // of a 13 px sans-serif digit, for spacing labels

std::string num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

std::string text_element(const std::string& cls, double x, double y, const char* anchor,
                         std::string_view content, const std::string& extra = "") {
  return "<text class=\"" + cls + "\" x=\"" + num(x) + "\" y=\"" + num(y) + "\" text-anchor=\"" +
         anchor + "\"" + extra + ">" + xml_escape(printable(content, true)) + "</text>\n";
}

std::string line_element(const std::string& cls, double x1, double y1, double x2, double y2) {
  return "<line class=\"" + cls + "\" x1=\"" + num(x1) + "\" y1=\"" + num(y1) + "\" x2=\"" +
         num(x2) + "\" y2=\"" + num(y2) + "\"/>\n";
}

}  // namespace

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

std::string xml_escape(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string render_svg(const PgfFile& pgf, const std::optional<LineFit>& fit) {
  const PlotRanges ranges = plot_ranges(pgf.points, fit);
  const Axis y_axis = nice_axis(ranges.y.min, ranges.y.max, 6);
  const double left = 40 + kCharWidth * static_cast<double>(widest_label(y_axis));
  // The frame (f*) lies a little outside the mapped range, so that markers at
  // the ends of an axis do not sit on it.
  const double fx0 = left, fx1 = kWidth - kRight, fy0 = kTop, fy1 = kHeight - kBottom;
  const double x0 = fx0 + kInset, x1 = fx1 - kInset, y0 = fy0 + kInset, y1 = fy1 - kInset;
  Axis x_axis;
  for (int wanted = 8;; --wanted) {
    x_axis = nice_axis(ranges.x.min, ranges.x.max, wanted);
    const double need = static_cast<double>(x_axis.ticks.size()) *
                        (static_cast<double>(widest_label(x_axis)) + 2) * kCharWidth;
    if (need <= x1 - x0 || wanted <= 2) break;
  }
  const auto sx = [&](double x) {
    return x0 + (x - x_axis.lo) / (x_axis.hi - x_axis.lo) * (x1 - x0);
  };
  const auto sy = [&](double y) {
    return y1 - (y - y_axis.lo) / (y_axis.hi - y_axis.lo) * (y1 - y0);
  };

  std::string title(trim(pgf.main_legend));
  if (title.empty()) title = std::string(trim(pgf.title));

  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(kWidth) + "\" height=\"" +
       num(kHeight) + "\" viewBox=\"0 0 " + num(kWidth) + " " + num(kHeight) + "\">\n";
  s += "<title>" + xml_escape(printable(title, true)) + "</title>\n";
  s += "<style>\n"
       "text { font-family: DejaVu Sans, Helvetica, Arial, sans-serif; font-size: 13px; fill: "
       "#222; }\n"
       ".title { font-size: 17px; font-weight: bold; }\n"
       ".subtitle, .key { font-size: 12px; fill: #555; }\n"
       ".axis-label { font-size: 14px; }\n"
       ".background { fill: #fff; }\n"
       ".frame { fill: none; stroke: #333; stroke-width: 1; }\n"
       ".grid { stroke: #e3e3e3; stroke-width: 1; }\n"
       ".tick { stroke: #333; stroke-width: 1; }\n"
       ".fit { stroke: #c0392b; stroke-width: 1.6; }\n"
       ".point { fill: #1f5f9f; stroke: #0b2f55; stroke-width: 0.8; }\n"
       "</style>\n";
  s += "<rect class=\"background\" width=\"100%\" height=\"100%\"/>\n";
  s += text_element("title", kWidth / 2, 30, "middle", title);
  s += text_element("subtitle", fx0, 56, "start", trim(pgf.title));

  // The key, top right: a marker for the points, a stroke for the line.
  double key_x = fx1;
  if (fit) {
    s += text_element("key", key_x, 56, "end", "least-squares line");
    key_x -= 110;
    s += line_element("fit", key_x - 24, 52, key_x - 4, 52);
    key_x -= 40;
  }
  s += text_element("key", key_x, 56, "end", "points");
  s += "<circle class=\"point\" cx=\"" + num(key_x - 48) + "\" cy=\"52\" r=\"4\"/>\n";

  for (const double t : x_axis.ticks) {
    const double x = sx(t);
    s += line_element("grid", x, fy0, x, fy1);
    s += line_element("tick", x, fy1, x, fy1 + 5);
    s += text_element("tick-label", x, fy1 + 20, "middle", tick_label(t, x_axis.decimals));
  }
  for (const double t : y_axis.ticks) {
    const double y = sy(t);
    s += line_element("grid", fx0, y, fx1, y);
    s += line_element("tick", fx0 - 5, y, fx0, y);
    s += text_element("tick-label", fx0 - 8, y + 4.5, "end", tick_label(t, y_axis.decimals));
  }
  s += "<rect class=\"frame\" x=\"" + num(fx0) + "\" y=\"" + num(fy0) + "\" width=\"" +
       num(fx1 - fx0) + "\" height=\"" + num(fy1 - fy0) + "\"/>\n";
  s += text_element("axis-label", (x0 + x1) / 2, kHeight - 20, "middle", trim(pgf.x_legend));
  const double ly = (y0 + y1) / 2;
  s += text_element("axis-label", 20, ly, "middle", trim(pgf.y_legend),
                    " transform=\"rotate(-90 20 " + num(ly) + ")\"");

  if (fit) {
    const auto fy = [&](double x) { return sy(fit->intercept + fit->slope * x); };
    s +=
        line_element("fit", sx(ranges.x.min), fy(ranges.x.min), sx(ranges.x.max), fy(ranges.x.max));
  }
  const std::string r = num(1.5 * std::clamp(pgf.marker_size, 1, 6) + 1);
  for (const Point& p : pgf.points) {
    s += "<circle class=\"point\" cx=\"" + num(sx(p.x)) + "\" cy=\"" + num(sy(p.y)) + "\" r=\"" +
         r + "\"/>\n";
  }
  s += "</svg>\n";
  return s;
}

std::optional<std::string> write_file_replacing(const std::string& path, std::string_view bytes) {
  const std::string tmp = path + ".tmp";
  const int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return std::string(std::strerror(errno));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = n < 0 ? errno : EIO;
      close(fd);
      unlink(tmp.c_str());
      return std::string(std::strerror(err));
    }
    done += static_cast<std::size_t>(n);
  }
  if (close(fd) != 0 || rename(tmp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    unlink(tmp.c_str());
    return std::string(std::strerror(err));
  }
  return std::nullopt;
}

}  // namespace vistrel
