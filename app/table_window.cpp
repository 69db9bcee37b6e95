#include "table_window.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QToolTip>
#include <QVBoxLayout>
#include <fstream>

#include "tavrix/model/pk_table.h"
#include "tavrix/plot/plot_picture.h"
#include "tavrix/sheet/file_replace.h"

namespace tavrix {
namespace {

// Courier New 9 pt, or the system's fixed-width font where it is missing.
QFont TableFont() {
  QFont font("Courier New", 9);
  if (!QFontInfo(font).fixedPitch()) {
    font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
  }
  return font;
}

constexpr int kPlotWidth = 640;
// Where the table's text stands in its area, and its layout in characters:
// the temperature column, then the cells; the first data line.
constexpr int kTextLeft = 5;
constexpr int kTextTop = 4;
constexpr int kTemperatureChars = 8;
constexpr int kCellChars = 12;
constexpr int kFirstDataLine = 4;
constexpr int kPlotHeight = 420;
constexpr int kMinPlotHeight = 160;

}  // namespace

TableWindow::TableWindow(const ScreenMeasures& measures, HandlerGuard& guard, QWidget* parent)
    : QDialog(parent), measures_(measures), guard_(guard) {
  setWindowTitle("Table");
  setFont(TableFont());
  const QFontMetrics metrics(font());
  charW_ = metrics.horizontalAdvance(' ');
  lineH_ = metrics.height();
  area_ = new QScrollArea(this);
  area_->setFrameShape(QFrame::NoFrame);
  area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  table_ = new QWidget();
  for (int i = 0; i < kLabels; ++i) {
    auto* label = new QLabel(table_);
    label->setGeometry(0, i * lineH_, 100, lineH_);
    label->setTextFormat(Qt::PlainText);
    label->hide();
    rows_[static_cast<std::size_t>(i)] = label;
  }
  area_->setWidget(table_);
  table_->installEventFilter(this);
  menu_ = new QMenu("Table", this);
  connect(menu_->addAction("Copy for Excel  (Ctrl+Ins)"), &QAction::triggered, this,
          [this] { guard_.Run([this] { CopyData(true); }); });
  connect(menu_->addAction("Copy for Word  (Ctrl+C)"), &QAction::triggered, this,
          [this] { guard_.Run([this] { CopyData(false); }); });
}

int TableWindow::Properties(const std::string& title, int rows, int columns) {
  nRows_ = rows;
  const int width = TableWidth(title, columns);
  // The width of so many characters as the font lays them out (advances
  // need not be whole pixels).
  const int pixels =
      std::max(charW_ * width, QFontMetrics(font()).horizontalAdvance(QString(width, ' ')) + 1);
  for (int i = 0; i <= rows + 4 && i < kLabels; ++i) {
    rows_[static_cast<std::size_t>(i)]->setGeometry(kTextLeft, kTextTop + i * lineH_, pixels,
                                                    lineH_);
    rows_[static_cast<std::size_t>(i)]->show();
  }
  table_->setFixedSize(pixels + 10, (rows + 4) * lineH_ + 8 + lineH_);
  area_->setMinimumHeight(std::min(table_->height(), 3 * lineH_));
  resize(table_->size());
  Arrange();
  return width;
}

void TableWindow::SetPlot(const PlotData& plot) {
  if (!chart_) {
    chart_ = new PlotView(this);
    chart_->setMinimumHeight(kMinPlotHeight);
    connect(menu_->addAction("Save plot as..."), &QAction::triggered, this,
            [this] { guard_.Run([this] { SavePlotAs(); }); });
  }
  chart_->SetPlot(plot);
  const QScreen* screen = parentWidget() && parentWidget()->screen()
                              ? parentWidget()->screen()
                              : QGuiApplication::primaryScreen();
  FitInto(screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800));
}

void TableWindow::SetCellTips(std::vector<std::string> tips) {
  tips_ = std::move(tips);
}

void TableWindow::SetExports(ExportResult thermoFun, ExportResult phreeqc, ExportResult grid) {
  if (!copyThermoFun_) {
    copyThermoFun_ = menu_->addAction("Copy as ThermoFun record");
    connect(copyThermoFun_, &QAction::triggered, this,
            [this] { guard_.Run([this] { CopyExport(thermoFun_); }); });
    connect(menu_->addAction("Copy as PHREEQC block"), &QAction::triggered, this,
            [this] { guard_.Run([this] { CopyExport(phreeqc_); }); });
    connect(menu_->addAction("Copy as logK grid"), &QAction::triggered, this,
            [this] { guard_.Run([this] { CopyExport(grid_); }); });
  }
  thermoFun_ = std::move(thermoFun);
  phreeqc_ = std::move(phreeqc);
  grid_ = std::move(grid);
}

