#pragma once

#include <array>
#include <string>
#include <vector>

namespace tavrix {

enum class MessageIcon { kNone, kCritical, kWarning, kInformation };

// The main window's states: no valid data sheet; a valid sheet without and
// with "<" points.
enum class WindowState { kCompact, kStandard, kWithRestrictions };

inline constexpr char kProgramName[] = "Tavrix";

// What the engine asks of the user interface.
class View {
 public:
  virtual ~View() = default;

  // A modal message with an OK button.
  virtual void ShowMessage(const std::string& text, MessageIcon icon,
                           const std::string& title = kProgramName) = 0;

  virtual void SetWindowState(WindowState state) = 0;
  virtual WindowState GetWindowState() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;

  // The boxes that choose the fitted parameters (0 pK(298), 1 A, 2 B).
  virtual bool FitParameter(int index) const = 0;
  virtual void SetFitParameter(int index, bool fitted) = 0;
  // The box that enforces the "<" limits.
  virtual bool LimitsActive() const = 0;

  virtual void SetOptimizeEnabled(bool enabled) = 0;
  virtual void SetParameterLabel(int index, const std::string& text) = 0;

  // Lets the user interface handle what is waiting (repaints, clicks).
  virtual void ProcessPendingMessages() = 0;
};

// A view without a window: keeps every state the engine sets and records
// the messages. Serves the command line and the tests.
class HeadlessView : public View {
 public:
  struct Message {
    std::string text;
    MessageIcon icon;
    std::string title;
  };

  void ShowMessage(const std::string& text, MessageIcon icon, const std::string& title) override {
    messages.push_back({text, icon, title});
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

}  // namespace tavrix
