#pragma once

#include <com/sun/star/sheet/XSpreadsheet.hpp>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "uno.h"

namespace tavrix {

// The active worksheet of a document (through its view).
uno::Reference<uno::css::sheet::XSpreadsheet> ActiveSheetOf(
    const uno::Reference<uno::css::lang::XComponent>& document);

// The application operations over the office's spreadsheet documents.
// Hidden documents have no current one in the office, so the app keeps its
// own: the workbook it opened or activated last.
class OfficeApp : public SpreadsheetApp {
 public:
  OfficeApp(uno::Reference<uno::css::frame::XDesktop2> desktop, bool hidden);
  ~OfficeApp() override;

  bool OpenWorkbook(const std::string& path, bool asTemplate) override;
  int WorkbookCount() override;
  std::string WorkbookName(int index) override;
  void ActivateWorkbook(int index) override;
  std::optional<std::string> ActiveWorkbookName() override;
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
  OfficeSheet* SheetFor(const uno::Reference<uno::css::lang::XComponent>& document,
                        const uno::Reference<uno::css::sheet::XSpreadsheet>& sheet);
  void StopWatching();

  uno::Reference<uno::css::frame::XDesktop2> desktop_;
  bool hidden_;
  uno::Reference<uno::css::lang::XComponent> active_;
  struct KnownSheet {
    uno::Reference<uno::css::lang::XComponent> document;
    std::string name;
    std::unique_ptr<OfficeSheet> host;
  };
  std::vector<KnownSheet> sheets_;
  // Shared with the listener, which runs on the office's bridge thread.
  std::shared_ptr<std::atomic<bool>> delivery_ = std::make_shared<std::atomic<bool>>(true);
  std::shared_ptr<std::atomic<bool>> changed_ = std::make_shared<std::atomic<bool>>(false);
  uno::Reference<uno::css::uno::XInterface> listener_;
  uno::Reference<uno::css::sheet::XSpreadsheet> watched_;
};

}  // namespace tavrix
