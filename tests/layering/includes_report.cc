// Must not compile: no library but the programs' fronts sees the writers.
// Built only by the tests Layering.*SeesNoReportHeader.
#include LIBRARY_HEADER
#include "report/report.h"
