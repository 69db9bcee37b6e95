#pragma once

#include <functional>
#include <iosfwd>
#include <optional>

#include "book.h"
#include "commands.h"
#include "tavrix/model/pk_uncertainty.h"

namespace tavrix::cli {

// Runs `command` on every book after a clean pass; the exit code is the
// highest any book gave.
int ForEachBook(const BookOptions& options, Books::Access access, std::ostream& out,
                std::ostream& err, const std::function<int(Books&, Book&, const Output&)>& command);

// The fit the sheet shows, or nothing with the message why not.
std::optional<RBPar> ShownFitOf(Book& book, const Output& output);

// The covariance of the fit the sheet shows, or nothing with the message
// why not (`what` names what needs it).
std::optional<ParameterCovariance> ShownCovarianceOf(Book& book, const Output& output,
                                                     const std::string& what);

}  // namespace tavrix::cli
