#include "tavrix/fit/fit_matrix.h"

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

}  // namespace tavrix
