#include "model_names.h"

#include <algorithm>
#include <ostream>

#include "tavrix/datasheet/sheet_pass.h"

namespace tavrix::cli {

std::optional<std::vector<const Model*>> ModelsNamed(const std::vector<std::string>& names,
                                                     const std::string& command,
                                                     std::ostream& err) {
  std::vector<const Model*> models;
  for (const std::string& name : names) {
    const Model* model = ModelNamed(name);
    if (!model) {
      err << command << ": unknown model '" << name << "' (use " << ModelNameList() << ")\n";
      return std::nullopt;
    }
    models.push_back(model);
  }
  if (models.empty()) {
    for (const Model& model : Models()) models.push_back(&model);
  }
  return models;
}

ParameterChoice RBChoice(Book& book) {
  ParameterChoice choice = MarkedForFit(*book.host, book.settings.decComma);
  if (std::none_of(choice.begin(), choice.end(), [](bool b) { return b; }))
    choice = {true, true, true};
  return choice;
}

}  // namespace tavrix::cli
