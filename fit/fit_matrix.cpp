#include "tavrix/fit/fit_matrix.h"

#include <algorithm>
#include <cmath>

namespace tavrix {

void EliminateParam(FitMat& fit, double v, int k, int& m) {
  for (int i = 1; i <= m; ++i) fit(i, 0) = fit(i, 0) - v * fit(i, k);
  for (int j = k + 1; j <= m; ++j) {
    for (int i = 1; i <= m; ++i) fit(i, j - 1) = fit(i, j);
  }
  for (int i = k + 1; i <= m; ++i) {
    for (int j = 0; j <= m - 1; ++j) fit(i - 1, j) = fit(i, j);
  }
  m = m - 1;
}

void InvertSymmetric(FitMat& fit, int& m) {
  std::array<double, FitMat::kMaxUnknowns + 1> h{};
  for (int step = 0; step < m; ++step) {
    double p = fit(1, 1);
    if (p == 0) {
      m = 0;
      return;
    }
    p = -1 / p;
    for (int i = 1; i <= m - 1; ++i) h[static_cast<std::size_t>(i)] = fit(1, i + 1);
    for (int i = 1; i <= m - 1; ++i) {
      const double q = p * h[static_cast<std::size_t>(i)];
      fit(i, m) = q;
      for (int j = i; j <= m - 1; ++j)
        fit(i, j) = q * h[static_cast<std::size_t>(j)] + fit(i + 1, j + 1);
    }
    fit(m, m) = p;
  }
  for (int i = 1; i <= m; ++i) {
    for (int j = i; j <= m; ++j) {
      fit(i, j) = -fit(i, j);
      if (j > i) fit(j, i) = fit(i, j);
    }
  }
}

void Solve(FitMat& fit, int m) {
  for (int i = 1; i <= m; ++i) {
    double sum = 0;
    for (int j = 1; j <= m; ++j) sum = sum + fit(j, 0) * fit(i, j);
    fit(0, i) = sum;
  }
}

std::vector<int> UndeterminedUnknowns(const FitMat& fit, int m, double tolerance) {
  constexpr std::size_t kSize = FitMat::kMaxUnknowns + 1;
  std::array<double, kSize> scale{};
  std::array<std::array<double, kSize>, kSize> l{};  // unit lower triangle of the factors
  std::array<double, kSize> d{};                     // pivots
  std::vector<int> undetermined;
  const auto at = [](auto& a, int i, int j) -> auto& {
    return a[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
  };
  for (int i = 1; i <= m; ++i) {
    const double diagonal = fit(i, i);
    scale[static_cast<std::size_t>(i)] = diagonal > 0 ? 1 / std::sqrt(diagonal) : 0;
  }
  for (int i = 1; i <= m; ++i) {
    const auto si = scale[static_cast<std::size_t>(i)];
    double pivot = si > 0 ? 1 : 0;
    for (int k = 1; k < i; ++k) pivot -= at(l, i, k) * at(l, i, k) * d[static_cast<std::size_t>(k)];
    if (!(pivot >= tolerance)) {
      undetermined.push_back(i);
      continue;  // d(i) = 0: the unknown adds nothing to the ones after it
    }
    d[static_cast<std::size_t>(i)] = pivot;
    for (int j = i + 1; j <= m; ++j) {
      double sum = fit(std::min(i, j), std::max(i, j)) * si * scale[static_cast<std::size_t>(j)];
      for (int k = 1; k < i; ++k) sum -= at(l, j, k) * at(l, i, k) * d[static_cast<std::size_t>(k)];
      at(l, j, i) = sum / pivot;
    }
  }
  return undetermined;
}

}  // namespace tavrix
