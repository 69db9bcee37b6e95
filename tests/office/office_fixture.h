#pragma once

#include <string>

#include "support/temp_folder.h"
#include "tavrix/office/office_session.h"
#include "tavrix/sheet/memory_grid.h"

namespace tavrix {

extern OfficeSession* office;  // one for all tests, started by main()

// Copies the contents of a grid into an office sheet.
void CopyInto(const MemoryGrid& grid, OfficeSheet& sheet);

class Office : public testing_support::TempFolderTest {
 public:
  std::string MakeWorkbook(const std::string& name, const MemoryGrid& grid) {
    return Workbook(name, grid);
  }

 protected:
  // A workbook file holding the grid's contents in its active sheet.
  std::string Workbook(const std::string& name, const MemoryGrid& grid);
};

}  // namespace tavrix
