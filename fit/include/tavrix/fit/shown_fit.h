#pragma once

#include "tavrix/model/rb_model.h"
#include "tavrix/sheet/sheet_host.h"

namespace tavrix {

// Whether the sheet shows a fit: F9:F11 hold numbers equal to the fitted
// parameters as their masks render them (compared in single precision).
// `parameters` are the fitted values, each replaced by its value as shown
// as far as the check got, so that what follows uses exactly what the
// sheet shows.
struct ShownFit {
  bool shown = false;
  RBPar parameters;
};

ShownFit CheckShownFit(SheetHost& host, const RBPar& fitted, bool decComma);

}  // namespace tavrix
