#include "chart/picture.h"

#include <cctype>

namespace chart {

std::string figure_id(const Picture& picture) {
  std::string stem = picture.suffix.substr(0, picture.suffix.rfind(".svg"));
  stem.erase(0, stem.find_first_not_of('_'));
  std::string id = "figure-";
  for (const char c : stem) id += std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '-';
  return id;
}

}  // namespace chart
