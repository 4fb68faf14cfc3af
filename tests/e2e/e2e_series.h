// The made-up DIRAX files the end-to-end tests list, with the rows and plot
// points korvex gives for each cell choice.
#pragma once

#include <string>

#include "e2e/e2e_util.h"

namespace e2e {

// Made-up DIRAX cell-output files, each with lines around the three recognised
// kinds (input-cell, conventional-cell and volume lines).

inline const std::string kDirax100K = lf({
    "DIRAX-like cell output, made up for the korvex tests: 100 K",
    "Reflections read  : 1400",
    "",
    "   {Input cell  a=   5.43210  b=   5.43210  c=  12.34560  alpha=   90.000  beta=   90.000  "
    "gamma=  120.000 }",
    "   Indexed : 1388 of 1400 reflections",
    "Conventional : a=   5.43210  b=   9.40868  c=  12.34560  alpha=   90.000  beta=   90.000  "
    "gamma=   90.000   P",
    "Volume :    315.4321 ; System: hexagonal ;",
    "End of indexing run.",
});

// At 100.0 K.
inline const Expected k100KInput = {
    "100.00     5.43210     5.43210    12.34560      90.000      90.000     120.000      315.432"
    "  hexagonal      P",
    {"100.00             5.43210", "100.00             5.43210", "100.00            12.34560",
     "100.00            90.00000", "100.00            90.00000", "100.00           120.00000",
     "100.00           315.43210"},
};
inline const Expected k100KConventional = {
    "100.00     5.43210     9.40868    12.34560      90.000      90.000      90.000      315.432"
    "  hexagonal      P",
    {"100.00             5.43210", "100.00             9.40868", "100.00            12.34560",
     "100.00            90.00000", "100.00            90.00000", "100.00            90.00000",
     "100.00           315.43210"},
};

// Indented conventional-cell line; the crystal system preceded by blanks.
inline const std::string kDirax200K = lf({
    "DIRAX-like cell output, made up for the korvex tests: 200 K",
    "",
    "{Input cell  a=   7.123456  b=   7.2  c=   9.87654  alpha=   89.9996  beta=  104.2345  "
    "gamma=   91.5 }",
    "  Conventional : a=   9.87654  b=   7.20000  c=   7.12346  alpha=   90.000  beta=  104.235  "
    "gamma=   90.000   C",
    "Volume :   1234.56789 ; System:    monoclinic ;",
});

// At 200 K. The single-precision value of 104.2345 is 104.234497..., so F12.3
// gives 104.234 and F20.5 104.23450; 1234.56789 is 1234.56787109375.
inline const Expected k200KInput = {
    "200.00     7.12346     7.20000     9.87654      90.000     104.234      91.500     1234.568"
    "  monoclinic     C",
    {"200.00             7.12346", "200.00             7.20000", "200.00             9.87654",
     "200.00            89.99960", "200.00           104.23450", "200.00            91.50000",
     "200.00          1234.56787"},
};
inline const Expected k200KConventional = {
    "200.00     9.87654     7.20000     7.12346      90.000     104.235      90.000     1234.568"
    "  monoclinic     C",
    {"200.00             9.87654", "200.00             7.20000", "200.00             7.12346",
     "200.00            90.00000", "200.00           104.23500", "200.00            90.00000",
     "200.00          1234.56787"},
};

// No line of a recognised kind: lines that only look like them.
inline const std::string kDiraxNoCell = lf({
    "DIRAX-like cell output, made up for the korvex tests: 150 K",
    "Too few reflections: no periodicity found.",
    "Input cell: none",
    "Conventional: none",
});

// An input cell but no conventional-cell line: a cell in input-cell mode only,
// with no lattice letter.
inline const std::string kDiraxInputOnly = lf({
    " {Input cell  a=  10.0  b=  10.5  c=  11.0  alpha=  80.0  beta=  85.0  gamma=  95.0 }",
    " Volume : 1100.5 ; System: triclinic ;",
});

// At 250 K: blank lattice, A4 gives four blanks.
inline const Expected kInputOnlyInput = {
    "250.00    10.00000    10.50000    11.00000      80.000      85.000      95.000     1100.500"
    "  triclinic   "
    "    ",
    {"250.00            10.00000", "250.00            10.50000", "250.00            11.00000",
     "250.00            80.00000", "250.00            85.00000", "250.00            95.00000",
     "250.00          1100.50000"},
};

// CR LF lines; a crystal-system name of 14 characters, cut to 12 in the table.
inline const std::string kDirax300K = testutil::crlf({
    "DIRAX-like cell output, made up for the korvex tests: 295 K",
    "   {Input cell  a=   5.45  b=   5.45  c=  12.4  alpha=  90  beta=  90  gamma= 120 }",
    "Conventional : a=   5.45000  b=   9.43968  c=  12.40000  alpha=   90.000  beta=   90.000  "
    "gamma=   90.000   R",
    "Volume :    318.987 ; System: hexagonal axes ;",
});

// At 295.15 K.
inline const Expected k300KInput = {
    "295.15     5.45000     5.45000    12.40000      90.000      90.000     120.000      318.987"
    "  hexagonal ax   R",
    {"295.15             5.45000", "295.15             5.45000", "295.15            12.40000",
     "295.15            90.00000", "295.15            90.00000", "295.15           120.00000",
     "295.15           318.98700"},
};
inline const Expected k300KConventional = {
    "295.15     5.45000     9.43968    12.40000      90.000      90.000      90.000      318.987"
    "  hexagonal ax   R",
    {"295.15             5.45000", "295.15             9.43968", "295.15            12.40000",
     "295.15            90.00000", "295.15            90.00000", "295.15            90.00000",
     "295.15           318.98700"},
};

}  // namespace e2e
