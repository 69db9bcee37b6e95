#include "tavrix/fit/export.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "support/temp_folder.h"

namespace tavrix {
namespace {

namespace fs = std::filesystem;

DataSheet NaCl(std::string complex = "NaCl") {
  DataSheet sheet;
  sheet.complex = std::move(complex);
  sheet.species = {{1, "Na+           "}, {1, "   Cl-        "}};
  return sheet;
}

const RBPar kFit{-0.5, 1.234f, 512.5f};

TEST(ExportRecord, OddCoefficientsValuesAndNames) {
  DataSheet sheet = NaCl("5");
  sheet.species = {{-1, "Na+"}, {-100, "Cl-"}, {1000, ""}};
  const std::string record = RecordOf(sheet, {-0.5, 1.234f, 1e6f}, false).Text();
  EXPECT_NE(record.find("Complex:  5 \r\n"), std::string::npos) << record;
  EXPECT_NE(record.find("\r\n -1  Na+\r\n###  Cl-\r\n###  \r\n"), std::string::npos) << record;
  EXPECT_NE(record.find(" B(zz/a): #####.##\r\n"), std::string::npos);
  EXPECT_EQ(RecordOf(NaCl("-2"), kFit, false).Text().substr(0, 14), "Complex: -2 \r\n");
  EXPECT_EQ(RecordOf(NaCl("2,5"), kFit, true).Text().substr(0, 16), "Complex:  2,5 \r\n");
}

using ExportFile = testing_support::TempFolderTest;

TEST_F(ExportFile, AppendsOneRecordPerExportAndSaysWhatFailed) {
  const std::string path = (dir_ / "data.txt").string();
  const ExportRecord record = RecordOf(NaCl(), kFit, false);
  ASSERT_TRUE(AppendRecord(path, record));
  ASSERT_TRUE(AppendRecord(path, record));
  EXPECT_EQ(Read(path), record.Text() + record.Text());

  const AppendResult missing = AppendRecord((dir_ / "missing" / "data.txt").string(), record);
  EXPECT_EQ(missing.failure, AppendResult::Failure::kOpen);
  EXPECT_EQ(missing.error, ENOENT);
  EXPECT_EQ(AppendRecord(dir_.string(), record).error, EISDIR);
  if (fs::exists("/dev/full")) {
    const AppendResult full = AppendRecord("/dev/full", record);
    EXPECT_EQ(full.failure, AppendResult::Failure::kWrite);
    EXPECT_EQ(full.error, ENOSPC);
  }
}

TEST_F(ExportFile, HomeDirComesFromTheEnvironmentFirst) {
  ::setenv("TAVRIX_HOME", dir_.c_str(), 1);
  EXPECT_EQ(HomeDir(), dir_.string() + "/");
  ::unsetenv("TAVRIX_HOME");
  EXPECT_EQ(HomeDir().back(), '/');
}

}  // namespace
}  // namespace tavrix
