#include "tavrix/sheet/csv_sheet.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

#include <sys/stat.h>
#include <unistd.h>

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

// Text that is no CSV stops the read with the line where it goes wrong.
TEST_F(CsvSheet, TextThatIsNoCsvNamesItsLine) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"a\r\nb,\"open\n1,2\n", "bad.csv: line 2: unterminated quoted field"},
      // A later quote closes the field, with text after it: the same slip.
      {"a\nb\n25,1,,1,5,,,\"comment\n30,1,,1,5,,,\"other\"\n",
       "bad.csv: line 3: unterminated quoted field"},
      {"a\nsay \"hi\"\n",
       "bad.csv: line 2: a quote inside a field that does not begin with one "
       "(quote the whole field)"},
  };
  for (const auto& c : cases) {
    try {
      LoadCsvSheet(Write(c.text, "bad.csv"), false);
      ADD_FAILURE() << "read: " << c.text;
    } catch (const HostError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

// Saving after the program changed one cell rewrites that field only.
TEST_F(CsvSheet, CellsTheProgramDidNotChangeKeepTheirText) {
  const std::string text =
      "\xEF\xBB\xBF"
      "Title,,,,,,,\r\n"
      " 1.630 ,1e10,\"2.5\",x\r\n"
      "\r\n"
      "7,8\r\n"
      "last line without an end";
  const std::string path = Write(text);
  tavrix::CsvSheet sheet = LoadCsvSheet(path, false);
  EXPECT_EQ(sheet.Text(), text);
  sheet.SetCell(2, 1, CellContent::Number(1.63));  // the value it holds: the text stays
  sheet.SetCell(4, 2, CellContent::Number(0.25));
  sheet.SetCell(6, 2, CellContent::Text("new"));
  SaveCsvSheet(sheet, path);
  EXPECT_EQ(Read(path),
            "\xEF\xBB\xBF"
            "Title,,,,,,,\r\n"
            " 1.630 ,1e10,\"2.5\",x\r\n"
            "\r\n"
            "7,0.25\r\n"
            "last line without an end\r\n"
            ",new\r\n");
}

// Reading stops at the row that ends the point table (or at the last row a
// data sheet can use); what follows is never read but is saved unchanged.
TEST_F(CsvSheet, RowsBelowThePointTableAreKeptUnread) {
  std::string head;
  for (int row = 1; row <= 14; ++row) head += "h" + std::to_string(row) + "\n";
  const std::string below = ",,,,,,,note\n\"never \"\"parsed\nleft open";
  const std::string path = Write(head + "25,1\n" + below);
  tavrix::CsvSheet sheet = LoadCsvSheet(path, false);
  EXPECT_EQ(sheet.RowCount(), 16);
  sheet.SetCell(15, 6, CellContent::Number(-1.5));
  SaveCsvSheet(sheet, path);
  EXPECT_EQ(Read(path), head + "25,1,,,,-1.5\n" + below);

  std::string many = head;
  for (int k = 0; k < 40000; ++k) many += "25,1,,1,5\n";
  const std::string big = Write(many, "big.csv");
  tavrix::CsvSheet full = LoadCsvSheet(big, false);
  EXPECT_EQ(full.RowCount(), 14 + 32768);
  SaveCsvSheet(full, big);
  EXPECT_EQ(Read(big), many);
}

// A save goes to the file a link points to, keeps its permissions, refuses a
// file without write permission and leaves no temporary file behind.
TEST_F(CsvSheet, SavingKeepsTheFileItsLinkAndItsPermissions) {
  const std::string target = Write("1\n", "target.csv");
  const std::string link = PathOf("link.csv");
  fs::create_symlink(target, link);
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
  const bool root = ::geteuid() == 0;  // may give the file to another user, who keeps it
  if (root) {
    ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
  }
  tavrix::CsvSheet sheet = LoadCsvSheet(link, false);
  sheet.SetCell(1, 1, CellContent::Number(2));
  SaveCsvSheet(sheet, link);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Read(target), "2\n");
  EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  struct stat owner {};
  ::stat(target.c_str(), &owner);
  EXPECT_EQ(owner.st_uid, root ? 65534u : ::geteuid());

  fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  sheet.SetCell(1, 1, CellContent::Number(3));
  try {
    SaveCsvSheet(sheet, link);
    ADD_FAILURE() << "saved over a read-only file";
  } catch (const HostError& e) {
    EXPECT_EQ(std::string(e.what()), "'" + link + "' is read-only");
  }
  EXPECT_EQ(Read(target), "2\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

}  // namespace
}  // namespace tavrix
