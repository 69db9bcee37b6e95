#include "tavrix/sheet/csv_sheet.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tavrix {
namespace {

namespace fs = std::filesystem;

class CsvSheet : public testing_support::TempFolderTest {
 protected:
  std::string Write(const std::string& text, const std::string& name = "sheet.csv") const {
    return TempFolderTest::Write(text, name);
  }
};

TEST_F(CsvSheet, UnquotedNumbersAreNumbersAndEverythingElseText) {
  const MemoryGrid grid =
      LoadCsvSheet(Write("1.5,\"2.5\",abc,,-3e2, 7\n\"T, C\",\"say \"\"hi\"\"\"\n"), false);
  EXPECT_EQ(grid.At(1, 1).content, CellContent::Number(1.5));
  EXPECT_EQ(grid.At(1, 2).content, CellContent::Text("2.5"));
  EXPECT_EQ(grid.At(1, 3).content, CellContent::Text("abc"));
  EXPECT_TRUE(grid.At(1, 4).content.IsEmpty());
  EXPECT_EQ(grid.At(1, 5).content, CellContent::Number(-300));
  EXPECT_EQ(grid.At(2, 1).content, CellContent::Text("T, C"));
  EXPECT_EQ(grid.At(2, 2).content, CellContent::Text("say \"hi\""));
}

TEST_F(CsvSheet, EveryLineIsASheetRow) {
  const MemoryGrid crlf = LoadCsvSheet(Write("\xEF\xBB\xBF"
                                             "a\r\n\r\n,b\r\n\n\nc"),
                                       false);
  EXPECT_EQ(crlf.At(1, 1).content, CellContent::Text("a"));
  EXPECT_EQ(crlf.At(3, 2).content, CellContent::Text("b"));
  EXPECT_EQ(crlf.At(6, 1).content, CellContent::Text("c"));
  EXPECT_EQ(crlf.RowCount(), 6);

  const MemoryGrid multiline = LoadCsvSheet(Write("\"two\nlines\",x\ny\n"), false);
  EXPECT_EQ(multiline.At(1, 1).content, CellContent::Text("two\nlines"));
  EXPECT_EQ(multiline.At(2, 1).content, CellContent::Text("y"));
}

TEST_F(CsvSheet, SavesTheSameLayoutBack) {
  MemoryGrid grid;
  grid.Put(1, 1, CellContent::Text("title, with comma"));
  grid.Put(3, 2, CellContent::Number(0.1));
  grid.Put(3, 4, CellContent::Number(-1234.5));
  grid.Put(4, 1, CellContent::Text("0.254"));  // text that looks like a number
  grid.Put(4, 2, CellContent::Text("?"));
  grid.Put(4, 3, CellContent::Text(" padded "));
  grid.Put(4, 5, CellContent::Number(1E35));
  grid.SetNumberFormat({5, 1, 5, 5}, "0.000");  // formats only: no row of their own
  const std::string path = dir_ / "out.csv";
  SaveCsvSheet(grid, path);
  EXPECT_EQ(Read(path),
            "\"title, with comma\"\n\n,0.1,,-1234.5\n\"0.254\",?,\" padded \",,1e+35\n");

  const MemoryGrid back = LoadCsvSheet(path, false);
  for (int row = 1; row <= 4; ++row) {
    for (int col = 1; col <= 5; ++col) {
      EXPECT_EQ(back.At(row, col).content, grid.At(row, col).content) << row << "," << col;
    }
  }
}

TEST_F(CsvSheet, SavingReplacesTheFileWholeAndLeavesNothingBehind) {
  const std::string path = Write("old contents\n");
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  MemoryGrid grid;
  grid.Put(1, 1, CellContent::Number(42));
  SaveCsvSheet(grid, path);
  EXPECT_EQ(Read(path), "42\n");
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(CsvSheet, FailuresAreHostErrorsAndKeepTheOldFile) {
  EXPECT_THROW(LoadCsvSheet((dir_ / "missing.csv").string(), false), HostError);
  MemoryGrid grid;
  EXPECT_THROW(SaveCsvSheet(grid, (dir_ / "no-such-folder" / "x.csv").string()), HostError);

  // A file that cannot be replaced (its folder is a file) stays as it was.
  const std::string path = Write("keep me\n");
  EXPECT_THROW(SaveCsvSheet(grid, path + "/x.csv"), HostError);
  EXPECT_EQ(Read(path), "keep me\n");
}

TEST_F(CsvSheet, UnterminatedQuoteRunsToTheEndOfTheFile) {
  // An open quote runs to the end of the file; the parser takes it as text.
  const MemoryGrid grid = LoadCsvSheet(Write("\"never closed\n1,2\n"), false);
  EXPECT_EQ(grid.At(1, 1).content, CellContent::Text("never closed\n1,2\n"));
}

}  // namespace
}  // namespace tavrix
