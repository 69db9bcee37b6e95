#include "office_app.h"

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/util/XModifyBroadcaster.hpp>
#include <com/sun/star/util/XModifyListener.hpp>
#include <cppuhelper/implbase1.hxx>
#include <osl/file.hxx>

#include <filesystem>

namespace tavrix {

using namespace uno;

namespace {

// Raises the change flag for every edit of the watched sheet while events
// are delivered. Called on the office's bridge thread.
class ChangeListener : public cppu::WeakImplHelper1<css::util::XModifyListener> {
 public:
  ChangeListener(std::shared_ptr<std::atomic<bool>> delivery, std::shared_ptr<std::atomic<bool>> changed)
      : delivery_(std::move(delivery)), changed_(std::move(changed)) {}
  void SAL_CALL modified(const css::lang::EventObject&) override {
    if (delivery_->load()) changed_->store(true);
  }
  void SAL_CALL disposing(const css::lang::EventObject&) override {}

 private:
  std::shared_ptr<std::atomic<bool>> delivery_;
  std::shared_ptr<std::atomic<bool>> changed_;
};

std::string DocumentName(const Reference<css::lang::XComponent>& document) {
  const Reference<css::frame::XStorable> storable(document, UNO_QUERY);
  if (storable.is() && storable->hasLocation()) {
    OUString path;
    if (osl::FileBase::getSystemPathFromFileURL(storable->getLocation(), path) == osl::FileBase::E_None) {
      return std::filesystem::path(ToStd(path)).filename().string();
    }
  }
  const Reference<css::frame::XTitle> title(document, UNO_QUERY);
  return title.is() ? ToStd(title->getTitle()) : std::string();
}

}  // namespace

Reference<css::sheet::XSpreadsheet> ActiveSheetOf(const Reference<css::lang::XComponent>& document) {
  const Reference<css::frame::XModel> model(document, UNO_QUERY_THROW);
  const Reference<css::sheet::XSpreadsheetView> view(model->getCurrentController(), UNO_QUERY);
  if (!view.is()) throw HostError("the workbook has no view");
  return view->getActiveSheet();
}

OfficeApp::OfficeApp(Reference<css::frame::XDesktop2> desktop, bool hidden)
    : desktop_(std::move(desktop)), hidden_(hidden) {}

OfficeApp::~OfficeApp() {
  try {
    StopWatching();
  } catch (...) {  // the office may be gone already
  }
}

std::vector<Reference<css::lang::XComponent>> OfficeApp::Documents() {
  std::vector<Reference<css::lang::XComponent>> documents;
  const auto components = desktop_->getComponents()->createEnumeration();
  while (components->hasMoreElements()) {
    const Reference<css::sheet::XSpreadsheetDocument> document(components->nextElement(), UNO_QUERY);
    if (document.is()) documents.emplace_back(document, UNO_QUERY);
  }
  return documents;
}

bool OfficeApp::OpenWorkbook(const std::string& path, bool asTemplate) {
  return Guarded([&] {
    const Reference<css::frame::XComponentLoader> loader(desktop_, UNO_QUERY_THROW);
    Reference<css::lang::XComponent> component;
    try {
      component = loader->loadComponentFromURL(
          FileUrl(path), "_blank", 0,
          Properties({{"Hidden", css::uno::Any(hidden_)}, {"AsTemplate", css::uno::Any(asTemplate)}}));
    } catch (const css::lang::IllegalArgumentException&) {  // no such file, or no document
      return false;
    } catch (const css::io::IOException&) {
      return false;
    }
    const Reference<css::sheet::XSpreadsheetDocument> document(component, UNO_QUERY);
    if (!document.is()) return false;
    active_ = Reference<css::lang::XComponent>(component, UNO_QUERY);
    return true;
  });
}

int OfficeApp::WorkbookCount() {
  return Guarded([&] { return static_cast<int>(Documents().size()); });
}

std::string OfficeApp::WorkbookName(int index) {
  return Guarded([&] {
    const auto documents = Documents();
    if (index < 1 || index > static_cast<int>(documents.size())) {
      throw HostError("no workbook " + std::to_string(index));
    }
    return DocumentName(documents[static_cast<std::size_t>(index - 1)]);
  });
}

void OfficeApp::ActivateWorkbook(int index) {
  Guarded([&] {
    const auto documents = Documents();
    if (index < 1 || index > static_cast<int>(documents.size())) {
      throw HostError("no workbook " + std::to_string(index));
    }
    active_ = documents[static_cast<std::size_t>(index - 1)];
  });
}

std::optional<std::string> OfficeApp::ActiveWorkbookName() {
  return Guarded([&]() -> std::optional<std::string> {
    if (!hidden_) {
      const Reference<css::sheet::XSpreadsheetDocument> current(desktop_->getCurrentComponent(), UNO_QUERY);
      if (current.is()) active_ = Reference<css::lang::XComponent>(current, UNO_QUERY);
    }
    for (const auto& document : Documents()) {
      if (document == active_) return DocumentName(document);
    }
    return std::nullopt;  // closed meanwhile, or none opened
  });
}

OfficeSheet* OfficeApp::SheetFor(const Reference<css::lang::XComponent>& document,
                                 const Reference<css::sheet::XSpreadsheet>& sheet) {
  const std::string name = ToStd(Reference<css::container::XNamed>(sheet, UNO_QUERY_THROW)->getName());
  for (const KnownSheet& known : sheets_) {
    if (known.document == document && known.name == name) return known.host.get();
  }
  sheets_.push_back({document, name,
                     MakeOfficeSheet(sheet, Reference<css::sheet::XSpreadsheetDocument>(document, UNO_QUERY), name)});
  return sheets_.back().host.get();
}

SheetHost* OfficeApp::ActiveSheet() {
  return Guarded([&]() -> SheetHost* {
    if (!ActiveWorkbookName()) return nullptr;
    const auto sheet = ActiveSheetOf(active_);
    return sheet.is() ? SheetFor(active_, sheet) : nullptr;
  });
}

std::string OfficeApp::ActiveSheetName() {
  return Guarded([&] {
    if (!ActiveWorkbookName()) throw HostError("no workbook is open");
    return ToStd(Reference<css::container::XNamed>(ActiveSheetOf(active_), UNO_QUERY_THROW)->getName());
  });
}

SheetHost* OfficeApp::FirstWorksheet() {
  return Guarded([&]() -> SheetHost* {
    if (!ActiveWorkbookName()) return nullptr;
    const Reference<css::container::XIndexAccess> sheets(
        Reference<css::sheet::XSpreadsheetDocument>(active_, UNO_QUERY_THROW)->getSheets(), UNO_QUERY_THROW);
    for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
      const Reference<css::sheet::XSpreadsheet> sheet(sheets->getByIndex(i), UNO_QUERY);
      if (sheet.is()) return SheetFor(active_, sheet);
    }
    return nullptr;
  });
}

void OfficeApp::StopWatching() {
  if (watched_.is() && listener_.is()) {
    Reference<css::util::XModifyBroadcaster>(watched_, UNO_QUERY_THROW)
        ->removeModifyListener(Reference<css::util::XModifyListener>(listener_, UNO_QUERY));
  }
  watched_.clear();
}

void OfficeApp::WatchSheet(SheetHost* host) {
  Guarded([&] {
    StopWatching();
    for (const KnownSheet& known : sheets_) {
      if (known.host.get() != host) continue;
      watched_ = known.host->impl().sheet;
      if (!listener_.is()) listener_ = static_cast<cppu::OWeakObject*>(new ChangeListener(delivery_, changed_));
      Reference<css::util::XModifyBroadcaster>(watched_, UNO_QUERY_THROW)
          ->addModifyListener(Reference<css::util::XModifyListener>(listener_, UNO_QUERY));
    }
  });
}

void OfficeApp::Synchronize() {
  for (const KnownSheet& known : sheets_) known.host->Refresh();
}

void OfficeApp::Quit() {
  Guarded([&] { desktop_->terminate(); });
}

}  // namespace tavrix
