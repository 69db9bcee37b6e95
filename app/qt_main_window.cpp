#include "qt_main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>
#include <QTimer>

#include "table_window.h"

namespace tavrix {
namespace {

constexpr int kClientWidth = 3120;  // twips

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

// The widest of a widget's design width and what its text needs.
int WidthFor(QWidget* widget, int designWidth) {
  return std::max(designWidth, widget->sizeHint().width());
}

}  // namespace

QtMainWindow::QtMainWindow(ScreenMeasures& measures)
    : measures_(measures),
      guard_(
          [this] {  // nothing is said any more once the window is closed
            if (controller_ && !closing_) controller_->OfficeFailed();
          },
          [this](const std::string& text) {
            if (!closing_) ShowMessage(text, MessageIcon::kCritical, kProgramName);
          }) {
  // A window of fixed size: no maximize button.
  setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                 Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setWindowTitle(kProgramName);

  credit_ = new QLabel(this);
  credit_->setAlignment(Qt::AlignCenter);
  credit_->setForegroundRole(QPalette::Highlight);
  QFont small("Tahoma");
  small.setPointSizeF(8.25);
  credit_->setFont(small);

  const char* const boxNames[3] = {"pK(298)", "A (zz/a)", "B (zz/a)"};
  const char* const valueNames[3] = {"pK", "A", "B"};
  for (int i = 0; i < 3; ++i) {
    auto* box = new QCheckBox(boxNames[i], this);
    connect(box, &QCheckBox::clicked, this,
            [this, i] { Handle([this, i] { controller_->FitBoxClicked(i); }); });
    fitBoxes_[static_cast<std::size_t>(i)] = box;

    auto* value = new QLabel(valueNames[i], this);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    values_[static_cast<std::size_t>(i)] = value;
  }

  frame_ = new QGroupBox("Additional condition", this);
  limits_ = new QCheckBox("Activate the \"<\" restrictions", frame_);

  const char* const buttonNames[3] = {"Create &new data file", "&Open existing data file",
                                      "Optimize RB parameters"};
  for (int i = 0; i < 3; ++i)
    buttons_[static_cast<std::size_t>(i)] = new QPushButton(buttonNames[i], this);
  connect(buttons_[0], &QPushButton::clicked, this,
          [this] { Handle([this] { controller_->CreateNewDataFile(); }); });
  connect(buttons_[1], &QPushButton::clicked, this,
          [this] { Handle([this] { controller_->OpenExistingDataFile(); }); });
  connect(buttons_[2], &QPushButton::clicked, this,
          [this] { Handle([this] { controller_->OptimizeClicked(); }); });

  line1_ = new QFrame(this);
  line1_->setFrameShape(QFrame::HLine);
  line1_->setFrameShadow(QFrame::Sunken);

  // Tab order: the fit boxes, the limits box, optimize, create, open.
  setTabOrder(fitBoxes_[0], fitBoxes_[1]);
  setTabOrder(fitBoxes_[1], fitBoxes_[2]);
  setTabOrder(fitBoxes_[2], limits_);
  setTabOrder(limits_, buttons_[2]);
  setTabOrder(buttons_[2], buttons_[0]);
  setTabOrder(buttons_[0], buttons_[1]);

  SetWindowState(WindowState::kCompact);
}

int QtMainWindow::PixelsX(int twips) const {
  return static_cast<int>(static_cast<float>(twips) / measures_.TwipsX + 0.5f);
}
int QtMainWindow::PixelsY(int twips) const {
  return static_cast<int>(static_cast<float>(twips) / measures_.TwipsY + 0.5f);
}

// The design's places in twips, widened where a text needs more room than
// the design gave it (larger fonts, another scale), so that no caption is
// cut off; the window widens with them.
void QtMainWindow::Layout() {
  const auto place = [this](QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(left, PixelsY(top), width,
                        std::max(PixelsY(height), widget->sizeHint().height()));
  };
  int boxWidth = PixelsX(1095);
  for (QCheckBox* box : fitBoxes_) boxWidth = WidthFor(box, boxWidth);
  const int valueLeft = std::max(PixelsX(1800), PixelsX(480) + boxWidth + PixelsX(60));
  const int valueWidth =
      std::max(PixelsX(855), values_[0]->fontMetrics().horizontalAdvance("-00000.000") + 2);
  const int limitsWidth = WidthFor(limits_, PixelsX(2550));
  const int clientWidth = std::max({PixelsX(kClientWidth), valueLeft + valueWidth + PixelsX(465),
                                    PixelsX(120 + 240 + 225) + limitsWidth + 8,
                                    WidthFor(buttons_[1], 0) + PixelsX(225), CaptionWidth()});
  const int innerWidth = clientWidth - PixelsX(225);  // buttons and frame, as 2895 of 3120

  for (int i = 0; i < 3; ++i) {
    place(fitBoxes_[static_cast<std::size_t>(i)], PixelsX(480), 1200 + 240 * i, boxWidth, 255);
    place(values_[static_cast<std::size_t>(i)], valueLeft, 1200 + 240 * i, valueWidth, 255);
  }
  place(buttons_[0], PixelsX(120), 120, innerWidth, 375);
  place(buttons_[1], PixelsX(120), 600, innerWidth, 375);
  place(frame_, PixelsX(120), 2040, innerWidth, 645);
  limits_->setGeometry(PixelsX(240), PixelsY(240), limitsWidth,
                       std::max(PixelsY(255), limits_->sizeHint().height()));
  const bool restrictions = state_ == WindowState::kWithRestrictions;
  place(buttons_[2], PixelsX(120), restrictions ? 2805 : 2040, innerWidth, 375);
  place(credit_, PixelsX(240), restrictions ? 3270 : 2490, clientWidth - 2 * PixelsX(240), 255);
  line1_->setGeometry(0, PixelsY(1080), clientWidth, 2);
  setFixedWidth(clientWidth);
}

// The window manager draws the caption in its own font, which the program
// cannot know: the application's font in bold stands in for it, with five
// title-bar heights of room for the icon, three buttons and the margins.
// Never wider than the screen.
int QtMainWindow::CaptionWidth() const {
  QFont font = QApplication::font();
  font.setBold(true);
  const int bar = style()->pixelMetric(QStyle::PM_TitleBarHeight);
  const int wanted = QFontMetrics(font).horizontalAdvance(windowTitle()) + 5 * bar;
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  const int sides = static_cast<int>(measures_.FrameDX / measures_.TwipsX + 0.5f);
  return screen ? std::min(wanted, screen->availableGeometry().width() - sides) : wanted;
}

void QtMainWindow::SetOuterHeight(int twips) {
  outerHeightTwips_ = twips;
  const int inner = std::max(0, twips - static_cast<int>(measures_.FrameDY + 0.5f));
  setFixedHeight(PixelsY(inner));
  line1_->setVisible(SeparatorVisible());
}

bool QtMainWindow::SeparatorVisible() const {
  return outerHeightTwips_ > kMinSize;
}

bool QtMainWindow::MeasureFrame() {
  const QRect frame = frameGeometry();
  const float dx = static_cast<float>(frame.width() - width()) * measures_.TwipsX;
  const float dy = static_cast<float>(frame.height() - height()) * measures_.TwipsY;
  if (dx == measures_.FrameDX && dy == measures_.FrameDY) return false;
  measures_.FrameDX = dx;
  measures_.FrameDY = dy;
  SetOuterHeight(outerHeightTwips_);
  return true;
}

void QtMainWindow::Handle(const std::function<void()>& handler) {
  guard_.Run([&] {
    if (controller_) handler();
  });
}

void QtMainWindow::ShowMessage(const std::string& text, MessageIcon icon,
                               const std::string& title) {
  if (recorder_) {
    recorder_->push_back(text);
    return;
  }
  const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Critical,
                                     QMessageBox::Warning, QMessageBox::Information};
  QMessageBox box(icons[static_cast<int>(icon)], Q(title), Q(text), QMessageBox::Ok, this);
  box.exec();
}

