#pragma once

#include <array>
#include <string>
#include <vector>

#include "tavrix/app/view.h"

namespace tavrix::testing_support {

// A view without a window: keeps every state it is given and records the
// messages.
class HeadlessView : public View {
 public:
  struct Message {
    std::string text;
    MessageIcon icon;
    std::string title;
    std::string caption;                // what the window showed behind the box
    std::array<std::string, 3> labels;  // likewise
  };

  void ShowMessage(const std::string& text, MessageIcon icon, const std::string& title) override {
    messages.push_back({text, icon, title, caption, labels});
  }
  void SetWindowState(WindowState s) override { state = s; }
  WindowState GetWindowState() const override { return state; }
  void SetCaption(const std::string& c) override { caption = c; }
  bool FitParameter(int index) const override { return fit[static_cast<std::size_t>(index)]; }
  void SetFitParameter(int index, bool f) override { fit[static_cast<std::size_t>(index)] = f; }
  bool LimitsActive() const override { return limits; }
  void SetOptimizeEnabled(bool enabled) override { optimizeEnabled = enabled; }
  void SetParameterLabel(int index, const std::string& text) override {
    labels[static_cast<std::size_t>(index)] = text;
  }
  void ProcessPendingMessages() override { ++pendingMessagesProcessed; }

  std::vector<Message> messages;
  WindowState state = WindowState::kCompact;
  std::string caption = kProgramName;
  std::array<bool, 3> fit{};
  bool limits = false;
  bool optimizeEnabled = true;
  std::array<std::string, 3> labels = {"pK", "A", "B"};
  int pendingMessagesProcessed = 0;
};

}  // namespace tavrix::testing_support
