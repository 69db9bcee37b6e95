#include "tavrix/datasheet/evaluation.h"

#include "tavrix/water/water.h"

namespace tavrix {
namespace {

// The weighted sums, each multiplied left to right in double precision:
// sum of Term(i) Term(j) w w.
double WeightedSum(const DataSheet& sheet, const Evaluation& e, int i, int j) {
  double S = 0;
  for (std::size_t k = 0; k < sheet.points.size(); ++k) {
    const double w = sheet.points[k].weight;
    if (w > 0) S = S + e.terms[k].Term(i) * e.terms[k].Term(j) * w * w;
  }
  return S;
}

// Term 0 of a point is its pK, term i its row's entry i - 1.
double ModelTerm(const ModelEvaluation& e, std::size_t k, std::size_t i) {
  return i == 0 ? e.pK[k] : e.rows[k][i - 1];
}

// The normal equations from the points, as WeightedSum forms RB's.
void FormNormalEquations(ModelEvaluation& e) {
  const auto count = static_cast<std::size_t>(e.model->count);
  for (std::size_t i = 1; i <= count; ++i) {
    for (std::size_t j = 0; j <= i; ++j) {
      double S = 0;
      for (std::size_t k = 0; k < e.rows.size(); ++k) {
        const double w = e.weight[k];
        if (w > 0) S = S + ModelTerm(e, k, i) * ModelTerm(e, k, j) * w * w;
      }
      if (j == 0) {
        e.rhs[i - 1] = S;
      } else {
        e.matrix[i - 1][j - 1] = S;
        e.matrix[j - 1][i - 1] = S;
      }
    }
  }
}

// Everything but the rows and the normal equations.
ModelEvaluation PointsOf(const DataSheet& sheet, const Model& model) {
  ModelEvaluation e;
  e.model = &model;
  for (std::size_t k = 0; k < sheet.points.size(); ++k) {
    const DataPoint& point = sheet.points[k];
    e.pK.push_back(point.pK);
    e.weight.push_back(point.weight);
    if (point.kind == PointKind::kWeighted) ++e.weighted;
    if (point.kind == PointKind::kUpperLimit) e.limits.push_back(static_cast<int>(k));
  }
  return e;
}

}  // namespace

Evaluation Evaluate(const DataSheet& sheet) {
  Evaluation e;
  for (std::size_t k = 0; k < sheet.points.size(); ++k) {
    const DataPoint& point = sheet.points[k];
    e.terms.push_back({point.pK, RBBasis(KelvinOf(point.t), point.density)});
    switch (point.kind) {
      case PointKind::kWeighted:
        ++e.weighted;
        break;
      case PointKind::kIgnored:
        ++e.ignored;
        break;
      case PointKind::kUpperLimit:
        e.limits.push_back(static_cast<int>(k));
        break;
    }
  }
  for (int i = 1; i <= 3; ++i) {
    for (int j = 0; j <= i; ++j) {
      const double S = WeightedSum(sheet, e, i, j);
      if (j == 0) {
        e.normal.rhs[static_cast<std::size_t>(i - 1)] = S;
      } else {
        e.normal.matrix[static_cast<std::size_t>(i - 1)][static_cast<std::size_t>(j - 1)] = S;
        e.normal.matrix[static_cast<std::size_t>(j - 1)][static_cast<std::size_t>(i - 1)] = S;
      }
    }
  }
  return e;
}

ModelEvaluation EvaluateModel(const DataSheet& sheet, const Model& model) {
  ModelEvaluation e = PointsOf(sheet, model);
  for (const DataPoint& point : sheet.points)
    e.rows.push_back(model.row(KelvinOf(point.t), point.density));
  FormNormalEquations(e);
  return e;
}

ModelEvaluation ModelEvaluationOf(const DataSheet& sheet, const Evaluation& evaluation) {
  ModelEvaluation e = PointsOf(sheet, RBModel());
  for (const PointTerms& terms : evaluation.terms)
    e.rows.push_back({terms.basis.tau, terms.basis.Q, terms.basis.QOverT});
  for (std::size_t i = 0; i < 3; ++i) {
    e.rhs[i] = evaluation.normal.rhs[i];
    for (std::size_t j = 0; j < 3; ++j) e.matrix[i][j] = evaluation.normal.matrix[i][j];
  }
  return e;
}

ModelEvaluation Without(const ModelEvaluation& evaluation, int k) {
  ModelEvaluation e = evaluation;
  if (e.weight[static_cast<std::size_t>(k)] > 0) --e.weighted;
  e.weight[static_cast<std::size_t>(k)] = 0;
  FormNormalEquations(e);
  return e;
}

}  // namespace tavrix
