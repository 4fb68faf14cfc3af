// korvex-expansion's command line: the options it takes, what each takes,
// and the usage text that lists them.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "chart/picture_options.h"
#include "common/expected.h"
#include "expansion/eos_analysis.h"
#include "expansion/monte_carlo.h"
#include "expansion/series_range.h"
#include "expansion/strain.h"
#include "inputs.h"

namespace korvex_expansion {

// What -h prints.
extern const char* const kUsage;

enum class Format { kText, kJson, kCsv };

struct Options {
  expansion::StrainMeasure measure;
  int degree = 1;
  Format format = Format::kText;
  std::optional<double> reference;
  std::optional<expansion::ValueRange> range;  // --range: the points fitted
  std::optional<std::string> svg_prefix;
  std::optional<std::string> html_file;
  chart::PictureOptions picture;
  korvex_expansion::InputNames inputs;
  expansion::Draws draws;
  bool weighted = false;
  std::optional<double> pc;   // GPa
  expansion::EosRequest eos;  // its equations the default's where --eos is not given
  bool help = false;
  bool version = false;
};

// The arguments after the program name; the reason when they cannot be run.
[[nodiscard]] common::Expected<Options> parse_arguments(std::span<const std::string_view> args);

}  // namespace korvex_expansion
