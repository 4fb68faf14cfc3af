// Must not compile: the unit cell and the analysis see no file format. Built
// only by the tests Layering.*SeesNoFormatsHeader.
#include LIBRARY_HEADER
#include "formats/cell_read.h"
