#include <string_view>

#include "tavrix/model/rb_model.h"
#include "tavrix/numeric/text_width.h"

namespace tavrix {

bool ComplexIsCharged(SpeciesNames& species) {
  for (std::size_t i = 1; i < species.size(); ++i) {
    const std::string trimmed(TrimBlanks(species[i]));
    species[i] = FitToWidth(trimmed, kSpeciesWidth);

    // Only the formula counts: "Na+, aq" and "Na+ (aq)" are "Na+".
    const std::string_view formula =
        std::string_view(trimmed).substr(0, trimmed.find_first_of(" ,"));
    if (formula == "H+") continue;
    return formula.find_first_of("+-") != std::string_view::npos;
  }
  return false;
}

}  // namespace tavrix
