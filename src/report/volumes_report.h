// The outputs of a pressure series whose points give volumes but not every
// one a cell (a P-V table, EosFit data): the equations of state alone, no
// principal axes, each output saying so. The equations' numbers are those of
// eos_report.h; the JSON follows the schema of both modes (report.h), with
// strain, symmetry, axes and volume null.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "chart/picture.h"
#include "expansion/eos_analysis.h"
#include "report/report.h"

namespace report {

[[nodiscard]] std::string volumes_text_report(const expansion::EosAnalysis& eos,
                                              const Source& source);
[[nodiscard]] nlohmann::ordered_json volumes_json_document(const expansion::EosAnalysis& eos,
                                                           const Source& source);
[[nodiscard]] std::string volumes_json_report(const expansion::EosAnalysis& eos,
                                              const Source& source);
// The sections of eos_csv, the first after an empty line.
[[nodiscard]] std::string volumes_csv_report(const expansion::EosAnalysis& eos);
// The page: the method, the equations of state with every point's p, V,
// p_calc and residual, and the pictures; `title` as --title gives it.
[[nodiscard]] std::string volumes_html_report(const expansion::EosAnalysis& eos,
                                              const Source& source,
                                              const std::vector<std::string>& warnings,
                                              const std::vector<chart::Picture>& pictures,
                                              const std::optional<std::string>& title);

}  // namespace report
