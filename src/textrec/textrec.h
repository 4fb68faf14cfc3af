// The text-record layer as the program uses it.
//
// One layer carries every read and write of the run: the console dialogue, the
// channels (small numbers naming one open file each for the run), memory
// records, the error report and the orderly stop. Its state is one instance for
// the run, set up by install(); tests install a console and a file system held
// in memory.
//
// From the bottom up: fixed-length texts (text.h); the file-system seam
// (files.h); records split from bytes and joined into bytes (records.h, with the
// read status of status.h); the conversion of a number (number.h) and the
// free-form read (freeform.h); field codes (edit.h); and, on the runtime of the
// run, the error report (report.h), channels (channels.h), reads (reads.h), the
// run's start and stop (run.h) and system commands (command.h).
#pragma once

#include "textrec/channels.h"
#include "textrec/command.h"
#include "textrec/edit.h"
#include "textrec/freeform.h"
#include "textrec/interrupt.h"
#include "textrec/reads.h"
#include "textrec/records.h"
#include "textrec/report.h"
#include "textrec/run.h"
#include "textrec/status.h"
#include "textrec/text.h"
