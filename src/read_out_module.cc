#include "read_out_module.h"

namespace korvex {

ReadOutModule read_out_module;

void reset_read_out_module() {
  read_out_module = ReadOutModule();
}

}  // namespace korvex
