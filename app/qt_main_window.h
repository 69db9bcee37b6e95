#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <functional>

#include "tavrix/app/handler_guard.h"
#include "tavrix/app/main_controller.h"

namespace tavrix {

// Screen measures of the twips-based layout: twips per pixel, and a
// window's outer minus inner size in twips.
struct ScreenMeasures {
  float TwipsX = 15;
  float TwipsY = 15;
  float FrameDX = 0;
  float FrameDY = 0;
};

// The small always-on-top main window.
class QtMainWindow : public QWidget, public MainWindow {
  Q_OBJECT

 public:
  static constexpr int kMinSize = 1455;  // compact outer height, twips

  explicit QtMainWindow(ScreenMeasures& measures);
  void SetController(MainController* controller) { controller_ = controller; }

  // MainWindow
  void ShowMessage(const std::string& text, MessageIcon icon, const std::string& title) override;
  void SetWindowState(WindowState state) override;
  WindowState GetWindowState() const override { return state_; }
  void SetCaption(const std::string& caption) override;
  bool FitParameter(int index) const override;
  void SetFitParameter(int index, bool fitted) override;
  bool LimitsActive() const override;
  void SetOptimizeEnabled(bool enabled) override;
  void SetParameterLabel(int index, const std::string& text) override;
  std::string ParameterLabel(int index) const override;
  void ProcessPendingMessages() override;
  void SetCreateEnabled(bool enabled) override;
  bool CreateEnabled() const override;
  void SetCredit(const std::string& text) override;
  std::optional<Choice> ChooseFile(const std::string& title, const std::string& folder,
                                   const std::string& name) override;
  void ShowPkTable(const PkTableView& view) override;
  void Close() override;
  // Where the window stands, or stood when it was closed.
  std::optional<WindowPos> Position() const override;
  // The window was closed (by the user, the program or a signal).
  bool Closing() const { return closing_; }

  // Runs an event handler through the one guard of the program.
  void Handle(const std::function<void()>& handler);
  HandlerGuard& guard() { return guard_; }

  // Puts the window where it stood last time when that place is on a
  // screen, else at the top-right corner of the screen's available area.
  // Done again once the window manager has framed the window.
  void PlaceAt(const std::optional<WindowPos>& saved);

  // The outer height in twips that the window state asks for.
  int OuterHeightTwips() const { return outerHeightTwips_; }
  bool SeparatorVisible() const;
  QPushButton* button(int index) { return buttons_[static_cast<std::size_t>(index)]; }
  QCheckBox* fitBox(int index) { return fitBoxes_[static_cast<std::size_t>(index)]; }
  QCheckBox* limitsBox() { return limits_; }
  QLabel* valueLabel(int index) { return values_[static_cast<std::size_t>(index)]; }
  QGroupBox* limitsFrame() { return frame_; }

  // Sends message texts here instead of showing boxes (tests, scripted runs).
  void RecordMessagesIn(std::vector<std::string>* recorder) { recorder_ = recorder; }

 protected:
  bool event(QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  int PixelsX(int twips) const;
  int PixelsY(int twips) const;
  void Layout();
  void SetOuterHeight(int twips);
  // The client width the window manager's title bar needs for the caption.
  int CaptionWidth() const;
  // Takes the frame the window manager gave the window; true when it changed.
  bool MeasureFrame();
  void ApplyPlacement();
  void KeepRightEdgeOnScreen();

  ScreenMeasures& measures_;
  MainController* controller_ = nullptr;
  HandlerGuard guard_;
  WindowState state_ = WindowState::kCompact;
  int outerHeightTwips_ = kMinSize;
  std::array<QPushButton*, 3> buttons_{};
  std::array<QCheckBox*, 3> fitBoxes_{};
  std::array<QLabel*, 3> values_{};
  QGroupBox* frame_ = nullptr;
  QCheckBox* limits_ = nullptr;
  QLabel* credit_ = nullptr;
  QFrame* line1_ = nullptr;
  bool closing_ = false;
  std::optional<WindowPos> closedAt_;
  bool placing_ = false;  // placed by the program, not moved by the user yet
  std::optional<WindowPos> saved_;
  std::vector<std::string>* recorder_ = nullptr;
};

}  // namespace tavrix
