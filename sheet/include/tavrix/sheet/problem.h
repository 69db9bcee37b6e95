#pragma once

#include <array>
#include <string>
#include <vector>

#include "tavrix/model/rb_model.h"

namespace tavrix {

// Data-sheet error codes; 0 is success.
enum SheetErrorCode : int {
  kNoError = 0,
  kUnexpectedError = 1,
  kFormatError = 2,
  kMissingData = 3,
  kOutOfRange = 4,
  kNoSaturation = 5,
  kNegativeWeight = 6,
  kInvalidNumber = 7,
  kCellNotEmpty = 8,
  kWrongComposition = 9,
  kNoComposition = 10,
  kPressureOrDensity = 11,
  kNoDensity = 12,
};

// The message of an error code; "" for 0 and for codes it does not know.
std::string ErrorMessage(int code);

// What an "Unexpected error" at the row after the last point means.
inline constexpr char kTooManyPoints[] = "a data sheet holds at most 32 767 points";

// The one problem the program works on: what the data-sheet pass reads
// from the sheet and derives from it, and what the optimizer reads. The
// front end creates it and passes it to the engine.
struct Problem {
  // Settings.
  bool NoLimits = false;                 // "/ie": lifts some range limits
  std::array<std::string, 3> ParFmt = {  // masks of pK(298), A(zz/a), B(zz/a)
      "####.###", "####.###", "#####.##"};

  // Set by the pass.
  std::string BookName;
  std::string SheetName;
  bool DecComma = false;
  int ErrCode = kNoError;
  std::string ErrText;
  std::string ErrDetail;  // what the code alone does not say, or ""

  RBPar RefPar;  // column B
  RBPar IniPar;  // column E
  RBPar OptPar;  // column F; the optimizer's result

  std::array<int, 5> Coef{};  // Coef[0] = number of species, Coef[1..4] coefficients
  SpeciesNames Species;       // parallel to Coef, 14 characters each

  // Points 1..NPoints; element 0 of each array carries nothing.
  int NPoints = 0;
  std::vector<float> PtT;   // degrees C
  std::vector<float> PtP;   // bar; 1E35 when the density was given
  std::vector<float> PtD;   // g/cm3
  std::vector<float> PtW;   // weight; -1 a "<" point, 0 an ignored one
  std::vector<float> PtPK;  // experimental pK

  // After a clean pass: PtBasis[k] = {pK, tau, Q, Q/T} of point k, the
  // weighted normal matrix NormMat[1..3][1..3] with its right-hand side in
  // NormMat[1..3][0], the "<" points in sheet order (RestrList[1..NRestr]).
  std::vector<std::array<double, 4>> PtBasis;
  std::array<std::array<double, 4>, 4> NormMat{};
  std::vector<int> RestrList{0};
  int NRestr = 0;
  int NWeighted = 0;
  int NZero = 0;

  int LastNPoints = 0;  // point count of the previous clean read
};

}  // namespace tavrix
