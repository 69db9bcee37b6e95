// The LibreOffice host against a real headless office.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <clocale>
#include <map>
#include <tuple>

#include "office_fixture.h"
#include "tavrix/datasheet/sheet_pass.h"
#include "tavrix/office/office_session.h"

namespace tavrix {

std::unique_ptr<OfficeSession> office;

void Office::WithoutTestOffice(const std::function<void()>& work) {
  office.reset();
  work();
  office = OfficeSession::StartPrivate();
}

std::string Office::Workbook(const std::string& name, const MemoryGrid& grid) {
  const std::string path = PathOf(name);
  auto workbook = office->Create(path);
  OfficeSheet& sheet = workbook->Sheet("");
  for (int row = 1; row <= grid.RowCount(); ++row) {
    for (int col = 1; col <= grid.ColumnCount(row); ++col) {
      const CellContent& content = grid.At(row, col).content;
      if (!content.IsEmpty()) sheet.SetCell(row, col, content);
    }
  }
  workbook->Save();
  return path;
}

namespace {

using testing::HasSubstr;
using testing::ThrowsMessage;
using testing_support::Type;

TEST_F(Office, CellOperationsRoundTrip) {
  auto workbook = office->Create(PathOf("cells.ods"));
  OfficeSheet& sheet = workbook->Sheet("");
  const std::tuple<int, int, CellContent, const char*> cells[] = {
      {1, 1, CellContent::Number(3.142), "3.142"},
      {1, 2, CellContent::Text("?"), "?"},
      {1, 3, CellContent::Number(1E35), "1E+35"},
      {3, 3, CellContent::Text("T, C \u00B1"), "T, C \u00B1"},
      {2, 1, CellContent::Text(""), ""},      // written over with nothing
      {9, 4, CellContent::Number(-0.5), ""},  // cleared
  };
  sheet.SetCell(2, 1, CellContent::Text("gone"));
  for (const auto& [row, col, content, shown] : cells) sheet.SetCell(row, col, content);
  sheet.ClearCells({9, 4, 9, 4});
  EXPECT_EQ(sheet.CellText(1, 1), "3.142");  // before it reached the office
  sheet.Refresh();
  for (const auto& [row, col, content, shown] : cells) EXPECT_EQ(sheet.CellText(row, col), shown);
  EXPECT_EQ(sheet.CellText(500, 50), "");
}

// A pass, clean or failed, reads and leaves the workbook as it does the
// memory grid, through the batched host and through one office call per
// operation alike; a failed one names the same cell. Formula cells read as
// what they show: their results, and an error value as text (not as the
// end of the table, nor as weight 0).
TEST_F(Office, PassGivesTheSameRecordAndCellsAsTheMemoryGrid) {
  const auto message = [](const SheetPassResult& pass) {
    return pass.read.error ? pass.read.error->Message() : std::string();
  };
  const struct {
    int row, col;
    const char* text;     // typed into the memory grid there
    std::string formula;  // in the workbook instead, if any (row 0: no change)
    // Errors stop the pass before its first write, in the parameters, or after 0 to 3 points.
  } edits[] = {{0, 0, "", ""},
               {18, 4, "-1", ""},
               {2, 4, "x", ""},
               {9, 2, "x", ""},
               {16, 2, "", ""},
               {2, 3, "NaCl", "of:=&quot;Na&quot;&amp;&quot;Cl&quot;"},
               {15, 5, "1", "of:=0.5+0.5"},
               {17, 1, "#N/A", "of:=NA()"},
               {15, 4, "#VALUE!", "of:=1+&quot;x&quot;"}};
  for (const auto& [row, col, text, formula] : edits) {
    SheetContents contents;
    contents.reference[0] = "1.23456";
    contents.initial[2] = "?";
    contents.points.push_back({"150", "", "0.9", "<", "0.5"});
    contents.points.push_back({"200", "2000", "", "0", "0.25"});
    MemoryGrid grid = BuildSheet(contents);
    if (row > 0) Type(grid, row, col, text);
    std::map<std::pair<int, int>, std::string> formulas;
    if (!formula.empty()) formulas[{row, col}] = formula;
    const std::string fods = Fods({{"Data", grid, formulas}});
    auto batched = office->Open(Write(fods, "batched.fods"));
    auto plain = office->Open(Write(fods, "plain.fods"));
    EXPECT_THROW(batched->Sheet("Nothing"), HostError);
    const SheetPassResult memory = PassOverSheet(grid, {});
    const SheetPassResult inOffice = PassOverSheet(batched->Sheet(""), {});
    const SheetPassResult unbatched = PassOverSheet(*plain->UnbatchedSheet(""), {});
    for (const SheetPassResult* pass : {&inOffice, &unbatched}) {
      EXPECT_EQ(message(*pass), message(memory));
      EXPECT_EQ(pass->evaluation.normal.matrix, memory.evaluation.normal.matrix);
      EXPECT_EQ(pass->evaluation.normal.rhs, memory.evaluation.normal.rhs);
      EXPECT_EQ(pass->evaluation.limits, memory.evaluation.limits);
      EXPECT_EQ(pass->read.sheet.reference.pK298, memory.read.sheet.reference.pK298);
      EXPECT_EQ(pass->read.sheet.points.size(), memory.read.sheet.points.size());
    }
    OfficeSheet& a = batched->Sheet("");
    OfficeSheet& b = plain->Sheet("");
    EXPECT_EQ(MarkedForFit(a, false), MarkedForFit(grid, false));
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(ShownParameter(a, i, false), ShownParameter(grid, i, false));
    a.Refresh();
    b.Refresh();
    for (int r = 1; r <= 20; ++r) {
      for (int c = 1; c <= 8; ++c) {
        EXPECT_EQ(a.CellText(r, c), grid.CellText(r, c)) << r << "," << c;
        EXPECT_EQ(b.CellText(r, c), grid.CellText(r, c)) << r << "," << c;
        EXPECT_EQ(a.NumberFormatAt(r, c), b.NumberFormatAt(r, c)) << r << "," << c;
        EXPECT_EQ(a.FontColorAt(r, c), b.FontColorAt(r, c)) << r << "," << c;
      }
    }
    if (row > 0) continue;  // the clean pass's formats
    EXPECT_EQ(a.NumberFormatAt(11, 6), "0.00");
    EXPECT_EQ(a.FontColorAt(17, 7), kRed);
    EXPECT_EQ(a.FontColorAt(18, 6), kBlack);
  }
}

// An edit of a watched sheet reaches the program as an event of the
// office's: it raises the flag while events are delivered, and only then.
TEST_F(Office, WorkbooksAreListedActivatedAndWatched) {
  const std::string first = Workbook("first.ods", BuildSheet(SheetContents{}));
  const std::string second = Workbook("second.xlsx", BuildSheet(SheetContents{}));
  SpreadsheetApp& app = office->App();
  const int before = app.WorkbookCount();
  ASSERT_TRUE(app.OpenWorkbook(first, false));
  ASSERT_TRUE(app.OpenWorkbook(second, false));
  EXPECT_FALSE(app.OpenWorkbook(PathOf("none.ods"), false));
  EXPECT_EQ(app.WorkbookCount(), before + 2);
  EXPECT_EQ(app.ActiveWorkbookName(), "second.xlsx");
  for (int i = 1; i <= app.WorkbookCount(); ++i) {
    if (app.WorkbookName(i) == "first.ods") app.ActivateWorkbook(i);
  }
  ASSERT_EQ(app.ActiveWorkbookName(), "first.ods");
  SheetHost* sheet = app.ActiveSheet();
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(app.ActiveSheetName(), "Sheet1");
  EXPECT_EQ(app.FirstWorksheet(), sheet);
  app.WatchSheet(sheet);
  app.ClearChanged();

  auto& officeSheet = static_cast<OfficeSheet&>(*sheet);
  const auto editAndWait = [&](double value) {
    officeSheet.SetCell(15, 5, CellContent::Number(value));
    officeSheet.Flush();
    return Within(std::chrono::seconds(3), [&] { return app.Changed(); });
  };
  app.SetEventDelivery(false);
  EXPECT_FALSE(editAndWait(5));
  app.SetEventDelivery(true);
  EXPECT_TRUE(editAndWait(6));
}

// Every format, names a file URL must escape or that are not UTF-8 (made
// on an older system), and a decimal comma: the fit goes into the workbook
// as numbers, which the office and the table read back. (What the program
// writes under a decimal comma reads back on the in-memory grid and in CSV
// files: tests/fit.)
TEST_F(Office, FitSavesEveryFormatSoThatTheOfficeReadsItBack) {
  const std::string usual = std::setlocale(LC_NUMERIC, nullptr);
  const std::pair<const char*, char> files[] = {{"fit.ods", '.'},     {"fit.xlsx", '.'},
                                                {"fit.xls", '.'},     {"caf\xe9.ods", '.'},
                                                {"50% #1?.ods", '.'}, {"comma.ods", ','}};
  for (const auto& [name, point] : files) {
    if (point == ',') {
      ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr) << "needs de_DE.UTF-8";
    }
    const std::string path = Workbook(name, BuildSheet(Fittable()));
    Outcome fit, table;
    WithoutTestOffice([&] {
      fit = Call(cli::RunFit, FitOf(path));
      table = Call(cli::RunSheetTable, cli::SheetTableRequest{cli::BookOptions{{path}}});
    });
    if (point == ',') std::setlocale(LC_NUMERIC, usual.c_str());
    ASSERT_EQ(fit.code, cli::kExitOk) << name << ": " << fit.err;
    EXPECT_NE(fit.out.find(std::string("fit error (F12): 0") + point), std::string::npos)
        << name << ": " << fit.out;
    ASSERT_EQ(table.code, cli::kExitOk) << name << ": " << table.err;
    EXPECT_NE(table.out.find(std::string("25") + point + "00"), std::string::npos) << table.out;
    auto workbook = office->Open(path);
    OfficeSheet& sheet = workbook->Sheet("");
    EXPECT_NE(sheet.CellText(9, 6), "") << name;
    EXPECT_NE(sheet.CellText(15, 7), "") << name;
    EXPECT_EQ(sheet.NumberFormatAt(9, 6), "0.000") << name;
  }
  EXPECT_EQ(FilesIn(dir_), std::ssize(files));  // nothing left beside them
}

// The template opens as a new workbook that passes cleanly, and stays as it
// was; one that does not open is named, not the workbook to make from it.
TEST_F(Office, TheTemplateOpensAsANewWorkbookThatPassesCleanly) {
  const auto modified = fs::last_write_time(TAVRIX_TEMPLATE_PATH);
  SpreadsheetApp& app = office->App();
  ASSERT_TRUE(app.OpenWorkbook(TAVRIX_TEMPLATE_PATH, true));
  EXPECT_NE(*app.ActiveWorkbookName(), "Tavrix.xls");  // a new document, not the template itself
  auto* sheet = static_cast<OfficeSheet*>(app.ActiveSheet());
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->NumberFormatAt(11, 3), "0.00");
  const SheetPassResult pass = PassOverSheet(*sheet, {});
  ASSERT_TRUE(pass.clean()) << pass.read.error->Message();
  EXPECT_EQ(pass.read.sheet.points.size(), 0u);
  sheet->Flush();
  EXPECT_EQ(fs::last_write_time(TAVRIX_TEMPLATE_PATH), modified);

