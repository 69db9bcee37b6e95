#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "book.h"
#include "office_process.h"
#include "support/commands_run.h"
#include "support/data_sheet.h"
#include "support/fods.h"
#include "support/temp_folder.h"
#include "tavrix/office/office_session.h"
#include "tavrix/sheet/memory_grid.h"

namespace tavrix {

namespace fs = std::filesystem;
using testing_support::BuildSheet;
using testing_support::Call;
using testing_support::FitOf;
using testing_support::Fittable;
using testing_support::Fods;
using testing_support::Outcome;
using testing_support::SheetContents;

extern std::unique_ptr<OfficeSession> office;  // one for all tests, started by main()

// Waits up to `patience` for the condition (checks once for none).
template <typename Condition>
bool Within(std::chrono::milliseconds patience, Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (!condition() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return condition();
}

class Office : public testing_support::TempFolderTest {
 protected:
  // A workbook file holding the grid's contents in its active sheet.
  std::string Workbook(const std::string& name, const MemoryGrid& grid);
  // Runs `work` while the tests' office is ended, and starts it anew: the
  // commands run in-process start offices of their own, and a process
  // holds one office connection at a time, as the programs do (two at once
  // sometimes cross their calls).
  static void WithoutTestOffice(const std::function<void()>& work);
  // How many files or folders the folder holds.
  static std::ptrdiff_t FilesIn(const fs::path& folder) {
    return std::distance(fs::directory_iterator(folder), {});
  }
};

}  // namespace tavrix