void TableWindow::Show(const PkTableView& view) {
  Fill(view.title, view.lines);
  SetCellTips(view.cellTips);
  SetExports(view.thermoFun, view.phreeqc, view.grid);
  SetPlot(view.plot);
  if (view.report && !report_) {
    connect(menu_->addAction("Save report\u2026"), &QAction::triggered, this,
            [this] { guard_.Run([this] { SaveReport(); }); });
  }
  if (view.comparison && !comparison_) {
    connect(menu_->addAction("Compare models\u2026"), &QAction::triggered, this,
            [this] { guard_.Run([this] { ShowComparison(comparison_()); }); });
  }
  report_ = view.report;
  reportName_ = view.reportName;
  comparison_ = view.comparison;
}

std::string TableWindow::CellTipAt(const QPoint& position) const {
  const int line = (position.y() - kTextTop) / lineH_;
  const double advance = QFontMetricsF(font()).horizontalAdvance(' ');
  const double column = (position.x() - kTextLeft) / advance - kTemperatureChars;
  const int i = line - kFirstDataLine + 1;
  const int j = column < 0 ? 0 : static_cast<int>(column) / kCellChars + 1;
  if (position.y() < kTextTop || i < 1 || i > kTableRows || j < 1 || j > kTableColumns) return "";
  const std::size_t index = static_cast<std::size_t>((i - 1) * kTableColumns + (j - 1));
  return index < tips_.size() ? tips_[index] : "";
}

bool TableWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched != table_ || event->type() != QEvent::ToolTip) {
    return QDialog::eventFilter(watched, event);
  }
  guard_.Run([this, event] {
    const auto* help = static_cast<QHelpEvent*>(event);
    const std::string tip = CellTipAt(help->pos());
    if (tip.empty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(help->globalPos(), QString::fromStdString(tip), table_);
    }
  });
  return true;
}

void TableWindow::FitInto(const QRect& available) {
  // The frame the window manager adds: this window's own once it is
  // framed, else as measured on the main window.
  const QSize frame = frameGeometry().size() - size();
  const bool framed = isVisible() && !frame.isEmpty();
  const int frameW =
      framed ? frame.width() : static_cast<int>(measures_.FrameDX / measures_.TwipsX + 0.5f);
  const int frameH =
      framed ? frame.height() : static_cast<int>(measures_.FrameDY / measures_.TwipsY + 0.5f);
  const int maxW = std::max(200, available.width() - frameW);
  const int maxH = std::max(200, available.height() - frameH);
  const int tableW = table_->width() + (area_->verticalScrollBar()->sizeHint().width());
  const int wanted = chart_ ? table_->height() + kPlotHeight : table_->height();
  const int width = std::min(maxW, std::max(tableW, chart_ ? kPlotWidth : tableW));
  const int height = std::min(maxH, wanted);
  setMinimumSize(std::min(width, 320),
                 std::min(height, 3 * lineH_ + (chart_ ? kMinPlotHeight : 0)));
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  resize(width, height);
  // Centred on the area, so that no edge leaves the screen.
  move(available.left() + (available.width() - width - frameW) / 2,
       available.top() + (available.height() - height - frameH) / 2);
  Arrange();
}

void TableWindow::Arrange() {
  // The table as high as it needs (or as the plot's least height leaves),
  // the plot the rest.
  const int plotMin = chart_ ? kMinPlotHeight : 0;
  const int tableH =
      std::max(std::min(table_->height(), height() - plotMin), std::min(height(), 3 * lineH_));
  area_->setGeometry(0, 0, width(), tableH);
  if (chart_) chart_->setGeometry(0, tableH, width(), std::max(0, height() - tableH));
}

void TableWindow::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  Arrange();
}

bool TableWindow::SavePlot(const std::string& path) {
  return chart_ && tavrix::SavePlot(chart_->plot(), path);
}

std::string TableWindow::AskPlotFile() {
  QString filter;
  const QString file = QFileDialog::getSaveFileName(this, "Save plot", QString(),
                                                    "PNG (*.png);;SVG (*.svg)", &filter);
  return PlotFileName(file.toStdString(), filter.toStdString());
}

void TableWindow::ShowBox(QMessageBox::Icon icon, const QString& text) {
  QMessageBox box(icon, kProgramName, text, QMessageBox::Ok, this);
  box.exec();
}

void TableWindow::SavePlotAs() {
  const std::string file = AskPlotFile();
  if (!file.empty() && !SavePlot(file)) {
    ShowBox(QMessageBox::Critical,
            "Could not save the plot\nTavrix could not write '" + QString::fromStdString(file) +
                "'. Choose a folder you may write to, and a name ending in .png or .svg.");
  }
}

