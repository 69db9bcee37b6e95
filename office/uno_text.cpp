#include <rtl/string.hxx>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "uno.h"

namespace tavrix::uno {

std::atomic<long long> CallClock::started{0};
std::atomic<bool> CallClock::officeEnded{false};
thread_local int CallClock::depth = 0;
thread_local CallRunner* CallClock::runner = nullptr;

}  // namespace tavrix::uno

void tavrix::RunOfficeCallsThrough(CallRunner* runner) {
  uno::CallClock::runner = runner;
}

namespace tavrix::uno {

CallClock::CallClock() {
  if (depth++ == 0) {
    officeEnded = false;
    started = std::chrono::steady_clock::now().time_since_epoch().count();
  }
}

CallClock::~CallClock() {
  if (--depth == 0) started = 0;
}

HostError OfficeFailure(const css::uno::Exception& e, bool officeGone) {
  const std::string text = ToStd(e.Message);
  // A call that the office's end cut off fails in the bridge that carried it.
  officeGone = officeGone || text.find("bridge") != std::string::npos;
  std::string message = CallClock::officeEnded.load()
                            ? "LibreOffice stopped answering and was ended"
                            : (officeGone ? "LibreOffice ended unexpectedly"
                                          : "LibreOffice could not carry out the request");
  if (std::getenv("TAVRIX_DEBUG_OFFICE") != nullptr) message += " [" + text + "]";
  return HostError(message);
}

OUString ToOUString(const std::string& text) {
  return OStringToOUString(OString(text.data(), static_cast<sal_Int32>(text.size())),
                           RTL_TEXTENCODING_UTF8);
}

std::string ToStd(const OUString& text) {
  const OString utf8 = OUStringToOString(text, RTL_TEXTENCODING_UTF8);
  return std::string(utf8.getStr(), static_cast<std::size_t>(utf8.getLength()));
}

OUString FileUrl(const std::string& path) {
  // Every byte of the path as it is, not read as text: a name that is not
  // UTF-8 (a file from an older system) names its file all the same.
  const std::string absolute = std::filesystem::absolute(path).lexically_normal().string();
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (const char c : absolute) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                       (byte >= '0' && byte <= '9') || std::strchr("/-._~", c) != nullptr;
    if (plain) {
      url += c;
    } else {
      url += {'%', kHex[byte >> 4], kHex[byte & 15]};
    }
  }
  return OUString::createFromAscii(url.c_str());
}

css::uno::Sequence<css::beans::PropertyValue> Properties(
    std::initializer_list<std::pair<const char*, css::uno::Any>> properties) {
  css::uno::Sequence<css::beans::PropertyValue> sequence(static_cast<sal_Int32>(properties.size()));
  auto* out = sequence.getArray();
  for (const auto& [name, value] : properties) {
    out->Name = OUString::createFromAscii(name);
    out->Value = value;
    ++out;
  }
  return sequence;
}

}  // namespace tavrix::uno
