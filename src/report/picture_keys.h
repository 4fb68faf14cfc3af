// What the pictures' keys write of each quantity (chart::KeyTexts), from the
// mode's table of quantities, so that a key reads as the report does.
#pragma once

#include "chart/expansion_pictures.h"
#include "expansion/monte_carlo.h"
#include "expansion/pressure_draws.h"

namespace report {

[[nodiscard]] chart::KeyTexts picture_keys(const expansion::SeriesAnalysis& result);
[[nodiscard]] chart::KeyTexts picture_keys(const expansion::PressureSeries& series);

}  // namespace report
