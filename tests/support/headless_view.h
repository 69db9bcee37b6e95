#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tavrix/app/main_controller.h"

namespace tavrix::testing_support {

// A main window without a window; its file dialog answers from `choices`.
class HeadlessView : public MainWindow {
 public:
  struct Message {
    std::string text;
    MessageIcon icon;
    std::string caption;                // what the window showed behind the box
    std::array<std::string, 3> labels;  // likewise
  };

  void ShowMessage(const std::string& text, MessageIcon icon, const std::string&) override {
    messages.push_back({text, icon, caption, labels});
  }
  void SetWindowState(WindowState s) override { state = s; }
  WindowState GetWindowState() const override { return state; }
  void SetCaption(const std::string& c) override { caption = c; }
  bool FitParameter(int index) const override { return fit.at(index); }
  void SetFitParameter(int index, bool f) override { fit.at(index) = f; }
  bool LimitsActive() const override { return false; }
  void SetOptimizeEnabled(bool enabled) override { optimizeEnabled = enabled; }
  void SetParameterLabel(int index, const std::string& text) override { labels.at(index) = text; }
  std::string ParameterLabel(int index) const override { return labels.at(index); }
  void ProcessPendingMessages() override {
    if (pending) pending();
  }
  void SetCreateEnabled(bool enabled) override { createEnabled = enabled; }
  bool CreateEnabled() const override { return createEnabled; }
  void SetCredit(const std::string& text) override { credit = text; }
  std::optional<Choice> ChooseFile(const std::string& title, const std::string& folder,
                                   const std::string& name) override {
    dialogs.push_back(title + "|" + folder + "|" + name);
    if (choices.empty()) return std::nullopt;
    const std::optional<Choice> choice = choices.front();
    choices.erase(choices.begin());
    return choice;
  }
  void ShowPkTable(const PkTableView& view) override { tables.push_back(view); }
  void Close() override { closed = true; }
  std::optional<WindowPos> Position() const override { return std::nullopt; }

  std::vector<Message> messages;
  WindowState state = WindowState::kCompact;
  std::string caption = kProgramName;
  std::array<bool, 3> fit{};
  bool optimizeEnabled = true;
  std::array<std::string, 3> labels = {"pK", "A", "B"};
  std::function<void()> pending;  // what comes in while a pass lets events through
  bool createEnabled = false;
  std::string credit;
  std::vector<std::optional<Choice>> choices;  // the file dialog's answers, in turn
  std::vector<std::string> dialogs;            // "title|folder|name" of each
  std::vector<PkTableView> tables;
  bool closed = false;
};

}  // namespace tavrix::testing_support
