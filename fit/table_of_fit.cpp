#include "tavrix/fit/table_of_fit.h"

namespace tavrix {

PkTableInput TableOfFit(const DataSheet& sheet, const RBPar& fitted, bool noLimits, bool decComma) {
  PkTableInput input;
  input.title = PkTableTitle(sheet.complex);
  input.par = fitted;
  input.species = SpeciesNamesOf(sheet);
  input.noLimits = noLimits;
  input.decComma = decComma;
  return input;
}

}  // namespace tavrix
