#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tavrix/sheet/sheet_host.h"
#include "tavrix/sheet/spreadsheet_app.h"

namespace tavrix {

class OfficeWorkbook;

// A LibreOffice process that the program drives over UNO. Every failure of
// the office (it cannot be started, it died, a call failed) is a HostError.
// A call after the office died writes to a closed connection: the process
// must ignore or block SIGPIPE, as tavrix, tavrix-desktop and Python do,
// or that write ends it.
class OfficeSession {
 public:
  // Starts a headless office with a temporary profile of its own and
  // connects to it; the office is ended and the profile removed when the
  // session ends.
  static std::unique_ptr<OfficeSession> StartPrivate();

  // Attaches to the office that listens on `pipe`. When none listens (or
  // only a stale pipe file is left), launches soffice with that pipe and the
  // given profile ("" for the user's own): a LibreOffice already running
  // with that profile then takes the pipe over, else a new one starts. When
  // the office on the pipe does not answer (stopped, hung), the launched
  // one accepts on a pipe of this process instead. The office is the
  // user's: it stays when the session ends. `hidden` opens documents
  // invisibly. An office that does not answer within the patience is given
  // up, and what was launched for it is ended. A visible office started
  // here shows its Start Center.
  struct Launch {
    std::string profileUrl = "";
    bool headless = false;
    std::chrono::milliseconds patience = std::chrono::seconds(60);
  };
  static std::unique_ptr<OfficeSession> AttachOrStart(const std::string& pipe, const Launch& launch,
                                                      bool hidden);
  // The connection is closed, together with the process's others, when
  // the last session ends: then no thread of it is left at exit.
  ~OfficeSession();
  OfficeSession(const OfficeSession&) = delete;
  OfficeSession& operator=(const OfficeSession&) = delete;

  // Opens a workbook file (.ods, .xlsx, .xls, ...) hidden. Read-only, the
  // office writes nothing beside it (it works in a read-only folder), and
  // the workbook cannot be saved. Throws HostError, which says when the
  // file is protected by a password.
  enum class Access { kEdit, kReadOnly };
  std::unique_ptr<OfficeWorkbook> Open(const std::string& path, Access access = Access::kEdit);
  // A new, empty workbook that Save stores at `path`.
  std::unique_ptr<OfficeWorkbook> Create(const std::string& path);
  // A new workbook made from a template file (its sheet, column widths and
  // number formats), with the sheet renamed; Save stores it at `path`.
  std::unique_ptr<OfficeWorkbook> CreateFromTemplate(const std::string& templatePath,
                                                     const std::string& path,
                                                     const std::string& sheetName);

  // The application operations over this office's documents.
  SpreadsheetApp& App();

  // Gives the connection up, from any thread: a call in progress fails at
  // once, and so does every later one. The process's other connections go
  // with it (connections to one office share its objects). The office is
  // left as it is.
  void Abandon();

  // How long one call may wait for a private office before the office is
  // taken as hung and ended (the call then fails). Default 30 s.
  void SetCallPatience(std::chrono::milliseconds patience);

  int ProcessId() const;           // of an office this session started itself, else 0
  std::string ProfileUrl() const;  // of a private office, else ""

  struct Impl;

 private:
  explicit OfficeSession(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// Carries out the office calls of a thread that must keep handling its own
// events (a window's): the call runs on another thread while the calling
// one waits as the runner sees fit. What the call throws reaches the
// caller; the runner may throw HostError instead (it gave the call up).
class CallRunner {
 public:
  virtual ~CallRunner() = default;
  virtual void Run(const std::function<void()>& call) = 0;
};

// The office calls made on the calling thread go through `runner` from now
// on; nullptr: they run on the thread itself, as by default.
void RunOfficeCallsThrough(CallRunner* runner);

// One worksheet of an office document: the five cell operations. Reads
// come from one block read of the used area, kept coherent with the
// program's writes; writes wait until Flush (or the next read of the
// office's own state) and then go out in as few block calls as possible.
class OfficeSheet : public SheetHost {
 public:
  struct Impl;
  explicit OfficeSheet(std::unique_ptr<Impl> impl);
  ~OfficeSheet() override;

  std::string CellText(int row, int col) override;
  void SetCell(int row, int col, const CellContent& value) override;
  void SetNumberFormat(const CellRange& range, const std::string& format) override;
  void ClearCells(const CellRange& range) override;
  void SetFontColor(const CellRange& range, int color) override;

  // Sends the pending writes to the office.
  void Flush();
  // Forgets the block read, so that the next read sees edits made meanwhile.
  void Refresh();

  // What the office holds, for inspection: the number format code and the
  // font colour (as a blue-green-red value) of a cell. Flushes first.
  std::string NumberFormatAt(int row, int col);
  int FontColorAt(int row, int col);

  const std::string& name() const;
  Impl& impl() { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

// A workbook file opened in the office; closed when this ends.
class OfficeWorkbook {
 public:
  struct Impl;
  explicit OfficeWorkbook(std::unique_ptr<Impl> impl);
  ~OfficeWorkbook();

  std::string Name() const;  // the file name
  // The widths of a sheet's first columns (1/100 mm), for inspection.
  std::vector<int> ColumnWidths(const std::string& sheet, int columns);
  void RenameSheet(const std::string& from, const std::string& to);
  std::vector<std::string> SheetNames();
  std::string ActiveSheetName();
  // The worksheet of that name, or the active one for "". Throws HostError
  // when there is no such worksheet.
  OfficeSheet& Sheet(const std::string& name);
  // The same worksheet through a host that calls the office once per cell
  // operation, without block reads or batching: the plain way, to compare with.
  std::unique_ptr<SheetHost> UnbatchedSheet(const std::string& name);

  // Flushes every sheet and stores the workbook over its file in the
  // file's own format: first to a temporary file beside it, then renamed,
  // so that an interrupted save leaves the file whole.
  void Save();

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace tavrix
