#pragma once

#include <optional>
#include <vector>

#include "householder.h"

namespace tavrix::exports {

// Functions sampled at the same points, each scaled to a largest |value| of
// 1: row i holds their values at sample i.
struct ScaledColumns {
  std::size_t n = 0;
  std::vector<double> rows;   // m rows of n
  std::vector<double> scale;  // what each column was divided by
};
// None when a column is 0 at every sample.
std::optional<ScaledColumns> ScaleColumns(const std::vector<Column>& columns);

// The minimax (Chebyshev) fit: the coefficients c of the columns whose
// largest deviation max_i |sum_j c_j column_j[i] - values[i]| is smallest,
// and that deviation.
struct ChebyshevFit {
  std::vector<double> coefficients;
  double deviation = 0;
};

// Of the chosen columns (their indices, ascending), over more samples than
// columns; none when they are not independent over the samples.
std::optional<ChebyshevFit> FitChebyshev(const ScaledColumns& columns,
                                         const std::vector<std::size_t>& chosen,
                                         const Column& values);
// Of all the columns.
std::optional<ChebyshevFit> FitChebyshev(const std::vector<Column>& columns, const Column& values);

}  // namespace tavrix::exports
