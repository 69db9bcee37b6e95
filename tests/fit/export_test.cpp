#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/temp_folder.h"
#include "tavrix/fit/fit_result.h"
#include "tavrix/sheet/memory_grid.h"

namespace tavrix {
namespace {

namespace fs = std::filesystem;

Problem NaCl() {
  Problem p;
  p.Coef = {2, 1, 1, 0, 0};
  p.Species[1] = "Na+           ";
  p.Species[2] = "   Cl-        ";
  p.OptPar = {-0.5, 1.234f, 512.5f};
  return p;
}

MemoryGrid WithComplex(CellContent name) {
  MemoryGrid grid;
  grid.Put(2, 3, std::move(name));
  return grid;
}

TEST(ExportRecord, ElevenLinesForTwoSpecies) {
  MemoryGrid grid = WithComplex(CellContent::Text("NaCl"));
  EXPECT_EQ(ExportRecord(NaCl(), grid),
            "Complex: NaCl\r\nSpecies: 2\r\n  1  Na+\r\n  1  Cl-\r\n pK(298): -0.500\r\n"
            " A(zz/a): 1.234\r\n B(zz/a): 512.50\r\nRef1: Tavrix\r\nRef2:\r\nRef3:\r\n\r\n");
}

TEST(ExportRecord, OddCoefficientsValuesAndNames) {
  Problem p = NaCl();
  p.Coef = {3, -1, -100, 1000, 0};
  p.Species[3] = "";
  p.OptPar.B = 1e6f;
  MemoryGrid number = WithComplex(CellContent::Number(5));
  const std::string record = ExportRecord(p, number);
  EXPECT_NE(record.find("Complex:  5 \r\n"), std::string::npos) << record;
  EXPECT_NE(record.find("\r\n -1  Na+\r\n###  Cl-\r\n###  \r\n"), std::string::npos) << record;
  EXPECT_NE(record.find(" B(zz/a): #####.##\r\n"), std::string::npos);

  MemoryGrid negative = WithComplex(CellContent::Number(-2));
  EXPECT_EQ(ExportRecord(p, negative).substr(0, 14), "Complex: -2 \r\n");
}

using ExportFile = testing_support::TempFolderTest;

TEST_F(ExportFile, AppendsOneRecordPerExport) {
  const std::string path = (dir_ / "data.txt").string();
  MemoryGrid grid = WithComplex(CellContent::Text("NaCl"));
  HeadlessView view;
  ASSERT_TRUE(ExportToDataTxt(NaCl(), grid, view, path));
  EXPECT_EQ(view.messages.back().text, "Added to the file 'data.txt' ");
  EXPECT_EQ(view.messages.back().icon, MessageIcon::kInformation);
  ASSERT_TRUE(ExportToDataTxt(NaCl(), grid, view, path));

  const std::string record = ExportRecord(NaCl(), grid);
  EXPECT_EQ(Read(path), record + record);
}

TEST_F(ExportFile, AFileThatCannotBeOpenedIsReported) {
  MemoryGrid grid = WithComplex(CellContent::Text("NaCl"));
  HeadlessView view;
  EXPECT_FALSE(ExportToDataTxt(NaCl(), grid, view, (dir_ / "missing" / "data.txt").string()));
  EXPECT_EQ(view.messages.back().text, "Could not open file 'data.txt' (is it busy?) ");
  EXPECT_EQ(view.messages.back().icon, MessageIcon::kCritical);
}

TEST_F(ExportFile, AFullDeviceIsAWriteFailure) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  MemoryGrid grid = WithComplex(CellContent::Text("NaCl"));
  HeadlessView view;
  EXPECT_FALSE(ExportToDataTxt(NaCl(), grid, view, "/dev/full"));
  EXPECT_EQ(view.messages.back().text, "Could not write to file 'full' (is it protected?) ");
}

TEST_F(ExportFile, HomeDirComesFromTheEnvironmentFirst) {
  ::setenv("TAVRIX_HOME", dir_.c_str(), 1);
  EXPECT_EQ(HomeDir(), dir_.string() + "/");
  ::unsetenv("TAVRIX_HOME");
  EXPECT_EQ(HomeDir().back(), '/');
}

}  // namespace
}  // namespace tavrix
