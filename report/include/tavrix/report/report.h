#pragma once

#include <string>

#include "tavrix/datasheet/evaluation.h"
#include "tavrix/fit/fit.h"

namespace tavrix {

// A fit to report: the sheet, the evaluation of its points, the fit it
// shows solved again from them (ShownFitOutcome) and its parameters as the
// sheet shows them.
struct ReportedFit {
  const DataSheet& sheet;
  const Evaluation& evaluation;
  const FitOutcome& outcome;
  const RBPar& shown;
};

struct ReportSettings {
  bool noLimits = false;  // --ie: the table and the plot also where the water is gas or steam
  bool decComma = false;  // numbers with a decimal comma, as the sheet and the table write them
  std::string date = "";  // when the report was made (ReportDate)
};

// The report of a fit as one HTML page that needs nothing else (no
// scripts, no fonts or pictures from elsewhere) and prints on A4: the
// sheet's title, complex and species; the parameters with their
// uncertainties and correlation; the fit error, the points and degrees of
// freedom and the warnings `tavrix fit` gives; the plot of the fit and the
// residuals against t and density (inline SVG); every point with its
// calculated pK, residual, studentized residual and flags; the pK table
// with its marks; the ThermoFun record and the PHREEQC block; the
// program's version and the date.
std::string FitReport(const ReportedFit& fit, const ReportSettings& settings);

// Today's date in local time, "2025-03-14".
std::string ReportDate();

}  // namespace tavrix
