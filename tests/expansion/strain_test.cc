// PASCal's Eulerian strain against the same strain computed the way PASCal
// builds it: each cell's matrix written out from its six parameters in
// PASCal's frame (c along z, b in the y-z plane), s = I - A_ref A^-1,
// e = (s + s^T + s s^T) / 2.
#include "expansion/strain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "crystal/cell.h"
#include "expansion/analysis.h"

namespace {

// The lower-triangular matrix of the cell's vectors (as columns) in PASCal's
// frame, from the cell's parameters (International Tables B, 3.3.1).
Eigen::Matrix3d pascal_matrix(const crystal::Cell& c) {
  const double r = std::numbers::pi / 180;
  const double ca = std::cos(c.alpha * r), cb = std::cos(c.beta * r), cg = std::cos(c.gamma * r);
  const double sa = std::sin(c.alpha * r), sb = std::sin(c.beta * r);
  const double cos_gs = (ca * cb - cg) / (sa * sb);
  const double sin_gs = std::sqrt(1 - cos_gs * cos_gs);
  Eigen::Matrix3d m;
  m << c.a * sb * sin_gs, 0, 0, -c.a * sb * cos_gs, c.b * sa, 0, c.a * cb, c.b * ca, c.c;
  return m;
}

Eigen::Vector3d pascal_principal_strains(const crystal::Cell& ref, const crystal::Cell& cell) {
  const Eigen::Matrix3d s =
      Eigen::Matrix3d::Identity() - pascal_matrix(ref) * pascal_matrix(cell).inverse();
  const Eigen::Matrix3d e = 0.5 * (s + s.transpose() + s * s.transpose());
  return Eigen::SelfAdjointEigenSolver<Eigen::Matrix3d>(e).eigenvalues();
}

// A stretch by l along a cell axis: s = 1 - 1/l, e = s + s^2/2 (finite), s
// (infinitesimal).
TEST(PascalStrain, StretchAlongACellAxis) {
  for (const double l : {1.01, 0.97, 1.2}) {
    const Eigen::Matrix3d f = Eigen::Vector3d(1, l, 1).asDiagonal();
    const double s = 1 - 1 / l;
    EXPECT_NEAR(s + s * s / 2,
                expansion::strain_tensor(f, {expansion::StrainKind::kPascal, true})(1, 1), 1e-15);
    EXPECT_NEAR(s, expansion::strain_tensor(f, {expansion::StrainKind::kPascal, false})(1, 1),
                1e-15);
  }
}

// Triclinic and monoclinic pairs, placed with a along x (crystal::basis) and
// turned as a whole: the principal strains are PASCal's, and the textbook
// Eulerian ones differ from them in the second order.
TEST(PascalStrain, PrincipalStrainsAreThoseOfPascalsFrame) {
  const crystal::Cell pairs[][2] = {
      {{6.6200, 11.3500, 6.6230, 90, 78.5, 90}, {6.6415, 11.4251, 6.5959, 90, 78.284, 90}},
      {{7.1, 8.3, 9.2, 84.0, 101.5, 95.0}, {7.16, 8.27, 9.31, 84.6, 100.9, 95.8}},
  };
  const Eigen::Matrix3d turn =
      Eigen::AngleAxisd(1.1, Eigen::Vector3d(3, -1, 2).normalized()).toRotationMatrix();
  for (const auto& pair : pairs) {
    const Eigen::Vector3d want = pascal_principal_strains(pair[0], pair[1]);
    for (const Eigen::Matrix3d& placed : {Eigen::Matrix3d::Identity().eval(), turn}) {
      const Eigen::Matrix3d e = expansion::strain_between(placed * crystal::basis(pair[0]),
                                                          placed * crystal::basis(pair[1]),
                                                          {expansion::StrainKind::kPascal, true});
      const Eigen::Vector3d got = Eigen::SelfAdjointEigenSolver<Eigen::Matrix3d>(e).eigenvalues();
      EXPECT_TRUE(got.isApprox(want, 1e-11)) << got.transpose() << " vs " << want.transpose();
    }
    const Eigen::Matrix3d textbook = expansion::strain_between(
        crystal::basis(pair[0]), crystal::basis(pair[1]), {expansion::StrainKind::kEulerian, true});
    const Eigen::Vector3d other =
        Eigen::SelfAdjointEigenSolver<Eigen::Matrix3d>(textbook).eigenvalues();
    EXPECT_GT((other - want).cwiseAbs().maxCoeff(), 1e-6);
  }
}

// The directions are lines of the cell: in a monoclinic series one principal
// axis is b, whatever frame the cells came in.
TEST(PascalStrain, MonoclinicSeriesKeepsAnAxisAlongB) {
  std::vector<double> t;
  std::vector<Eigen::Matrix3d> bases;
  for (int i = 0; i < 5; ++i) {
    const double d = 25.0 * i;
    t.push_back(100 + d);
    bases.push_back(crystal::basis({10.2 * (1 + 8e-6 * d), 6.1 * (1 + 4e-6 * d),
                                    8.3 * (1 + 15e-6 * d), 90, 105.3 + 4e-3 * d, 90}));
  }
  const auto an = expansion::analyse(t, bases, 0, {expansion::StrainKind::kPascal, true}, 1);
  ASSERT_TRUE(an) << an.error().message;
  const auto along_b = std::count_if(an->axes.begin(), an->axes.end(), [](const auto& axis) {
    return axis.uvw.isApprox(Eigen::Vector3d(0, 1, 0), 1e-9);
  });
  EXPECT_EQ(1, along_b);
}

}  // namespace
