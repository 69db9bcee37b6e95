#pragma once

#include <functional>
#include <string>

#include "tavrix/app/view.h"

namespace tavrix {

// The main window as the engine sees it during a command: before any box
// the program's pending writes reach the sheet (a box takes the activation
// away, and writes that arrive later would count as the user's edits), and
// an error box may carry one more line that says what to do.
class CommandView : public View {
 public:
  CommandView(View& window, std::function<void()> beforeBox, std::string errorNote = "")
      : window_(window), beforeBox_(std::move(beforeBox)), errorNote_(std::move(errorNote)) {}

  void ShowMessage(const std::string& text, MessageIcon icon, const std::string& title) override {
    beforeBox_();
    const bool note = icon == MessageIcon::kCritical && !errorNote_.empty();
    window_.ShowMessage(note ? text + "\n" + errorNote_ : text, icon, title);
  }
  void SetWindowState(WindowState state) override { window_.SetWindowState(state); }
  WindowState GetWindowState() const override { return window_.GetWindowState(); }
  void SetCaption(const std::string& caption) override { window_.SetCaption(caption); }
  bool FitParameter(int index) const override { return window_.FitParameter(index); }
  void SetFitParameter(int index, bool fitted) override { window_.SetFitParameter(index, fitted); }
  bool LimitsActive() const override { return window_.LimitsActive(); }
  void SetOptimizeEnabled(bool enabled) override { window_.SetOptimizeEnabled(enabled); }
  void SetParameterLabel(int index, const std::string& text) override {
    window_.SetParameterLabel(index, text);
  }
  void ProcessPendingMessages() override { window_.ProcessPendingMessages(); }

 private:
  View& window_;
  std::function<void()> beforeBox_;
  std::string errorNote_;
};

}  // namespace tavrix
