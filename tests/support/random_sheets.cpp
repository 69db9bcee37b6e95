#include "support/random_sheets.h"

namespace tavrix::testing_support {

int RandomSheets::Pick(int n) {
  return std::uniform_int_distribution<int>(0, n - 1)(random_);
}

double RandomSheets::Uniform(double low, double high) {
  return std::uniform_real_distribution<double>(low, high)(random_);
}

std::string RandomSheets::Choose(std::initializer_list<std::string> texts) {
  return *(texts.begin() + Pick(static_cast<int>(texts.size())));
}

std::string RandomSheets::Parameter() {
  switch (Pick(8)) {
    case 0:
      return Choose({"?", "", "0"});
    case 1:
      return Choose({"1e10", "-1e10", "99999.996", "9999.9996", "-999.9996", "1e-30"});
    default:
      return NumberText(Uniform(-500, 500));
  }
}

TypedPoint RandomSheets::Point() {
  TypedPoint p;
  const double t = Uniform(0, 800);
  p.t = Pick(16) == 0 ? Choose({"0", "1000", "374", "-10"}) : NumberText(t);
  if (Pick(5) == 0) {
    p.D = Choose({"0.31", "1", "0.5", "2"});
  } else {
    p.P = Pick(3) == 0 && t < 370 ? "0" : NumberText(Uniform(0.001, 5000));
  }
  p.weight = Choose({"1", "1", "2", "0", "<", "0.5"});
  p.pK =
      Pick(10) == 0 ? Choose({"1e10", "-1e10", "1e-30", "12345.678"}) : NumberText(Uniform(-5, 10));
  return p;
}

SheetContents RandomSheets::Next() {
  SheetContents contents;
  for (int i = 0; i < 3; ++i) {
    contents.reference[i] = Parameter();
    contents.initial[i] = Pick(4) == 0 ? Parameter() : "";
    contents.optimized[i] = Pick(5) == 0 ? Parameter() : "";
    contents.uncertainty[i] = Pick(3) == 0 ? "0.1" : "";
  }
  contents.points.clear();
  const int n = 1 + Pick(8);
  for (int k = 0; k < n; ++k) {
    const bool repeat = k > 0 && Pick(4) == 0;  // a repeated measurement
    TypedPoint point = repeat ? contents.points.back() : Point();
    if (repeat) point.pK = Choose({point.pK, "0.5", "-3"});
    contents.points.push_back(point);
  }
  return contents;
}

SheetContents RandomSheets::Measured() {
  const RBPar truth{Uniform(-3, 3), static_cast<float>(Uniform(-2, 2)),
                    static_cast<float>(Uniform(-500, 500))};
  SheetContents contents;
  contents.reference[0] = Pick(3) == 0 ? NumberText(truth.pK298) : "?";
  contents.reference[1] = Pick(3) == 0 ? NumberText(truth.A) : "?";
  contents.reference[2] = Pick(3) == 0 ? NumberText(truth.B) : "?";
  contents.points.clear();
  const int n = 4 + Pick(40);
  for (int k = 0; k < n; ++k) {
    const float t = static_cast<float>(Uniform(5, 700));
    const bool saturated = t < 350 && Pick(3) == 0;
    const float P = saturated ? 0.0f : static_cast<float>(Uniform(300, 4000));
    const std::string weight = Pick(8) == 0 ? "<" : (Pick(10) == 0 ? "0" : "1");
    const double shift = weight == "<" ? -Uniform(0, 0.3) : Uniform(-0.05, 0.05);
    contents.points.push_back(ModelPoint(truth, t, P, weight, shift));
  }
  return contents;
}

}  // namespace tavrix::testing_support
