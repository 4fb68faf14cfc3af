// What the pictures' keys write of each quantity (chart::KeyTexts), from the
// mode's table of quantities, so that a key reads as the report does.
#pragma once

#include "chart/expansion_pictures.h"
#include "expansion/eos_analysis.h"
#include "expansion/monte_carlo.h"
#include "expansion/pressure_draws.h"

namespace report {

[[nodiscard]] chart::KeyTexts picture_keys(const expansion::SeriesAnalysis& result);
// Under pressure, the equations of state's numbers too (eos_quantities.h).
[[nodiscard]] chart::KeyTexts picture_keys(const expansion::PressureSeries& series,
                                           const expansion::EosAnalysis& eos);

// Of a series of volumes without cells: the equations of state's alone.
[[nodiscard]] chart::KeyTexts picture_keys(const expansion::EosAnalysis& eos);

}  // namespace report
