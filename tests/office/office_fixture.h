#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "support/temp_folder.h"
#include "tavrix/office/office_session.h"
#include "tavrix/sheet/memory_grid.h"

namespace tavrix {

extern OfficeSession* office;  // one for all tests, started by main()

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
  static std::ptrdiff_t FilesIn(const std::filesystem::path& folder) {
    return std::distance(std::filesystem::directory_iterator(folder), {});
  }
};

}  // namespace tavrix
