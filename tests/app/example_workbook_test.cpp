// The example workbook looks as one made from the template does: its
// columns as wide as the template's and its result cells in the same
// number formats (else results show "###").
#include <gtest/gtest.h>

#include "tavrix/office/office_session.h"

namespace tavrix {
namespace {

TEST(ExampleWorkbook, HasTheTemplatesColumnsAndFormats) {
  const auto office = OfficeSession::StartPrivate();
  const auto made = office->Open(TAVRIX_TEMPLATE_FILE, OfficeSession::Access::kReadOnly);
  const auto example = office->Open(TAVRIX_EXAMPLE, OfficeSession::Access::kReadOnly);
  const std::string data = made->ActiveSheetName();
  EXPECT_EQ(example->ColumnWidths("nacl", 8), made->ColumnWidths(data, 8));
  for (int row = 9; row <= 12; ++row)
    for (int col = 2; col <= 7; ++col)
      EXPECT_EQ(example->Sheet("nacl").NumberFormatAt(row, col),
                made->Sheet(data).NumberFormatAt(row, col))
          << row << "," << col;
}

}  // namespace
}  // namespace tavrix
