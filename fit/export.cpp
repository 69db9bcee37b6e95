#include "tavrix/fit/export.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include "tavrix/model/parameters.h"
#include "tavrix/numeric/format_masked.h"
#include "tavrix/numeric/number_text.h"
#include "tavrix/numeric/text_width.h"

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

bool Write(std::FILE* file, const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0;
}

}  // namespace

ExportRecord RecordOf(const DataSheet& sheet, const RBPar& fitted, bool decComma) {
  ExportRecord record;
  record.head = "Complex: " + ComplexText(sheet.complex, decComma) + kEnd +
                "Species: " + std::to_string(sheet.species.size()) + kEnd;
  for (const Species& species : sheet.species) {
    record.body += FormatMasked("###  ", species.coefficient) + Trimmed(species.name) + kEnd;
  }
  for (int index = 0; index < kParameterCount; ++index) {
    const ParameterInfo& info = kParameters[static_cast<std::size_t>(index)];
    record.body += std::string(" ") + info.keyword + " " +
                   Trimmed(FormatMasked(info.mask, ParamValue(fitted, index))) + kEnd;
  }
  record.body += std::string("Ref1: Tavrix") + kEnd + "Ref2:" + kEnd + "Ref3:" + kEnd + kEnd;
  return record;
}

AppendResult AppendRecord(const std::string& path, const ExportRecord& record) {
  errno = 0;
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "ab"),
                                                             std::fclose);
  if (!file) return {AppendResult::Failure::kOpen, errno};
  // A failure after the first two lines counts too, so that no failure
  // passes for success.
  for (const std::string* part : {&record.head, &record.body}) {
    errno = 0;
    if (!Write(file.get(), *part)) return {AppendResult::Failure::kWrite, errno != 0 ? errno : EIO};
  }
  return {};
}

}  // namespace tavrix
