#pragma once

#include <array>
#include <vector>

#include "tavrix/datasheet/data_sheet.h"

namespace tavrix {

// A point's experimental pK and the coefficients of the three parameters
// in its model pK, in double precision: Term(0) the pK, 1 tau, 2 Q, 3 Q/T.
struct PointTerms {
  double pK = 0;
  RBBasisTerms basis{0, 0, 0};
  double Term(int i) const {
    switch (i) {
      case 0:
        return pK;
      case 1:
        return basis.tau;
      case 2:
        return basis.Q;
      default:
        return basis.QOverT;
    }
  }
};

// The weighted normal equations of the three parameters: matrix(i, j) =
// sum of w^2 Term(i+1) Term(j+1), rhs(i) = sum of w^2 Term(i+1) pK, over
// the weighted points.
struct NormalEquations {
  std::array<std::array<double, 3>, 3> matrix{};
  std::array<double, 3> rhs{};
};

// What a fit needs of a sheet that read cleanly.
struct Evaluation {
  std::vector<PointTerms> terms;  // per point
  NormalEquations normal;
  std::vector<int> limits;  // the "<" points, in sheet order
  int weighted = 0;         // points with a weight above 0
  int ignored = 0;          // points with weight 0
};

Evaluation Evaluate(const DataSheet& sheet);

}  // namespace tavrix
