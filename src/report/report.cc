#include "report/report.h"

namespace report {

std::string subject(const Source& source) {
  if (source.title.empty()) return source.name;
  return source.title + " (" + source.name + ")";
}

}  // namespace report
