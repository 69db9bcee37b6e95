#pragma once

#include <random>
#include <string>

#include "support/data_sheet.h"

namespace tavrix::testing_support {

// Data sheets as users fill them, from a seed. Next() pushes the program to
// its edges: numbers too large for the masks, huge and tiny pK, "<" points
// repeated at one condition, values that round at the masks' last digit.
// Measured() gives sheets of the model's kind: noisy points of a plausible
// complex over the whole range, some of them "<" limits or weight 0.
class RandomSheets {
 public:
  explicit RandomSheets(unsigned seed) : random_(seed) {}

  SheetContents Next();
  SheetContents Measured();

 private:
  int Pick(int n);
  double Uniform(double low, double high);
  std::string Choose(std::initializer_list<std::string> texts);
  std::string Parameter();
  TypedPoint Point();

  std::mt19937 random_;
};

}  // namespace tavrix::testing_support
