#pragma once

#include <string>
#include <vector>

#include "tavrix/sheet/problem.h"
#include "tavrix/sheet/sheet_host.h"
#include "tavrix/sheet/view.h"

namespace tavrix {

// True when the window shows a valid sheet and F9:F11 show numbers equal
// to the optimized parameters as their masks render them. Replaces each
// parameter checked so far by its value as shown, so that what follows
// uses exactly the displayed values.
bool ResultIsShown(Problem& problem, SheetHost& sheet, const View& view);

// The pK table of the optimized parameters, titled from the complex's
// name in C2. Trims the species names as the charge rule reads them.
std::vector<std::string> BuildPkTable(Problem& problem, SheetHost& sheet);

// The record that the export appends: complex, species, optimized
// parameters and the reference lines, each line ended by CR LF.
std::string ExportRecord(const Problem& problem, SheetHost& sheet);

// How an export ended: the whole record written, or the system's error
// number of the first failure.
struct ExportResult {
  bool written = false;
  int error = 0;
  explicit operator bool() const { return written; }
};

// Appends the record to the file and reports the outcome in a message box.
ExportResult ExportToDataTxt(const Problem& problem, SheetHost& sheet, View& view,
                             const std::string& path);

// The program's home folder, ending in "/": TAVRIX_HOME when set; else the
// executable's folder when it is writable; else $XDG_DATA_HOME/tavrix
// (default ~/.local/share/tavrix), created when missing.
std::string HomeDir();

}  // namespace tavrix
