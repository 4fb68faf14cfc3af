// A point of a series: where it was measured (a temperature or a pressure)
// and the quantity there.
#pragma once

namespace common {

struct Point {
  double x = 0;
  double y = 0;
};

}  // namespace common
