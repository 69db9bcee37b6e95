#include "qt_main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

#include "table_window.h"

namespace tavrix {
namespace {

constexpr int kClientWidth = 3120;  // twips

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QtMainWindow::QtMainWindow(ScreenMeasures& measures) : measures_(measures) {
  setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setWindowTitle(kProgramName);

  credit_ = new QLabel(this);
  credit_->setAlignment(Qt::AlignCenter);
  credit_->setForegroundRole(QPalette::Highlight);
  QFont small("Tahoma");
  small.setPointSizeF(8.25);
  credit_->setFont(small);
  Place(credit_, 240, 3330, 2655, 255);

  const char* const boxNames[3] = {"pK(298)", "A (zz/a)", "B (zz/a)"};
  const char* const valueNames[3] = {"pK", "A", "B"};
  for (int i = 0; i < 3; ++i) {
    auto* box = new QCheckBox(boxNames[i], this);
    Place(box, 480, 1200 + 240 * i, 1095, 255);
    connect(box, &QCheckBox::clicked, this, [this, i] { Handle([this, i] { controller_->FitBoxClicked(i); }); });
    fitBoxes_[static_cast<std::size_t>(i)] = box;

    auto* value = new QLabel(valueNames[i], this);
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Place(value, 1800, 1200 + 240 * i, 855, 255);
    values_[static_cast<std::size_t>(i)] = value;
  }

  frame_ = new QGroupBox("Additional condition", this);
  Place(frame_, 120, 2040, 2895, 645);
  limits_ = new QCheckBox("Activate the \"<\" restrictions", frame_);
  limits_->setGeometry(Twips(240, 240, 2550, 255));
  frame_->hide();

  const char* const buttonNames[3] = {"Create &new data file", "&Open existing data file",
                                      "Optimize RB parameters"};
  const int buttonTops[3] = {120, 600, 2880};
  for (int i = 0; i < 3; ++i) {
    auto* button = new QPushButton(buttonNames[i], this);
    Place(button, 120, buttonTops[i], 2895, 375);
    buttons_[static_cast<std::size_t>(i)] = button;
  }
  connect(buttons_[0], &QPushButton::clicked, this, [this] { Handle([this] { controller_->CreateNewDataFile(); }); });
  connect(buttons_[1], &QPushButton::clicked, this, [this] { Handle([this] { controller_->OpenExistingDataFile(); }); });
  connect(buttons_[2], &QPushButton::clicked, this, [this] { Handle([this] { controller_->OptimizeClicked(); }); });

  line1_ = new QFrame(this);
  line1_->setFrameShape(QFrame::HLine);
  line1_->setFrameShadow(QFrame::Sunken);
  Place(line1_, 0, 1080, kClientWidth, 30);

  // Tab order: the fit boxes, the limits box, optimize, create, open.
  setTabOrder(fitBoxes_[0], fitBoxes_[1]);
  setTabOrder(fitBoxes_[1], fitBoxes_[2]);
  setTabOrder(fitBoxes_[2], limits_);
  setTabOrder(limits_, buttons_[2]);
  setTabOrder(buttons_[2], buttons_[0]);
  setTabOrder(buttons_[0], buttons_[1]);

  setFixedWidth(Twips(0, 0, kClientWidth, 0).width());
  SetOuterHeight(kMinSize);
}

QRect QtMainWindow::Twips(int left, int top, int width, int height) const {
  const auto x = [&](int twips) { return static_cast<int>(static_cast<float>(twips) / measures_.TwipsX + 0.5f); };
  const auto y = [&](int twips) { return static_cast<int>(static_cast<float>(twips) / measures_.TwipsY + 0.5f); };
  return QRect(x(left), y(top), x(width), y(height));
}

void QtMainWindow::Place(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(Twips(left, top, width, height));
}

void QtMainWindow::SetOuterHeight(int twips) {
  outerHeightTwips_ = twips;
  const int inner = std::max(0, twips - static_cast<int>(measures_.FrameDY));
  setFixedHeight(Twips(0, 0, 0, inner).height());
  line1_->setVisible(SeparatorVisible());
}

bool QtMainWindow::SeparatorVisible() const { return outerHeightTwips_ > kMinSize; }

void QtMainWindow::MeasureFrame() {
  measures_.FrameDX = static_cast<float>(frameGeometry().width() - width()) * measures_.TwipsX;
  measures_.FrameDY = static_cast<float>(frameGeometry().height() - height()) * measures_.TwipsY;
  SetOuterHeight(outerHeightTwips_);
}

void QtMainWindow::Handle(const std::function<void()>& handler) {
  if (controller_) handler();
}

void QtMainWindow::ShowMessage(const std::string& text, MessageIcon icon, const std::string& title) {
  if (recorder_) {
    recorder_->push_back(text);
    return;
  }
  const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Critical, QMessageBox::Warning,
                                     QMessageBox::Information};
  QMessageBox box(icons[static_cast<int>(icon)], Q(title), Q(text), QMessageBox::Ok, this);
  box.exec();
}

void QtMainWindow::SetWindowState(WindowState state) {
  state_ = state;
  switch (state) {
    case WindowState::kCompact:
      SetOuterHeight(kMinSize);
      break;
    case WindowState::kStandard:
      frame_->hide();
      Place(buttons_[2], 120, 2040, 2895, 375);
      Place(credit_, 240, 2490, 2655, 255);
      SetOuterHeight(3105);
      break;
    case WindowState::kWithRestrictions:
      Place(credit_, 240, 3270, 2655, 255);
      Place(buttons_[2], 120, 2805, 2895, 375);
      frame_->show();
      SetOuterHeight(3900);
      break;
  }
}

void QtMainWindow::SetCaption(const std::string& caption) { setWindowTitle(Q(caption)); }
bool QtMainWindow::FitParameter(int index) const { return fitBoxes_[static_cast<std::size_t>(index)]->isChecked(); }
void QtMainWindow::SetFitParameter(int index, bool fitted) { fitBoxes_[static_cast<std::size_t>(index)]->setChecked(fitted); }
bool QtMainWindow::LimitsActive() const { return limits_->isChecked(); }
void QtMainWindow::SetOptimizeEnabled(bool enabled) { buttons_[2]->setEnabled(enabled); }
void QtMainWindow::SetParameterLabel(int index, const std::string& text) {
  values_[static_cast<std::size_t>(index)]->setText(Q(text));
}
std::string QtMainWindow::ParameterLabel(int index) const {
  return values_[static_cast<std::size_t>(index)]->text().toStdString();
}
void QtMainWindow::ProcessPendingMessages() { QApplication::processEvents(); }
void QtMainWindow::SetCreateEnabled(bool enabled) { buttons_[0]->setEnabled(enabled); }
bool QtMainWindow::CreateEnabled() const { return buttons_[0]->isEnabled(); }
void QtMainWindow::SetCredit(const std::string& text) { credit_->setText(Q(text)); }

std::optional<MainWindow::Choice> QtMainWindow::ChooseFile(const std::string& title, const std::string& folder,
                                                           const std::string& name) {
  const QString start = Q(folder.empty() ? std::string() : folder) + Q(name);
  const QString chosen = QFileDialog::getOpenFileName(this, Q(title), start,
                                                      "Data files (*.xls *.xlsx *.ods);;All files (*)");
  if (chosen.isEmpty()) return std::nullopt;
  const QFileInfo file(chosen);
  return Choice{file.absolutePath().toStdString() + "/", file.fileName().toStdString()};
}

void QtMainWindow::ShowPkTable(const std::string& title, const std::vector<std::string>& lines,
                               const PlotData& plot) {
  TableWindow table(measures_, this);
  table.Fill(title, lines);
  table.SetPlot(plot);
  table.exec();
}

void QtMainWindow::Close() {
  QTimer::singleShot(0, this, &QWidget::close);
}

void QtMainWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::ActivationChange || !controller_ || closing_) return;
  // After the window's own handling, as the activation handlers expect.
  QTimer::singleShot(0, this, [this] {
    if (closing_) return;
    if (isActiveWindow()) {
      controller_->Activated();
    } else {
      controller_->Deactivated();
    }
  });
}

void QtMainWindow::keyPressEvent(QKeyEvent* event) {
  int shift = 0;
  if (event->modifiers() & Qt::ShiftModifier) shift |= 1;
  if (event->modifiers() & Qt::ControlModifier) shift |= 2;
  if (event->modifiers() & Qt::AltModifier) shift |= 4;
  const int key = event->key() == Qt::Key_F2 ? kKeyF2 : event->key() == Qt::Key_F9 ? kKeyF9 : 0;
  if (key != 0 && controller_) {
    controller_->KeyDown(key, shift);
    return;
  }
  QWidget::keyPressEvent(event);
}

void QtMainWindow::closeEvent(QCloseEvent* event) {
  if (!closing_ && controller_) controller_->ShutDown();
  closing_ = true;
  event->accept();
}

}  // namespace tavrix
