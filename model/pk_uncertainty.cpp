#include "tavrix/model/pk_uncertainty.h"

#include <algorithm>
#include <cmath>

namespace tavrix {

double PkUncertainty(const ParameterCovariance& covariance, const RBBasisTerms& basis) {
  const std::array<double, 3> g = {basis.tau, basis.Q, basis.QOverT};
  double variance = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) variance += g[i] * covariance[i][j] * g[j];
  }
  // Rounding may leave a variance of zero slightly negative.
  return std::sqrt(std::max(variance, 0.0));
}

}  // namespace tavrix
