// Must compile with one library's include folders alone: the control of
// includes_program.cc.
#include LIBRARY_HEADER
