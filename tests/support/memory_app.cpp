#include "support/memory_app.h"

#include <filesystem>

namespace tavrix::testing_support {

bool MemoryApp::OpenWorkbook(const std::string& path, bool asTemplate) {
  const auto file = files_.find(path);
  if (file == files_.end()) return false;
  Workbook book;
  if (asTemplate) {
    book.name = "Untitled " + std::to_string(++untitled_);
    book.id = "new workbook " + std::to_string(untitled_);
  } else {
    book.name = std::filesystem::path(path).filename().string();
    book.id = path;
  }
  book.sheets.push_back({file->second.first, std::make_unique<MemoryGrid>(file->second.second)});
  books_.push_back(std::move(book));
  active_ = static_cast<int>(books_.size());
  return true;
}

MemoryApp::Workbook& MemoryApp::Book(int index) {
  if (index < 1 || index > WorkbookCount()) throw HostError("no workbook " + std::to_string(index));
  return books_[static_cast<std::size_t>(index - 1)];
}

void MemoryApp::ActivateWorkbook(int index) {
  Book(index);
  active_ = index;
}

void MemoryApp::CloseWorkbook(int index) {
  Book(index);
  books_.erase(books_.begin() + (index - 1));
  if (active_ >= index) --active_;
  if (active_ == 0 && !books_.empty()) active_ = 1;
}

MemoryApp::Sheet& MemoryApp::ActiveSheetOf() {
  Workbook& book = Active();
  return book.sheets[static_cast<std::size_t>(book.activeSheet)];
}

SheetHost* MemoryApp::FirstWorksheet() {
  if (active_ == 0) return nullptr;
  for (const Sheet& sheet : Active().sheets)
    if (sheet.grid) return sheet.grid.get();
  return nullptr;
}

void MemoryApp::UserEdit(SheetHost* sheet, int row, int col, const CellContent& value) {
  sheet->SetCell(row, col, value);
  if (events_ && sheet == watched_) changed_ = true;
}

}  // namespace tavrix::testing_support
