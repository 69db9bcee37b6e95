#pragma once

#include <com/sun/star/sheet/XSpreadsheet.hpp>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "uno.h"

namespace tavrix {

// The active worksheet of a document (through its view).
uno::Reference<uno::css::sheet::XSpreadsheet> ActiveSheetOf(
    const uno::Reference<uno::css::lang::XComponent>& document);

// Opens the office's Start Center when it shows no window at all, as an
// office started without a document does on its own.
void ShowStartCenter(const uno::Reference<uno::css::uno::XComponentContext>& context,
                     const uno::Reference<uno::css::frame::XDesktop2>& desktop);

// The spreadsheet documents in the order they were last active, the most
// recent first; filled from the office's focus events on its bridge thread.
struct RecentDocuments {
  std::mutex mutex;
  std::vector<uno::Reference<uno::css::lang::XComponent>> documents;
  void Touch(const uno::Reference<uno::css::lang::XComponent>& document);
  std::vector<uno::Reference<uno::css::lang::XComponent>> List();
};

// The application operations over the office's spreadsheet documents. The
// active workbook is the spreadsheet the office holds as current; when the
// current document is none (another kind of document, the Start Center, or
// hidden documents) it is the most recently active spreadsheet still open.
class OfficeApp : public SpreadsheetApp {
 public:
  OfficeApp(uno::Reference<uno::css::uno::XComponentContext> context,
            uno::Reference<uno::css::frame::XDesktop2> desktop, bool hidden);
  ~OfficeApp() override;

  bool OpenWorkbook(const std::string& path, bool asTemplate) override;
  int WorkbookCount() override;
  std::string WorkbookName(int index) override;
  void ActivateWorkbook(int index) override;
  void CloseWorkbook(int index) override;
  std::optional<std::string> ActiveWorkbookName() override;
  std::string WorkbookId(int index) override;
  std::optional<std::string> ActiveWorkbookId() override;
  bool ActiveWorkbookReadOnly() override;
  SheetHost* ActiveSheet() override;
  std::string ActiveSheetName() override;
  SheetHost* FirstWorksheet() override;
  void SetEventDelivery(bool on) override { delivery_->store(on); }
  void WatchSheet(SheetHost* sheet) override;
  bool Changed() const override { return changed_->load(); }
  void ClearChanged() override { changed_->store(false); }
  void Quit() override;
  void Synchronize() override;

 private:
  std::vector<uno::Reference<uno::css::lang::XComponent>> Documents();
  uno::Reference<uno::css::lang::XComponent> Document(int index);
  // Finds the active workbook; false when no spreadsheet is open.
  bool FindActive();
  // The path of the document's file, or a text of its own for a new one.
  std::string IdOf(const uno::Reference<uno::css::lang::XComponent>& document);
  SheetHost* SheetFor(const uno::Reference<uno::css::lang::XComponent>& document,
                      const uno::Reference<uno::css::sheet::XSpreadsheet>& sheet);
  void StopWatching();

  uno::Reference<uno::css::uno::XComponentContext> context_;
  uno::Reference<uno::css::frame::XDesktop2> desktop_;
  bool hidden_;
  uno::Reference<uno::css::lang::XComponent> active_;
  std::shared_ptr<RecentDocuments> recent_ = std::make_shared<RecentDocuments>();
  uno::Reference<uno::css::uno::XInterface> focusListener_;
  struct KnownSheet {
    uno::Reference<uno::css::lang::XComponent> document;
    std::string name;
    std::unique_ptr<OfficeSheet> host;
    std::unique_ptr<SheetHost> readOnly;  // the same sheet with every write refused
  };
  std::vector<KnownSheet> sheets_;
  // The new documents (no file yet) that were told apart, with their texts.
  std::vector<std::pair<uno::Reference<uno::css::lang::XComponent>, std::string>> newDocuments_;
  int newCount_ = 0;
  // Shared with the listener, which runs on the office's bridge thread.
  std::shared_ptr<std::atomic<bool>> delivery_ = std::make_shared<std::atomic<bool>>(true);
  std::shared_ptr<std::atomic<bool>> changed_ = std::make_shared<std::atomic<bool>>(false);
  uno::Reference<uno::css::uno::XInterface> listener_;
  uno::Reference<uno::css::lang::XComponent> watched_;  // the workbook of the watched sheet
};

}  // namespace tavrix
