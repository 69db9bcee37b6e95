#include <string>
#include <vector>

#include "tavrix/model/pk_table.h"
#include "tavrix/numeric/text_width.h"

namespace tavrix {
namespace {

// Tabs in place of every 12th character from the 8th (the blank after the
// temperature and the mark after each value), then no blanks or tabs at
// the end.
std::string CutIntoColumns(std::string_view line) {
  std::u32string chars = ToChars(line);
  for (std::size_t pos = 8; pos <= chars.size(); pos += 12) chars[pos - 1] = U'\t';
  const auto last = chars.find_last_not_of(U" \t");
  chars.erase(last == std::u32string::npos ? 0 : last + 1);
  return FromChars(chars);
}

}  // namespace

std::vector<std::string> TableTextLines(const std::vector<std::string>& lines, bool forExcel) {
  std::vector<std::string> out;
  out.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string line(TrimTrailingBlanks(lines[i]));
    if (forExcel && i == 2) line = "\t" + line;
    if (forExcel && i > 2) line = CutIntoColumns(line);
    out.push_back(std::move(line));
  }
  return out;
}

std::string TableText(const std::vector<std::string>& lines, bool forExcel) {
  std::string text;
  const std::vector<std::string> cut = TableTextLines(lines, forExcel);
  for (std::size_t i = 0; i < cut.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += cut[i];
  }
  return text;
}

}  // namespace tavrix
