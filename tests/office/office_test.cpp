// The LibreOffice host against a real headless office.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "book.h"
#include "office_fixture.h"
#include "support/commands_run.h"
#include "support/data_sheet.h"
#include "tavrix/datasheet/sheet_pass.h"
#include "tavrix/office/office_session.h"

namespace tavrix {

OfficeSession* office = nullptr;

void CopyInto(const MemoryGrid& grid, OfficeSheet& sheet) {
  for (int row = 1; row <= grid.RowCount(); ++row) {
    for (int col = 1; col <= grid.ColumnCount(row); ++col) {
      const CellContent& content = grid.At(row, col).content;
      if (!content.IsEmpty()) sheet.SetCell(row, col, content);
    }
  }
  sheet.Flush();
}

std::string Office::Workbook(const std::string& name, const MemoryGrid& grid) {
  const std::string path = PathOf(name);
  auto workbook = office->Create(path);
  CopyInto(grid, workbook->Sheet(""));
  workbook->Save();
  return path;
}

namespace {

using testing_support::BuildSheet;
using testing_support::SheetContents;
using testing_support::Type;

TEST_F(Office, CellOperationsRoundTrip) {
  auto workbook = office->Create(PathOf("cells.ods"));
  OfficeSheet& sheet = workbook->Sheet("");
  sheet.SetCell(1, 1, CellContent::Number(3.142));
  sheet.SetCell(1, 2, CellContent::Text("?"));
  sheet.SetCell(1, 3, CellContent::Number(1E35));
  sheet.SetCell(2, 1, CellContent::Text("gone"));
  sheet.SetCell(2, 1, CellContent::Text(""));
  sheet.SetCell(3, 3, CellContent::Text("T, C \u00B1"));
  sheet.SetCell(9, 4, CellContent::Number(-0.5));
  sheet.ClearCells({9, 4, 9, 4});
  // Written values read back before and after they reached the office.
  EXPECT_EQ(sheet.CellText(1, 1), "3.142");
  sheet.Refresh();
  EXPECT_EQ(sheet.CellText(1, 1), "3.142");
  EXPECT_EQ(sheet.CellText(1, 2), "?");
  EXPECT_EQ(sheet.CellText(1, 3), "1E+35");
  EXPECT_EQ(sheet.CellText(2, 1), "");
  EXPECT_EQ(sheet.CellText(3, 3), "T, C \u00B1");
  EXPECT_EQ(sheet.CellText(9, 4), "");
  EXPECT_EQ(sheet.CellText(500, 50), "");
}

// A pass, clean or failed, reads and leaves the workbook as it does the
// memory grid, through the batched host and through one office call per
// operation alike.
TEST_F(Office, PassGivesTheSameRecordAndCellsAsTheMemoryGrid) {
  for (const bool fails : {false, true}) {
    SheetContents contents;
    contents.reference[0] = "1.23456";
    contents.initial[2] = "?";
    contents.points.push_back({"150", "", "0.9", "<", "0.5"});
    contents.points.push_back({"200", "2000", "", fails ? "-1" : "0", "0.25"});
    MemoryGrid grid = BuildSheet(contents);
    auto batched = office->Open(Workbook("batched.ods", grid));
    auto plain = office->Open(Workbook("plain.ods", grid));
    const SheetPassResult memory = PassOverSheet(grid, {});
    const SheetPassResult inOffice = PassOverSheet(batched->Sheet(""), {});
    const SheetPassResult unbatched = PassOverSheet(*plain->UnbatchedSheet(""), {});
    EXPECT_EQ(memory.read.error ? memory.read.error->code : kNoError,
              fails ? kNegativeWeight : kNoError);
    for (const SheetPassResult* pass : {&inOffice, &unbatched}) {
      EXPECT_EQ(pass->read.error.has_value(), memory.read.error.has_value());
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
    for (int row = 1; row <= 20; ++row) {
      for (int col = 1; col <= 8; ++col) {
        EXPECT_EQ(a.CellText(row, col), grid.CellText(row, col)) << row << "," << col;
        EXPECT_EQ(b.CellText(row, col), grid.CellText(row, col)) << row << "," << col;
        EXPECT_EQ(a.NumberFormatAt(row, col), b.NumberFormatAt(row, col)) << row << "," << col;
        EXPECT_EQ(a.FontColorAt(row, col), b.FontColorAt(row, col)) << row << "," << col;
      }
    }
    if (fails) continue;
    EXPECT_EQ(a.NumberFormatAt(11, 6), "0.00");
    EXPECT_EQ(a.NumberFormatAt(12, 6), "0.000");
    EXPECT_EQ(a.FontColorAt(17, 7), kRed);
    EXPECT_EQ(a.FontColorAt(18, 6), kBlack);
  }
}

TEST_F(Office, ErrorsNameTheSameCells) {
  const std::vector<std::pair<int, int>> edits = {{2, 4}, {9, 2}, {15, 1}, {16, 2}, {5, 2}};
  for (const auto& [row, col] : edits) {
    MemoryGrid grid = BuildSheet(SheetContents{});
    Type(grid, row, col, row == 16 ? "" : "x");
    auto workbook = office->Open(Workbook("error.ods", grid));
    const SheetRead memory = ReadDataSheet(grid, {});
    const SheetRead inOffice = ReadDataSheet(workbook->Sheet(""), {});
    ASSERT_TRUE(memory.error && inOffice.error);
    EXPECT_EQ(inOffice.error->Message(), memory.error->Message());
  }
}

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
  EXPECT_EQ(app.ActiveWorkbookName(), "first.ods");
  SheetHost* sheet = app.ActiveSheet();
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(app.ActiveSheetName(), "Sheet1");
  EXPECT_EQ(app.FirstWorksheet(), sheet);
}
TEST_F(Office, AnotherClientsEditRaisesTheFlagWhileEventsAreDelivered) {
  SpreadsheetApp& app = office->App();
  ASSERT_TRUE(app.OpenWorkbook(Workbook("watched.ods", BuildSheet(SheetContents{})), false));
  SheetHost* sheet = app.ActiveSheet();
  app.WatchSheet(sheet);
  app.ClearChanged();

  // A second connection to the same office: launching soffice with the
  // office's profile hands it a second pipe.
  auto other = OfficeSession::AttachOrStart("tavrix-test-" + std::to_string(::getpid()),
                                            {office->ProfileUrl(), true}, true);
  EXPECT_EQ(other->ProcessId(), 0);  // not ours to end
  SpreadsheetApp& otherApp = other->App();
  for (int i = 1; i <= otherApp.WorkbookCount(); ++i) {
    if (otherApp.WorkbookName(i) == "watched.ods") otherApp.ActivateWorkbook(i);
  }
  ASSERT_EQ(otherApp.ActiveWorkbookName(), "watched.ods");
  SheetHost* otherSheet = otherApp.ActiveSheet();

  const auto editAndWait = [&](double value) {
    otherSheet->SetCell(15, 5, CellContent::Number(value));
    static_cast<OfficeSheet*>(otherSheet)->Flush();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!app.Changed() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return app.Changed();
  };
  app.SetEventDelivery(false);
  EXPECT_FALSE(editAndWait(5));
  app.SetEventDelivery(true);
  EXPECT_TRUE(editAndWait(6));
  other.reset();
  EXPECT_EQ(office->App().ActiveSheet()->CellText(1, 2), "");  // the office lives on
}

TEST_F(Office, FormulaCellsGiveTheirResults) {
  const std::string path = Write(R"xml(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2" office:version="1.2"
 office:mimetype="application/vnd.oasis.opendocument.spreadsheet"><office:body><office:spreadsheet>
<table:table table:name="Formulas"><table:table-row>
<table:table-cell table:formula="of:=1+2.5" office:value-type="float" office:value="3.5"><text:p>3.5</text:p></table:table-cell>
<table:table-cell table:formula="of:=CONCATENATE(&quot;Na&quot;;&quot;Cl&quot;)" office:value-type="string" office:string-value="NaCl"><text:p>NaCl</text:p></table:table-cell>
</table:table-row></table:table></office:spreadsheet></office:body></office:document>
)xml",
                                 "formulas.fods");
  auto workbook = office->Open(path);
  EXPECT_EQ(workbook->Sheet("Formulas").CellText(1, 1), "3.5");
  EXPECT_EQ(workbook->Sheet("Formulas").CellText(1, 2), "NaCl");
  EXPECT_EQ(workbook->UnbatchedSheet("Formulas")->CellText(1, 2), "NaCl");
  EXPECT_THROW(workbook->Sheet("Nothing"), HostError);
}

// Every format, and names a file URL must escape or that are not UTF-8
// (made on an older system).
TEST_F(Office, FitSavesEveryFormatSoThatTheOfficeReadsItBack) {
  const char* names[] = {"fit.ods", "fit.xlsx", "fit.xls", "caf\xe9.ods", "50% #1?.ods"};
  for (const std::string name : names) {
    const std::string path = Workbook(name, BuildSheet(testing_support::Fittable()));
    const auto fit = testing_support::Call(cli::RunFit, testing_support::FitOf(path));
    ASSERT_EQ(fit.code, cli::kExitOk) << fit.err;
    auto workbook = office->Open(path);
    OfficeSheet& sheet = workbook->Sheet("");
    EXPECT_NE(sheet.CellText(9, 6), "") << name;
    EXPECT_EQ(sheet.CellText(11, 7), "") << name;  // B was held
    EXPECT_EQ(sheet.NumberFormatAt(9, 6), "0.000") << name;
    EXPECT_NE(sheet.CellText(15, 7), "") << name;
    EXPECT_EQ(fit.out.substr(0, 9), "pK(298): ");
  }
  const std::filesystem::directory_iterator files(dir_), end;
  EXPECT_EQ(std::distance(files, end), std::ssize(names));  // nothing left beside them
}

TEST_F(Office, TheTemplateOpensAsANewWorkbookThatPassesCleanly) {
  const auto modified = std::filesystem::last_write_time(TAVRIX_TEMPLATE_PATH);
  SpreadsheetApp& app = office->App();
  ASSERT_TRUE(app.OpenWorkbook(TAVRIX_TEMPLATE_PATH, true));
  const std::string name = *app.ActiveWorkbookName();
  EXPECT_NE(name, "Tavrix.xls");  // a new document, not the template itself
  SheetHost* sheet = app.ActiveSheet();
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->CellText(14, 1), "T, C");
  EXPECT_EQ(sheet->CellText(8, 7), "\u00B1");
  EXPECT_EQ(sheet->CellText(15, 1), "");  // no points
  EXPECT_EQ(static_cast<OfficeSheet*>(sheet)->NumberFormatAt(11, 3), "0.00");

