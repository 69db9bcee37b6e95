#include "office_app.h"

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/document/XDocumentEventBroadcaster.hpp>
#include <com/sun/star/document/XDocumentEventListener.hpp>
#include <com/sun/star/document/XTypeDetection.hpp>
#include <com/sun/star/frame/StartModule.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XFramesSupplier.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/frame/theGlobalEventBroadcaster.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifyBroadcaster.hpp>
#include <com/sun/star/util/XModifyListener.hpp>
#include <cppuhelper/implbase1.hxx>
#include <osl/file.hxx>

#include <algorithm>
#include <filesystem>

namespace tavrix {

using namespace uno;

namespace {

// Raises the change flag for every edit of the watched sheet while events
// are delivered. Called on the office's bridge thread.
class ChangeListener : public cppu::WeakImplHelper1<css::util::XModifyListener> {
 public:
  ChangeListener(std::shared_ptr<std::atomic<bool>> delivery,
                 std::shared_ptr<std::atomic<bool>> changed)
      : delivery_(std::move(delivery)), changed_(std::move(changed)) {}
  void SAL_CALL modified(const css::lang::EventObject&) override {
    if (delivery_->load()) changed_->store(true);
  }
  void SAL_CALL disposing(const css::lang::EventObject&) override {}

 private:
  std::shared_ptr<std::atomic<bool>> delivery_;
  std::shared_ptr<std::atomic<bool>> changed_;
};

// Keeps the order in which spreadsheet documents got the focus. Called on
// the office's bridge thread.
class FocusListener : public cppu::WeakImplHelper1<css::document::XDocumentEventListener> {
 public:
  explicit FocusListener(std::shared_ptr<RecentDocuments> recent) : recent_(std::move(recent)) {}
  void SAL_CALL documentEventOccured(const css::document::DocumentEvent& event) override {
    if (event.EventName != "OnFocus" && event.EventName != "OnLoad" && event.EventName != "OnNew")
      return;
    const Reference<css::sheet::XSpreadsheetDocument> document(event.Source, UNO_QUERY);
    if (document.is()) recent_->Touch(Reference<css::lang::XComponent>(document, UNO_QUERY));
  }
  void SAL_CALL disposing(const css::lang::EventObject&) override {}

 private:
  std::shared_ptr<RecentDocuments> recent_;
};

// A worksheet of a workbook the office holds read-only: it reads as usual,
// and every write fails as a write to a protected cell would.
class ReadOnlySheet : public SheetHost {
 public:
  explicit ReadOnlySheet(SheetHost& sheet) : sheet_(sheet) {}
  std::string CellText(int row, int col) override { return sheet_.CellText(row, col); }
  void SetCell(int, int, const CellContent&) override { Refuse(); }
  void SetNumberFormat(const CellRange&, const std::string&) override { Refuse(); }
  void ClearCells(const CellRange&) override { Refuse(); }
  void SetFontColor(const CellRange&, int) override { Refuse(); }

