#pragma once

#include <optional>
#include <vector>

#include "tavrix/datasheet/evaluation.h"
#include "tavrix/sheet/sheet_host.h"

namespace tavrix {

// The mask of calculated pK, deviations and fit errors in the sheet.
inline constexpr char kPointMask[] = "####.###";

// The weighted RMS deviation sqrt(sum (w d)^2 / sum w^2) of the model with
// `par` from the experimental pK, over the weighted points whose
// calculated pK is defined; kMissing when there is none.
double FitError(const DataSheet& sheet, const Evaluation& evaluation, const RBPar& par);

// A point's calculated pK and its deviation (calculated minus
// experimental), none where a parameter is undefined.
struct PointResult {
  std::optional<double> calculated;
  std::optional<double> deviation;
};

struct FitErrors {
  double total = kMissing;
  std::vector<PointResult> points;
};

FitErrors FitErrorAtPoints(const DataSheet& sheet, const Evaluation& evaluation, const RBPar& par);

// The same for any model with the values of its parameters (for RB, the
// same numbers as from its RBPar).
double FitError(const ModelEvaluation& evaluation, const ModelValues& values);
FitErrors FitErrorAtPoints(const ModelEvaluation& evaluation, const ModelValues& values);

// Where the fit errors stand: E12 for the initial values, F12 for the fit.
enum class FitErrorCell { kInitial, kOptimized };

// What a fit error's cell holds: the number "####.###" shows, or "?".
CellContent FitErrorContent(double error);

// Writes a fit error into its cell.
void WriteFitError(SheetHost& host, FitErrorCell cell, double error);

// Writes every point's calculated pK (F) and deviation (G): the numbers
// through "####.###" and their number format, "?" and an empty cell where
// there is none.
void WritePointResults(SheetHost& host, const std::vector<PointResult>& points);

}  // namespace tavrix