std::string TableWindow::AskReportFile(const std::string& suggested) {
  return QFileDialog::getSaveFileName(this, "Save report", QString::fromStdString(suggested),
                                      "HTML (*.html)")
      .toStdString();
}

void TableWindow::SaveReport() {
  const ExportResult page = report_();
  if (!page) {
    ShowBox(QMessageBox::Critical,
            "Could not make the report: " + QString::fromStdString(page.error));
    return;
  }
  const std::string file = AskReportFile(reportName_);
  if (file.empty()) return;
  try {
    ReplaceFile(file, [&](const std::string& path) {
      std::ofstream stream(path, std::ios::binary);
      stream << page.text;
      stream.flush();
      if (!stream) throw HostError("cannot write '" + file + "'");
    });
  } catch (const HostError& e) {
    ShowBox(QMessageBox::Critical, "Could not save the report\n" +
                                       QString::fromStdString(e.what()) +
                                       ". Choose a folder you may write to.");
  }
}

void TableWindow::ShowComparison(const TextTable& table) {
  QDialog window(this);
  window.setWindowTitle("Models compared: " + QString::fromStdString(title_));
  auto* text = new QPlainTextEdit(QString::fromStdString(ComparisonText(table, false)), &window);
  text->setReadOnly(true);
  text->setLineWrapMode(QPlainTextEdit::NoWrap);
  text->setFont(font());
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &window);
  connect(buttons->addButton("Copy for Excel", QDialogButtonBox::ActionRole), &QPushButton::clicked,
          &window, [this, &table] { SetClipboardText(ComparisonText(table, true)); });
  connect(buttons->addButton("Copy for Word", QDialogButtonBox::ActionRole), &QPushButton::clicked,
          &window, [this, &table] { SetClipboardText(ComparisonText(table, false)); });
  connect(buttons, &QDialogButtonBox::rejected, &window, &QDialog::reject);
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(text);
  layout->addWidget(buttons);
  const QFontMetrics metrics(font());
  const int lines = static_cast<int>(table.rows.size()) + 1;
  window.resize(
      std::min(metrics.horizontalAdvance(text->toPlainText().section('\n', 0, 0)) + 40, 1200),
      (lines + 4) * metrics.height() + buttons->sizeHint().height());
  window.exec();
}

void TableWindow::CopyExport(const ExportResult& result) {
  if (!result) {
    ShowBox(QMessageBox::Critical,
            "Could not copy the fit: " + QString::fromStdString(result.error));
    return;
  }
  if (const int code = SetClipboardText(result.text); code != 0) {
    ShowBox(QMessageBox::Critical, "Could not Copy the fit. Error code " + QString::number(code));
    return;
  }
  if (!result.warning.empty()) {
    ShowBox(QMessageBox::Information,
            "Copied. Note: " + QString::fromStdString(result.warning) + ".");
  }
}

void TableWindow::Fill(const std::string& title, const std::vector<std::string>& lines) {
  title_ = title;
  Properties(title, kTableRows, kTableColumns);
  setWindowTitle(QString::fromStdString(title));
  for (std::size_t i = 0; i < lines.size() && i < kLabels; ++i) {
    rows_[i]->setText(QString::fromStdString(lines[i]));
  }
}

std::string TableWindow::TableText(bool forExcel) const {
  std::vector<std::string> lines;
  for (int i = 0; i <= nRows_ + 4 && i < kLabels; ++i) {
    lines.push_back(rows_[static_cast<std::size_t>(i)]->text().toStdString());
  }
  return tavrix::TableText(lines, forExcel);
}

int TableWindow::SetClipboardText(const std::string& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return 1;
  clipboard->clear();
  if (!clipboard->text().isEmpty()) return 2;
  const QString wanted = QString::fromStdString(text);
  clipboard->setText(wanted);
  if (clipboard->text() != wanted) return 3;
  return 0;
}

void TableWindow::CopyData(bool forExcel) {
  const int code = SetClipboardText(TableText(forExcel));
  if (code != 0) {
    ShowBox(QMessageBox::Critical, "Could not Copy the table. Error code " + QString::number(code));
  }
}

void TableWindow::keyPressEvent(QKeyEvent* event) {
  const auto modifiers =
      event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  if (event->key() == Qt::Key_Escape && modifiers == Qt::NoModifier) {
    close();
  } else if (event->key() == Qt::Key_Insert && modifiers == Qt::ControlModifier) {
    guard_.Run([this] { CopyData(true); });
  } else if (event->key() == Qt::Key_C && modifiers == Qt::ControlModifier) {
    guard_.Run([this] { CopyData(false); });
  } else {
    QDialog::keyPressEvent(event);
  }
}

void TableWindow::contextMenuEvent(QContextMenuEvent* event) {
  if (event->modifiers() == Qt::NoModifier) menu_->popup(event->globalPos());
}

}  // namespace tavrix
