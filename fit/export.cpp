#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "tavrix/fit/fit_result.h"
#include "tavrix/numeric/format_masked.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/numeric/text_width.h"
#include "tavrix/sheet/layout.h"

namespace tavrix {
namespace {

constexpr char kEnd[] = "\r\n";

// The complex's cell as the record writes it: a text unchanged, a number
// with a blank before it (unless negative) and one after.
std::string ComplexText(const std::string& cell, bool decComma) {
  if (!IsNumericText(cell, decComma)) return cell;
  const double x = *TextToDouble(cell, decComma);
  return (x < 0 ? "" : " ") + GeneralText(x, decComma) + " ";
}

std::string Trimmed(const std::string& text) {
  return std::string(TrimBlanks(text));
}

// Line 1 and 2, and the rest of the record.
struct RecordParts {
  std::string head;
  std::string body;
};

RecordParts Record(const Problem& p, SheetHost& sheet) {
  RecordParts record;
  record.head =
      "Complex: " + ComplexText(sheet.CellText(layout::kComplexRow, layout::kColC), p.DecComma) +
      kEnd + "Species: " + std::to_string(p.Coef[0]) + kEnd;
  for (int k = 1; k <= p.Coef[0]; ++k) {
    record.body += FormatMasked("###  ", p.Coef[static_cast<std::size_t>(k)]) +
                   Trimmed(p.Species[static_cast<std::size_t>(k)]) + kEnd;
  }
  record.body += " pK(298): " + Trimmed(FormatMasked(p.ParFmt[0], p.OptPar.pK298)) + kEnd;
  record.body += " A(zz/a): " + Trimmed(FormatMasked(p.ParFmt[1], p.OptPar.A)) + kEnd;
  record.body += " B(zz/a): " + Trimmed(FormatMasked(p.ParFmt[2], p.OptPar.B)) + kEnd;
  record.body += std::string("Ref1: Tavrix") + kEnd + "Ref2:" + kEnd + "Ref3:" + kEnd + kEnd;
  return record;
}

bool Write(std::FILE* file, const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
}

}  // namespace

std::string ExportRecord(const Problem& problem, SheetHost& sheet) {
  const RecordParts record = Record(problem, sheet);
  return record.head + record.body;
}

ExportResult ExportToDataTxt(const Problem& problem, SheetHost& sheet, View& view,
                             const std::string& path) {
  const std::string name = std::filesystem::path(path).filename().string();
  const RecordParts record = Record(problem, sheet);

  errno = 0;
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "ab"),
                                                             std::fclose);
  if (!file) {
    const int error = errno;
    view.ShowMessage("Could not open file '" + name + "' (is it busy?) ", MessageIcon::kCritical);
    return {false, error};
  }
  // A failure after the first two lines is reported too, so that no
  // failure passes for success.
  for (const std::string* part : {&record.head, &record.body}) {
    errno = 0;
    if (!Write(file.get(), *part)) {
      const int error = errno != 0 ? errno : EIO;
      view.ShowMessage("Could not write to file '" + name + "' (is it protected?) ",
                       MessageIcon::kCritical);
      return {false, error};
    }
  }
  view.ShowMessage("Added to the file '" + name + "' ", MessageIcon::kInformation);
  return {true, 0};
}

}  // namespace tavrix