void QtMainWindow::SetWindowState(WindowState state) {
  state_ = state;
  // Compact: only the two file buttons; nothing else can be seen, clicked
  // or reached by the keyboard.
  const bool data = state != WindowState::kCompact;
  for (std::size_t i = 0; i < 3; ++i) {
    fitBoxes_[i]->setVisible(data);
    values_[i]->setVisible(data);
  }
  buttons_[2]->setVisible(data);
  credit_->setVisible(data);
  frame_->setVisible(state == WindowState::kWithRestrictions);
  Layout();
  SetOuterHeight(state == WindowState::kCompact    ? kMinSize
                 : state == WindowState::kStandard ? 3105
                                                   : 3900);
}

void QtMainWindow::SetCaption(const std::string& caption) {
  setWindowTitle(Q(caption));
}
bool QtMainWindow::FitParameter(int index) const {
  return fitBoxes_[static_cast<std::size_t>(index)]->isChecked();
}
void QtMainWindow::SetFitParameter(int index, bool fitted) {
  fitBoxes_[static_cast<std::size_t>(index)]->setChecked(fitted);
}
bool QtMainWindow::LimitsActive() const {
  return limits_->isChecked();
}
void QtMainWindow::SetOptimizeEnabled(bool enabled) {
  buttons_[2]->setEnabled(enabled);
}
void QtMainWindow::SetParameterLabel(int index, const std::string& text) {
  values_[static_cast<std::size_t>(index)]->setText(Q(text));
}
std::string QtMainWindow::ParameterLabel(int index) const {
  return values_[static_cast<std::size_t>(index)]->text().toStdString();
}
void QtMainWindow::ProcessPendingMessages() {
  QApplication::processEvents();
}
void QtMainWindow::SetCreateEnabled(bool enabled) {
  buttons_[0]->setEnabled(enabled);
}
bool QtMainWindow::CreateEnabled() const {
  return buttons_[0]->isEnabled();
}
void QtMainWindow::SetCredit(const std::string& text) {
  credit_->setText(Q(text));
}

