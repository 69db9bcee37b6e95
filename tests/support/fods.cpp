#include "support/fods.h"

#include "support/data_sheet.h"

namespace tavrix::testing_support {
namespace {

std::string Escaped(const std::string& text) {
  std::string xml;
  for (const char c : text) xml += c == '<' ? "&lt;" : c == '&' ? "&amp;" : std::string(1, c);
  return xml;
}

std::string Cell(const CellContent& c, const std::string* formula) {
  if (formula) return "<table:table-cell table:formula=\"" + *formula + "\"/>";
  if (c.IsNumber()) {
    return "<table:table-cell office:value-type=\"float\" office:value=\"" +
           NumberText(c.number()) + "\"/>";
  }
  if (c.IsText()) {
    return "<table:table-cell office:value-type=\"string\"><text:p>" + Escaped(c.text()) +
           "</text:p></table:table-cell>";
  }
  return "<table:table-cell/>";
}

}  // namespace

std::string Fods(const std::vector<FodsSheet>& sheets) {
  std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" office:version="1.2"
 office:mimetype="application/vnd.oasis.opendocument.spreadsheet"><office:body><office:spreadsheet>
)";
  for (const FodsSheet& sheet : sheets) {
    xml += "<table:table table:name=\"" + sheet.name + "\">";
    for (int row = 1; row <= sheet.grid.RowCount(); ++row) {
      xml += "<table:table-row>";
      for (int col = 1; col <= 8; ++col) {
        const auto formula = sheet.formulas.find({row, col});
        xml += Cell(sheet.grid.At(row, col).content,
                    formula == sheet.formulas.end() ? nullptr : &formula->second);
      }
      xml += "</table:table-row>";
    }
    if (sheet.grid.RowCount() == 0) xml += "<table:table-row><table:table-cell/></table:table-row>";
    xml += "</table:table>";
  }
  return xml + "</office:spreadsheet></office:body></office:document>\n";
}

}  // namespace tavrix::testing_support
