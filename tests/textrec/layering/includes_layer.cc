// Must compile with the layer's include folder alone: the control of
// includes_program.cc.
#include "textrec/textrec.h"
