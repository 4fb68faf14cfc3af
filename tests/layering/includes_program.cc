// Must not compile: a library sees no header of the programs above it. Built
// only by the tests Layering.*SeesNoProgramHeader.
#include LIBRARY_HEADER
#include "series_pass.h"
