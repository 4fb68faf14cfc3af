// DIALS experiment lists (.expt): JSON, an object whose "crystal" array holds
// one model per crystal:
//
//   {"__id__": "ExperimentList", ...,
//    "crystal": [{"__id__": "crystal",
//                 "real_space_a": [35.125, -8.760, 21.704],
//                 "real_space_b": [...], "real_space_c": [...],
//                 "space_group_hall_symbol": " P 4 2",
//                 "B_covariance": [81 numbers]}]}
//
// Each crystal is one entry (named "FILE:crystal N", N from 0, when the list
// holds more than one): the cell from the lengths of the three real-space
// vectors and the angles between them, the lattice letter from the Hall
// symbol and the crystal system from its space group.
//
// The file is parsed as a stream of which the crystal models' items alone are
// kept, so that the memory taken is that of the models, not of the file's
// other contents; nesting deeper than 256 levels and more than 100000 crystal
// models are refused, and `interrupted`, when given, is asked every few
// thousand elements: when it says so, the read ends with the error
// "interrupted".
//
// SUs, where the crystal carries B_covariance: the covariance of the nine
// elements of B, row by row. B holds the reciprocal basis vectors as its
// columns in the crystal's own Cartesian frame (A = U B, U the orientation);
// DIALS writes it lower triangular, the transpose of the fractionalization
// matrix for a along x and b in the x-y plane, so it follows from the cell
// alone. The real-space basis is the columns of B^-T, whose metric
// G = B^-1 B^-T gives the six parameters. To first order their covariance is
// J C J^T, C the covariance of B and J the derivatives of the six parameters
// by the nine elements, taken by central differences; each SU is the square
// root of a diagonal element. An SU below 1e-10 of its parameter is rounding
// left by a parameter the lattice holds fixed (a cubic cell's angles): none.
#pragma once

#include <string_view>

#include "common/expected.h"
#include "formats/cell_read.h"

namespace formats {

[[nodiscard]] common::Expected<CellRead> read_dials_expt(std::string_view bytes,
                                                         std::string_view source,
                                                         const Interrupted& interrupted = {});

}  // namespace formats
