#include "expansion/strain.h"

#include <Eigen/Eigenvalues>
#include <cmath>

namespace expansion {

std::string measure_key(StrainMeasure measure) {
  switch (measure.kind) {
    case StrainKind::kNatural:
      return "natural";
    case StrainKind::kLagrangian:
      return measure.finite ? "lagrangian-finite" : "lagrangian-infinitesimal";
    case StrainKind::kPascal:
      return measure.finite ? "pascal-finite" : "pascal-infinitesimal";
    case StrainKind::kEulerian:
      break;
  }
  return measure.finite ? "eulerian-finite" : "eulerian-infinitesimal";
}

std::string measure_name(StrainMeasure measure) {
  switch (measure.kind) {
    case StrainKind::kNatural:
      return "natural (Hencky)";
    case StrainKind::kLagrangian:
      return measure.finite ? "Lagrangian finite" : "Lagrangian infinitesimal";
    case StrainKind::kPascal:
      return measure.finite ? "PASCal's Eulerian finite" : "PASCal's Eulerian infinitesimal";
    case StrainKind::kEulerian:
      break;
  }
  return measure.finite ? "Eulerian finite" : "Eulerian infinitesimal";
}

std::optional<StrainKind> strain_kind_named(std::string_view name) {
  if (name == "natural") return StrainKind::kNatural;
  if (name == "eulerian") return StrainKind::kEulerian;
  if (name == "lagrangian") return StrainKind::kLagrangian;
  if (name == "pascal") return StrainKind::kPascal;
  return std::nullopt;
}

bool in_reference_state(StrainMeasure measure) {
  return measure.kind == StrainKind::kNatural || measure.kind == StrainKind::kLagrangian;
}

Eigen::Matrix3d deformation_gradient(const Eigen::Matrix3d& reference,
                                     const Eigen::Matrix3d& basis) {
  return basis * reference.inverse();
}

namespace {

// ln U = 1/2 ln(F^T F), from the eigen decomposition of the symmetric,
// positive definite F^T F.
Eigen::Matrix3d natural_strain(const Eigen::Matrix3d& f) {
  const Eigen::SelfAdjointEigenSolver<Eigen::Matrix3d> solver(f.transpose() * f);
  Eigen::Vector3d logs;
  for (int i = 0; i < 3; ++i) logs(i) = 0.5 * std::log(solver.eigenvalues()(i));
  return solver.eigenvectors() * logs.asDiagonal() * solver.eigenvectors().transpose();
}

}  // namespace

Eigen::Matrix3d strain_tensor(const Eigen::Matrix3d& f, StrainMeasure measure) {
  const Eigen::Matrix3d id = Eigen::Matrix3d::Identity();
  if (measure.kind == StrainKind::kNatural) return natural_strain(f);
  if (measure.kind == StrainKind::kLagrangian) {
    if (measure.finite) return 0.5 * (f.transpose() * f - id);
    return 0.5 * (f + f.transpose()) - id;
  }
  const Eigen::Matrix3d inv = f.inverse();
  if (measure.kind == StrainKind::kPascal) {
    const Eigen::Matrix3d s = id - inv;
    const Eigen::Matrix3d first = 0.5 * (s + s.transpose());
    return measure.finite ? Eigen::Matrix3d(first + 0.5 * s * s.transpose()) : first;
  }
  if (measure.finite) return 0.5 * (id - inv.transpose() * inv);
  return id - 0.5 * (inv + inv.transpose());
}

Eigen::Matrix3d pascal_frame(const Eigen::Matrix3d& basis) {
  const Eigen::Vector3d z = basis.col(2).normalized();
  const Eigen::Vector3d x = basis.col(1).cross(basis.col(2)).normalized();
  Eigen::Matrix3d q;
  q.row(0) = x.transpose();
  q.row(1) = z.cross(x).transpose();
  q.row(2) = z.transpose();
  return q;
}

Eigen::Matrix3d strain_between(const Eigen::Matrix3d& reference, const Eigen::Matrix3d& basis,
                               StrainMeasure measure) {
  const Eigen::Matrix3d f = deformation_gradient(reference, basis);
  if (measure.kind != StrainKind::kPascal) return strain_tensor(f, measure);
  // Placed in PASCal's frame the cells are q_ref * reference and q * basis,
  // so that their F is q F q_ref^T.
  const Eigen::Matrix3d q_ref = pascal_frame(reference), q = pascal_frame(basis);
  const Eigen::Matrix3d placed = strain_tensor(q * f * q_ref.transpose(), measure);
  return q.transpose() * placed * q;
}

}  // namespace expansion
