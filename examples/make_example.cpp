// Makes a data workbook from a CSV data sheet on the template, so that it
// has the template's column widths and number formats. The example
// workbooks are made so:
//   make_example TEMPLATE SHEET.csv OUT.ods SHEET_NAME
#include <iostream>

#include "tavrix/office/office_session.h"
#include "tavrix/sheet/csv_sheet.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::cerr << "usage: make_example TEMPLATE SHEET.csv OUT.ods SHEET_NAME\n";
    return 1;
  }
  try {
    const tavrix::CsvSheet csv = tavrix::LoadCsvSheet(argv[2], false);
    auto office = tavrix::OfficeSession::StartPrivate();
    auto workbook = office->CreateFromTemplate(argv[1], argv[3], argv[4]);
    tavrix::OfficeSheet& sheet = workbook->Sheet(argv[4]);
    int width = 1;
    for (int row = 1; row <= csv.RowCount(); ++row) width = std::max(width, csv.ColumnCount(row));
    sheet.ClearCells(
        {1, 1, std::max(csv.RowCount(), 1), width});  // the template's texts; formats stay
    for (int row = 1; row <= csv.RowCount(); ++row) {
      for (int col = 1; col <= csv.ColumnCount(row); ++col) {
        const tavrix::CellContent& content = csv.At(row, col).content;
        if (!content.IsEmpty()) sheet.SetCell(row, col, content);
      }
    }
    workbook->Save();
  } catch (const tavrix::HostError& e) {
    std::cerr << "make_example: " << e.what() << "\n";
    return 1;
  }
  std::cout << "made " << argv[3] << "\n";
  return 0;
}
