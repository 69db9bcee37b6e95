#pragma once

#include <array>

namespace tavrix {

// The optimizer's work matrix, indices 0..6 in both places. For a system
// of m unknowns: a(i, j), 1 <= i, j <= m, the symmetric system matrix (its
// inverse after InvertSymmetric); a(i, 0) the right-hand side; a(0, i) the
// solution.
struct FitMat {
  static constexpr int kMaxUnknowns = 6;
  std::array<std::array<double, kMaxUnknowns + 1>, kMaxUnknowns + 1> a{};
  double& operator()(int i, int j) {
    return a[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
  }
  double operator()(int i, int j) const {
    return a[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
  }
};

// Moves the known value v of unknown k into the right-hand side and
// deletes unknown k: m decreases by one.
void EliminateParam(FitMat& fit, double v, int k, int& m);

// Gauss-Jordan inversion of the symmetric matrix (1..m, 1..m) in place,
// with cyclic renumbering and no pivot search; reads only the upper
// triangle. A zero pivot is reported by setting m to 0.
void InvertSymmetric(FitMat& fit, int& m);

// a(0, i) = sum over j of a(j, 0) a(i, j), i = 1..m.
void Solve(FitMat& fit, int m);

}  // namespace tavrix
