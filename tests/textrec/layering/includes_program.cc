// Must not compile: the text-record layer sees no header of the program above
// it. Built only by the test TextrecLayering.ProgramHeaderNotFound.
#include "korvex.h"
#include "textrec/textrec.h"
