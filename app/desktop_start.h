#pragma once

#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "call_thread.h"
#include "tavrix/office/office_session.h"

namespace tavrix {

// How long the program waits for LibreOffice at start-up.
inline constexpr std::chrono::seconds kOfficePatience{20};
// How long one call into the running LibreOffice may go unanswered.
inline constexpr std::chrono::seconds kCallPatience{30};

// The pipe the program reaches LibreOffice on, unless told another one.
inline constexpr char kOfficePipe[] = "tavrix";

// Reaches the user's LibreOffice (starting it when it does not run) while
// the window stays responsive and says "Starting LibreOffice…" in its
// caption. Nothing when the office does not answer within the patience;
// whatever was launched for it has then been ended. Closing the window
// meanwhile does not stop the start: it ends once the office answers or the
// patience is over.
std::unique_ptr<OfficeSession> StartOffice(QWidget& window, const std::string& pipe,
                                           OfficeSession::Launch launch,
                                           std::chrono::milliseconds patience = kOfficePatience);

// The user's LibreOffice as the window's thread uses it: every call is
// carried out on a thread of its own (CallThread) while the window stays
// painted and closable; a call unanswered for `patience` gives the
// connection up (HostNotAnswering), and so does the program's end
// (`leaving`). Made on the window's thread. When this ends the connection
// is closed and the office stays.
class WindowOffice {
 public:
  WindowOffice(std::unique_ptr<OfficeSession> session, std::function<bool()> leaving,
               std::chrono::milliseconds patience = kCallPatience);
  ~WindowOffice();
  WindowOffice(const WindowOffice&) = delete;
  WindowOffice& operator=(const WindowOffice&) = delete;

  SpreadsheetApp& App() { return session_->App(); }
  OfficeSession& session() { return *session_; }

 private:
  class Runner : public CallRunner {
   public:
    explicit Runner(CallThread& calls) : calls_(calls) {}
    void Run(const std::function<void()>& call) override { calls_.Run(call); }

   private:
    CallThread& calls_;
  };

  CallThread calls_;
  Runner runner_{calls_};
  std::unique_ptr<OfficeSession> session_;
};

// SIGTERM, SIGHUP and SIGINT close the window as its close button does (the
// settings are written), instead of ending the program at once.
void CloseOnSignals(QWidget& window);

// Settings of the whole process: a write to a pipe whose reader is gone (an
// office that died) fails as a call instead of ending the program.
void PrepareProcess();

}  // namespace tavrix
