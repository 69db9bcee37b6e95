#include "tavrix/sheet/csv_sheet.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/temp_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace tavrix {
namespace {

namespace fs = std::filesystem;
using testing::ThrowsMessage;

using CsvSheet = testing_support::TempFolderTest;

// A file that is no data sheet, read with ',' between its fields.
const auto Load = [](const std::string& path) { return LoadCsvSheet(path, false, ','); };

TEST(MemoryGrid, NumbersReadBackAsAGeneralFormatShowsThem) {
  const struct {
    double number;
    bool comma;
    const char* text;
  } cases[] = {{3.142, false, "3.142"},   {1E35, false, "1E+35"},
               {0.1 + 0.2, false, "0.3"},  // 15 significant digits
               {0.00001, false, "1E-05"}, {-300, false, "-300"},
               {-0.75, true, "-0,75"}};
  for (const auto& c : cases) {
    MemoryGrid grid(c.comma);
    grid.SetCell(1, 1, CellContent::Number(c.number));
    EXPECT_EQ(grid.CellText(1, 1), c.text);
  }
}

TEST(MemoryGrid, ClearingKeepsFormatsAndAnEmptyTextEmptiesTheCell) {
  MemoryGrid grid;
  grid.SetCell(2, 2, CellContent::Text("x"));
  grid.SetNumberFormat({2, 2, 3, 3}, "0.000");
  grid.SetFontColor({2, 2, 2, 3}, kRed);
  grid.ClearCells({1, 1, 2, 2});
  EXPECT_TRUE(grid.At(2, 2).content.IsEmpty());
  EXPECT_EQ(grid.At(2, 2).numberFormat, "0.000");
  EXPECT_EQ(grid.At(3, 3).numberFormat, "0.000");
  EXPECT_EQ(grid.At(2, 3).fontColor, kRed);
  EXPECT_FALSE(grid.At(3, 3).fontColor.has_value());

  grid.SetCell(4, 4, CellContent::Text("y"));
  grid.SetCell(4, 4, CellContent::Text(""));
  EXPECT_TRUE(grid.At(4, 4).content.IsEmpty());
}

// A text in ISO 8859-1 (one byte a character), as UTF-8, UTF-16 or Windows-1252.
std::string Encoded(const std::string& latin1, CsvDialect::Encoding encoding) {
  using enum CsvDialect::Encoding;
  std::string out;
  for (const char c : latin1) {
    const auto b = static_cast<unsigned char>(c);
    if (encoding == kUtf16Le || encoding == kUtf16Be) {
      out += encoding == kUtf16Le ? std::string{c, '\0'} : std::string{'\0', c};
    } else if (encoding == kUtf8 && b >= 0x80) {
      out += {static_cast<char>(0xC0 | (b >> 6)), static_cast<char>(0x80 | (b & 0x3F))};
    } else {
      out += c;
    }
  }
  return out;
}

TEST_F(CsvSheet, EveryLineIsASheetRow) {
  const MemoryGrid crlf = Load(Write("\xEF\xBB\xBFt\r\n\r\n,b\r\n\n\nc", "lines.csv"));
  EXPECT_EQ(crlf.At(1, 1).content, CellContent::Text("t"));
  EXPECT_EQ(crlf.At(3, 2).content, CellContent::Text("b"));
  EXPECT_EQ(crlf.At(6, 1).content, CellContent::Text("c"));
  EXPECT_EQ(crlf.RowCount(), 6);

  // Calc pads every row it saves with empty fields to the widest row's.
  const MemoryGrid multiline = Load(Write("\"two\nlines\",x,\ny\n", "lines.csv"));
  EXPECT_EQ(multiline.At(1, 1).content, CellContent::Text("two\nlines"));
  EXPECT_TRUE(multiline.At(1, 3).content.IsEmpty());
  EXPECT_EQ(multiline.At(2, 1).content, CellContent::Text("y"));
}

// Unquoted numbers are numbers, everything else text, as the save writes them.
TEST_F(CsvSheet, SavesTheSameLayoutBack) {
  MemoryGrid grid;
  grid.Put(1, 1, CellContent::Text("title, with comma"));
  grid.Put(3, 2, CellContent::Number(0.1));
  grid.Put(3, 4, CellContent::Number(-1234.5));
  grid.Put(4, 1, CellContent::Text("0.254"));  // text that looks like a number
  grid.Put(4, 2, CellContent::Text("?"));
  grid.Put(4, 3, CellContent::Text(" padded "));
  grid.Put(4, 5, CellContent::Number(1E35));
  grid.Put(4, 6, CellContent::Text("say \"hi\""));
  grid.SetNumberFormat({5, 1, 5, 5}, "0.000");  // formats only: no row of their own
  const std::string path = dir_ / "out.csv";
  SaveCsvSheet(grid, path);
  EXPECT_EQ(Read(path),
            "\"title, with comma\"\n\n,0.1,,-1234.5\n\"0.254\",?,\" padded \",,1e+35,"
            "\"say \"\"hi\"\"\"\n");
  const MemoryGrid back = Load(path);
  for (int row = 1; row <= 4; ++row) {
    for (int col = 1; col <= 6; ++col)
      EXPECT_EQ(back.At(row, col).content, grid.At(row, col).content) << row << "," << col;
  }
}

// The line where the text goes wrong, or why it is no data sheet.
TEST_F(CsvSheet, TextThatIsNoCsvNamesItsLine) {
  const struct {
    std::string text;
    std::optional<char> separator;  // none: found in the file
    const char* message;
  } cases[] = {
      {"a\r\nb,\"open\n1,2\n", ',', "bad.csv: line 2: unterminated quoted field"},
      // A later quote closes the field, with text after it: the same slip.
      {"a\nb\n25,1,,1,5,,,\"comment\n30,1,,1,5,,,\"other\"\n", ',',
       "bad.csv: line 3: unterminated quoted field"},
      {"a\nsay \"hi\"\n", ',',
       "bad.csv: line 2: a quote inside a field that does not begin with one "
       "(quote the whole field)"},
      {"x;y\n;Complex;\n", std::nullopt,
       "bad.csv: no separator (',' ';' tab) puts 'Complex:' in B2 \u2014 is this a data sheet?"},
      {"\xFF\xFE" + Encoded("a\n,Complex:,x\nb", CsvDialect::Encoding::kUtf16Le) + "\x41",
       std::nullopt,
       "bad.csv: line 3: not valid UTF-16, although the file begins with its byte-order mark"},
  };
  for (const auto& c : cases) {
    EXPECT_THAT([&] { LoadCsvSheet(Write(c.text, "bad.csv"), false, c.separator); },
                ThrowsMessage<HostError>(c.message));
  }
  EXPECT_EQ(LoadCsvSheet(Write("x;y\n;Complex;\n", "bad.csv"), false, ';').At(2, 2).content,
            CellContent::Text("Complex"));  // read as it is with the separator given
  EXPECT_THROW(Load(PathOf("missing.csv")), HostError);
  EXPECT_THROW(SaveCsvSheet(MemoryGrid(), PathOf("no-such-folder/x.csv")), HostError);
}

TEST_F(CsvSheet, CellsTheProgramDidNotChangeKeepTheirText) {
  const std::string text =
      "\xEF\xBB\xBF"
      "Title,,,,,,,\r\n"
      " 1.630 ,1e10,\"2.5\",x\r\n"
      "\r\n"
      "7,8\r\n"
      "last line without an end";
  const std::string path = Write(text, "sheet.csv");
  tavrix::CsvSheet sheet = Load(path);
  EXPECT_EQ(sheet.Text(), text);
  sheet.SetCell(2, 1, CellContent::Number(1.63));  // the value it holds: the text stays
  sheet.SetCell(2, 4, CellContent::Text("y"));     // the row's other fields stay as they are
  sheet.SetCell(4, 2, CellContent::Number(0.25));
  sheet.SetCell(6, 2, CellContent::Text("new"));
  SaveCsvSheet(sheet, path);
  EXPECT_EQ(Read(path),
            "\xEF\xBB\xBF"
            "Title,,,,,,,\r\n"
            " 1.630 ,1e10,\"2.5\",y\r\n"
            "\r\n"
            "7,0.25\r\n"
            "last line without an end\r\n"
            ",new\r\n");
}

// Reading stops at the row that ends the point table (or at the last row a
// data sheet can use); what follows is never read but is saved unchanged.
TEST_F(CsvSheet, RowsBelowThePointTableAreKeptUnread) {
  std::string head;
  for (const std::string newline : {"\n", "\r\n"}) {
    head.clear();
    for (int row = 1; row <= 14; ++row) head += "h" + std::to_string(row) + newline;
    const std::string below =
        ",,,,,,,note" + newline + "\"never \"\"parsed" + newline + "left open";
    const std::string path = Write(head + "25,1" + newline + below, "sheet.csv");
    tavrix::CsvSheet sheet = Load(path);
    EXPECT_EQ(sheet.RowCount(), 16);
    sheet.SetCell(15, 6, CellContent::Number(-1.5));
    SaveCsvSheet(sheet, path);
    EXPECT_EQ(Read(path), head + "25,1,,,,-1.5" + newline + below);
  }

  std::string many = head;
  for (int k = 0; k < 40000; ++k) many += "25,1,,1,5\n";
  const std::string big = Write(many, "big.csv");
  tavrix::CsvSheet full = Load(big);
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
  tavrix::CsvSheet sheet = Load(link);
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
  EXPECT_THAT([&] { SaveCsvSheet(sheet, link); },
              ThrowsMessage<HostError>("'" + link + "' is read-only"));
  EXPECT_EQ(Read(target), "2\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

// The text of a data sheet: "Complex:" in B2, `parameter` in B9 and the
// points from row 15, with '|' between fields replaced by the separator.
std::string SheetText(char separator, const std::string& parameter, const std::string& points) {
  std::string text = "Title\n|Complex:|NaCl\n\n\n\n\n\nParameter||Reference\npK(298):|" +
                     parameter + "\n\n\n\n\n\n" + points;
  for (char& c : text) {
    if (c == '|') c = separator;
  }
  return text;
}

// The separator and the decimal mark are the file's: the separator that
// puts "Complex:" in B2, the mark most of the point table's numbers carry,
// else the parameter rows', else the process's. What the program writes
// takes the file's notation, quoted where the separator needs it.
TEST_F(CsvSheet, SeparatorAndDecimalMarkAreFoundInTheFile) {
  const struct {
    char separator;
    const char* parameter;
    const char* points;
    bool processComma;
    bool comma;
    CellContent b15, c15;
    const char* written = nullptr;  // the point row once F15 and H15 are set
  } cases[] = {
      {',', "1", "25|1.5|\"a, b\"\n", true, false, CellContent::Number(1.5),
       CellContent::Text("a, b")},
      {';', "1", "25|1,5|a, b\n", false, true, CellContent::Number(1.5), CellContent::Text("a, b"),
       "25|1,5|a, b|||-1229,123||\"a;b,c\"\n"},
      {'\t', "1", " 25 |\t1.5 |a; b\n", true, false, CellContent(), CellContent::Number(1.5),
       " 25 |\t1.5 |a; b||-1229.123||a;b,c\n"},
      // A file with ',' between fields and a decimal comma must quote its numbers.
      {',', "1", "25|\"1,5\"|\"2,5\"\n", false, true, CellContent::Number(1.5),
       CellContent::Number(2.5)},
      {';', "1", "25|1.5|2,5\n30|1.5\n", true, false, CellContent::Number(1.5),
       CellContent::Text("2,5")},
      // Quoted, "2,5" may be a text: the unquoted numbers tell first.
      {',', "1", "25|\"2,5\"|0.5\n30|\"3,5\"\n", true, false, CellContent::Text("2,5"),
       CellContent::Number(0.5)},
      {';', "1,5", "25|1\n", false, true, CellContent::Number(1), CellContent()},
      {';', "1", "25|1\n", true, true, CellContent::Number(1), CellContent()},
      {';', "1", "25|1\n", false, false, CellContent::Number(1), CellContent()},
  };
  for (const auto& c : cases) {
    const std::string text = SheetText(c.separator, c.parameter, c.points);
    const std::string path = Write(text, "sheet.csv");
    tavrix::CsvSheet sheet = LoadCsvSheet(path, c.processComma);
    const std::string label = text.substr(text.find("pK(298)"));
    EXPECT_EQ(sheet.dialect().separator, c.separator) << label;
    EXPECT_EQ(sheet.dialect().decimalComma, c.comma) << label;
    EXPECT_EQ(sheet.At(2, 2).content, CellContent::Text("Complex:")) << label;
    EXPECT_EQ(sheet.At(15, 2).content, c.b15) << label;
    EXPECT_EQ(sheet.At(15, 3).content, c.c15) << label;
    // The sheet shows its numbers in the process's notation.
    EXPECT_EQ(sheet.decimalComma(), c.processComma) << label;
    if (!c.written) continue;
    sheet.SetCell(15, 6, CellContent::Number(-1229.123));
    sheet.SetCell(15, 8, CellContent::Text("a;b,c"));
    SaveCsvSheet(sheet, path);
    EXPECT_EQ(Read(path), SheetText(c.separator, c.parameter, c.written)) << label;
  }
}

// Each encoding is found, its texts read as UTF-8, and a save writes only
// the changed field anew, in the file's encoding. Every byte of a
// Windows-1252 file comes back, the five it leaves undefined too.
TEST_F(CsvSheet, EncodingsAreFoundAndKept) {
  using Encoding = CsvDialect::Encoding;
  std::string high;
  for (int b = 0x80; b <= 0xFF; ++b) high += static_cast<char>(b);
  const std::string text =
      SheetText(';', "1", "25;1,5;;;;;;M\xFCller\r\n30;2;;;;;;" + high + "\r\n");
  const std::string fitted =
      SheetText(';', "1", "25;1,5;;;;-1,5;;M\xFCller\r\n30;2;;;;;;" + high + "\r\n");
  const struct {
    Encoding encoding;
    bool byteOrderMark;
  } cases[] = {{Encoding::kUtf8, false},
               {Encoding::kUtf8, true},
               {Encoding::kUtf16Le, true},
               {Encoding::kUtf16Be, true},
               {Encoding::kWindows1252, false}};
  for (const auto& c : cases) {
    const auto bytes = [&](const std::string& latin1) {
      const std::string body = Encoded(latin1, c.encoding);
      if (!c.byteOrderMark) return body;
      if (c.encoding == Encoding::kUtf8) return "\xEF\xBB\xBF" + body;
      return (c.encoding == Encoding::kUtf16Le ? "\xFF\xFE" : "\xFE\xFF") + body;
    };
    const std::string path = Write(bytes(text), "sheet.csv");
    tavrix::CsvSheet sheet = LoadCsvSheet(path, false);
    const std::string label =
        std::to_string(static_cast<int>(c.encoding)) + (c.byteOrderMark ? " with its mark" : "");
    EXPECT_EQ(sheet.dialect().encoding, c.encoding) << label;
    EXPECT_EQ(sheet.dialect().byteOrderMark, c.byteOrderMark) << label;
    EXPECT_EQ(sheet.At(15, 8).content, CellContent::Text("M\u00FCller")) << label;
    EXPECT_EQ(sheet.At(15, 2).content, CellContent::Number(1.5)) << label;
    sheet.SetCell(15, 6, CellContent::Number(-1.5));
    SaveCsvSheet(sheet, path);
    EXPECT_EQ(Read(path), bytes(fitted)) << label;

    if (c.encoding == Encoding::kWindows1252) {
      const std::string shown = sheet.At(16, 8).content.text();
      EXPECT_EQ(shown.substr(0, 8), "\u20AC\u0081\u201A");       // 0x80, 0x81, 0x82
      EXPECT_NE(shown.find("\u00B1\u00B2"), std::string::npos);  // 0xB1, 0xB2
      // A character the encoding cannot hold leaves the file as it was.
      sheet.SetCell(16, 8, CellContent::Text("\u03A9"));
      EXPECT_THROW(SaveCsvSheet(sheet, path), HostError);
      EXPECT_EQ(Read(path), bytes(fitted));
    }
  }
}

}  // namespace
}  // namespace tavrix
