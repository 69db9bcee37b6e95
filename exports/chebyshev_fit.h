#pragma once

#include <optional>
#include <vector>

#include "householder.h"

namespace tavrix::exports {

// The minimax (Chebyshev) fit: the coefficients c of the columns whose
// largest deviation max_i |sum_j c_j column_j[i] - values[i]| is smallest,
// and that deviation.
struct ChebyshevFit {
  std::vector<double> coefficients;
  double deviation = 0;
};

// Over the samples the columns and values give (more samples than
// columns); none when the columns are not independent over them.
std::optional<ChebyshevFit> FitChebyshev(const std::vector<Column>& columns, const Column& values);

}  // namespace tavrix::exports
