// What a report concludes of a series, in either mode, as one list that the
// text report and the page both write: which axis grows most and least, what
// symmetry says of axes alike, the alarms (a coefficient or a compressibility
// below zero by more than twice its SU) and the notes of that rule (negative
// within 2 SU, or without an SU to judge it by), and the changes of phase or
// setting between neighbouring points.
#pragma once

#include <string>
#include <vector>

#include "expansion/monte_carlo.h"
#include "expansion/pressure_draws.h"
#include "report/report.h"

namespace report {

enum class ConclusionKind {
  kExtremes,  // "Greatest expansion along X3 [...]; least along X1 [...]."
  kSymmetry,  // "X1 and X2 expand alike, as the ... symmetry makes them ..."
  kAlarm,     // "X1: NEGATIVE THERMAL EXPANSION, alpha = -6.43(64) MK^-1."
  kNote,      // "X1: negative, but within 2 SU of zero, ..."
  kChange,    // "between 100 K and 130 K: the space group changes ..."
};

struct Conclusion {
  ConclusionKind kind;
  // One sentence, plain text, numbers as the report writes them; '\n' where
  // the report breaks its line.
  std::string text;
};

// The conclusions of a temperature series: greatest and least, the symmetry
// words, then each axis's and the volume's alarm or note, then the changes.
[[nodiscard]] std::vector<Conclusion> conclusions(const expansion::SeriesAnalysis& result,
                                                  const Source& source);

// The conclusions of a pressure series: greatest and least compressibility
// (by the K each axis is named by), the symmetry words, each axis's alarm
// (negative linear compressibility) or note, then the changes.
[[nodiscard]] std::vector<Conclusion> pressure_conclusions(const expansion::PressureSeries& series,
                                                           const Source& source);

// The report's lines, each starting with a blank: every conclusion but the
// changes, which the run tells on standard error as warnings.
[[nodiscard]] std::string conclusions_text(const std::vector<Conclusion>& list);

// The page's list of the same, the changes among them, each item of the
// class of its kind ("alarm", ...); nothing for an empty list.
[[nodiscard]] std::string conclusions_markup(const std::vector<Conclusion>& list);

}  // namespace report
