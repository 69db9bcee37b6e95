#pragma once

// What the office host's sources share: UNO headers and conversions.
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

#include <atomic>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "tavrix/office/office_session.h"

namespace tavrix::uno {

namespace css = com::sun::star;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OString;
using rtl::OUString;

OUString ToOUString(const std::string& text);
std::string ToStd(const OUString& text);
OUString FileUrl(const std::string& path);  // of an absolute or relative path

css::uno::Sequence<css::beans::PropertyValue> Properties(
    std::initializer_list<std::pair<const char*, css::uno::Any>> properties);

// The office call in progress, for the watchdog of a private office: when
// the outermost one started (steady clock, nanoseconds; 0 when none), and
// whether the watchdog ended an office that stopped answering.
struct CallClock {
  static std::atomic<long long> started;
  static std::atomic<bool> officeEnded;
  static thread_local int depth;
  static thread_local CallRunner* runner;  // of the thread's calls, when one was given
  CallClock();
  ~CallClock();
};

// What a failed office call means to the user, in the user's words: the
// office ended, stopped answering, or refused. The office's own text (source
// files, bridges) is no message for a user; TAVRIX_DEBUG_OFFICE adds it.
HostError OfficeFailure(const css::uno::Exception& e, bool officeGone);

// Runs f on this thread; an exception of the office becomes a HostError.
template <typename F>
auto GuardedHere(F& f) -> decltype(f()) {
  const CallClock clock;
  try {
    return f();
  } catch (const css::lang::DisposedException& e) {
    throw OfficeFailure(e, true);
  } catch (const css::uno::Exception& e) {
    throw OfficeFailure(e, false);
  }
}

// Runs f, through the thread's runner when it has one (calls within f run
// where f runs); an exception of the office becomes a HostError.
template <typename F>
auto Guarded(F f) -> decltype(f()) {
  using Result = decltype(f());
  if (CallClock::runner == nullptr || CallClock::depth > 0) return GuardedHere(f);
  if constexpr (std::is_void_v<Result>) {
    CallClock::runner->Run([&] { GuardedHere(f); });
  } else if constexpr (std::is_reference_v<Result>) {
    std::remove_reference_t<Result>* result = nullptr;
    CallClock::runner->Run([&] { result = &GuardedHere(f); });
    return *result;
  } else {
    std::optional<Result> result;
    CallClock::runner->Run([&] { result.emplace(GuardedHere(f)); });
    return std::move(*result);
  }
}

}  // namespace tavrix::uno

namespace tavrix {

struct OfficeSheet::Impl {
  uno::Reference<uno::css::sheet::XSpreadsheet> sheet;
  uno::Reference<uno::css::sheet::XSpreadsheetDocument> document;
  std::string name;
  bool decimalComma = false;
  // Block read and pending writes (see office_sheet.cpp).
  struct State;
  std::unique_ptr<State> state;
  Impl();
  ~Impl();
};

struct OfficeWorkbook::Impl {
  uno::Reference<uno::css::lang::XComponent> document;
  std::string path;
  bool readOnly = false;
  std::vector<std::unique_ptr<OfficeSheet>> sheets;
};

// Makes the sheet host of a worksheet.
std::unique_ptr<OfficeSheet> MakeOfficeSheet(
    uno::Reference<uno::css::sheet::XSpreadsheet> sheet,
    uno::Reference<uno::css::sheet::XSpreadsheetDocument> document, std::string name);

}  // namespace tavrix
