#include "expansion/strain.h"

namespace expansion {

std::string measure_key(StrainMeasure measure) {
  return std::string(measure.lagrangian ? "lagrangian" : "eulerian") +
         (measure.finite ? "-finite" : "-infinitesimal");
}

std::string measure_name(StrainMeasure measure) {
  return std::string(measure.lagrangian ? "Lagrangian" : "Eulerian") +
         (measure.finite ? " finite" : " infinitesimal");
}

Eigen::Matrix3d deformation_gradient(const Eigen::Matrix3d& reference,
                                     const Eigen::Matrix3d& basis) {
  return basis * reference.inverse();
}

Eigen::Matrix3d strain_tensor(const Eigen::Matrix3d& f, StrainMeasure measure) {
  const Eigen::Matrix3d id = Eigen::Matrix3d::Identity();
  if (measure.lagrangian) {
    if (measure.finite) return 0.5 * (f.transpose() * f - id);
    return 0.5 * (f + f.transpose()) - id;
  }
  const Eigen::Matrix3d inv = f.inverse();
  if (measure.finite) return 0.5 * (id - inv.transpose() * inv);
  return id - 0.5 * (inv + inv.transpose());
}

}  // namespace expansion