 private:
  [[noreturn]] static void Refuse() { throw HostError("the workbook is read-only"); }
  SheetHost& sheet_;
};

// Where the document is kept: the path of its file (or its URL when that
// is no file); "" while it has none.
std::string DocumentLocation(const Reference<css::lang::XComponent>& document) {
  const Reference<css::frame::XStorable> storable(document, UNO_QUERY);
  if (!storable.is() || !storable->hasLocation()) return "";
  OUString path;
  if (osl::FileBase::getSystemPathFromFileURL(storable->getLocation(), path) ==
      osl::FileBase::E_None) {
    return ToStd(path);
  }
  return ToStd(storable->getLocation());
}

std::string DocumentName(const Reference<css::lang::XComponent>& document) {
  const std::string location = DocumentLocation(document);
  if (!location.empty()) return std::filesystem::path(location).filename().string();
  const Reference<css::frame::XTitle> title(document, UNO_QUERY);
  return title.is() ? ToStd(title->getTitle()) : std::string();
}

// The office reads the file as a spreadsheet: the type it detects is
// loaded by a filter that makes a spreadsheet document. Found without
// loading, so that no other application's window (or a question of which
// filter to use) comes up.
bool IsSpreadsheetFile(const Reference<css::uno::XComponentContext>& context, const OUString& url) {
  const auto factory = context->getServiceManager();
  const Reference<css::document::XTypeDetection> detection(
      factory->createInstanceWithContext("com.sun.star.document.TypeDetection", context),
      UNO_QUERY_THROW);
  css::uno::Sequence<css::beans::PropertyValue> descriptor =
      Properties({{"URL", css::uno::Any(url)}});
  const OUString type = detection->queryTypeByDescriptor(descriptor, true);
  if (type.isEmpty()) return false;
  const auto valueOf = [](const css::uno::Any& properties, const char* name) {
    css::uno::Sequence<css::beans::PropertyValue> list;
    properties >>= list;
    OUString value;
    for (const auto& property : list) {
      if (property.Name.equalsAscii(name)) property.Value >>= value;
    }
    return value;
  };
  const OUString filter =
      valueOf(Reference<css::container::XNameAccess>(detection, UNO_QUERY_THROW)->getByName(type),
              "PreferredFilter");
  const Reference<css::container::XNameAccess> filters(
      factory->createInstanceWithContext("com.sun.star.document.FilterFactory", context),
      UNO_QUERY_THROW);
  if (filter.isEmpty() || !filters->hasByName(filter)) return false;
  return valueOf(filters->getByName(filter), "DocumentService") ==
         "com.sun.star.sheet.SpreadsheetDocument";
}

bool Contains(const std::vector<Reference<css::lang::XComponent>>& documents,
              const Reference<css::lang::XComponent>& document) {
  return std::find(documents.begin(), documents.end(), document) != documents.end();
}

}  // namespace

void RecentDocuments::Touch(const Reference<css::lang::XComponent>& document) {
  const std::lock_guard<std::mutex> lock(mutex);
  documents.erase(std::remove(documents.begin(), documents.end(), document), documents.end());
  documents.insert(documents.begin(), document);
}

std::vector<Reference<css::lang::XComponent>> RecentDocuments::List() {
  const std::lock_guard<std::mutex> lock(mutex);
  return documents;
}

Reference<css::sheet::XSpreadsheet> ActiveSheetOf(
    const Reference<css::lang::XComponent>& document) {
  const Reference<css::frame::XModel> model(document, UNO_QUERY_THROW);
  const Reference<css::sheet::XSpreadsheetView> view(model->getCurrentController(), UNO_QUERY);
  if (!view.is()) throw HostError("the workbook has no view");
  return view->getActiveSheet();
}

void ShowStartCenter(const Reference<css::uno::XComponentContext>& context,
                     const Reference<css::frame::XDesktop2>& desktop) {
  Guarded([&] {
    const Reference<css::frame::XFramesSupplier> frames(desktop, UNO_QUERY_THROW);
    if (frames->getFrames()->getCount() > 0) return;
    // A new frame holding the start module, as the office makes it itself.
    const Reference<css::frame::XFrame> frame = desktop->findFrame("_blank", 0);
    const Reference<css::awt::XWindow> window = frame->getContainerWindow();
    const Reference<css::frame::XController> start =
        css::frame::StartModule::createWithParentWindow(context, window);
    frame->setComponent(Reference<css::awt::XWindow>(start, UNO_QUERY),
                        start);  // before attachFrame
    start->attachFrame(frame);
    window->setVisible(true);
  });
}

OfficeApp::OfficeApp(Reference<css::uno::XComponentContext> context,
                     Reference<css::frame::XDesktop2> desktop, bool hidden)
    : context_(std::move(context)), desktop_(std::move(desktop)), hidden_(hidden) {
  if (hidden_) return;
  try {
    Guarded([&] {
      const auto broadcaster = css::frame::theGlobalEventBroadcaster::get(context_);
      focusListener_ = static_cast<cppu::OWeakObject*>(new FocusListener(recent_));
      Reference<css::document::XDocumentEventBroadcaster>(broadcaster, UNO_QUERY_THROW)
          ->addDocumentEventListener(
              Reference<css::document::XDocumentEventListener>(focusListener_, UNO_QUERY));
    });
  } catch (const HostError&) {  // without focus events, the current document alone tells
    focusListener_.clear();
  }
}

OfficeApp::~OfficeApp() {
  try {
    Guarded([&] {
      StopWatching();
      if (!focusListener_.is()) return;
      const auto broadcaster = css::frame::theGlobalEventBroadcaster::get(context_);
      Reference<css::document::XDocumentEventBroadcaster>(broadcaster, UNO_QUERY_THROW)
          ->removeDocumentEventListener(
              Reference<css::document::XDocumentEventListener>(focusListener_, UNO_QUERY));
    });
  } catch (...) {  // the office may be gone already
  }
}

std::vector<Reference<css::lang::XComponent>> OfficeApp::Documents() {
  std::vector<Reference<css::lang::XComponent>> documents;
  const auto components = desktop_->getComponents()->createEnumeration();
  while (components->hasMoreElements()) {
    const Reference<css::sheet::XSpreadsheetDocument> document(components->nextElement(),
                                                               UNO_QUERY);
    if (document.is()) documents.emplace_back(document, UNO_QUERY);
  }
  return documents;
}

Reference<css::lang::XComponent> OfficeApp::Document(int index) {
  const auto documents = Documents();
  if (index < 1 || index > static_cast<int>(documents.size())) {
    throw HostError("no workbook " + std::to_string(index));
  }
  return documents[static_cast<std::size_t>(index - 1)];
}

bool OfficeApp::OpenWorkbook(const std::string& path, bool asTemplate) {
  return Guarded([&] {
    const Reference<css::frame::XComponentLoader> loader(desktop_, UNO_QUERY_THROW);
    Reference<css::lang::XComponent> component;
    try {
      if (!IsSpreadsheetFile(context_, FileUrl(path))) return false;
      component =
          loader->loadComponentFromURL(FileUrl(path), "_blank", 0,
                                       Properties({{"Hidden", css::uno::Any(hidden_)},
                                                   {"AsTemplate", css::uno::Any(asTemplate)}}));
    } catch (const css::lang::IllegalArgumentException&) {  // no such file, or no document
      return false;
    } catch (const css::io::IOException&) {
      return false;
    }
    const Reference<css::sheet::XSpreadsheetDocument> document(component, UNO_QUERY);
    if (!document.is()) {
      // Loaded as something else (a text document): not left behind.
      const Reference<css::util::XCloseable> closeable(component, UNO_QUERY);
      if (closeable.is()) closeable->close(true);
      return false;
    }
    active_ = Reference<css::lang::XComponent>(component, UNO_QUERY);
    recent_->Touch(active_);
    return true;
  });
}

int OfficeApp::WorkbookCount() {
  return Guarded([&] { return static_cast<int>(Documents().size()); });
}

std::string OfficeApp::WorkbookName(int index) {
  return Guarded([&] { return DocumentName(Document(index)); });
}

void OfficeApp::ActivateWorkbook(int index) {
  Guarded([&] {
    active_ = Document(index);
    recent_->Touch(active_);
    if (hidden_) return;
    // Its window to the front and its frame the office's active one, as
    // opening it would.
    const Reference<css::frame::XFrame> frame =
        Reference<css::frame::XModel>(active_, UNO_QUERY_THROW)->getCurrentController()->getFrame();
    if (!frame.is()) return;
    frame->activate();
    const Reference<css::awt::XTopWindow> window(frame->getContainerWindow(), UNO_QUERY);
    if (window.is()) window->toFront();
    frame->getContainerWindow()->setFocus();
  });
}

void OfficeApp::CloseWorkbook(int index) {
  Guarded([&] {
    const auto document = Document(index);
    sheets_.erase(std::remove_if(sheets_.begin(), sheets_.end(),
                                 [&](const KnownSheet& known) {
                                   if (known.document != document) return false;
                                   if (watched_ == known.document) StopWatching();
                                   return true;
                                 }),
                  sheets_.end());
    Reference<css::util::XCloseable>(document, UNO_QUERY_THROW)->close(true);
  });
}

bool OfficeApp::FindActive() {
  const auto documents = Documents();
  if (!hidden_) {
    const Reference<css::sheet::XSpreadsheetDocument> current(desktop_->getCurrentComponent(),
                                                              UNO_QUERY);
    if (current.is()) {
      active_ = Reference<css::lang::XComponent>(current, UNO_QUERY);
      recent_->Touch(active_);
      return true;
    }
  }
  if (active_.is() && Contains(documents, active_) && (hidden_ || !focusListener_.is()))
    return true;
  for (const auto& document : recent_->List()) {
    if (Contains(documents, document)) {
      active_ = document;
      return true;
    }
  }
  if (documents.empty()) return false;
  active_ = documents.back();  // none was seen active: the one opened last
  return true;
}

std::optional<std::string> OfficeApp::ActiveWorkbookName() {
  return Guarded([&]() -> std::optional<std::string> {
    if (!FindActive()) return std::nullopt;
    return DocumentName(active_);
  });
}

std::string OfficeApp::IdOf(const Reference<css::lang::XComponent>& document) {
  const std::string location = DocumentLocation(document);
  if (!location.empty()) return location;
  // Documents that were closed (or saved) since are let go.
  const auto documents = Documents();
  newDocuments_.erase(std::remove_if(newDocuments_.begin(), newDocuments_.end(),
                                     [&](const auto& known) {
                                       return !Contains(documents, known.first) ||
                                              !DocumentLocation(known.first).empty();
                                     }),
                      newDocuments_.end());
  for (const auto& [known, id] : newDocuments_) {
    if (known == document) return id;
  }
  newDocuments_.emplace_back(document, "new workbook " + std::to_string(++newCount_));
  return newDocuments_.back().second;
}

std::string OfficeApp::WorkbookId(int index) {
  return Guarded([&] { return IdOf(Document(index)); });
}

std::optional<std::string> OfficeApp::ActiveWorkbookId() {
  return Guarded([&]() -> std::optional<std::string> {
    if (!FindActive()) return std::nullopt;
    return IdOf(active_);
  });
}

bool OfficeApp::ActiveWorkbookReadOnly() {
  return Guarded([&] {
    if (!FindActive()) return false;
    const Reference<css::frame::XStorable> storable(active_, UNO_QUERY);
    return storable.is() && storable->isReadonly();
  });
}

SheetHost* OfficeApp::SheetFor(const Reference<css::lang::XComponent>& document,
                               const Reference<css::sheet::XSpreadsheet>& sheet) {
  const std::string name =
      ToStd(Reference<css::container::XNamed>(sheet, UNO_QUERY_THROW)->getName());
  KnownSheet* known = nullptr;
  for (KnownSheet& candidate : sheets_) {
    if (candidate.document == document && candidate.name == name) known = &candidate;
  }
  if (!known) {
    sheets_.push_back(
        {document, name,
         MakeOfficeSheet(sheet, Reference<css::sheet::XSpreadsheetDocument>(document, UNO_QUERY),
                         name),
         nullptr});
    known = &sheets_.back();
    known->readOnly = std::make_unique<ReadOnlySheet>(*known->host);
  }
  const Reference<css::frame::XStorable> storable(document, UNO_QUERY);
  if (storable.is() && storable->isReadonly()) return known->readOnly.get();
  return known->host.get();
}

SheetHost* OfficeApp::ActiveSheet() {
  return Guarded([&]() -> SheetHost* {
    if (!FindActive()) return nullptr;
    const auto sheet = ActiveSheetOf(active_);
    return sheet.is() ? SheetFor(active_, sheet) : nullptr;
  });
}

std::string OfficeApp::ActiveSheetName() {
  return Guarded([&] {
    if (!FindActive()) throw HostError("no workbook is open");
    return ToStd(
        Reference<css::container::XNamed>(ActiveSheetOf(active_), UNO_QUERY_THROW)->getName());
  });
}

SheetHost* OfficeApp::FirstWorksheet() {
  return Guarded([&]() -> SheetHost* {
    if (!FindActive()) return nullptr;
    const Reference<css::container::XIndexAccess> sheets(
        Reference<css::sheet::XSpreadsheetDocument>(active_, UNO_QUERY_THROW)->getSheets(),
        UNO_QUERY_THROW);
    for (sal_Int32 i = 0; i < sheets->getCount(); ++i) {
      const Reference<css::sheet::XSpreadsheet> sheet(sheets->getByIndex(i), UNO_QUERY);
      if (sheet.is()) return SheetFor(active_, sheet);
    }
    return nullptr;
  });
}

void OfficeApp::StopWatching() {
  const auto watched = std::move(watched_);
  watched_.clear();
  if (!watched.is() || !listener_.is()) return;
  try {
    Reference<css::util::XModifyBroadcaster>(watched, UNO_QUERY_THROW)
        ->removeModifyListener(Reference<css::util::XModifyListener>(listener_, UNO_QUERY));
  } catch (const css::lang::DisposedException&) {  // closed, and the listener with it
  }
}

// The edits are watched on the sheet's workbook, not on the sheet: a sheet
// that still holds the listener of a connection that has ended (a program
// that was killed, or gave up a hung office) ends the office when its
// workbook is closed; a workbook lets such a listener go. An edit of
// another sheet of the workbook thus counts too, and the sheet is read
// again at the next activation.
void OfficeApp::WatchSheet(SheetHost* host) {
  Guarded([&] {
    StopWatching();
    for (const KnownSheet& known : sheets_) {
      if (known.host.get() != host && known.readOnly.get() != host) continue;
      watched_ = known.document;
      if (!listener_.is())
        listener_ = static_cast<cppu::OWeakObject*>(new ChangeListener(delivery_, changed_));
      Reference<css::util::XModifyBroadcaster>(watched_, UNO_QUERY_THROW)
          ->addModifyListener(Reference<css::util::XModifyListener>(listener_, UNO_QUERY));
    }
  });
}

void OfficeApp::Synchronize() {
  for (const KnownSheet& known : sheets_) known.host->Refresh();
}

void OfficeApp::Quit() {
  Guarded([&] {
    // Only an office without any document: the user's text documents,
    // presentations and the like stay.
    const auto components = desktop_->getComponents()->createEnumeration();
    while (components->hasMoreElements()) {
      if (Reference<css::frame::XModel>(components->nextElement(), UNO_QUERY).is()) return;
    }
    desktop_->terminate();
  });
}

}  // namespace tavrix
