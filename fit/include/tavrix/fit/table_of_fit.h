#pragma once

#include "tavrix/datasheet/data_sheet.h"
#include "tavrix/model/pk_table.h"

namespace tavrix {

// The pK table of a sheet's fit: titled from the complex's name, the range
// of confidence from its species.
PkTableInput TableOfFit(const DataSheet& sheet, const RBPar& fitted, bool noLimits, bool decComma);

}  // namespace tavrix
