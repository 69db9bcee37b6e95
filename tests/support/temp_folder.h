#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace tavrix::testing_support {

// A test fixture with a folder of its own, removed after the test.
class TempFolderTest : public testing::Test {
 public:
  static std::string Read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }

 protected:
  void SetUp() override {
    // One folder, also for a parameterized test ("Name/Param").
    std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');
    dir_ = std::filesystem::temp_directory_path() /
           ("tavrix-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

  std::string Write(const std::string& text, const std::string& name) const {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return PathOf(name);
  }

  std::filesystem::path dir_;
};

}  // namespace tavrix::testing_support
