#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "tavrix/books/books.h"
#include "tavrix/model/models.h"

namespace tavrix::cli {

// The models named (--models), or every model when none is; nothing, with
// the message after `command`, for a name that is no model.
std::optional<std::vector<const Model*>> ModelsNamed(const std::vector<std::string>& names,
                                                     const std::string& command, std::ostream& err);

// RB's parameters as the sheet marks them to fit; all three where it
// marks none.
ParameterChoice RBChoice(Book& book);

}  // namespace tavrix::cli
