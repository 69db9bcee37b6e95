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

}  // namespace tavrix