  const std::string missing = PathOf("no-template.xls"), made = PathOf("made.ods");
  EXPECT_THAT([&] { office->CreateFromTemplate(missing, made, "Data"); },
              ThrowsMessage<HostError>(
                  testing::AllOf(HasSubstr("'" + missing + "'"), testing::Not(HasSubstr(made)))));
}

// An office of its own that dies, or stops answering (the watchdog ends it
// after the call's patience), mid-pass: the pass ends within 10 s with an
// unexpected error, the save after it fails and leaves the file as it was,
// and once the session ends nothing of that office is left.
TEST_F(Office, AnOfficeThatDiesOrStopsAnsweringFailsTheCallsAndLeavesNothing) {
  const struct {
    int signal;
    int patience;  // s
    const char* says;
  } cases[] = {{SIGKILL, 30, "LibreOffice ended unexpectedly"},
               {SIGSTOP, 2, "LibreOffice stopped answering and was ended"}};
  for (const auto& c : cases) {
    const std::string path = Workbook("broken.ods", BuildSheet(Fittable()));
    const auto before = fs::last_write_time(path);
    std::string profile;
    std::vector<std::string> sockets;
    WithoutTestOffice([&] {
      auto own = OfficeSession::StartPrivate();
      own->SetCallPatience(std::chrono::seconds(c.patience));
      profile = own->ProfileUrl().substr(7);
      sockets = PipeFilesOf(own->ProcessId());
      auto workbook = own->Open(path);
      OfficeSheet& sheet = workbook->Sheet("");
      ::kill(-own->ProcessId(), c.signal);
      const auto start = std::chrono::steady_clock::now();
      const SheetRead read = ReadDataSheet(sheet, {});
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
      EXPECT_EQ(read.error->Message() + ": " + read.error->detail,
                std::string("Unexpected error (row=1, col=1): ") + c.says);
      EXPECT_THAT(
          [&] { workbook->Save(); },
          ThrowsMessage<HostError>("LibreOffice ended unexpectedly while saving '" + path + "'"));
    });
    EXPECT_EQ(fs::last_write_time(path), before);
    EXPECT_EQ(FilesIn(dir_), 1);
    EXPECT_FALSE(fs::exists(profile));
    ASSERT_FALSE(sockets.empty());  // the pipes it listened on, and none of them left
    for (const std::string& socket : sockets) EXPECT_FALSE(fs::exists(socket)) << socket;
  }
}

}  // namespace
}  // namespace tavrix

int main(int argc, char** argv) {
  ::signal(SIGPIPE, SIG_IGN);  // as the programs do: a dead office's connection says so
  testing::InitGoogleTest(&argc, argv);
  tavrix::office = tavrix::OfficeSession::StartPrivate();
  const int result = RUN_ALL_TESTS();
  tavrix::office.reset();
  return result;
}
