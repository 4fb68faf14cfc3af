#include "chart/svg_inline.h"

#include <algorithm>

namespace chart {
namespace {

// Every occurrence of `from` in `text` replaced by `to`.
void replace_all(std::string& text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// The text without the white space (line ends too) around it.
std::string_view stripped(std::string_view text) {
  const std::size_t from = text.find_first_not_of(" \t\r\n");
  if (from == std::string_view::npos) return {};
  return text.substr(from, text.find_last_not_of(" \t\r\n") + 1 - from);
}

}  // namespace

std::string scoped_style(std::string_view css, std::string_view scope) {
  std::string out;
  std::size_t at = 0;
  while (at < css.size()) {
    const std::size_t open = css.find('{', at), close = css.find('}', open);
    if (open == std::string_view::npos || close == std::string_view::npos) break;
    const std::string_view selectors = stripped(css.substr(at, open - at));
    if (selectors.starts_with('@')) {
      out += css.substr(at, close + 1 - at);
    } else {
      for (std::size_t from = 0; from <= selectors.size();) {
        const std::size_t comma = std::min(selectors.find(',', from), selectors.size());
        const std::string_view one = stripped(selectors.substr(from, comma - from));
        out += (from == 0 ? "#" : ", #") + std::string(scope) + " " + std::string(one);
        from = comma + 1;
      }
      out += " " + std::string(css.substr(open, close + 1 - open));
    }
    out += '\n';
    at = close + 1;
  }
  return out;
}

std::string inline_svg(std::string_view svg, std::string_view scope) {
  std::string s(svg);
  if (s.starts_with("<?xml")) s.erase(0, s.find("?>") + 2);
  s.erase(0, s.find_first_not_of(" \t\r\n"));
  replace_all(s, " xmlns=\"http://www.w3.org/2000/svg\"", "");
  const std::string prefix = std::string(scope) + "-";
  replace_all(s, " id=\"", " id=\"" + prefix);
  replace_all(s, "url(#", "url(#" + prefix);
  replace_all(s, "href=\"#", "href=\"#" + prefix);
  for (std::size_t at = s.find("<style>"); at != std::string::npos;
       at = s.find("<style>", at + 1)) {
    const std::size_t body = at + 7, end = s.find("</style>", body);
    if (end == std::string::npos) break;
    const std::string scoped =
        "\n" + scoped_style(std::string_view(s).substr(body, end - body), scope);
    s.replace(body, end - body, scoped);
  }
  return s;
}

}  // namespace chart
