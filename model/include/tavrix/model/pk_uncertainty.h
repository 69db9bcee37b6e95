#pragma once

#include <array>

#include "tavrix/model/rb_model.h"

namespace tavrix {

// The covariance of the fitted parameters, rows and columns in the order
// pK298, A, B; the rows and columns of a parameter held are zero.
using ParameterCovariance = std::array<std::array<double, 3>, 3>;

// The uncertainty of the model's pK at a point, sqrt(g' C g) with g the
// basis terms (tau, Q, Q/T) there: the ± of pK at the level of the
// covariance (about 95 % for a fit's, as its parameters' ± are).
double PkUncertainty(const ParameterCovariance& covariance, const RBBasisTerms& basis);

}  // namespace tavrix
