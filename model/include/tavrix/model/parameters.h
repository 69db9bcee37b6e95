#pragma once

#include <array>

#include "tavrix/model/models.h"
#include "tavrix/model/rb_model.h"

namespace tavrix {

// The three parameters of the RB model, by index: 0 pK(298), 1 A(zz/a),
// 2 B(zz/a). Their order is the order of the sheet's rows 9 to 11, of the
// unknowns of the fit and of every list of the three.
inline constexpr int kParameterCount = 3;

struct ParameterInfo {
  const char* name;     // as messages and the sheet's labels name it: "pK(298)"
  const char* option;   // as the command line names it: "pK298"
  const char* keyword;  // its row's keyword in column A: "pK(298):"
  const char* mask;     // the mask its values are shown and stored through
};

inline constexpr std::array<ParameterInfo, kParameterCount> kParameters = {{
    {"pK(298)", "pK298", "pK(298):", "####.###"},
    {"A(zz/a)", "A", "A(zz/a):", "####.###"},
    {"B(zz/a)", "B", "B(zz/a):", "#####.##"},
}};

// The one mapping from index to field. A and B are held in single
// precision: Set rounds to it.
inline double ParamValue(const RBPar& par, int index) {
  if (index == 0) return par.pK298;
  return index == 1 ? par.A : par.B;
}
inline void SetParam(RBPar& par, int index, double x) {
  if (index == 0) par.pK298 = x;
  if (index == 1) par.A = static_cast<float>(x);
  if (index == 2) par.B = static_cast<float>(x);
}

// A parameter's value is known: neither "?" nor at or beyond the mark of
// a missing value, either way.
inline bool HasValue(double x) {
  return x < kUndefinedFrom && x > -kUndefinedFrom;
}

// Which parameters a fit adjusts, by index: RB's three, or any model's (the
// entries after a model's parameters are false).
using ParameterChoice = std::array<bool, kMaxModelParameters>;

}  // namespace tavrix
