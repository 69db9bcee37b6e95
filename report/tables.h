#pragma once

// The report's tables: the parameters and their correlation, the points,
// and the pK table.

#include <string>

#include "tavrix/fit/diagnostics.h"
#include "tavrix/report/report.h"

namespace tavrix::report {

// The parameters as the sheet shows them, with their uncertainties, and
// the correlation of those fitted.
std::string ParameterTable(const ReportedFit& fit, bool decComma);
std::string CorrelationTable(const FitDiagnostics& diagnostics, bool decComma);

// Every point: its conditions, weight and pK, the calculated pK, the
// residual and, for the weighted points, studentized residual, leverage,
// Cook's distance and flags.
std::string PointTable(const ReportedFit& fit, const FitDiagnostics& diagnostics, bool decComma);

// The pK table with its marks, the cells outside the data of the fit set
// apart.
std::string PkTable(const ReportedFit& fit, const ReportSettings& settings);

}  // namespace tavrix::report