  const SheetPassResult pass = PassOverSheet(*sheet, {});
  ASSERT_TRUE(pass.clean()) << pass.read.error->Message();
  EXPECT_EQ(pass.read.sheet.points.size(), 0u);
  static_cast<OfficeSheet*>(sheet)->Flush();
  EXPECT_EQ(std::filesystem::last_write_time(TAVRIX_TEMPLATE_PATH), modified);
}

TEST_F(Office, ATemplateThatDoesNotOpenIsNamedNotTheWorkbookToMake) {
  const std::string missing = PathOf("no-template.xls");
  const std::string made = PathOf("made.ods");
  try {
    office->CreateFromTemplate(missing, made, "Data");
    ADD_FAILURE() << "made from a template that is not there";
  } catch (const HostError& e) {
    EXPECT_NE(std::string(e.what()).find("'" + missing + "'"), std::string::npos) << e.what();
    EXPECT_EQ(std::string(e.what()).find(made), std::string::npos) << e.what();
  }
}

// A pass over a sheet of an office of its own that gets `signal` first:
// the message the pass ends with, which must come within 10 s.
std::string PassAfter(Office& test, int signal, std::chrono::milliseconds patience) {
  auto own = OfficeSession::StartPrivate();
  own->SetCallPatience(patience);
  auto workbook = own->Open(test.MakeWorkbook("broken.ods", BuildSheet(SheetContents{})));
  OfficeSheet& sheet = workbook->Sheet("");
  ::kill(-own->ProcessId(), signal);
  const auto start = std::chrono::steady_clock::now();
  const SheetRead read = ReadDataSheet(sheet, {});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(read.error->code, kUnexpectedError);
  return read.error->Message() + ": " + read.error->detail;  // the session ends without waiting
}

TEST_F(Office, AnOfficeThatDiesMidPassIsAnUnexpectedError) {
  EXPECT_EQ(PassAfter(*this, SIGKILL, std::chrono::seconds(30)),
            "Unexpected error (row=1, col=1): LibreOffice ended unexpectedly");
}

TEST_F(Office, AnOfficeThatStopsAnsweringIsEndedAndTheCallFails) {
  // Alive but answering nothing: the watchdog ends it after 2 s.
  EXPECT_EQ(PassAfter(*this, SIGSTOP, std::chrono::seconds(2)),
            "Unexpected error (row=1, col=1): LibreOffice stopped answering and was ended");
}

}  // namespace
}  // namespace tavrix

int main(int argc, char** argv) {
  ::signal(SIGPIPE, SIG_IGN);  // as the programs do: a dead office's connection says so
  testing::InitGoogleTest(&argc, argv);
  auto session = tavrix::OfficeSession::StartPrivate();
  tavrix::office = session.get();
  const int result = RUN_ALL_TESTS();
  session.reset();
  return result;
}
