#pragma once

#include <functional>
#include <iosfwd>
#include <optional>

#include "book.h"
#include "commands.h"
#include "tavrix/model/models.h"
#include "tavrix/model/pk_uncertainty.h"

namespace tavrix::cli {

using SheetCommand = std::function<int(Books&, Book&, const Output&)>;

// Runs `command` on every book after a clean pass: on its sheet, or with
// --all-sheets on each of its data sheets in turn in one load of the book
// (the other sheets skipped with a note). A book opened for writing is
// saved once all its sheets gave kExitOk, and else left as it was. The
// exit code is the highest any sheet gave.
int ForEachBook(const BookOptions& options, Books::Access access, std::ostream& out,
                std::ostream& err, const SheetCommand& command);

// The fit the sheet shows, or nothing with the message why not.
std::optional<RBPar> ShownFitOf(Book& book, const Output& output);

// The covariance of the fit the sheet shows, or nothing with the message
// why not (`what` names what needs it).
std::optional<ParameterCovariance> ShownCovarianceOf(Book& book, const Output& output,
                                                     const std::string& what);

// Another model than RB fitted to the sheet's points (with the "<" points
// enforced when asked), or nothing with the message why not.
std::optional<FittedModel> OtherModelOf(Book& book, const Model& model, bool limits,
                                        const Output& output);

}  // namespace tavrix::cli
