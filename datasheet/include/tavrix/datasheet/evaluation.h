#pragma once

#include <array>
#include <vector>

#include "tavrix/datasheet/data_sheet.h"
#include "tavrix/model/models.h"

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

// A sheet's points as a model sees them: every point's pK, weight (0 for
// a point without one) and basis row, and the weighted normal equations
// of the model's parameters, matrix(i, j) = sum of w^2 row(i) row(j) and
// rhs(i) = sum of w^2 row(i) pK over the weighted points, each sum
// multiplied left to right as Evaluate forms RB's.
struct ModelEvaluation {
  const Model* model = &RBModel();
  std::vector<double> pK;
  std::vector<double> weight;
  std::vector<ModelRow> rows;
  std::array<ModelValues, kMaxModelParameters> matrix{};
  ModelValues rhs{};
  std::vector<int> limits;  // the "<" points, in sheet order
  int weighted = 0;
};

ModelEvaluation EvaluateModel(const DataSheet& sheet, const Model& model);
// RB's from the pass's evaluation: the same numbers, not evaluated again.
ModelEvaluation ModelEvaluationOf(const DataSheet& sheet, const Evaluation& evaluation);
// The same points with point k (a weighted one) taken out of the fit.
ModelEvaluation Without(const ModelEvaluation& evaluation, int k);

}  // namespace tavrix
