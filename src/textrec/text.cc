#include "textrec/text.h"

namespace textrec {

std::string blank_text(std::size_t n) {
  return std::string(n, ' ');
}

void set_text(std::string& t, std::string_view v) {
  const std::size_t n = t.size();
  if (v.size() >= n) {
    t.assign(v.substr(0, n));
  } else {
    t.assign(v);
    t.append(n - v.size(), ' ');
  }
}

std::string_view trim_right(std::string_view t) {
  const std::size_t last = t.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view() : t.substr(0, last + 1);
}

void left_justify(std::string& t) {
  const std::size_t first = t.find_first_not_of(' ');
  if (first == 0 || first == std::string::npos) return;
  t.erase(0, first);
  t.append(first, ' ');
}

}  // namespace textrec