std::optional<MainWindow::Choice> QtMainWindow::ChooseFile(const std::string& title,
                                                           const std::string& folder,
                                                           const std::string& name) {
  const QString start = Q(folder.empty() ? std::string() : folder) + Q(name);
  const QString chosen = QFileDialog::getOpenFileName(
      this, Q(title), start, "Data files (*.xls *.xlsx *.ods);;All files (*)");
  if (chosen.isEmpty()) return std::nullopt;
  const QFileInfo file(chosen);
  return Choice{file.absolutePath().toStdString() + "/", file.fileName().toStdString()};
}

void QtMainWindow::ShowPkTable(const PkTableView& view) {
  TableWindow table(measures_, guard_, this);
  table.Show(view);
  table.exec();
}

void QtMainWindow::Close() {
  QTimer::singleShot(0, this, &QWidget::close);
}

std::optional<WindowPos> QtMainWindow::Position() const {
  if (!isVisible()) return closedAt_;
  const QPoint corner = frameGeometry().topLeft();
  return WindowPos{corner.x(), corner.y()};
}

void QtMainWindow::PlaceAt(const std::optional<WindowPos>& saved) {
  saved_ = saved;
  placing_ = true;
  ApplyPlacement();
}

void QtMainWindow::ApplyPlacement() {
  const QSize frame = frameGeometry().size();
  if (saved_) {
    const QRect wanted(QPoint(saved_->x, saved_->y), frame);
    for (const QScreen* screen : QGuiApplication::screens()) {
      if (screen->availableGeometry().contains(wanted)) {
        move(wanted.topLeft());
        return;
      }
    }
  }
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect available = screen->availableGeometry();
  move(available.right() + 1 - frame.width(), available.top());
}

bool QtMainWindow::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  // The window manager's frame is known only once it has framed the window.
  if (event->type() == QEvent::Move || event->type() == QEvent::Show ||
      event->type() == QEvent::Resize) {
    if (MeasureFrame() && placing_) ApplyPlacement();
  }
  if (event->type() == QEvent::Resize && isVisible()) KeepRightEdgeOnScreen();
  // As wide as the caption needs (once the controls are made).
  if (event->type() == QEvent::WindowTitleChange && line1_) Layout();
  return handled;
}

// Widened for a longer caption, the window moves left as far as it must.
void QtMainWindow::KeepRightEdgeOnScreen() {
  const QScreen* screen = this->screen();
  if (!screen) return;
  const QRect available = screen->availableGeometry();
  const QRect frame = frameGeometry();
  if (frame.right() <= available.right()) return;
  move(std::max(available.left(), frame.left() - (frame.right() - available.right())), frame.top());
}

void QtMainWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::ActivationChange || !controller_ || closing_) return;
  // After the window's own handling, as the activation handlers expect.
  QTimer::singleShot(0, this, [this] {
    if (closing_) return;
    Handle([this] {
      if (isActiveWindow()) {
        controller_->Activated();
      } else {
        controller_->Deactivated();
      }
    });
  });
}

void QtMainWindow::keyPressEvent(QKeyEvent* event) {
  int shift = 0;
  if (event->modifiers() & Qt::ShiftModifier) shift |= 1;
  if (event->modifiers() & Qt::ControlModifier) shift |= 2;
  if (event->modifiers() & Qt::AltModifier) shift |= 4;
  const int key = event->key() == Qt::Key_F2 ? kKeyF2 : event->key() == Qt::Key_F9 ? kKeyF9 : 0;
  if (key != 0 && controller_) {
    Handle([this, key, shift] { controller_->KeyDown(key, shift); });
    return;
  }
  QWidget::keyPressEvent(event);
}

void QtMainWindow::closeEvent(QCloseEvent* event) {
  if (!closing_) {
    closedAt_ = Position();
    closing_ = true;
    Handle([this] { controller_->ShutDown(); });
  }
  event->accept();
}

}  // namespace tavrix
