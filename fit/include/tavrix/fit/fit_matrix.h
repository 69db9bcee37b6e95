#pragma once

#include <array>
#include <vector>

namespace tavrix {

// The optimizer's work matrix, indices 0..10 in both places: room for a
// model's seven parameters and three "<" limits held. For a system of m
// unknowns: a(i, j), 1 <= i, j <= m, the symmetric system matrix (its
// inverse after InvertSymmetric); a(i, 0) the right-hand side; a(0, i) the
// solution.
struct FitMat {
  static constexpr int kMaxUnknowns = 10;
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

// The unknowns (1..m, ascending) that the symmetric positive semi-definite
// system (1..m, 1..m) does not determine: scaled to a unit diagonal, the
// system is factorised in order, and an unknown whose pivot is below
// `tolerance` depends on the ones before it. Empty for a regular system.
std::vector<int> UndeterminedUnknowns(const FitMat& fit, int m, double tolerance = 1e-12);

}  // namespace tavrix
