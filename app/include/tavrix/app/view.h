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

// What the program asks of its window: the presenter shows the results
// of the engine through it.
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

}  // namespace tavrix
