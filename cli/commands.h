#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace tavrix::cli {

// Exit codes of the calculators.
inline constexpr int kExitOk = 0;
inline constexpr int kExitBadInput = 1;

// The basic species a complex may have.
inline constexpr std::size_t kMaxSpecies = 4;

struct WaterRequest {
  std::vector<std::string> values;  // t P pairs, or "-" for standard input
};

struct PkRequest {
  double pK298 = 0;
  double A = 0;
  double B = 0;
  bool density = false;                   // the second number of a pair is rho
  std::vector<std::string> values;        // t P (or t rho) pairs, or "-"
  std::vector<std::string> species = {};  // decide the range of confidence
  bool noLimits = false;                  // marks as the table with /ie
};

// pK with its uncertainty from the fit a data sheet shows, or from
// another model fitted to its points.
struct PkFromBookRequest {
  std::string book;
  std::string sheet = "";
  bool density = false;
  std::vector<std::string> values;
  bool noLimits = false;     // values also for gas and steam
  std::string model = "rb";  // rb: the fit the sheet shows
  bool limits = false;       // another model: enforce the "<" points
};

struct TableRequest {
  double pK298 = 0;
  double A = 0;
  double B = 0;
  std::vector<std::string> species;
  std::string complex;
  bool noLimits = false;
  bool decComma = false;
  bool forExcel = false;
};

// The workbook commands: each book in turn, reported under its name when
// there are several; the exit code is the highest of the books'. CSV
// files are read directly, other workbooks through LibreOffice.
struct BookOptions {
  std::vector<std::string> books;
  bool noLimits = false;
  std::string sheet = "";  // the worksheet to use; "" for the one active when saved
  std::optional<char> separator = std::nullopt;  // of CSV files; found in each file when not set
  bool ignoreLock = false;                       // save even while another office has the file open
  bool allSheets = false;  // every data sheet of each workbook, in one load of it
};

struct CheckRequest {
  BookOptions books;
  bool write = false;  // save the pass's own rewrites
};

struct FitRequest {
  BookOptions books;
  bool limits = false;                                         // enforce the "<" points
  std::optional<std::vector<std::string>> fit = std::nullopt;  // parameters to fit (pK298, A, B)
  bool dryRun = false;
};

struct SheetTableRequest {
  BookOptions books;
  bool forExcel = false;
};

// What an export writes: the data.txt record (appended), or the text of a
// code (to standard output, or replacing the file --to names).
enum class ExportFormat { kDataTxt, kThermoFun, kPhreeqc, kGrid };

struct ExportRequest {
  BookOptions books;
  std::string to = "";  // "" for data.txt in the home folder, or standard output
  ExportFormat format = ExportFormat::kDataTxt;
  std::vector<std::string> t = {};  // --t: temperatures of a grid, range of -analytic
  std::vector<std::string> p = {};  // --p: pressures of a grid
  bool csv = false;                 // a comma-separated grid
  std::string model = "rb";         // the grid and the PHREEQC block of another model
  bool limits = false;              // another model: enforce the "<" points
};

// Models side by side on each sheet's points; changes no file.
struct CompareRequest {
  BookOptions books;
  std::vector<std::string> models = {};  // by name; all when empty
  bool limits = false;                   // enforce the "<" points
  bool csv = false;
};

// One line per data sheet of every workbook: what it shows.
struct SummaryRequest {
  BookOptions books;
  bool csv = false;
};

struct PlotRequest {
  BookOptions books;
  std::string output;                    // .png or .svg
  std::vector<std::string> models = {};  // drawn beside the sheet's RB fit
  bool limits = false;                   // the other models keep the "<" points
};

// The report of the fit a sheet shows: one HTML page, written over the
// file -o names (one sheet), or beside each sheet's file.
struct ReportRequest {
  BookOptions books;
  std::string output = "";
};

int RunCheck(const CheckRequest& request, std::ostream& out, std::ostream& err);
int RunFit(const FitRequest& request, std::ostream& out, std::ostream& err);
int RunSheetTable(const SheetTableRequest& request, std::ostream& out, std::ostream& err);
int RunExport(const ExportRequest& request, std::ostream& out, std::ostream& err);
int RunCompare(const CompareRequest& request, std::ostream& out, std::ostream& err);
int RunSummary(const SummaryRequest& request, std::ostream& out, std::ostream& err);
// Draws the plot of the fit shown in the sheet (needs the desktop build).
int RunPlot(const PlotRequest& request, std::ostream& out, std::ostream& err);

int RunReport(const ReportRequest& request, std::ostream& out, std::ostream& err);

int RunWater(const WaterRequest& request, std::istream& in, std::ostream& out, std::ostream& err);
int RunPk(const PkRequest& request, std::istream& in, std::ostream& out, std::ostream& err);
int RunPkFromBook(const PkFromBookRequest& request, std::istream& in, std::ostream& out,
                  std::ostream& err);
int RunTable(const TableRequest& request, std::ostream& out, std::ostream& err);

}  // namespace tavrix::cli
