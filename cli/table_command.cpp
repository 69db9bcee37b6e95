#include <ostream>

#include "commands.h"
#include "tavrix/model/pk_table.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/numeric/text_width.h"

namespace tavrix::cli {

int RunTable(const TableRequest& request, std::ostream& out, std::ostream& err) {
  if (request.species.size() > kMaxSpecies) {
    err << "tavrix table: at most " << kMaxSpecies << " species, got " << request.species.size()
        << "\n";
    return kExitBadInput;
  }

  PkTableInput input;
  input.title = PkTableTitle(request.complex);
  input.par = {request.pK298, static_cast<float>(request.A), static_cast<float>(request.B)};
  for (std::size_t i = 0; i < request.species.size(); ++i) {
    input.species[i + 1] = FitToWidth(request.species[i], kSpeciesWidth);
  }
  input.noLimits = request.noLimits;
  input.decComma = request.decComma || DetectDecimalComma();

  for (const std::string& line : TableTextLines(PkTableLines(input), request.forExcel)) {
    out << line << '\n';
  }
  return kExitOk;
}

}  // namespace tavrix::cli
